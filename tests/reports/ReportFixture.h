// The fixture of the report and service tests: an emulated printer of a
// chosen model, a session opened on it with 1-second time-outs, and a host
// that records what the driver reports upwards.
#pragma once

#include "SimFixture.h"
#include "darvodr/Cp1250.h"
#include "darvodr/Host.h"
#include "darvodr/Receipt.h"
#include "darvodr/Service.h"
#include "darvodr/Session.h"
#include "darvodr/darvodr.h"

#include <array>
#include <string>

namespace darvotest {

class ReportTest : public SimTest {
  protected:
    void SetUp() override {}
    // Starts an emulated printer of this model and a session on it.
    void Begin(int deviceType, int version = -1) {
        StartSim(deviceType, version);
        {
            std::lock_guard<std::recursive_mutex> lock(printer().mutex);
            // A fixed clock keeps dated reports repeatable: 2008-02-07 14:05.
            darvosim::SetSalesClock(printer().sales, darvosim::ClockReading{2008, 2, 7, 14, 5, 0}, true);
        }
        darvo::SetDriverHost(&host);
        ASSERT_EQ(0, CommunicationInit(kPort, 9600, 1));
        Frames(); // the session start's last frame is logged before the log is emptied
        sim->log().Clear();
    }
    // Adds a daily report record to the fiscal memory.
    void AddRecord(int number, int year, int month, int day, int receipts = 1, int64_t totalA = 1000) {
        OnPrinter([&](darvosim::Printer &p) {
            darvosim::DailyRecord r;
            r.number = number;
            r.date = darvosim::Date{year, month, day};
            r.receipts = receipts;
            r.totals[0] = totalA;
            p.fiscal.records.push_back(r);
            p.sales.dailyReportNumber = number;
        });
    }
    // A copy of the printer's state, taken under its lock once it has
    // finished serving every frame so far.
    struct PrinterState {
        darvosim::StatusState status;
        darvosim::SalesState sales;
        darvosim::FiscalState fiscal;
        bool powered = true;
    };
    PrinterState State() {
        Frames();
        darvosim::Printer &p = sim->printer();
        std::lock_guard<std::recursive_mutex> lock(p.mutex);
        return PrinterState{p.status, p.sales, p.fiscal, p.powered};
    }
    bool Printed(const std::string &text) { return printer().roll.Text().find(text) != std::string::npos; }
    // The fiscal mode as the driver reads it (-1: not read).
    int32_t FiscalMode() {
        int32_t mode = -1;
        return darvo::IsFiscalMode(mode) == 0 ? mode : -1;
    }
    // The port is back on the usual time-outs (3 s write, 5 s read).
    void ExpectUsualTimeouts() {
        EXPECT_EQ(3, darvo::ThePort->WriteTimeoutInForce());
        EXPECT_EQ(5, darvo::ThePort->ReadTimeoutInForce());
    }
    // Sends a frame the user program builds itself; the printer's result
    // byte, or -1 when the exchange failed.
    int Raw(uint8_t command, int32_t answerLength, int32_t sendLength, uint8_t *frame) {
        uint8_t answer[256] = {}, result = 0;
        if (RSSequence(command, answerLength, sendLength, answer, frame) != 0) return -1;
        return darvo::ReceiveByte(result) ? result : -1;
    }
    // The settlement report's frame, checked against the unique number's
    // digit pairs and today's date (2008-02-07).
    std::array<uint8_t, 256> SettlementFrame(uint8_t kind) {
        const std::string u = State().sales.uniqueNumber;
        auto sum = [&](int i) { return static_cast<uint8_t>(u[3 + 2 * i] + u[4 + 2 * i]); };
        return {kind, sum(0), sum(1), sum(2), sum(3), 0, 8, 0, 2, 0, 7};
    }

    RecordingHost host;
};

} // namespace darvotest
