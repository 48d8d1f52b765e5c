// The `darvo` program run against the emulated printer on COM7, its
// standard input given, its output and exit status collected.
#pragma once

#include "SimFixture.h"
#include "darvodr/darvodr.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace darvotest {

struct DarvoRun {
    int exit = -1;
    std::string out, err;
    nlohmann::json Json() const { return nlohmann::json::parse(out, nullptr, false); }
};

class CliTest : public SimTest {
  protected:
    void TearDown() override {
        CommunicationEnd();
        SimTest::TearDown();
        ResetDriver();
    }
    // darvo --port PORT --timeout-ms 1000 ARGS, with `input` on its
    // standard input and `env` added to its environment.
    static DarvoRun Darvo(std::vector<std::string> args, const std::string &input = "",
                          const std::vector<std::string> &env = {}, const std::string &port = "COM7") {
        args.insert(args.begin(), {DARVO_CLI, "--port", port, "--timeout-ms", "1000"});
        char in[] = "/tmp/darvo-cli-in-XXXXXX", out[] = "/tmp/darvo-cli-out-XXXXXX",
             err[] = "/tmp/darvo-cli-err-XXXXXX";
        const int fds[3] = {::mkstemp(in), ::mkstemp(out), ::mkstemp(err)};
        if (::write(fds[0], input.data(), input.size()) < 0) return {};
        ::lseek(fds[0], 0, SEEK_SET);
        const pid_t pid = ::fork();
        if (pid == 0) {
            for (int i = 0; i < 3; ++i)
                ::dup2(fds[i], i);
            for (const std::string &e : env)
                ::putenv(const_cast<char *>(e.c_str()));
            std::vector<char *> argv;
            for (std::string &a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        DarvoRun r;
        r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = ReadFile(out);
        r.err = ReadFile(err);
        for (int i = 0; i < 3; ++i)
            ::close(fds[i]);
        for (const char *path : {in, out, err})
            ::unlink(path);
        return r;
    }
    // The command bytes of every frame the printer was sent.
    std::vector<int> Commands() {
        std::vector<int> out;
        for (const darvosim::Frame &f : Frames())
            out.push_back(f.command);
        return out;
    }
    bool Sent(int command) {
        for (int c : Commands())
            if (c == command) return true;
        return false;
    }
    std::string Do(const std::string &operatorCommand) {
        return printer().Control(operatorCommand, sim->SlaveDescriptor());
    }
    // A session of the test's own with the printer, 1-second time-outs.
    void Session() { ASSERT_EQ(0, CommunicationInit(kPort, 9600, 1)); }
    // The program using the driver goes away: its port is closed, whatever
    // it left in the printer stays.
    void LetGo() { darvo::CloseSessionPort(); }
};

} // namespace darvotest
