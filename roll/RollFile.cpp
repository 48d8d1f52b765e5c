#include "RollFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace darvoroll {

RollFile::Update RollFile::Read() {
    Update update;
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    exists_ = fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!exists_) {
        if (fd >= 0) ::close(fd);
        return update; // waits for it; what was shown stays
    }
    const bool another = known_ && (st.st_dev != dev_ || st.st_ino != ino_);
    if (another || st.st_size < offset_) {
        update.restarted = known_;
        offset_ = 0;
        partial_.clear();
        dropCutLine_ = false;
    }
    if (!known_ || update.restarted) {
        // Start near the end of a long roll, at a line's beginning.
        if (st.st_size > kMaxBacklog) {
            offset_ = st.st_size - kMaxBacklog;
            dropCutLine_ = true;
        }
    }
    known_ = true;
    dev_ = st.st_dev;
    ino_ = st.st_ino;

    std::string text;
    char buffer[65536];
    while (offset_ < st.st_size) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset_);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
        offset_ += n;
    }
    ::close(fd);

    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = partial_ + text.substr(start, end - start);
        partial_.clear();
        if (dropCutLine_) {
            dropCutLine_ = false;
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        update.lines.push_back(std::move(line));
    }
    partial_ += text.substr(start);
    return update;
}

} // namespace darvoroll
