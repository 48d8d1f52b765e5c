#include "Trace.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace darvo {

namespace {

std::mutex traceMutex;
std::string pending; // the line being built
int pendingDirection = -1;

std::string Timestamp() {
    auto now = std::chrono::system_clock::now();
    std::time_t secs = std::chrono::system_clock::to_time_t(now);
    int millis = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm tm{};
    localtime_r(&secs, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, millis);
    return buf;
}

// A trace file that cannot be written is named once on standard error (the
// driver has no other way to tell whoever set DARVO_TRACE); the calls go on
// without a trace.
std::string reportedPath;

void ReportUnwritable(const char *path, const std::string &why) {
    if (reportedPath == path) return;
    reportedPath = path;
    std::fprintf(stderr, "darvodr: DARVO_TRACE=%s: %s; no trace is written\n", path, why.c_str());
}

// Appends one line to the trace file. Only a regular file or a character
// device is written: opening a pipe could wait for its reader, and writing
// to one whose reader has gone would end the process.
void WriteLine(const std::string &line) {
    const char *path = std::getenv("DARVO_TRACE");
    if (!path || !*path) return;
    const int saved = errno;
    struct stat st {};
    if (::stat(path, &st) == 0 && !S_ISREG(st.st_mode) && !S_ISCHR(st.st_mode)) {
        ReportUnwritable(path, S_ISDIR(st.st_mode)    ? "a directory"
                               : S_ISFIFO(st.st_mode) ? "a pipe"
                                                      : "not a file");
        errno = saved;
        return;
    }
    int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) {
        ReportUnwritable(path, std::strerror(errno));
    } else {
        if (::fstat(fd, &st) == 0 && (S_ISREG(st.st_mode) || S_ISCHR(st.st_mode))) {
            const std::string text = line + "\n";
            if (::write(fd, text.data(), text.size()) < 0) ReportUnwritable(path, std::strerror(errno));
        }
        ::close(fd);
    }
    errno = saved;
}

void FlushPending() {
    if (!pending.empty()) WriteLine(pending);
    pending.clear();
    pendingDirection = -1;
}

bool Enabled() {
    const char *path = std::getenv("DARVO_TRACE");
    return path && *path;
}

} // namespace

void TraceCommandStart(uint8_t command) {
    if (!Enabled()) return;
    std::lock_guard<std::mutex> lock(traceMutex);
    FlushPending();
    char buf[32];
    std::snprintf(buf, sizeof buf, "-- command %u (0x%02X)", command, command);
    WriteLine(Timestamp() + " " + buf);
}

void TraceByte(TraceDirection direction, uint8_t byte) {
    if (!Enabled()) return;
    std::lock_guard<std::mutex> lock(traceMutex);
    int dir = direction == TraceDirection::Sent ? 0 : 1;
    if (dir != pendingDirection) {
        FlushPending();
        pending = Timestamp() + (dir == 0 ? " >>" : " <<");
        pendingDirection = dir;
    }
    char buf[4];
    std::snprintf(buf, sizeof buf, " %02X", byte);
    pending += buf;
}

void TraceCall(const char *function, int32_t result) {
    if (!Enabled()) return;
    std::lock_guard<std::mutex> lock(traceMutex);
    FlushPending();
    WriteLine(Timestamp() + " " + function + " -> " + std::to_string(result));
}

} // namespace darvo
