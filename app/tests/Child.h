// Child processes for the tests that run a program: the environment with
// some variables set anew, and a child ended and waited for however the
// test ends.
#pragma once

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace apptest {

// This process's environment with some variables set anew.
inline std::vector<std::string> EnvironmentWith(const std::vector<std::string> &set) {
    std::vector<std::string> variables = set;
    for (char **e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string &s : set)
            replaced = replaced || s.compare(0, name.size(), name) == 0;
        if (!replaced) variables.push_back(entry);
    }
    return variables;
}

// A child process, ended (SIGTERM) and waited for when the test is done
// with it, however the test ends.
class Child {
  public:
    // The argument and environment arrays are made here: between fork and
    // exec only async-signal-safe calls may run in a process with threads.
    // Its output and errors go where outFd and errFd lead (nowhere: -1);
    // keepFd stays open in it.
    Child(std::vector<std::string> argv, std::vector<std::string> env, int keepFd = -1, int errFd = -1,
          int outFd = -1) {
        std::vector<char *> args, envp;
        for (std::string &a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        for (std::string &v : env)
            envp.push_back(v.data());
        envp.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::dup2(outFd >= 0 ? outFd : null, 1);
            ::dup2(errFd >= 0 ? errFd : null, 2);
            for (int fd = 3; fd < 1024; ++fd)
                if (fd != keepFd && fd != errFd) ::close(fd);
            ::execvpe(args[0], args.data(), envp.data());
            ::_exit(127);
        }
    }
    ~Child() { Stop(); }
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;
    bool Started() const { return pid_ > 0; }
    // Waits for it to end by itself: its exit code, -1 when it did not exit.
    int Wait() {
        int status = 0;
        if (pid_ <= 0 || ::waitpid(pid_, &status, 0) != pid_) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // True when it was still running until told to end.
    bool Stop() {
        if (pid_ <= 0) return false;
        int status = 0;
        const bool running = ::waitpid(pid_, &status, WNOHANG) == 0;
        if (running) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, &status, 0);
        }
        pid_ = -1;
        return running;
    }

  private:
    pid_t pid_ = -1;
};

} // namespace apptest
