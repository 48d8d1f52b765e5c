// A child process with its standard input and output on pipes.
#pragma once

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace darvotest {

// In a child process just forked: `env` ("NAME=value") added to its
// environment, then args[0] run with the arguments; never returns.
[[noreturn]] inline void Exec(std::vector<std::string> args, const std::vector<std::string> &env = {}) {
    for (const std::string &e : env)
        ::putenv(const_cast<char *>(e.c_str()));
    std::vector<char *> argv;
    for (auto &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

struct Child {
    pid_t pid = -1;
    FILE *in = nullptr;  // its standard input
    FILE *out = nullptr; // its standard output

    bool Start(std::vector<std::string> args) {
        int toChild[2], fromChild[2];
        if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) return false;
        pid = ::fork();
        if (pid == 0) {
            ::dup2(toChild[0], 0);
            ::dup2(fromChild[1], 1);
            ::close(toChild[1]);
            ::close(fromChild[0]);
            Exec(std::move(args));
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        in = ::fdopen(toChild[1], "w");
        out = ::fdopen(fromChild[0], "r");
        return pid > 0;
    }
    std::string Line() {
        char buffer[512] = {};
        if (!std::fgets(buffer, sizeof buffer, out)) return "<eof>";
        std::string line(buffer);
        if (!line.empty() && line.back() == '\n') line.pop_back();
        return line;
    }
    void Say(const std::string &line) {
        std::fputs((line + "\n").c_str(), in);
        std::fflush(in);
    }
    // Says a line and returns the line it answers.
    std::string Ask(const std::string &line) {
        Say(line);
        return Line();
    }
    int Wait() {
        if (in) std::fclose(in);
        in = nullptr;
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (out) std::fclose(out);
        out = nullptr;
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ~Child() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            Wait();
        }
    }
};

} // namespace darvotest
