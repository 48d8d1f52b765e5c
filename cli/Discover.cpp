// `discover`: which serial devices have a printer behind them, at which
// speed. Every device is asked for its identification (a read-only
// command) in a process of its own, so that devices are looked at side by
// side and one that hangs (in open, say) is given up after its time. Each
// probe is this program started afresh (darvo --probe-device PATH SECONDS):
// a copy of this process made by fork alone would share its port's event
// descriptors with every other probe, and one probe's signal would end
// another's wait.
#include "Cli.h"
#include "pos/PrinterText.h"

#include "darvodr/darvodr.h"
#include "ops/Connection.h"
#include "serial/Comm.h"
#include "serial/PortError.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <glob.h>
#include <iterator>
#include <map>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace darvo::cli {

namespace {

const std::vector<std::string> kDefaultGlobs = {"/dev/ttyS*", "/dev/ttyUSB*", "/dev/ttyACM*",
                                                "/dev/serial/by-id/*"};
constexpr int kSpeeds[] = {9600, 19200, 28800};
constexpr size_t kAtOnce = 16;

struct Device {
    std::string canonical;          // the device itself
    std::vector<std::string> names; // the names it was found under
    int com = 0;                    // the COM port that opens it now (0: none)
    // What the probe found.
    bool printer = false;
    int speed = 0, deviceType = 9, version = 0;
    int32_t code = 0;
    std::string message;

    // A name under /dev/serial/by-id/ stays when an adapter is plugged in
    // again elsewhere; otherwise the first name it was found under.
    std::string Name() const {
        for (const std::string &n : names)
            if (n.find("/by-id/") != std::string::npos) return n;
        return names.empty() ? canonical : names.front();
    }
};

std::string Canonical(const std::string &path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? resolved : "";
}

std::map<std::string, Device> Candidates(const std::vector<std::string> &globs) {
    std::map<std::string, Device> devices;
    auto add = [&](const std::string &name) {
        const std::string canonical = Canonical(name);
        struct stat st {};
        if (canonical.empty() || ::stat(canonical.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return;
        Device &d = devices[canonical];
        d.canonical = canonical;
        if (std::find(d.names.begin(), d.names.end(), name) == d.names.end()) d.names.push_back(name);
    };
    for (const std::string &pattern : globs) {
        glob_t g{};
        if (::glob(pattern.c_str(), 0, nullptr, &g) == 0)
            for (size_t i = 0; i < g.gl_pathc; ++i)
                add(g.gl_pathv[i]);
        ::globfree(&g);
    }
    // Every port mapped to a device of its own (not its /dev/ttyS default).
    for (unsigned n = 1; n < pos::kPathPort; ++n) {
        const std::string path = PortDevicePath(n);
        if (path != "/dev/ttyS" + std::to_string(n - 1)) add(path);
        auto it = devices.find(Canonical(path));
        if (it != devices.end() && it->second.com == 0) it->second.com = static_cast<int>(n);
    }
    return devices;
}

} // namespace

// In the probing process: the identification at each speed until one is
// answered. A line that holds every byte back (no printer, or one switched
// off) is not tried at the other speeds.
static std::string Probe(const std::string &path, int timeoutS) {
    ::setenv("DARVO_COM255", path.c_str(), 1);
    int32_t rc = 0;
    for (int speed : kSpeeds) {
        const auto t = static_cast<uint16_t>(timeoutS);
        rc = OpenPort(pos::kPathPort, static_cast<uint32_t>(speed), t, t);
        if (rc != 0) break;
        uint8_t type = 9;
        int32_t version = 0;
        rc = ops::ReadDeviceType(type, version);
        ClosePort();
        if (rc == 0)
            return std::to_string(rc) + " " + std::to_string(speed) + " " + std::to_string(type) + " " +
                   std::to_string(version) + "\n";
        if (rc == 20) break;
    }
    return std::to_string(rc) + " 0 9 0 " + LastPortErrorText() + "\n";
}

int RunProbe(const std::string &path, int timeoutS) {
    const std::string line = Probe(path, timeoutS < 1 ? 1 : timeoutS);
    return std::fwrite(line.data(), 1, line.size(), stdout) == line.size() ? 0 : 1;
}

namespace {

struct Running {
    pid_t pid = -1;
    int fd = -1;
    Device *device = nullptr;
    std::chrono::steady_clock::time_point deadline;
    std::string output;
};

void Finish(Running &r, bool timedOut) {
    if (timedOut) ::kill(r.pid, SIGKILL);
    ::close(r.fd);
    int status = 0;
    ::waitpid(r.pid, &status, 0);
    Device &d = *r.device;
    int speed = 0, type = 9, version = 0, consumed = 0;
    int code = 0;
    if (!timedOut &&
        std::sscanf(r.output.c_str(), "%d %d %d %d %n", &code, &speed, &type, &version, &consumed) >= 4) {
        d.code = code;
        d.printer = code == 0 && speed != 0;
        d.speed = speed;
        d.deviceType = type;
        d.version = version;
        d.message = r.output.substr(static_cast<size_t>(consumed));
        while (!d.message.empty() && (d.message.back() == '\n' || d.message.back() == ' '))
            d.message.pop_back();
    } else {
        d.code = 21;
        d.message = "no answer in time";
    }
}

void ProbeAll(std::vector<Device *> &devices, int timeoutS) {
    const auto bound = std::chrono::seconds(static_cast<long>(std::size(kSpeeds)) * 2 * timeoutS + 2);
    std::vector<Running> running;
    size_t next = 0;
    while (next < devices.size() || !running.empty()) {
        while (next < devices.size() && running.size() < kAtOnce) {
            int pipeFds[2];
            if (::pipe2(pipeFds, O_CLOEXEC) != 0) break;
            std::string self = "/proc/self/exe", flag = "--probe-device", device = devices[next]->canonical,
                        seconds = std::to_string(timeoutS);
            char *argv[] = {self.data(), flag.data(), device.data(), seconds.data(), nullptr};
            std::fflush(nullptr);
            const pid_t pid = ::fork();
            if (pid == 0) {
                // Only what may run between fork and exec.
                ::dup2(pipeFds[1], STDOUT_FILENO);
                ::execv(argv[0], argv);
                ::_exit(127);
            }
            ::close(pipeFds[1]);
            if (pid < 0) {
                ::close(pipeFds[0]);
                devices[next]->code = 8;
                devices[next++]->message = "no process to look at it";
                continue;
            }
            running.push_back(
                {pid, pipeFds[0], devices[next++], std::chrono::steady_clock::now() + bound, {}});
        }
        std::vector<pollfd> fds;
        for (const Running &r : running)
            fds.push_back({r.fd, POLLIN, 0});
        ::poll(fds.data(), fds.size(), 100);
        for (size_t i = running.size(); i-- > 0;) {
            Running &r = running[i];
            bool done = false, timedOut = false;
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
                char buffer[512];
                const ssize_t n = ::read(r.fd, buffer, sizeof buffer);
                if (n > 0)
                    r.output.append(buffer, static_cast<size_t>(n));
                else
                    done = true;
            }
            if (!done && std::chrono::steady_clock::now() > r.deadline) done = timedOut = true;
            if (done) {
                Finish(r, timedOut);
                running.erase(running.begin() + static_cast<long>(i));
            }
        }
    }
}

std::string Model(int deviceType) {
    return ops::ModelName(static_cast<uint8_t>(deviceType));
}

// The port map of the printers found: a printer keeps the COM number that
// opens it now, the others get the lowest numbers free.
std::string PortMap(const std::vector<const Device *> &printers) {
    std::vector<bool> used(pos::kPathPort, false);
    std::vector<int> numbers;
    for (const Device *d : printers) {
        int n = d->com > 0 && !used[static_cast<size_t>(d->com)] ? d->com : 0;
        for (int k = 1; n == 0 && k < pos::kPathPort; ++k)
            if (!used[static_cast<size_t>(k)]) n = k;
        used[static_cast<size_t>(n)] = true;
        numbers.push_back(n);
    }
    std::time_t now = std::time(nullptr);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", std::localtime(&now));
    std::string text = std::string("# DARVO port map, proposed by darvo discover on ") + when +
                       "\n# One \"COMn = device\" a line; every program using the driver reads it.\n";
    for (size_t i = 0; i < printers.size(); ++i)
        text += "# " + Model(printers[i]->deviceType) + ", " + std::to_string(printers[i]->speed) +
                " b/s\nCOM" + std::to_string(numbers[i]) + " = " + printers[i]->Name() + "\n";
    return text;
}

bool WriteFileAtomically(const std::string &path, const std::string &text, std::string &error) {
    const std::string temporary = path + ".darvo-new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            error = path + ": cannot be written";
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = path + ": cannot be written";
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

int RunDiscover(Context &c, const std::vector<std::string> &globs, const std::string &portsFile, bool force) {
    struct stat st {};
    if (!portsFile.empty() && portsFile != "-" && !force && ::stat(portsFile.c_str(), &st) == 0)
        return c.Error(kBadInput, portsFile + " exists; --force replaces it");
    const int timeoutS = TimeoutSeconds(c.globals().timeoutMs);
    std::map<std::string, Device> devices = Candidates(globs.empty() ? kDefaultGlobs : globs);
    std::vector<Device *> order;
    for (auto &entry : devices)
        order.push_back(&entry.second);
    ProbeAll(order, timeoutS);

    json found = json::array(), lookedAt = json::array();
    std::vector<const Device *> printers;
    std::string text;
    for (const Device *d : order) {
        lookedAt.push_back({{"device", d->Name()},
                            {"names", d->names},
                            {"printer", d->printer},
                            {"code", d->code},
                            {"message", d->printer ? "" : d->message}});
        if (!d->printer) continue;
        printers.push_back(d);
        json p = {{"device", d->Name()},          {"names", d->names},     {"speed", d->speed},
                  {"device_type", d->deviceType}, {"version", d->version}, {"model", Model(d->deviceType)}};
        if (d->com > 0) p["port"] = "COM" + std::to_string(d->com);
        found.push_back(p);
        text += Model(d->deviceType) + " (device type " + std::to_string(d->deviceType) + ") on " +
                d->Name() + " at " + std::to_string(d->speed) + " b/s" +
                (d->com > 0 ? " (COM" + std::to_string(d->com) + ")" : "") + "\n";
    }
    text += std::to_string(printers.size()) + " printer(s) among " + std::to_string(order.size()) +
            " device(s) looked at\n";
    json doc = {{"printers", found}, {"looked_at", lookedAt}};
    if (!portsFile.empty()) {
        if (printers.empty()) return c.Error(kNoCommunication, "no printer found; no port map written", doc);
        const std::string map = PortMap(printers);
        if (portsFile == "-") {
            doc["ports_map"] = map;
            text += map;
        } else {
            std::string error;
            if (!WriteFileAtomically(portsFile, map, error)) return c.Error(kBadInput, error, doc);
            doc["ports_file"] = portsFile;
            text += "port map written to " + portsFile + "\n";
        }
    }
    return c.Done(doc, text);
}

} // namespace darvo::cli
