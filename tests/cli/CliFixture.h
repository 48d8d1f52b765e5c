// The `darvo` program run against the emulated printer on COM7, its
// standard input given, its output and exit status collected.
#pragma once

#include "ChildProcess.h"
#include "SimFixture.h"
#include "darvodr/darvodr.h"

#include <nlohmann/json.hpp>

#include <string>
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
    }
    // darvo --port PORT --timeout-ms 1000 ARGS, with `input` on its
    // standard input and `env` added to its environment.
    static DarvoRun Darvo(std::vector<std::string> args, const std::string &input = "",
                          const std::vector<std::string> &env = {}, const std::string &port = "COM7") {
        const ScratchDir dir;
        WriteFile(dir / "in", input);
        std::string command = "env";
        for (const std::string &word : env)
            command += " '" + word + "'";
        args.insert(args.begin(), {DARVO_CLI, "--port", port, "--timeout-ms", "1000"});
        for (const std::string &word : args)
            command += " '" + word + "'";
        command += " <" + dir / "in" + " >" + dir / "out" + " 2>" + dir / "err";
        DarvoRun r;
        std::string none;
        r.exit = RunCommand(command, none);
        r.out = ReadFile(dir / "out");
        r.err = ReadFile(dir / "err");
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
