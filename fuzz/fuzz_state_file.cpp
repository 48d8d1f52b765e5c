// The emulator's state-file reader: any bytes as a state file. A file it
// takes must come out of a save and a second load unchanged.
#include "Printer.h"
#include "StateFile.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string TempPath() {
    static const std::string path = [] {
        const char *dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/darvo-fuzz-state-" + std::to_string(::getpid());
    }();
    return path;
}

bool WriteFile(const std::string &path, const std::string &text) {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string path = TempPath();
    if (!WriteFile(path, std::string(reinterpret_cast<const char *>(data), size))) return 0;
    darvosim::Printer printer(7);
    std::string error;
    std::lock_guard<std::recursive_mutex> lock(printer.mutex);
    if (darvosim::LoadState(printer, path, error)) {
        const std::string text = darvosim::StateText(printer);
        darvosim::Printer again(7);
        std::lock_guard<std::recursive_mutex> lock2(again.mutex);
        if (!WriteFile(path, text) || !darvosim::LoadState(again, path, error) ||
            darvosim::StateText(again) != text) {
            std::fprintf(stderr, "a saved state does not load back: %s\n", error.c_str());
            std::abort();
        }
    } else if (error.empty()) {
        std::fprintf(stderr, "a refused state file without a reason\n");
        std::abort();
    }
    ::unlink(path.c_str());
    return 0;
}
