// The GUI tests run headless: one application object for all of them.
#include "serial/Comm.h"
#include "shell/TNivraApplication.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

int main(int argc, char **argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The emulator has no line to settle: the opens of every menu command
    // leave the pause out.
    darvo::LineSettleTime = std::chrono::milliseconds(0);
    // No real serial port takes part: every COM number leads nowhere unless
    // a test maps it to an emulated printer.
    for (int n = 1; n <= 255; ++n)
        ::setenv(("DARVO_COM" + std::to_string(n)).c_str(), "/nonexistent/darvo-port", 1);
    TNivraApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
