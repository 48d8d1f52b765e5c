// The public header from C and C++ programs, a C program driving the
// command-line emulator through libdarvodr.so, and the wire trace.
#include "ChildProcess.h"
#include "SimFixture.h"
#include "darvodr/darvodr.h"

#include <csignal>
#include <string>
#include <vector>

using namespace darvotest;

namespace {

// Builds a program from one source file in this folder against the header
// and the shared library, in `dir`, with the compiler (and sanitizers) of
// this build.
std::string Build(const ScratchDir &dir, const std::string &compiler, const std::string &source,
                  const std::string &flags) {
    const std::string lib = DARVO_SHARED_LIB;
    const std::string libDir = lib.substr(0, lib.rfind('/'));
    const std::string out = dir / source.substr(0, source.find('.'));
    std::string log;
    const std::string command = compiler + " " + flags + " -I" DARVO_SOURCE_DIR "/darvodr " +
                                DARVO_SOURCE_DIR "/tests/session/" + source + " -o " + out + " " + lib +
                                " -Wl,-rpath," + libDir;
    int rc = RunCommand(command, log);
    EXPECT_EQ(0, rc) << command << "\n" << log;
    return rc == 0 ? out : "";
}

} // namespace

TEST(PublicHeader, CompilesAsCAndCxx) {
    std::string log;
    // C from 1999 on and C++ from 2011 on, without a single warning.
    const std::pair<const char *, const char *> builds[] = {{"cc -std=c99", "c_client.c"},
                                                            {"cc -std=c11", "c_client.c"},
                                                            {"c++ -std=c++11", "cxx_client.cc"},
                                                            {"c++ -std=c++20", "cxx_client.cc"}};
    for (const auto &[compiler, source] : builds) {
        const std::string command = std::string(compiler) +
                                    " -fsyntax-only -Wall -Wextra -Werror -pedantic -I" +
                                    DARVO_SOURCE_DIR "/darvodr " DARVO_SOURCE_DIR "/tests/session/" + source;
        EXPECT_EQ(0, RunCommand(command, log)) << command << "\n" << log;
    }
}

TEST(PublicHeader, CxxProgramUsesTheStringFunctions) {
    const ScratchDir dir;
    const std::string program = Build(dir, DARVO_CXX, "cxx_client.cc", "-std=c++17 -Wall");
    ASSERT_FALSE(program.empty());
    std::string output;
    ::unsetenv("DARVO_TRACE");
    ASSERT_EQ(0, RunCommand(program, output)) << output;
    std::string author;
    DllAuthor(author);
    // Before any session the driver counts as ready with an unknown device.
    EXPECT_EQ("0 10.00|0 " + std::to_string(author.size()) + "|0 621|0 10.00|0 INNE URZ\245DZENIE\n", output);
}

TEST(PublicHeader, CProgramFollowsAPrintoutOnTheCommandLineEmulator) {
    const ScratchDir dir;
    const std::string program = Build(dir, DARVO_CC, "c_client.c", "-std=c99 -Wall");
    ASSERT_FALSE(program.empty());
    const std::string wire = dir / "wire.log", link = dir / "printer";

    // darvo-sim prints its pseudo-terminal's path and links it.
    Child sim;
    ASSERT_TRUE(sim.Start({DARVO_SIM_PATH, "--model", "8", "--version", "5", "--print-time", "1000", "--link",
                           link, "--log", wire}));
    const std::string path = sim.Line();
    ASSERT_EQ(0u, path.rfind("/dev/pts/", 0)) << path;
    EXPECT_EQ(path, std::filesystem::read_symlink(link).string());

    ::setenv("DARVO_COM7", link.c_str(), 1);
    Child client;
    ASSERT_TRUE(client.Start({program, "7", "8"}));
    ::unsetenv("DARVO_COM7");
    EXPECT_EQ("init 0", client.Line());
    EXPECT_EQ("name 0 Nowa drukarka fiskalna (apteczna)", client.Line());
    EXPECT_EQ("null 225", client.Line());

    EXPECT_EQ("ok", sim.Ask("print"));
    client.Say("go");
    EXPECT_EQ("control 0", client.Line());
    EXPECT_EQ("text 0 NAK na sekwencj\xEA steruj\xB9\x63\xB9.", client.Line());
    EXPECT_EQ("end 0", client.Line());
    EXPECT_EQ(0, client.Wait());

    ::kill(sim.pid, SIGTERM);
    EXPECT_EQ(0, sim.Wait());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link))); // cleaned up

    // The printout was followed on the wire: "printing" answers, then idle.
    const std::string log = ReadFile(wire);
    EXPECT_NE(std::string::npos, log.find("host> 1B 23")) << log.substr(0, 400);
    EXPECT_NE(std::string::npos, log.find("<prn  06 7D 05 00")) << log; // the version given
    const size_t printing = log.find("<prn  01");
    ASSERT_NE(std::string::npos, printing) << log.substr(0, 400);
    EXPECT_NE(std::string::npos, log.find("<prn  00", printing));
    // mode 0 on a PEXA F: status byte 2 is not read while following it
    EXPECT_EQ(std::string::npos, log.find("host> 1B 94", printing));
}

namespace {

class WireTrace : public SimTest {
  protected:
    void TearDown() override {
        ::unsetenv("DARVO_TRACE");
        SimTest::TearDown();
    }
    const ScratchDir dir;
};

} // namespace

TEST_F(WireTrace, EveryCallAndEveryByte) {
    const std::string path = dir / "trace.log";
    ::setenv("DARVO_TRACE", path.c_str(), 1);
    ASSERT_EQ(0, CommunicationInit(kPort, 9600, 1));
    std::string text;
    EXPECT_EQ(0, ErrMessage(24, text));
    sim->Script(0x95, darvosim::Scripted{}); // silent: the call fails after its time-out
    EXPECT_EQ(21, PrintControl(1, 7));
    EXPECT_EQ(225, pDeviceName(nullptr));

    const std::vector<std::string> expected = {
        "-- command 35 (0x23)",   ">> 1B 23",        "<< 06",              //
        "-- command 149 (0x95)",  ">> 1B 95",        "<< 00",              //
        "-- command 149 (0x95)",  ">> 1B 95",        "<< 00",              //
        "-- command 148 (0x94)",  ">> 1B 94",        "<< 00",              //
        "-- command 149 (0x95)",  ">> 1B 95",        "<< 00",              //
        "-- command 255 (0xFF)",  ">> 1B FF",        "<< 06 2C",           //
        "-- command 254 (0xFE)",  ">> 1B FE",        "<< 06 7C 07 00",     //
        "CommunicationInit -> 0", "ErrMessage -> 0",                       //
        "-- command 149 (0x95)",  ">> 1B 95",        "PrintControl -> 21", //
        "pDeviceName -> 225",
    };
    EXPECT_EQ(expected, TraceLines(path));
}
