#include "PaperRoll.h"

#include <cstdio>

namespace darvosim {

void PaperRoll::SetFile(const std::string &path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    path_ = path;
}

void PaperRoll::Print(const std::string &line) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    lines_.push_back(line);
    if (path_.empty()) return;
    if (std::FILE *f = std::fopen(path_.c_str(), "a")) {
        std::fputs(line.c_str(), f);
        std::fputc('\n', f);
        std::fclose(f);
    }
}

std::vector<std::string> PaperRoll::Lines() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return lines_;
}

std::string PaperRoll::Text() const {
    std::string out;
    for (const std::string &l : Lines())
        out += l + "\n";
    return out;
}

void PaperRoll::Clear() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    lines_.clear();
}

} // namespace darvosim
