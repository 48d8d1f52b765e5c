// The `darvo` program run against the emulated printer on COM7, its
// standard input given, its output and exit status collected.
#pragma once

#include "ChildProcess.h"
#include "SimFixture.h"
#include "darvodr/darvodr.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
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
    void SetUp() override {
        SimTest::SetUp();
        answers_.clear();
    }
    // Every --json answer of the test is one JSON document of its schema.
    void TearDown() override {
        SimTest::TearDown();
        if (answers_.empty()) return;
        const ScratchDir dir;
        std::string list;
        for (size_t i = 0; i < answers_.size(); ++i) {
            const std::string file = dir / ("answer-" + std::to_string(i) + ".json");
            WriteFile(file, answers_[i].second);
            list += answers_[i].first + "\t" + file + "\n";
        }
        WriteFile(dir / "list", list);
        std::string output;
        EXPECT_EQ(0, RunCommand(std::string(DARVO_SOURCE_DIR) + "/tests/cli/validate_answers.py " +
                                    DARVO_SOURCE_DIR + "/docs/schemas " + dir / "list",
                                output))
            << output;
    }

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
        if (std::find(args.begin(), args.end(), "--json") != args.end())
            answers_.push_back({SchemaOf(args), r.out});
        return r;
    }
    // The schema of a run's answer, from its verb.
    static std::string SchemaOf(const std::vector<std::string> &args) {
        static const std::map<std::string, std::string> schemas = {
            {"status", "status.schema.json"},
            {"receipt", "receipt-result.schema.json"},
            {"recover", "recover.schema.json"},
            {"check", "check.schema.json"},
            {"discover", "discover.schema.json"},
            {"report", "tools.schema.json#/$defs/report"},
            {"clock", "tools.schema.json#/$defs/clock"},
            {"rates", "tools.schema.json#/$defs/rates"},
            {"header", "tools.schema.json#/$defs/header"},
            {"trace", "tools.schema.json#/$defs/trace"},
            {"version", "tools.schema.json#/$defs/version"}};
        for (const std::string &a : args)
            if (a == "--help" || a == "-h" || a == "--version") return "usage.schema.json";
        for (size_t i = 1; i < args.size(); ++i) {
            const std::string &a = args[i];
            if (a == "--port" || a == "--speed" || a == "--timeout-ms") {
                ++i;
                continue;
            }
            if (a[0] == '-') continue;
            auto it = schemas.find(a);
            return it == schemas.end() ? "usage.schema.json" : it->second;
        }
        return "usage.schema.json";
    }
    bool Sent(uint8_t command) { return !FramesOf(command).empty(); }

  private:
    inline static std::vector<std::pair<std::string, std::string>> answers_; // schema, answer
};

} // namespace darvotest
