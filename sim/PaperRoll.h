// What the printer prints: plain text lines, kept in memory and, when a file
// is named, appended to it as they are printed.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace darvosim {

class PaperRoll {
  public:
    // `guard` is the printer's lock: the lines a command prints after its
    // answer are all there for whoever reads the roll once it has ended.
    explicit PaperRoll(std::recursive_mutex &guard) : mutex_(guard) {}
    void SetFile(const std::string &path);
    void Print(const std::string &line); // UTF-8 text
    std::vector<std::string> Lines() const;
    std::string Text() const;
    void Clear();

  private:
    std::recursive_mutex &mutex_;
    std::vector<std::string> lines_;
    std::string path_;
};

} // namespace darvosim
