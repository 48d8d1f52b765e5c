// The technician's verbs: status, exit statuses, discover, check, trace.
#include "CliFixture.h"

#include "cli/Commands.h"

#include <fcntl.h>
#include <filesystem>
#include <set>

using namespace darvotest;

namespace {

class CliTools : public CliTest {
  protected:
    const ScratchDir scratch_;
    const std::string dir_ = scratch_.path();
};

} // namespace

TEST_F(CliTools, StatusNamesTheDeviceTypeAndModel) {
    const struct {
        int deviceType;
        const char *model;
        std::set<std::string> statusBytes;
    } cases[] = {
        {0, "KT820A 5-stawkowa", {"1", "2", "3", "4"}},
        {6, "NIVRA F (apteczna)", {"1", "2", "3", "4", "5", "6", "8"}},
        {7, "DARVO PEXA", {"1", "2", "3", "4", "5", "6", "7"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.model);
        StartSim(c.deviceType);
        const DarvoRun r = Darvo({"--json", "status"});
        ASSERT_EQ(0, r.exit) << r.out << r.err;
        const nlohmann::json doc = r.Json();
        EXPECT_EQ(c.deviceType, doc["device_type"]);
        EXPECT_EQ(c.model, doc["model"]);
        EXPECT_EQ("fiscal", doc["mode"]);
        EXPECT_EQ("ok", doc["paper"]);
        EXPECT_EQ(0, doc["receipt_counter"]);
        std::set<std::string> bytes;
        for (const auto &item : doc["status_bytes"].items())
            bytes.insert(item.key());
        EXPECT_EQ(c.statusBytes, bytes);
        for (int command : Commands())
            EXPECT_TRUE(darvo::cli::IsReadOnly(static_cast<uint8_t>(command)) || command == 0x94 ||
                        command == 0x95 || command == 0x9B || command == 0x96)
                << "status sent command " << command;
    }
}

TEST_F(CliTools, ExitStatuses) {
    darvosim::Emulator silent{darvosim::EmulatorOptions{}};
    ASSERT_TRUE(silent.Start());
    {
        std::lock_guard<std::recursive_mutex> lock(silent.printer().mutex);
        silent.printer().powered = false;
    }
    const struct {
        std::vector<std::string> args;
        std::string port;
        int exit;
    } cases[] = {
        {{"--help"}, "COM7", 0},
        {{"receipt", "--help"}, "COM7", 0},
        {{"frobnicate"}, "COM7", 1},
        {{"--speed", "1234", "status"}, "COM7", 1},
        {{"receipt", "/nonexistent/receipt.json"}, "COM7", 1},
        {{"rates", "set", "A=23"}, "COM7", 1}, // without --yes: nothing sent
        {{"status"}, "/nonexistent/tty", 3},
        {{"status"}, silent.SlavePath(), 3}, // a printer that answers nothing
        {{"report", "daily"}, "COM7", 2},    // no sales since the last one
        {{"report", "periodic", "--from", "2026-02-30", "--to", "2026-03-31"}, "COM7", 1}, // no such day
        {{"report", "periodic", "--from", "2026-03-31", "--to", "2026-03-01"}, "COM7", 1}, // backwards
        {{"version"}, "COM7", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args[0] + " on " + c.port);
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "--json");
        DarvoRun r = Darvo(args, "", {}, c.port);
        EXPECT_EQ(c.exit, r.exit) << r.out << r.err;
    }
    EXPECT_FALSE(Sent(213)) << "rates written without --yes";
    EXPECT_FALSE(Sent(49)) << "a report of dates that are no dates";
    // A damaged port map opens no port, and says where it is damaged.
    WriteFile(dir_ + "/ports.conf", "COM8 /dev/ttyS7\n");
    const DarvoRun damaged = Darvo({"status"}, "", {"DARVO_PORTS_FILE=" + dir_ + "/ports.conf"}, "COM8");
    EXPECT_EQ(3, damaged.exit);
    EXPECT_NE(std::string::npos, damaged.err.find("Plik mapy portów " + dir_ + "/ports.conf, wiersz 1: "))
        << damaged.err;
}

TEST_F(CliTools, DiscoverFindsPrintersAtTheirSpeedsAndWritesThePortMap) {
    // The fixture's printer (COM7) listens at 9600 b/s only, a second one at
    // 19200 b/s only; a third pseudo-terminal has nothing behind it; four
    // more printers of other models, looked at side by side.
    darvosim::Emulator second{darvosim::EmulatorOptions{}};
    ASSERT_TRUE(second.Start());
    std::vector<std::unique_ptr<darvosim::Emulator>> more;
    std::set<std::string> expected = {dir_ + "/ttyS9 9600 COM7 7",
                                      dir_ + "/by-id/usb-DARVO_PEXA-if00 19200 - 7"};
    for (int type : {3, 6, 8, 1}) {
        darvosim::EmulatorOptions options;
        options.deviceType = type;
        more.push_back(std::make_unique<darvosim::Emulator>(options));
        ASSERT_TRUE(more.back()->Start());
        const std::string name = dir_ + "/ttyUSB1" + std::to_string(type);
        std::filesystem::create_symlink(more.back()->SlavePath(), name);
        expected.insert(name + " 9600 - " + std::to_string(type));
    }
    for (darvosim::Emulator *e : {sim.get(), &second}) {
        std::lock_guard<std::recursive_mutex> lock(e->printer().mutex);
        e->printer().speedChecked = true;
    }
    {
        std::lock_guard<std::recursive_mutex> lock(second.printer().mutex);
        second.printer().fiscal.settings[0][0] |= 0x20; // 19200 b/s
    }
    const int silent = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(silent, 0);
    ASSERT_EQ(0, ::grantpt(silent));
    ASSERT_EQ(0, ::unlockpt(silent));
    std::filesystem::create_directories(dir_ + "/by-id");
    std::filesystem::create_symlink(sim->SlavePath(), dir_ + "/ttyS9");
    std::filesystem::create_symlink(second.SlavePath(), dir_ + "/ttyUSB5");
    std::filesystem::create_symlink(second.SlavePath(), dir_ + "/by-id/usb-DARVO_PEXA-if00");
    std::filesystem::create_symlink(::ptsname(silent), dir_ + "/ttyACM3");
    const std::string map = dir_ + "/ports.conf";

    // Every printer, every time.
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        std::vector<std::string> args = {"--json",       "discover", "--glob",
                                         dir_ + "/tty*", "--glob",   dir_ + "/by-id/*"};
        if (run == 0) args.insert(args.end(), {"--write-ports", map});
        const DarvoRun r = Darvo(args, "", {"DARVO_PORTS_FILE=/dev/null"});
        ASSERT_EQ(0, r.exit) << r.out << r.err;
        const nlohmann::json doc = r.Json();
        std::set<std::string> found;
        for (const auto &p : doc["printers"])
            found.insert(p["device"].get<std::string>() + " " + std::to_string(p["speed"].get<int>()) + " " +
                         p.value("port", std::string("-")) + " " +
                         std::to_string(p["device_type"].get<int>()));
        EXPECT_EQ(expected, found);
        EXPECT_EQ(7u, doc["looked_at"].size());
    }
    ::close(silent);
    second.Stop();
    const std::string written = ReadFile(map);
    EXPECT_NE(std::string::npos, written.find("\nCOM7 = " + dir_ + "/ttyS9\n")) << written;
    EXPECT_NE(std::string::npos, written.find("\nCOM1 = " + dir_ + "/by-id/usb-DARVO_PEXA-if00\n"))
        << written;
    // An existing map is replaced only when asked.
    EXPECT_EQ(1, Darvo({"discover", "--glob", dir_ + "/none", "--write-ports", map}).exit);
}

TEST_F(CliTools, CheckAsksOnlyWhatChangesNothing) {
    // Every command that only reads, as this test knows them.
    const std::set<int> readOnly = {255, 254, 91,  84,  85,  86, 95, 80,  243, 93,  209, 208, 112,
                                    102, 247, 217, 216, 218, 53, 64, 113, 238, 210, 245, 195};
    for (const auto &c : darvo::cli::ReadOnlyCommands())
        EXPECT_TRUE(readOnly.count(c.command)) << "command " << int(c.command) << " is on the allow-list";
    OnPrinter([](darvosim::Printer &p) { p.sales.receiptOpen = true; }); // a till's: check leaves it alone
    const DarvoRun r = Darvo({"--json", "check", "--report", dir_ + "/check.json"});
    ASSERT_EQ(0, r.exit) << r.out << r.err;
    const nlohmann::json doc = r.Json();
    EXPECT_EQ(7, doc["device_type"]);
    EXPECT_EQ(0, doc["differences"]) << r.out;
    EXPECT_EQ(doc, nlohmann::json::parse(ReadFile(dir_ + "/check.json")));
    std::set<int> asked;
    for (int command : Commands()) {
        EXPECT_TRUE(readOnly.count(command)) << "check sent command " << command;
        asked.insert(command);
    }
    asked.insert(93);           // status byte 8: pharmacy printers only
    EXPECT_EQ(readOnly, asked); // a PEXA printer is asked everything else
    EXPECT_TRUE(printer().sales.receiptOpen);
}

TEST_F(CliTools, TraceShowsCommandsInWords) {
    const std::string trace = dir_ + "/trace.log";
    ASSERT_EQ(
        0,
        Darvo(
            {"receipt", "-"},
            R"({"lines": [{"name": "Mleko 2% 1l", "quantity": "2", "unit": "szt", "price": "3.49", "rate": "A"}]})",
            {"DARVO_TRACE=" + trace})
            .exit);
    const DarvoRun r = Darvo({"--json", "trace", trace});
    ASSERT_EQ(0, r.exit) << r.err;
    std::vector<std::string> said;
    const nlohmann::json doc = r.Json();
    for (const auto &e : doc["entries"]) {
        if (e["kind"] == "command" && (e["command"] == 6 || e["command"] == 7 || e["command"] == 36))
            said.push_back(e["name"].get<std::string>() + ": " + e["parameters"].get<std::string>() + " / " +
                           e["answer"].get<std::string>());
        if (e["kind"] == "call" && e["function"] == "ReceiptEnd")
            said.push_back("ReceiptEnd -> " + e["result"].dump());
    }
    EXPECT_EQ((std::vector<std::string>{
                  "receipt line: sale \"Mleko 2% 1l\" 2 szt x 3.49 rate A value 6.98 / ",
                  "receipt total: total 6.98 / ",
                  "receipt close:  / ACK",
                  "ReceiptEnd -> 0",
              }),
              said);
    EXPECT_EQ(1, Darvo({"trace", dir_ + "/missing.log"}).exit);
    // A file that is no trace is refused, not shown byte for byte.
    WriteFile(dir_ + "/photo.jpg", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\n\x01\x02", 13));
    const DarvoRun photo = Darvo({"--json", "trace", dir_ + "/photo.jpg"});
    EXPECT_EQ(1, photo.exit);
    EXPECT_EQ(dir_ + "/photo.jpg: not a DARVO_TRACE file (no line begins with the time of an exchange)",
              photo.Json()["error"]["message"]);
}

// The rates and the header as `rates` says them, a change of the rates only
// when something changes.
TEST_F(CliTools, RatesSaidAlikeAndWrittenOnlyWhenTheyChange) {
    // Exempt as each model's reading of the rates carries it.
    EXPECT_EQ("ACK: A exempt, B 8.00%, C unused, D 0.00%, E unused, F unused",
              darvo::cli::DescribeAnswer(
                  208, {0x06, 0x27, 0x10, 0x03, 0x20, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00}));
    EXPECT_EQ("ACK: A exempt, B 8%, C unused, D 0%",
              darvo::cli::DescribeAnswer(112, {0x06, 100, 8, 0xFF, 0}));
    const DarvoRun rates = Darvo({"--json", "rates", "get"});
    nlohmann::json same = rates.Json()["rates"];
    std::vector<std::string> args = {"--json", "rates", "set", "--yes"};
    for (const auto &[letter, value] : same.items())
        args.push_back(letter + "=" + value.get<std::string>());
    const DarvoRun again = Darvo(args);
    EXPECT_EQ(0, again.exit) << again.out;
    EXPECT_EQ(false, again.Json()["changed"]);
    EXPECT_FALSE(Sent(213)) << "the same rates written";
}

// A failure says what to do about it, beside the printer's own text and code.
TEST_F(CliTools, FailuresSayWhatToDo) {
    OnPrinter([](darvosim::Printer &p) { p.fiscal.clockShiftAllowed = false; });
    const std::string busyPath = sim->SlavePath();
    ASSERT_EQ(0, OpenPort(kPort, 9600, 1, 1)); // this program holds COM7
    const DarvoRun busy = Darvo({"--json", "status"});
    ClosePort();
    const DarvoRun missing = Darvo({"--json", "status"}, "", {}, "/nonexistent/tty");
    const DarvoRun shifted = Darvo({"--json", "clock", "shift", "forward", "5"});
    const DarvoRun folder = Darvo({"--json", "receipt", dir_});
    const struct {
        const char *name;
        const DarvoRun &run;
        int exit, code;
        std::string message, hint;
    } cases[] = {
        {"busy", busy, 3, 5, "Zabroniony dostęp do urządzenia.",
         busyPath + " (COM7) is held by another program"},
        {"missing", missing, 3, 2, "System nie potrafi znależć danego urządzenia.",
         "there is no /nonexistent/tty: "},
        {"second shift", shifted, 2, 24, "NAK na sekwencję sterującą.",
         "the printer shifts its clock once per daily report"},
        {"a directory", folder, 1, 0, dir_ + ": a directory, not a file", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.exit, c.run.exit);
        const nlohmann::json error = c.run.Json()["error"];
        EXPECT_EQ(c.code, error.value("code", 0)) << c.run.out;
        EXPECT_EQ(c.message, error.value("message", "")) << c.run.out;
        EXPECT_EQ(0u, error.value("hint", "").rfind(c.hint, 0)) << c.run.out;
    }
}
