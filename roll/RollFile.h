// Follows a growing text file as `tail -F` does: each Read() returns the
// lines added since the last one. A file that does not exist yet is waited
// for; one that got shorter (emptied) or was replaced by another is read
// again from its start. Only whole lines are returned; a line still being
// written waits for its end.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace darvoroll {

class RollFile {
  public:
    explicit RollFile(std::string path) : path_(std::move(path)) {}

    struct Update {
        bool restarted = false; // the lines before these are gone
        std::vector<std::string> lines;
    };
    Update Read();
    bool Exists() const { return exists_; }
    const std::string &Path() const { return path_; }

    // A long roll is shown from this many bytes before its end.
    static constexpr off_t kMaxBacklog = 1 << 20;

  private:
    std::string path_;
    bool exists_ = false;
    bool known_ = false; // dev_, ino_ and offset_ belong to a file read before
    dev_t dev_ = 0;
    ino_t ino_ = 0;
    off_t offset_ = 0;
    std::string partial_;      // the line still being written
    bool dropCutLine_ = false; // the first line read begins before the backlog
};

} // namespace darvoroll
