// The example programs print their receipts on the emulated printer.
#include "SalesFixture.h"

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

using namespace darvotest;

namespace {

class Examples : public SalesTest {
  protected:
    // Runs a command line (bounded by `timeout`, so a hung example cannot
    // hold the suite) and returns its exit status.
    static int Run(const std::string &command) {
        const int status = std::system(("timeout 30 " + command + " >/dev/null").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void StartPrinter() {
        ResetDriver();
        StartSim(7); // the example opens COM7 itself
    }
};

bool SanitizedBuild() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    return true;
#endif
#endif
    return false;
}

} // namespace

TEST_F(Examples, CProgramPrintsItsReceipt) {
    StartPrinter();
    const std::string program = std::string(DARVO_BINARY_DIR) + "/examples/receipt-example";
    ASSERT_TRUE(std::filesystem::exists(program)) << program;
    ASSERT_EQ(0, Run(program + " 7 1"));
    Open(); // the test's own look at the printer, after the example let go of the line
    const std::string roll = Roll();
    EXPECT_NE(std::string::npos, roll.find("Chleb razowy\n")) << roll;
    EXPECT_NE(std::string::npos, roll.find(RollLine("  1,000 kg x 4,50", "4,50 A"))) << roll;
    EXPECT_NE(std::string::npos, roll.find(RollLine("  2 szt x 3,29", "6,58 B"))) << roll;
    EXPECT_NE(std::string::npos, roll.find(RollLine("SUMA PLN", "11,08"))) << roll;
    EXPECT_NE(std::string::npos, roll.find(RollLine("Gotowka", "20,00"))) << roll;
    EXPECT_NE(std::string::npos, roll.find("\nDziekujemy za zakupy\n")) << roll;
    EXPECT_EQ(1, Sales().receiptCounter);
    EXPECT_EQ(1u, Sent(129).size());
    EXPECT_EQ(1u, Sent(9).size());
    EXPECT_EQ(2, Run(program + " 0")); // a bad port number is refused before anything
}

TEST_F(Examples, PythonScriptPrintsItsReceipt) {
    if (SanitizedBuild()) GTEST_SKIP() << "a sanitized library cannot be loaded into python3";
    if (std::system("python3 -c pass >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 is missing";
    StartPrinter();
    const std::string script = std::string(DARVO_SOURCE_DIR) + "/examples/receipt.py";
    ASSERT_EQ(0, Run("python3 " + script + " " + DARVO_SHARED_LIB + " 7 1"));
    Open();
    const std::string roll = Roll();
    EXPECT_NE(std::string::npos, roll.find("Jabłka luz\n")) << roll;
    EXPECT_NE(std::string::npos, roll.find(RollLine("  1,500 kg x 3,99", "5,99 A"))) << roll;
    EXPECT_NE(std::string::npos, roll.find("Sok pomarańczowy 1l\n")) << roll;
    EXPECT_NE(std::string::npos, roll.find(RollLine("SUMA PLN", "11,48"))) << roll;
    EXPECT_NE(std::string::npos, roll.find(RollLine("Karta", "11,48"))) << roll;
    EXPECT_NE(std::string::npos, roll.find("\nŻyczymy miłego dnia\n")) << roll;
    EXPECT_EQ(1, Sales().receiptCounter);
}
