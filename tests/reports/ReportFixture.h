// The fixture of the report and service tests: an emulated printer of a
// chosen model, a session opened on it with 1-second time-outs, and a host
// that records what the driver reports upwards.
#pragma once

#include "SimFixture.h"
#include "darvodr/Cp1250.h"
#include "darvodr/Host.h"
#include "darvodr/Receipt.h"
#include "darvodr/Session.h"
#include "darvodr/darvodr.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace darvotest {

class RecordingHost : public darvo::DriverHost {
  public:
    void ShowActivityMessage(const std::string &text) override { activity.push_back(text); }
    void ClockInitProgress(const std::string &text, int position) override {
        progress.emplace_back(text, position);
    }
    std::vector<std::string> activity;
    std::vector<std::pair<std::string, int>> progress;
};

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
        sim->log().Clear();
    }
    void TearDown() override {
        darvo::ReceiptOpen = false;
        CommunicationEnd();
        darvo::SessionReady = true;
        darvo::SetDriverHost(nullptr);
        SimTest::TearDown();
    }
    // Runs `f` on the printer's state under its lock.
    template <typename F> void OnPrinter(F &&f) {
        std::lock_guard<std::recursive_mutex> lock(printer().mutex);
        f(printer());
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
    std::vector<darvosim::Frame> FramesOf(uint8_t command) {
        Frames();
        return sim->log().FramesOf(command);
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
    std::string Roll() { return printer().roll.Text(); }
    uint16_t WriteTimeout() { return darvo::ThePort->WriteTimeoutInForce(); }
    uint16_t ReadTimeout() { return darvo::ThePort->ReadTimeoutInForce(); }

    RecordingHost host;
};

} // namespace darvotest
