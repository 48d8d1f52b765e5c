// darvo-soak: many receipts through the driver against darvo-sim (a child
// process, so that only the driver's memory is measured here), with random
// faults on the line, then many session opens and closes. Prints resident
// memory, open descriptors and threads, and checks that every receipt is
// on the printer's paper roll exactly once.
//
//   darvo-soak SIM_PATH [--receipts N] [--seconds S] [--cycles N] [--fault-rate P] [--seed N]
#include "ChildProcess.h"
#include "darvodr/darvodr.h"
#include "serial/Comm.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <unistd.h>

namespace {

constexpr uint8_t kPort = 1;

long ResidentKiB() {
    std::ifstream in("/proc/self/status");
    std::string key;
    long value = 0;
    while (in >> key) {
        if (key == "VmRSS:") {
            in >> value;
            return value;
        }
        in.ignore(1 << 12, '\n');
    }
    return -1;
}

int Entries(const char *dir) {
    int n = 0;
    if (DIR *d = ::opendir(dir)) {
        while (dirent *e = ::readdir(d))
            n += e->d_name[0] != '.';
        ::closedir(d);
    }
    return n;
}

int32_t PrintReceipt(int k) {
    int32_t rc = ReceiptBegin();
    uint32_t value = 0;
    if (rc == 0) rc = pReceiptItem(1, "Chleb razowy", 1, 0, 1 + k % 3, 0, "szt", 350, &value);
    value = 0;
    if (rc == 0) rc = pReceiptItem(1, "Mleko 2%", 2, 0, 1, 0, "l", 299, &value);
    if (rc == 0) rc = ReceiptEnd(0);
    return rc;
}

// What a point-of-sale program does after a failed receipt: start the
// session again (the printer ends a receipt it still holds), end the
// receipt the driver still holds, and read the receipt number.
int32_t Recover(int32_t &number) {
    int32_t rc = 0;
    for (int attempt = 0; attempt < 5; ++attempt)
        if ((rc = CommunicationInit(kPort, 9600, 1)) == 0) break;
    if (rc != 0) return rc;
    rc = ReceiptNumber(&number);
    if (rc == 200) { // the driver still holds the receipt
        if (ReceiptCancel() == 24) ReceiptEnd(0);
        rc = ReceiptNumber(&number);
    }
    return rc;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: darvo-soak SIM_PATH [--receipts N] [--seconds S] [--cycles N] "
                             "[--fault-rate P] [--seed N]\n");
        return 2;
    }
    const std::string simPath = argv[1];
    // The emulator has no line to settle: the thousand open/close cycles
    // leave the pause after each open out.
    darvo::LineSettleTime = std::chrono::milliseconds(0);
    double receipts = 10000, seconds = 0, cycles = 1000, faultRate = 0.01, seed = 1;
    const std::map<std::string, double *> options = {{"--receipts", &receipts},
                                                     {"--seconds", &seconds},
                                                     {"--cycles", &cycles},
                                                     {"--fault-rate", &faultRate},
                                                     {"--seed", &seed}};
    for (int i = 2; i + 1 < argc; i += 2)
        if (options.count(argv[i])) *options.at(argv[i]) = std::atof(argv[i + 1]);
    char dirTemplate[] = "/tmp/darvo-soak-XXXXXX";
    if (!::mkdtemp(dirTemplate)) return 1;
    const std::string dir = dirTemplate, link = dir + "/com1", roll = dir + "/roll.txt";
    ::setenv("DARVO_COM1", link.c_str(), 1);
    // The emulated printer, driven through its standard input; its first
    // line is the terminal's path.
    darvotest::Child sim;
    if (!sim.Start({simPath, "--model", "7", "--link", link, "--roll", roll, "--print-time", "1"}) ||
        sim.Line() == "<eof>") {
        std::fprintf(stderr, "darvo-soak: the emulated printer did not start\n");
        return 1;
    }

    std::mt19937 random(static_cast<uint32_t>(seed));
    std::uniform_real_distribution<double> chance(0, 1);
    const char *kinds[] = {"hangup", "remove", "poweroff", "noanswer", "nak", "garbage", "truncate"};
    int failures = 0;
    if (CommunicationInit(kPort, 9600, 1) != 0) {
        std::fprintf(stderr, "darvo-soak: no session with the printer\n");
        return 1;
    }
    int32_t number = 0;
    ReceiptNumber(&number);
    const int32_t first = number;
    long printed = 0, faults = 0, reprinted = 0, done = 0;
    long warmRss = -1;
    const int fdsAtStart = Entries("/proc/self/fd"), threadsAtStart = Entries("/proc/self/task");
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    const long warmUp = 200;
    for (long k = 0; seconds > 0 ? elapsed() < seconds : k < receipts; ++k) {
        if (k == warmUp) warmRss = ResidentKiB();
        const bool fault = chance(random) < faultRate;
        if (fault) {
            ++faults;
            const std::string kind = kinds[random() % 7];
            sim.Ask("fault " + kind + " " + std::to_string(random() % 150));
        }
        const int32_t before = number;
        int32_t rc = PrintReceipt(static_cast<int>(k));
        if (fault) {
            sim.Ask("fault clear");
            if (rc != 0) sim.Ask("replug");
        }
        if (rc == 0) {
            if (ReceiptNumber(&number) != 0 || number != before + 1) {
                std::fprintf(stderr, "receipt %ld: success reported, receipt number %d -> %d\n", k, before,
                             number);
                ++failures;
            }
        } else {
            if (Recover(number) != 0) {
                std::fprintf(stderr, "receipt %ld: no recovery after %d\n", k, rc);
                ++failures;
                break;
            }
            if (number == before) { // it never printed: print it again
                ++reprinted;
                if (PrintReceipt(static_cast<int>(k)) != 0 || ReceiptNumber(&number) != 0 ||
                    number != before + 1) {
                    std::fprintf(stderr, "receipt %ld: printing it again failed\n", k);
                    ++failures;
                }
            } else if (number != before + 1) {
                std::fprintf(stderr, "receipt %ld: receipt number %d -> %d\n", k, before, number);
                ++failures;
            }
        }
        printed = number - first;
        ++done;
    }
    const long rssAfterReceipts = ResidentKiB();
    const int fdsAfterReceipts = Entries("/proc/self/fd"), threadsAfterReceipts = Entries("/proc/self/task");

    long cyclesDone = 0;
    for (; cyclesDone < cycles; ++cyclesDone) {
        if (CommunicationInit(kPort, 9600, 1) != 0 || CommunicationEnd() != 0) {
            std::fprintf(stderr, "open/close cycle %ld failed\n", cyclesDone);
            ++failures;
            break;
        }
    }
    // Measured with a session open, as at the start.
    if (CommunicationInit(kPort, 9600, 1) != 0) ++failures;
    const long rssEnd = ResidentKiB();
    const int fdsEnd = Entries("/proc/self/fd"), threadsEnd = Entries("/proc/self/task");
    CommunicationEnd();
    ::kill(sim.pid, SIGTERM);
    sim.Wait();

    long onRoll = 0;
    {
        std::ifstream in(roll);
        for (std::string line; std::getline(in, line);)
            onRoll += line.find("#KASA") != std::string::npos;
    }
    std::remove(roll.c_str());
    ::rmdir(dir.c_str());

    const long rssGrowth = (rssEnd > rssAfterReceipts ? rssEnd : rssAfterReceipts) - warmRss;
    std::printf("receipts: %ld (%ld with a fault, %ld printed again), printed by the printer: %ld, "
                "on the paper roll: %ld\n",
                done, faults, reprinted, printed, onRoll);
    std::printf("open/close cycles: %ld\n", cyclesDone);
    std::printf("resident memory: %ld KiB after warm-up, %ld KiB after the receipts, %ld KiB at the end "
                "(growth %ld KiB)\n",
                warmRss, rssAfterReceipts, rssEnd, rssGrowth);
    std::printf("open descriptors: %d, %d, %d; threads: %d, %d, %d\n", fdsAtStart, fdsAfterReceipts, fdsEnd,
                threadsAtStart, threadsAfterReceipts, threadsEnd);
    bool ok = failures == 0 && printed == done && onRoll == done;
    if (warmRss >= 0 && rssGrowth > 1024) {
        std::printf("FAIL: resident memory grew by more than 1 MiB\n");
        ok = false;
    }
    if (fdsEnd != fdsAtStart || fdsAfterReceipts != fdsAtStart || threadsAfterReceipts != threadsAtStart ||
        threadsEnd != threadsAtStart) {
        std::printf("FAIL: open descriptors or threads changed\n");
        ok = false;
    }
    if (printed != done || onRoll != done) std::printf("FAIL: receipts lost or counted twice\n");
    std::printf(ok ? "PASS\n" : "FAIL\n");
    return ok ? 0 : 1;
}
