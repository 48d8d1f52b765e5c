// A port held open and locked by another process, as another program
// holding a COM port would.
#pragma once

#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace apptest {

class HeldPort {
  public:
    explicit HeldPort(const std::string &path) {
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            char ok = (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ? 1 : 0;
            (void)!::write(ready[1], &ok, 1);
            char byte;
            (void)!::read(release[0], &byte, 1); // returns when the parent lets go
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char ok = 0;
        held_ = pid_ > 0 && ::read(ready[0], &ok, 1) == 1 && ok == 1;
        ::close(ready[0]);
    }
    ~HeldPort() {
        if (release_ >= 0) ::close(release_);
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }
    HeldPort(const HeldPort &) = delete;
    HeldPort &operator=(const HeldPort &) = delete;
    bool Held() const { return held_; }

  private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool held_ = false;
};

} // namespace apptest
