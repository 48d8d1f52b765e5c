// Bad input at the edges: ports that name no terminal, trace files that
// cannot be written, emulator state files that are empty, cut short, huge
// or from a newer emulator. Each gives a clear error at once and no file is
// changed.
#include "FaultFixture.h"
#include "StateFile.h"
#include "darvodr/Trace.h"

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace darvotest {
namespace {

std::string ReadAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteAll(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Runs `body` in a child process as the unprivileged user "nobody" and
// returns its exit status (the tests run as root, who may open anything).
int AsNobody(const std::function<int()> &body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(254);
        ::_exit(body() & 0xFF);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class EdgeInput : public FaultTest {};

TEST_F(EdgeInput, PortThatIsNoTerminal) {
    const std::string file = dir_ + "/file", folder = dir_ + "/folder", fifo = dir_ + "/fifo",
                      missing = dir_ + "/missing";
    WriteAll(file, "not a port");
    ASSERT_EQ(0, ::mkdir(folder.c_str(), 0755));
    ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0644));
    struct Case {
        std::string path;
        int32_t code;
        const char *text;
    } cases[] = {
        {file, 6, "Niepoprawny uchwyt do urządzenia, proces przerwany."},
        {folder, 31, "Błędnie określone urządzenie."},
        {fifo, 6, "Niepoprawny uchwyt do urządzenia, proces przerwany."},
        {missing, 2, "System nie potrafi znależć danego urządzenia."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        ::setenv("DARVO_COM7", c.path.c_str(), 1);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(c.code, OpenPort(kPort, 9600, 1, 1));
        EXPECT_EQ(c.text, darvo::LastPortErrorText());
        EXPECT_EQ(c.code, CommunicationInit(kPort, 9600, 1));
        EXPECT_LT(SecondsSince(start), 1.0);
        ClosePort();
    }
    EXPECT_EQ("not a port", ReadAll(file));
    struct stat st {};
    ASSERT_EQ(0, ::stat(file.c_str(), &st));
    EXPECT_EQ(0644u, st.st_mode & 0777);
    ::unlink(file.c_str());
    ::rmdir(folder.c_str());
    ::unlink(fifo.c_str());
}

TEST_F(EdgeInput, PortWithoutPermission) {
    StartSession();
    const std::string slave = sim->SlavePath();
    CommunicationEnd();
    ASSERT_EQ(0, ::chmod(slave.c_str(), 0600));
    EXPECT_EQ(5, AsNobody([&] { return OpenPort(kPort, 9600, 1, 1); }));
    // The printer is still there for those who may use it.
    EXPECT_EQ(0, CommunicationInit(kPort, 9600, 1));
}

TEST_F(EdgeInput, TraceThatCannotBeWritten) {
    StartSession();
    const std::string folder = dir_ + "/trace-folder", fifo = dir_ + "/trace-fifo",
                      readOnly = dir_ + "/trace-readonly";
    ASSERT_EQ(0, ::mkdir(folder.c_str(), 0755));
    ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0644));
    WriteAll(readOnly, "kept\n");
    ASSERT_EQ(0, ::chmod(readOnly.c_str(), 0444));
    struct Case {
        std::string path, reason;
        bool asNobody;
    } cases[] = {
        {folder, "a directory", false},
        {fifo, "a pipe", false},
        {readOnly, "Permission denied", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        ::setenv("DARVO_TRACE", c.path.c_str(), 1);
        ::testing::internal::CaptureStderr();
        const auto start = std::chrono::steady_clock::now();
        if (c.asNobody) {
            // The driver's calls go on as without a trace.
            EXPECT_EQ(0, AsNobody([] {
                          char text[700];
                          return pErrMessage(24, text) + pDllVersion(text);
                      }));
        } else {
            int32_t number = -1;
            EXPECT_EQ(0, ReceiptNumber(&number));
            EXPECT_EQ(0, number);
        }
        EXPECT_LT(SecondsSince(start), 1.0);
        const std::string said = ::testing::internal::GetCapturedStderr();
        if (!c.asNobody) { // the child's standard error is its own
            EXPECT_EQ("darvodr: DARVO_TRACE=" + c.path + ": " + c.reason + "; no trace is written\n", said);
        }
    }
    ::unsetenv("DARVO_TRACE");
    EXPECT_EQ("kept\n", ReadAll(readOnly));
    ::unlink(readOnly.c_str());
    ::unlink(fifo.c_str());
    ::rmdir(folder.c_str());
}

TEST_F(EdgeInput, StateFilesTheEmulatorRefuses) {
    const std::string path = dir_ + "/printer.state";
    std::string good;
    {
        darvosim::Printer printer(7);
        std::string error;
        ASSERT_TRUE(darvosim::SaveState(printer, path, error)) << error;
        good = ReadAll(path);
    }
    const size_t cut = good.find("rates ");
    ASSERT_NE(std::string::npos, cut);
    struct Case {
        const char *what;
        std::string text;
        std::string error; // after "<path>:"
    } cases[] = {
        {"empty", "", "0: the state file is empty"},
        {"cut in a line", good.substr(0, cut + 9), ""},
        {"huge", std::string(20 << 20, '#'),
         " not a darvo-sim state file (20971520 bytes, more than 16777216)"},
        {"newer", "darvo-sim-state 7\nmodel 7\n", "1: unknown state file version 7"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        WriteAll(path, c.text);
        darvosim::Printer printer(7);
        const int before = printer.sales.receiptNumber;
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(darvosim::LoadState(printer, path, error));
        EXPECT_LT(SecondsSince(start), 2.0);
        EXPECT_EQ(0u, error.rfind(path + ":", 0)) << error;
        if (!c.error.empty()) {
            EXPECT_EQ(path + ":" + c.error, error);
        }
        EXPECT_EQ(before, printer.sales.receiptNumber);
        EXPECT_TRUE(ReadAll(path) == c.text); // never replaced
    }
    ::unlink(path.c_str());
}

} // namespace
} // namespace darvotest
