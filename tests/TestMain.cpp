#include "serial/Comm.h"

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    // The emulator has no line to settle: the thousands of opens in the
    // tests leave the pause out, but for the case that measures it.
    darvo::LineSettleTime = std::chrono::milliseconds(0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
