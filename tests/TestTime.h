// Bounds on how long a step may take, for a run that may be slow: a
// sanitizer build runs several times slower than an optimised one, and so
// does a test program that shares the machine's cores with the others that
// ctest starts at once and with whatever else the machine does. A bound
// that holds on a quiet machine is scaled by all of it, so that a test fails
// on a step that hangs or waits for a time-out it should not, never on a
// busy machine.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace darvotest {

// How many times slower than a quiet machine and an optimised build this
// run may be. DARVO_TEST_TIME_SCALE sets it outright (a machine slower than
// any of this foresees); otherwise it is the build's factor times the
// machine's: the test programs ctest runs at once (DARVO_TEST_JOBS, which
// test.sh sets) or the load average, whichever is higher, per core.
inline double TimeScale() {
    static const double scale = [] {
        if (const char *set = std::getenv("DARVO_TEST_TIME_SCALE"); set && std::atof(set) > 0)
            return std::atof(set);
        double build = 1.0;
#if defined(__SANITIZE_THREAD__)
        build = 8.0;
#elif defined(__SANITIZE_ADDRESS__)
        build = 3.0;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
        build = 8.0;
#elif __has_feature(address_sanitizer)
        build = 3.0;
#endif
#endif
        const double cores = std::max(1u, std::thread::hardware_concurrency());
        const char *jobs = std::getenv("DARVO_TEST_JOBS");
        double load = 0.0;
        if (::getloadavg(&load, 1) != 1) load = 0.0;
        const double machine = std::max({1.0, (jobs ? std::atof(jobs) : 1.0) / cores, load / cores});
        return build * machine;
    }();
    return scale;
}

// A bound for work that a quiet machine does well within `quiet`.
inline std::chrono::milliseconds Scaled(std::chrono::milliseconds quiet) {
    return std::chrono::milliseconds(
        static_cast<long long>(static_cast<double>(quiet.count()) * TimeScale()));
}

// The same, in seconds.
inline double ScaledSeconds(double quiet) {
    return quiet * TimeScale();
}

} // namespace darvotest
