// The user program's event loop while the driver waits long for the printer:
//
//   EventLoopPause/Erase   InitClock on a PEXA that sends its 16 progress
//                          bytes 250 ms apart while it erases its memory;
//   EventLoopPause/Report  a period report by numbers, whose result byte the
//                          printer sends after searching its fiscal memory
//                          for 5 s (the driver waits up to 90 s for it).
//
// The program's windows are built in this process, as nivrasw builds them,
// and the driver calls its host; a 10 ms timer of the event loop notes each
// tick. Figure: the longest time between two ticks (or between the call's
// start or end and the nearest tick), in milliseconds.
#include "shell/TGlowneOkno.h"
#include "shell/TNivraApplication.h"

#include "Emulator.h"
#include "darvodr/Reports.h"
#include "darvodr/Service.h"
#include "darvodr/Session.h"
#include "darvodr/darvodr.h"

#include <benchmark/benchmark.h>

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPort = 5;

// One application object for the run, headless. It is never destroyed: at
// exit, Qt's own globals may be gone before it.
void EnsureApplication() {
    static TNivraApplication *app = nullptr;
    if (app) return;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "darvo_bench";
    static char *argv[] = {name, nullptr};
    app = new TNivraApplication(argc, argv);
}

// Runs `call` with the program's windows in place and a 10 ms timer on the
// event loop; sets the longest pause and the call's duration.
void MeasurePauses(benchmark::State &state, const std::function<void(darvosim::Printer &)> &prepare,
                   const std::function<int32_t()> &call) {
    EnsureApplication();
    darvosim::Emulator sim(darvosim::EmulatorOptions{});
    if (!sim.Start()) return state.SkipWithError(("no emulator: " + sim.Error()).c_str());
    {
        std::lock_guard<std::recursive_mutex> lock(sim.printer().mutex);
        prepare(sim.printer());
    }
    ::setenv(("DARVO_COM" + std::to_string(kPort)).c_str(), sim.SlavePath().c_str(), 1);
    auto window = std::make_unique<TGlowneOkno>();
    window->ChoosePort({kPort, 9600});
    // A session of its own, whatever an earlier benchmark left.
    if (int32_t code = CommunicationInit(kPort, 9600, 5); code != 0) {
        return state.SkipWithError(("CommunicationInit returned " + std::to_string(code)).c_str());
    }

    double longest = 0, wall = 0;
    int ticks = 0;
    for (auto _ : state) {
        Clock::time_point last = Clock::now();
        const Clock::time_point start = last;
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            const Clock::time_point now = Clock::now();
            longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
            ++ticks;
        });
        timer.start();
        const int32_t result = call();
        const Clock::time_point end = Clock::now();
        timer.stop();
        longest = std::max(longest, std::chrono::duration<double, std::milli>(end - last).count());
        wall = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(wall);
        if (result != 0) state.SkipWithError(("the driver returned " + std::to_string(result)).c_str());
    }
    CommunicationEnd();
    window.reset();
    sim.Stop();
    state.counters["longest_pause_ms"] = longest;
    state.counters["wait_s"] = wall;
    state.counters["ticks"] = ticks;
}

void EventLoopErase(benchmark::State &state) {
    MeasurePauses(
        state,
        [](darvosim::Printer &p) {
            p.status.cmosErased = true;
            p.progressTime = std::chrono::milliseconds(250);
        },
        [] { return darvo::InitClock(8, 2, 7, 12, 0, 0); });
}
BENCHMARK(EventLoopErase)->Name("EventLoopPause/Erase")->Iterations(1)->UseManualTime();

void EventLoopReport(benchmark::State &state) {
    MeasurePauses(
        state,
        [](darvosim::Printer &p) {
            p.fiscal.records.push_back({1, {8, 2, 7}, 1});
            p.searchTime = std::chrono::milliseconds(5000);
        },
        [] {
            const uint8_t numbers[12] = {1, 0, 1, 0}; // daily reports 1 to 1, short
            return darvo::PeriodReportCommand(4, numbers);
        });
}
BENCHMARK(EventLoopReport)->Name("EventLoopPause/Report")->Iterations(1)->UseManualTime();

} // namespace
