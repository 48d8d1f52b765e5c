// The command exchange: answer lengths, record ends, refusals, time-outs,
// latched line errors, and the exported OpenPort/ClosePort/RSSequence.
#include "SimFixture.h"
#include "darvodr.h"

#include <chrono>
#include <termios.h>
#include <thread>

using namespace darvo;
using namespace darvotest;
using darvosim::Scripted;
using namespace std::chrono;

namespace {

class ExchangeTest : public SimTest {
  protected:
    void SetUp() override {
        SimTest::SetUp();
        Open();
    }
    // An emulator that holds every byte for its transmission time.
    void StartPaced() {
        ClosePort();
        sim.reset();
        darvosim::EmulatorOptions options;
        options.pace = true;
        sim = std::make_unique<darvosim::Emulator>(options);
        ASSERT_TRUE(sim->Start());
        ::setenv("DARVO_COM7", sim->SlavePath().c_str(), 1);
    }
};

} // namespace

TEST_F(ExchangeTest, ParametersFollowTheAckOrAtOnce) {
    sim->Script(0x40, Scripted{B({0x06}), 3, {}});
    sim->Script(0x06, Scripted{{}, 4, {}}); // no answer expected
    sim->Script(0x40, Scripted{B({0x06}), 2, {}});
    const uint8_t params[4] = {0x11, 0x1B, 0xFF, 4};
    uint8_t answer[1] = {0};
    EXPECT_EQ(0, RSSequence(0x40, 1, 3, answer, params));
    EXPECT_EQ(0x06, answer[0]);
    EXPECT_EQ(0, RSSequence(0x06, 0, 4, nullptr, params));
    // 258 travels as 2: only two bytes of the caller's buffer are read.
    auto two = std::make_unique<uint8_t[]>(2);
    two[0] = 7;
    two[1] = 8;
    EXPECT_EQ(0, RSSequence(0x40, 1, 258, answer, two.get()));
    auto frames = Frames(3);
    ASSERT_EQ(3u, frames.size());
    EXPECT_EQ(B({0x1B, 0x40, 0x11, 0x1B, 0xFF}), frames[0].fromHost);
    EXPECT_EQ(B({0x1B, 0x06, 0x11, 0x1B, 0xFF, 4}), frames[1].fromHost);
    EXPECT_EQ(B({0x1B, 0x40, 7, 8}), frames[2].fromHost);
}

TEST_F(ExchangeTest, DataAnswerFillsFromFirstPosition) {
    sim->Script(0x41, Scripted{B({0x06, 0xAA, 0xBB, 0xCC})});
    uint8_t answer[4] = {0, 0, 0, 0x77};
    EXPECT_EQ(0, RSSequence(0x41, 4, 0, answer, nullptr));
    EXPECT_EQ(B({0xAA, 0xBB, 0xCC, 0x77}), darvosim::Bytes(answer, answer + 4)); // only the received bytes
    sim->Script(0x95, Scripted{B({0x20})}); // a command without ACK keeps its status byte
    EXPECT_EQ(0, RSSequence(0x95, 1, 0, answer, nullptr));
    EXPECT_EQ(0x20, answer[0]);
}

TEST_F(ExchangeTest, AnswerEndsAtItsLengthOrAtAnEndMarkOnARecordStart) {
    // Command 0xE7 has 4-byte records and 0xFF on a record start ends the
    // list; elsewhere 0xFF is data.
    const struct {
        uint8_t command;
        darvosim::Bytes answer;
        int length, result;
    } cases[] = {
        {0xE7, B({0x06, 1, 2, 3, 4, 0xFF}), 200, 0}, // does not wait for more
        {0xE7, B({0x06, 1, 0xFF, 0xFF, 0xFF, 5, 6}), 7, 0},
        {0x41, B({0x06, 0xFF, 0x01}), 3, 0},
        {0x41, B({0x06, 1}), 4, 21}, // short
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.answer.size());
        sim->log().Clear();
        sim->Script(c.command, Scripted{c.answer});
        auto start = steady_clock::now();
        EXPECT_EQ(c.result, SendSequence(c.command, c.length, 0, nullptr, nullptr));
        if (c.result) continue;
        EXPECT_LT(steady_clock::now() - start, seconds(1)); // before the read time-out
        EXPECT_EQ(darvosim::Bytes(c.answer.begin() + 1, c.answer.end()),
                  darvosim::Bytes(AnswerBuffer, AnswerBuffer + AnswerCount));
        EXPECT_EQ(c.answer, Frames().at(0).fromPrinter);
    }
}

TEST_F(ExchangeTest, RefusalsAndTheirCodesSendNoParameters) {
    const struct {
        uint8_t first;
        int code;
    } cases[] = {{0x15, 24}, {0x01, 101}, {0x65, 201}, {0xC8, 26}, {0x42, 23}};
    uint8_t params[5] = {9, 9, 9, 9, 9};
    for (auto c : cases) {
        sim->log().Clear();
        sim->Script(0x31, Scripted{B({c.first}), 0, {}});
        uint8_t answer[1];
        EXPECT_EQ(c.code, RSSequence(0x31, 1, 5, answer, params)) << int(c.first);
        EXPECT_EQ(c.first, AnswerBuffer[0]);
        EXPECT_EQ(B({0x1B, 0x31}), Frames().back().fromHost);
    }
}

TEST_F(ExchangeTest, LatchedLineErrorFailsEveryExchangeUntilReopened) {
    ThePort->InjectLineErrors(CE_FRAME);
    ASSERT_TRUE(ThePort->WaitCommEventPosted(Scaled(seconds(2))));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(20, RSSequence(0x23, 1, 0, AnswerBuffer, nullptr));
    EXPECT_EQ(8u, LastPortErrorCode());
    // Nothing went out, not even an escape byte, which the printer would
    // pair with the next command's escape byte (command 27, the discount).
    ASSERT_EQ(0, ClosePort());
    ASSERT_EQ(0, OpenPort(kPort, 9600, 1, 1));
    EXPECT_EQ(0u, LastPortErrorCode());
    EXPECT_EQ(0, RSSequence(0x23, 1, 0, AnswerBuffer, nullptr));
    EXPECT_EQ(darvosim::Bytes({0x1B, 0x23}), Frames(1).at(0).fromHost);
    EXPECT_EQ(1u, Frames().size());
}

TEST_F(ExchangeTest, BackToBackCommandsArriveWhole) {
    // A long parameter block followed at once by the next command: the purge
    // before each command must never eat bytes a completed write handed over.
    uint8_t record[49];
    for (int i = 0; i < 49; ++i)
        record[i] = static_cast<uint8_t>(i + 1);
    for (bool paced : {false, true}) {
        SCOPED_TRACE(paced);
        if (paced) {
            StartPaced();
            Open(28800);
        }
        sim->Script(0x06, Scripted{{}, 49, {}, false, -1});
        const int rounds = paced ? 3 : 10;
        for (int round = 0; round < rounds; ++round) {
            ASSERT_EQ(0, RSSequence(0x06, 0, 49, nullptr, record));
            ASSERT_EQ(0, RSSequence(0xFF, 2, 0, AnswerBuffer, nullptr));
        }
        auto frames = Frames(2 * rounds);
        ASSERT_EQ(2u * rounds, frames.size());
        for (size_t i = 0; i < frames.size(); i += 2) {
            EXPECT_EQ(0x06, frames[i].command);
            EXPECT_EQ(B({0x1B, 0x06}),
                      darvosim::Bytes(frames[i].fromHost.begin(), frames[i].fromHost.begin() + 2));
            EXPECT_EQ(darvosim::Bytes(record, record + 49),
                      darvosim::Bytes(frames[i].fromHost.begin() + 2, frames[i].fromHost.end()));
            EXPECT_EQ(B({0x1B, 0xFF}), frames[i + 1].fromHost);
            EXPECT_EQ(B({0x06, 44}), frames[i + 1].fromPrinter);
        }
    }
}

TEST_F(ExchangeTest, PacedLineHoldsEveryByteBothWays) {
    // Each byte reaches the other side one transmission time (11 bits) after
    // the line was free: the host's too, and the answer not before the
    // command byte has arrived.
    StartPaced();
    Open(9600);
    ASSERT_EQ(0, RSSequence(0xFF, 2, 0, AnswerBuffer, nullptr));
    Frames(1);
    const auto entries = sim->log().Entries();
    ASSERT_EQ(4u, entries.size());
    const double byteTime = 11.0 / 9600;
    for (size_t i = 1; i < entries.size(); ++i)
        EXPECT_GE(entries[i].seconds - entries[i - 1].seconds, byteTime * 0.999) << i;
    EXPECT_TRUE(entries[1].fromHost);
    EXPECT_FALSE(entries[2].fromHost);
}

TEST_F(ExchangeTest, ExchangeOnAClosedPortFailsWithoutSending) {
    ASSERT_EQ(0, ClosePort());
    EXPECT_EQ(0, ClosePort());
    EXPECT_EQ(20, RSSequence(0x23, 1, 0, AnswerBuffer, nullptr));
    uint8_t record[3] = {1, 2, 3};
    EXPECT_EQ(20, RSSequence(0x06, 0, 3, nullptr, record)); // never reported as sent
    uint8_t byte;
    EXPECT_FALSE(ReceiveByte(byte));
    EXPECT_EQ("Przerwany zapis ", LastPortErrorText());
}

TEST_F(ExchangeTest, NullPointersAndNegativeLengthsSendNothing) {
    uint8_t buffer[4] = {};
    EXPECT_EQ(225, RSSequence(0x40, 0, 3, buffer, nullptr));
    EXPECT_EQ(225, RSSequence(0x23, 1, 0, nullptr, buffer));
    EXPECT_EQ(215, RSSequence(0x40, 0, -1, buffer, buffer));
    EXPECT_EQ(215, RSSequence(0x40, -5, 0, buffer, buffer));
    EXPECT_EQ(0, RSSequence(0x23, 1, 0, buffer, nullptr));
    auto frames = Frames();
    ASSERT_EQ(1u, frames.size()); // only the last call reached the printer
    EXPECT_EQ(B({0x1B, 0x23}), frames[0].fromHost);
}

TEST_F(ExchangeTest, TimeoutsChangeOnAnOpenPortOnly) {
    // A read time-out of 0: a silent printer fails the exchange at once.
    ASSERT_TRUE(SetPortTimeouts(1, 0));
    EXPECT_EQ(0, ThePort->ReadTimeoutInForce());
    sim->Script(0x23, Scripted{});
    auto start = steady_clock::now();
    EXPECT_EQ(21, RSSequence(0x23, 1, 0, AnswerBuffer, nullptr));
    EXPECT_LT(steady_clock::now() - start, seconds(1)); // not the 1-second one it replaced

    ASSERT_EQ(0, ClosePort());
    EXPECT_FALSE(SetPortTimeouts(2, 2));
    EXPECT_EQ(" Błąd odczytu aktualnych czasów.", LastPortErrorText());
    EXPECT_EQ(6u, LastPortErrorCode());
}

TEST_F(ExchangeTest, CloseFromAnotherThreadEndsAWaitingExchange) {
    ASSERT_EQ(0, ClosePort());
    ASSERT_EQ(0, OpenPort(kPort, 9600, 5, 5));
    sim->Script(0x23, Scripted{}); // the printer says nothing
    int32_t result = -1;
    auto start = steady_clock::now();
    std::thread host([&] { result = RSSequence(0x23, 1, 0, AnswerBuffer, nullptr); });
    ASSERT_TRUE(sim->log().WaitForHostBytes(2, Scaled(seconds(1))));
    EXPECT_EQ(0, ClosePort());
    host.join();
    EXPECT_LT(steady_clock::now() - start, seconds(5)); // cut short
    // Usually the host waits for the answer by now; the close may still
    // catch the end of the command byte's write.
    if (result == 20) {
        EXPECT_EQ("Zapis przerwany.", LastPortErrorText());
    } else {
        EXPECT_EQ(21, result);
        EXPECT_EQ("Przerwany zapis ", LastPortErrorText());
    }

    // Output held back: the exchange ends with 20, at once.
    ASSERT_EQ(0, OpenPort(kPort, 9600, 5, 5));
    ASSERT_EQ(0, ::tcflow(sim->SlaveDescriptor(), TCOOFF));
    start = steady_clock::now();
    host = std::thread([&] { result = RSSequence(0x23, 1, 0, AnswerBuffer, nullptr); });
    EXPECT_EQ(0, ClosePort());
    host.join();
    ::tcflow(sim->SlaveDescriptor(), TCOON);
    EXPECT_EQ(20, result);
    EXPECT_LT(steady_clock::now() - start, seconds(5));
    EXPECT_EQ("Zapis przerwany.", LastPortErrorText());
}

TEST_F(ExchangeTest, PrinterGoneFailsEveryExchangeAtOnce) {
    sim->Script(0x41, Scripted{B({0x06, 1}), 0, {}, true}); // the line closes mid-frame
    auto start = steady_clock::now();
    EXPECT_EQ(21, SendSequence(0x41, 4, 0, nullptr, nullptr));
    EXPECT_LT(steady_clock::now() - start, seconds(1) + Scaled(milliseconds(300))); // one read time-out
    for (int i = 0; i < 2; ++i) {
        start = steady_clock::now();
        EXPECT_EQ(20, RSSequence(0x23, 1, 0, AnswerBuffer, nullptr));
        EXPECT_LT(steady_clock::now() - start, seconds(1)); // before the write time-out
        EXPECT_EQ("Niepoprawny zapis do portu.", LastPortErrorText());
    }
    EXPECT_EQ(0, ClosePort());
    EXPECT_EQ(2, OpenPort(kPort, 9600, 1, 1));
    EXPECT_EQ("System nie potrafi znależć danego urządzenia.", LastPortErrorText());
    EXPECT_EQ(20, RSSequence(0x23, 1, 0, AnswerBuffer, nullptr));
}

// A second open is refused with code 5, the open port left as it was; so is
// speed 0.
TEST_F(ExchangeTest, SecondOpenAndSpeedZeroAreRefused) {
    EXPECT_EQ(5, OpenPort(kPort, 9600, 1, 1));
    EXPECT_EQ("Ten port jest już zainicjowany", LastPortErrorText());
    EXPECT_TRUE(ThePort->IsOpen());
    EXPECT_EQ(0, RSSequence(0x23, 1, 0, AnswerBuffer, nullptr));
    ASSERT_EQ(0, ClosePort());
    const uint32_t speedBefore = sim->LineSpeed();
    EXPECT_EQ(87, OpenPort(kPort, 0, 1, 1));
    EXPECT_EQ("Błąd podczas aktualizacji bloku kontroli danych.", LastPortErrorText());
    EXPECT_EQ(speedBefore, sim->LineSpeed());
    // As after any failure past the open itself, the port stays open until closed.
    EXPECT_EQ(5, OpenPort(kPort, 9600, 1, 1));
    EXPECT_EQ(0, ClosePort());
    EXPECT_EQ(0, OpenPort(kPort, 9600, 1, 1));
    EXPECT_EQ(0, RSSequence(0x23, 1, 0, AnswerBuffer, nullptr));
}
