// Bad input at the edges: ports that name no terminal, trace files that
// cannot be written (state files: StateFileTest.DamagedFileRefusedWithItsLine).
// Each gives a clear error at once and no file is changed.
#include "FaultFixture.h"
#include "darvodr/Trace.h"

#include <sys/stat.h>
#include <tuple>

namespace darvotest {
namespace {

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
    WriteFile(file, "not a port");
    ASSERT_EQ(0, ::mkdir(folder.c_str(), 0755));
    ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0644));
    const std::string badHandle = "Niepoprawny uchwyt do urządzenia, proces przerwany.";
    const std::tuple<std::string, int32_t, std::string> cases[] = {
        {file, 6, badHandle},
        {folder, 31, "Błędnie określone urządzenie."},
        {fifo, 6, badHandle},
        {"/dev/null", 6, badHandle}, // a character device, but no terminal
        {missing, 2, "System nie potrafi znależć danego urządzenia."},
    };
    for (const auto &[path, code, text] : cases) {
        SCOPED_TRACE(path);
        ::setenv("DARVO_COM7", path.c_str(), 1);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(code, OpenPort(kPort, 9600, 1, 1));
        EXPECT_EQ(text, darvo::LastPortErrorText());
        EXPECT_EQ(static_cast<uint32_t>(code), darvo::LastPortErrorCode());
        EXPECT_FALSE(darvo::ProbePort(kPort));
        EXPECT_EQ(code, CommunicationInit(kPort, 9600, 1));
        EXPECT_FALSE(darvo::SessionReady);
        EXPECT_LT(SecondsSince(start), ScaledSeconds(0.3));
        ClosePort();
    }
    EXPECT_EQ("not a port", ReadFile(file));
    struct stat st {};
    ASSERT_EQ(0, ::stat(file.c_str(), &st));
    EXPECT_EQ(0644u, st.st_mode & 0777);
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
                      readOnly = dir_ + "/trace-readonly", missing = dir_ + "/missing/trace.log";
    ASSERT_EQ(0, ::mkdir(folder.c_str(), 0755));
    ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0644)); // nobody reads it
    WriteFile(readOnly, "kept\n");
    ASSERT_EQ(0, ::chmod(readOnly.c_str(), 0444));
    // The driver's calls go on as without a trace.
    for (const auto &[path, reason] : {std::pair{folder, "a directory"}, std::pair{fifo, "a pipe"},
                                       std::pair{missing, "No such file or directory"}}) {
        SCOPED_TRACE(path);
        ::setenv("DARVO_TRACE", path.c_str(), 1);
        ::testing::internal::CaptureStderr();
        const auto start = std::chrono::steady_clock::now();
        int32_t number = -1;
        EXPECT_EQ(0, ReceiptNumber(&number));
        EXPECT_EQ(0, number);
        EXPECT_LT(SecondsSince(start), ScaledSeconds(0.3));
        EXPECT_EQ("darvodr: DARVO_TRACE=" + path + ": " + reason + "; no trace is written\n",
                  ::testing::internal::GetCapturedStderr());
    }
    ::setenv("DARVO_TRACE", readOnly.c_str(), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0, AsNobody([] {
                  char text[700];
                  return pErrMessage(24, text) + pDllVersion(text);
              }));
    EXPECT_LT(SecondsSince(start), ScaledSeconds(0.3));
    ::unsetenv("DARVO_TRACE");
    EXPECT_EQ("kept\n", ReadFile(readOnly));
}

} // namespace
} // namespace darvotest
