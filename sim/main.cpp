// darvo-sim: an emulated DARVO fiscal printer on a pseudo-terminal.
#include "Emulator.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace darvosim;

namespace {

void Usage(std::FILE *out) {
    std::fputs("Usage: darvo-sim [--model N] [--version V] [--link PATH] [--pace] [--log FILE] [--roll FILE]\n"
               "\n"
               "Plays a DARVO fiscal printer on a new pseudo-terminal and prints its path.\n"
               "  --model N     device type 0..9 (default 7, PEXA):\n"
               "                0 KT820A 5-rate, 1 KT820A 7-rate, 2 NIVRA 1st gen., 3 NIVRA 2nd gen.,\n"
               "                4 KT820B 5-rate, 5 KT820B 7-rate, 6 NIVRA F, 7 PEXA, 8 PEXA F, 9 other\n"
               "  --version V   program version reported by the newer models\n"
               "  --link PATH   also make PATH a symbolic link to the pseudo-terminal\n"
               "  --pace        hold each byte for its transmission time at the line speed\n"
               "  --log FILE    append the wire log (every byte, both directions) to FILE\n"
               "  --roll FILE   append the paper roll (everything printed) to FILE\n"
               "Runs until interrupted (SIGINT or SIGTERM).\n",
               out);
}

bool ParseInt(const char *text, int low, int high, int &value) {
    char *end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < low || v > high) return false;
    value = static_cast<int>(v);
    return true;
}

} // namespace

int main(int argc, char **argv) {
    EmulatorOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&](const char *what) -> const char * {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "darvo-sim: %s needs %s\n", a.c_str(), what);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--model") {
            if (!ParseInt(next("a number"), 0, 9, options.deviceType)) {
                std::fprintf(stderr, "darvo-sim: --model takes 0..9\n");
                return 2;
            }
        } else if (a == "--version") {
            if (!ParseInt(next("a number"), 0, 255, options.version)) {
                std::fprintf(stderr, "darvo-sim: --version takes 0..255\n");
                return 2;
            }
        } else if (a == "--link") {
            options.linkPath = next("a path");
        } else if (a == "--pace") {
            options.pace = true;
        } else if (a == "--log") {
            options.logPath = next("a file");
        } else if (a == "--roll") {
            options.rollPath = next("a file");
        } else if (a == "--help" || a == "-h") {
            Usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "darvo-sim: unknown option %s\n", a.c_str());
            Usage(stderr);
            return 2;
        }
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr); // threads started below inherit the mask

    Emulator emulator(options);
    if (!emulator.Start()) {
        std::fprintf(stderr, "darvo-sim: %s\n", emulator.Error().c_str());
        return 1;
    }
    std::printf("%s\n", emulator.SlavePath().c_str());
    std::fflush(stdout);

    int sig = 0;
    sigwait(&signals, &sig);
    emulator.Stop();
    return 0;
}
