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
    // darvo --port PORT --timeout-ms 1000 ARGS, with `input` on its
    // standard input and `env` added to its environment.
    static DarvoRun Darvo(std::vector<std::string> args, const std::string &input = "",
                          const std::vector<std::string> &env = {}, const std::string &port = "COM7") {
        const ScratchDir dir;
        WriteFile(dir / "in", input);
        std::string command = "(env"; // in a subshell: its own 2> stays apart from RunCommand's 2>&1
        for (const std::string &word : env)
            command += " '" + word + "'";
        args.insert(args.begin(), {DARVO_CLI, "--port", port, "--timeout-ms", "1000"});
        for (const std::string &word : args)
            command += " '" + word + "'";
        command += " <" + dir / "in" + " >" + dir / "out" + " 2>" + dir / "err)";
        DarvoRun r;
        std::string none;
        r.exit = RunCommand(command, none);
        r.out = ReadFile(dir / "out");
        r.err = ReadFile(dir / "err");
        return r;
    }
    bool Sent(uint8_t command) { return !FramesOf(command).empty(); }
};

} // namespace darvotest
