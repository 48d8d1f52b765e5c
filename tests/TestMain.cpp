#include "serial/Comm.h"

#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
    // The emulator has no line to settle: the thousands of opens in the
    // tests leave the pause out, but for the case that measures it.
    darvo::LineSettleTime = std::chrono::milliseconds(0);
    // The machine's own port map takes no part: a COM number a test does not
    // map itself opens /dev/ttyS<n-1>, the same everywhere.
    ::setenv("DARVO_PORTS_FILE", "/nonexistent/darvo-ports.conf", 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
