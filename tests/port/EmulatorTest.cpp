// darvo-sim from the command line (its path, link, wire log and exit on
// SIGTERM: PublicHeader.CProgramFollowsAPrintout...), and the emulator.
#include "SimFixture.h"

#include <chrono>
#include <unistd.h>

TEST(DarvoSim, RefusesBadOptions) {
    for (const char *args : {"--model 12", "--search-time -1", "--bogus"}) {
        std::string said;
        EXPECT_EQ(2, darvotest::RunCommand(std::string(DARVO_SIM_PATH " ") + args, said))
            << args << ": " << said;
    }
}

TEST(Emulator, StopsWhileTheHostReadsNothing) {
    // An answer far longer than the line holds, and a host that never reads it.
    darvosim::Emulator sim;
    ASSERT_TRUE(sim.Start()) << sim.Error();
    sim.Script(0x41, darvosim::Scripted{darvosim::Bytes(200000, 0x06)});
    ASSERT_EQ(2, ::write(sim.SlaveDescriptor(), "\x1B\x41", 2));
    ASSERT_TRUE(sim.log().WaitForHostBytes(2, darvotest::Scaled(std::chrono::seconds(1))));
    const auto start = std::chrono::steady_clock::now();
    sim.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, darvotest::Scaled(std::chrono::milliseconds(300)));
}

TEST(Emulator, FrameWithoutItsCommandByteEndsAfterTheParameterTimeout) {
    darvosim::EmulatorOptions options;
    options.parameterTimeout = std::chrono::milliseconds(50);
    darvosim::Emulator sim(options);
    ASSERT_TRUE(sim.Start()) << sim.Error();
    ASSERT_EQ(1, ::write(sim.SlaveDescriptor(), "\x1B", 1)); // a lone escape byte
    EXPECT_TRUE(sim.WaitForFrames(1, darvotest::Scaled(std::chrono::seconds(1))));
    EXPECT_EQ(1, sim.FrameCount());
    ASSERT_EQ(2, ::write(sim.SlaveDescriptor(), "\x1B\x23", 2)); // the next frame is served
    EXPECT_TRUE(sim.WaitForFrames(2, darvotest::Scaled(std::chrono::seconds(1))));
    EXPECT_EQ(darvotest::B({0x06}), sim.log().FramesOf(0x23).at(0).fromPrinter);
}
