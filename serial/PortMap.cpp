#include "PortMap.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace darvo {

namespace {

// A port map is a handful of lines; anything much larger is not one.
constexpr off_t kMaxPortMapSize = 64 * 1024;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The line without its comment: '#' at its start or after a blank.
std::string_view WithoutComment(std::string_view line) {
    for (size_t i = 0; i < line.size(); ++i)
        if (line[i] == '#' && (i == 0 || IsBlank(line[i - 1]))) return line.substr(0, i);
    return line;
}

// "COM<n>" in any letter case, n 1..255; 0 when it is not one.
unsigned PortNumberOf(std::string_view name) {
    if (name.size() < 4 || name.size() > 6) return 0;
    for (size_t i = 0; i < 3; ++i)
        if ((name[i] & ~0x20) != "COM"[i]) return 0;
    unsigned n = 0;
    for (char c : name.substr(3)) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    return n <= 255 ? n : 0;
}

// Reads the whole file. Returns false with `error` set when it exists but
// cannot be read; a missing file reads as no text with `exists` false.
bool ReadPortMapFile(const std::string &path, std::string &text, bool &exists, std::string &error) {
    exists = false;
    const std::string cannotRead = "Nie można odczytać pliku mapy portów " + path + ".";
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return true;
        error = cannotRead;
        return false;
    }
    exists = true;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok && st.st_size > kMaxPortMapSize) {
        ::close(fd);
        error = "Plik mapy portów " + path + " jest za duży.";
        return false;
    }
    char buffer[4096];
    while (ok) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        text.append(buffer, static_cast<size_t>(n));
        ok = text.size() <= static_cast<size_t>(kMaxPortMapSize);
    }
    ::close(fd);
    if (!ok) error = cannotRead;
    return ok;
}

} // namespace

std::string PortMapPath() {
    const char *named = std::getenv("DARVO_PORTS_FILE");
    return named && *named ? named : kPortMapFile;
}

bool ParsePortMap(std::string_view text, const std::string &fileName, std::map<unsigned, std::string> &ports,
                  std::string &error) {
    std::map<unsigned, int> lineOf;
    int lineNumber = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        const std::string where =
            "Plik mapy portów " + fileName + ", wiersz " + std::to_string(lineNumber) + ": ";
        line = Trimmed(WithoutComment(line));
        if (line.empty()) continue;
        const size_t equals = line.find('=');
        const unsigned port =
            equals == std::string_view::npos ? 0 : PortNumberOf(Trimmed(line.substr(0, equals)));
        const std::string_view device =
            equals == std::string_view::npos ? "" : Trimmed(line.substr(equals + 1));
        if (port == 0) {
            error = where + "oczekiwano \"COMn = /dev/...\" (n od 1 do 255).";
            return false;
        }
        const bool plain = std::all_of(device.begin(), device.end(), [](char c) {
            return static_cast<unsigned char>(c) > ' ' && c != '\x7f' && c != '=';
        });
        if (device.empty() || device.front() != '/' || !plain) {
            error = where + "urządzenie musi być pełną ścieżką bez spacji (/dev/...).";
            return false;
        }
        if (auto seen = lineOf.find(port); seen != lineOf.end()) {
            error = where + "COM" + std::to_string(port) + " podano już w wierszu " +
                    std::to_string(seen->second) + ".";
            return false;
        }
        lineOf[port] = lineNumber;
        ports[port] = std::string(device);
    }
    return true;
}

PortDevice FindPortDevice(unsigned portNumber) {
    const std::string variable = "DARVO_COM" + std::to_string(portNumber);
    if (const char *mapped = std::getenv(variable.c_str()); mapped && *mapped) return {mapped, ""};
    const std::string mapPath = PortMapPath();
    std::string text, error;
    bool exists = false;
    if (!ReadPortMapFile(mapPath, text, exists, error)) return {"", error};
    std::map<unsigned, std::string> ports;
    if (exists && !ParsePortMap(text, mapPath, ports, error)) return {"", error};
    if (auto it = ports.find(portNumber); it != ports.end()) return {it->second, ""};
    if (portNumber == 0) return {"/dev/ttyS-1", ""}; // no such device
    return {"/dev/ttyS" + std::to_string(portNumber - 1), ""};
}

} // namespace darvo
