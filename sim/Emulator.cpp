#include "Emulator.h"

#include "serial/Comm.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace darvosim {

class Emulator::PtyLink : public Link {
  public:
    explicit PtyLink(Emulator &e) : e_(e) {}
    void Send(const Bytes &bytes) override {
        bool follows = false; // a byte right behind the one before keeps the line busy
        for (uint8_t b : bytes) {
            e_.WriteByte(b, follows);
            follows = true;
        }
    }
    bool Read(size_t n, Bytes &out) override {
        out.clear();
        if (e_.FrameRefused()) return false; // a printer that refused takes no parameters
        while (out.size() < n) {
            uint8_t b;
            if (!e_.ReadByte(b, static_cast<int>(e_.options_.parameterTimeout.count()))) return false;
            e_.log_.Add(true, b, e_.frame_.load(), e_.ReceivedAt());
            out.push_back(b);
        }
        return true;
    }
    void Pause(std::chrono::milliseconds time) override {
        pollfd stop{e_.stopFd_, POLLIN, 0};
        ::poll(&stop, 1, static_cast<int>(time.count()));
    }

  private:
    Emulator &e_;
};

Emulator::Emulator(EmulatorOptions options)
    : options_(std::move(options)),
      printer_(std::make_unique<Printer>(options_.deviceType, options_.version)) {
    if (!options_.logPath.empty()) log_.SetFile(options_.logPath);
    if (!options_.rollPath.empty()) printer_->roll.SetFile(options_.rollPath);
}

Emulator::~Emulator() {
    Stop();
}

bool Emulator::Start() {
    start_ = std::chrono::steady_clock::now();
    stopFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (stopFd_ < 0) {
        error_ = std::string("cannot create an event: ") + std::strerror(errno);
        return false;
    }
    if (!OpenLine()) return false;
    running_ = true;
    thread_ = std::thread([this] { Run(); });
    return true;
}

bool Emulator::OpenLine() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error_ = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        error_ = "cannot name the pseudo-terminal";
        return false;
    }
    slavePath_ = name;
    keeper_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (keeper_ < 0) {
        error_ = std::string("cannot open ") + name + ": " + std::strerror(errno);
        return false;
    }
    // Raw from the start: the line never echoes or translates anything.
    termios tio{};
    ::tcgetattr(keeper_, &tio);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CREAD | CLOCAL | PARENB;
    ::tcsetattr(keeper_, TCSANOW, &tio);
    darvo::SetLineSpeed(keeper_, 9600);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (!options_.linkPath.empty()) {
        ::unlink(options_.linkPath.c_str());
        if (::symlink(slavePath_.c_str(), options_.linkPath.c_str()) != 0) {
            error_ = "cannot create the link " + options_.linkPath + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

void Emulator::CloseLine() {
    for (int *fd : {&master_, &keeper_})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
}

bool Emulator::Replug() {
    if (!running_) {
        error_ = "the emulator is not running";
        return false;
    }
    if (!lineClosed_) HangUp();
    if (thread_.joinable()) thread_.join();
    CloseLine();
    uint64_t drained = 0;
    [[maybe_unused]] ssize_t n = ::read(stopFd_, &drained, sizeof drained);
    ClearFault();
    {
        std::lock_guard<std::recursive_mutex> lock(printer_->mutex);
        printer_->powered = true;
    }
    {
        std::lock_guard<std::mutex> lock(doneMutex_);
        framesDone_ = frame_.load();
    }
    lineClosed_ = false;
    if (!OpenLine()) return false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

FaultKind FaultFromName(const std::string &name) {
    for (FaultKind k : {FaultKind::NoAnswer, FaultKind::Nak, FaultKind::Garbage, FaultKind::Truncate,
                        FaultKind::LineError, FaultKind::HangUp, FaultKind::Remove, FaultKind::PowerOff})
        if (name == FaultName(k)) return k;
    return FaultKind::None;
}

const char *FaultName(FaultKind kind) {
    switch (kind) {
    case FaultKind::NoAnswer: return "noanswer";
    case FaultKind::Nak: return "nak";
    case FaultKind::Garbage: return "garbage";
    case FaultKind::Truncate: return "truncate";
    case FaultKind::LineError: return "lineerror";
    case FaultKind::HangUp: return "hangup";
    case FaultKind::Remove: return "remove";
    case FaultKind::PowerOff: return "poweroff";
    default: return "none";
    }
}

void Emulator::InjectFault(FaultKind kind, int position) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    faultKind_ = kind;
    faultPosition_ = position;
    faultFired_ = false;
    wireBytes_ = 0;
    pendingOnPrinter_ = FaultKind::None;
    muteAll_ = false;
    muteFrame_ = false;
}

void Emulator::ClearFault() {
    bool powerOn = false;
    {
        std::lock_guard<std::mutex> lock(faultMutex_);
        powerOn = faultKind_ == FaultKind::PowerOff && faultFired_;
        faultKind_ = FaultKind::None;
        faultPosition_ = -1;
        pendingOnPrinter_ = FaultKind::None;
        muteAll_ = false;
        muteFrame_ = false;
    }
    if (powerOn) printer_->Control("power on", keeper_);
}

void Emulator::SetLineErrorHook(std::function<void()> hook) {
    std::lock_guard<std::mutex> lock(faultMutex_);
    lineErrorHook_ = std::move(hook);
}

// Faults that end or change the line; run by the emulator's thread.
void Emulator::FireLineFault(FaultKind kind) {
    switch (kind) {
    case FaultKind::Remove:
        if (!options_.linkPath.empty()) ::unlink(options_.linkPath.c_str());
        [[fallthrough]];
    case FaultKind::HangUp: lineClosed_ = true; break;
    case FaultKind::PowerOff: printer_->Control("power off", keeper_); break;
    default: break;
    }
}

Emulator::ByteAction Emulator::OnPrinterByte(uint8_t &byte) {
    FaultKind fire = FaultKind::None;
    std::function<void()> hook;
    bool drop = false, struck = false;
    {
        std::lock_guard<std::mutex> lock(faultMutex_);
        const int n = wireBytes_++;
        if (faultKind_ != FaultKind::None && !faultFired_ && n == faultPosition_) {
            fire = faultKind_;
            struck = true;
        } else if (pendingOnPrinter_ != FaultKind::None && !muteAll_ && !muteFrame_) {
            fire = pendingOnPrinter_;
            pendingOnPrinter_ = FaultKind::None;
        }
        switch (fire) {
        case FaultKind::NoAnswer:
        case FaultKind::PowerOff: muteAll_ = true; break;
        case FaultKind::Truncate: muteFrame_ = true; break;
        case FaultKind::Nak: byte = NAK; break;
        case FaultKind::Garbage: byte = 0xA5; break;
        case FaultKind::LineError: hook = lineErrorHook_; break;
        default: break;
        }
        drop = fire != FaultKind::Nak && (muteAll_ || muteFrame_);
        // A refusal in place of the first answer byte is the whole answer;
        // further on it is a data byte like any other.
        if (fire == FaultKind::Nak && printerBytesInFrame_ == 0) muteFrame_ = refused_ = true;
        ++printerBytesInFrame_;
    }
    FireLineFault(fire);
    if (hook) hook();
    if (struck) NotifyFired();
    return drop || lineClosed_ ? ByteAction::Drop : ByteAction::Send;
}

bool Emulator::FrameRefused() {
    std::lock_guard<std::mutex> lock(faultMutex_);
    return refused_;
}

// Marks the fault as struck once its effect is in place, and wakes the waiters.
void Emulator::NotifyFired() {
    std::lock_guard<std::mutex> lock(doneMutex_);
    faultFired_ = true;
    doneCv_.notify_all();
}

bool Emulator::WaitForFault(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(doneMutex_);
    return doneCv_.wait_for(lock, timeout, [&] { return faultFired_.load(); });
}

bool Emulator::OnHostByte() {
    FaultKind fire = FaultKind::None;
    struct Notify {
        Emulator &e;
        bool fired = false;
        ~Notify() {
            if (fired) e.NotifyFired();
        }
    } notify{*this};
    {
        std::lock_guard<std::mutex> lock(faultMutex_);
        const int n = wireBytes_++;
        if (faultKind_ == FaultKind::None || faultFired_ || n != faultPosition_) return true;
        fire = faultKind_;
        notify.fired = true;
        switch (fire) {
        case FaultKind::NoAnswer: muteAll_ = true; return true; // taken, never answered
        case FaultKind::Truncate: muteFrame_ = true; return true;
        case FaultKind::Nak:
        case FaultKind::Garbage:
        case FaultKind::LineError: pendingOnPrinter_ = fire; return true;
        case FaultKind::PowerOff: muteAll_ = true; break;
        default: break;
        }
    }
    FireLineFault(fire); // hang-up, removal, power off: the byte is lost
    return false;
}

void Emulator::Stop() {
    if (running_.exchange(false)) {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(stopFd_, &one, sizeof one);
    }
    if (thread_.joinable()) thread_.join();
    if (!options_.linkPath.empty()) ::unlink(options_.linkPath.c_str());
    for (int *fd : {&master_, &keeper_, &stopFd_})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
}

void Emulator::HangUp() {
    // Served by the emulator thread at its next read; the master is closed
    // there so the thread never reads a descriptor that is gone.
    lineClosed_ = true;
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(stopFd_, &one, sizeof one);
}

uint32_t Emulator::LineSpeed() const {
    return keeper_ >= 0 ? darvo::GetLineSpeed(keeper_) : 0;
}

double Emulator::Now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void Emulator::Script(uint8_t command, Scripted scripted) {
    std::lock_guard<std::mutex> lock(scriptMutex_);
    scripts_.emplace_back(command, std::move(scripted));
}

void Emulator::ClearScripts() {
    std::lock_guard<std::mutex> lock(scriptMutex_);
    scripts_.clear();
}

bool Emulator::WaitForFrames(int frames, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(doneMutex_);
    return doneCv_.wait_for(lock, timeout, [&] { return framesDone_.load() >= frames; });
}

bool Emulator::WaitForIdle(uint64_t hostBytes, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(doneMutex_);
    return doneCv_.wait_for(
        lock, timeout, [&] { return framesDone_ >= (1 << 30) || (idle_ && hostBytes_.load() >= hostBytes); });
}

void Emulator::SetIdle(bool idle) {
    {
        std::lock_guard<std::mutex> lock(doneMutex_);
        if (idle_ == idle) return;
        idle_ = idle;
    }
    if (idle) doneCv_.notify_all();
}

bool Emulator::ReadByte(uint8_t &byte, int timeoutMs) {
    bool waited = false;
    // Waiting without a limit is waiting for the start of a frame.
    const bool frameStart = timeoutMs < 0;
    for (;;) {
        if (!running_ || lineClosed_ || master_ < 0) return false;
        ssize_t n = ::read(master_, &byte, 1);
        if (n == 1) ++hostBytes_;
        if (frameStart) SetIdle(n != 1);
        if (n == 1) {
            if (options_.pace) HoldReceived(waited);
            return OnHostByte();
        }
        lastEmptyRead_ = std::chrono::steady_clock::now();
        waited = true;
        if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) return false;
        pollfd fds[2] = {{master_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        int r = ::poll(fds, 2, timeoutMs);
        if (r == 0) return false;
        if (fds[1].revents & POLLIN) return false;
        if (n < 0 && errno == EIO && !(fds[0].revents & POLLIN)) {
            // No slave is open; the keeper makes this rare. Wait a little.
            pollfd stop{stopFd_, POLLIN, 0};
            ::poll(&stop, 1, 10);
        }
    }
}

std::chrono::steady_clock::duration Emulator::ByteTime() const {
    uint32_t speed = LineSpeed();
    if (speed == 0) speed = 9600;
    return std::chrono::nanoseconds(11'000'000'000LL / speed); // start, 8 data, parity, stop
}

void Emulator::HoldReceived(bool waited) {
    // The byte was on the line for its transmission time before the printer
    // had it: it started when the line was free and the host had written it.
    // A byte found already queued was written at the latest since the
    // previous read found the queue empty. Nothing sleeps here: the printer
    // cannot answer before the byte's arrival, and its answer waits for that
    // (one timed sleep a turn instead of one a byte, each of which would
    // add the machine's wake-up latency).
    const auto now = std::chrono::steady_clock::now();
    const auto started = std::max(rxFree_, waited ? now : lastEmptyRead_);
    rxFree_ = started + ByteTime();
}

double Emulator::ReceivedAt() const {
    if (!options_.pace) return Now();
    return std::chrono::duration<double>(rxFree_ - start_).count();
}

void Emulator::WriteByte(uint8_t byte, bool follows) {
    if (OnPrinterByte(byte) == ByteAction::Drop) return;
    if (options_.pace) {
        // Held for its transmission time, then handed over whole; a byte
        // that follows another in the same answer starts when that one ends,
        // the first one not before the host's last byte has arrived.
        const auto now = std::chrono::steady_clock::now();
        txFree_ = (follows ? txFree_ : std::max({now, txFree_, rxFree_})) + ByteTime();
        std::this_thread::sleep_until(txFree_);
    }
    for (;;) {
        // A host that reads nothing fills the line; stopping or hanging up
        // must still end the write.
        if (master_ < 0 || lineClosed_ || !running_) return;
        // Paced, the log keeps the line's own time: when the byte had arrived.
        const double at = options_.pace ? std::chrono::duration<double>(txFree_ - start_).count() : Now();
        ssize_t n = -1;
        if (log_.AddSent(false, byte, frame_.load(), at,
                         [&] { return (n = ::write(master_, &byte, 1)) == 1; }))
            return;
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd fds[2] = {{master_, POLLOUT, 0}, {stopFd_, POLLIN, 0}};
            ::poll(fds, 2, 100);
            continue;
        }
        return;
    }
}

void Emulator::Run() {
    // Paced bytes are held by timed sleeps: let them end on time, and, where
    // the system allows it, let this thread run as soon as they end, as the
    // printer's own hardware would (best effort; without the right it runs
    // as before).
    if (options_.pace) {
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
        sched_param param{};
        param.sched_priority = 1;
        ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &param);
    }
    for (;;) {
        uint8_t byte;
        if (!ReadByte(byte, -1)) {
            if (lineClosed_ && master_ >= 0) {
                ::close(master_);
                master_ = -1;
            }
            if (!running_ || master_ < 0) break;
            continue;
        }
        if (byte != ESC) {
            // Noise outside a frame, or the items of a control printout:
            // taken before the log counts it, so that a test that waits for
            // the count finds the printer's state changed.
            const double at = ReceivedAt();
            {
                std::lock_guard<std::recursive_mutex> lock(printer_->mutex);
                LooseByte(*printer_, byte);
            }
            log_.Add(true, byte, 0, at);
            continue;
        }
        int frame = ++frame_;
        log_.Add(true, byte, frame, ReceivedAt());
        {
            std::lock_guard<std::mutex> lock(faultMutex_);
            muteFrame_ = refused_ = false;
            printerBytesInFrame_ = 0;
        }
        uint8_t command;
        // A frame whose command byte never comes is over too.
        if (ReadByte(command, static_cast<int>(options_.parameterTimeout.count()))) {
            log_.Add(true, command, frame, ReceivedAt());
            Serve(command);
        }
        {
            std::lock_guard<std::mutex> lock(doneMutex_);
            framesDone_ = frame;
        }
        doneCv_.notify_all();
    }
    {
        std::lock_guard<std::mutex> lock(doneMutex_);
        framesDone_ = 1 << 30; // nothing more will come: release every waiter
    }
    doneCv_.notify_all();
}

void Emulator::Serve(uint8_t command) {
    PtyLink link(*this);
    std::optional<Scripted> script;
    {
        std::lock_guard<std::mutex> lock(scriptMutex_);
        for (auto it = scripts_.begin(); it != scripts_.end(); ++it) {
            if (it->first != command) continue;
            script = it->second;
            if (it->second.times > 0 && --it->second.times == 0) scripts_.erase(it);
            break;
        }
    }
    if (script) {
        link.Send(script->answer);
        if (script->hangUp) {
            lineClosed_ = true;
            return;
        }
        Bytes params;
        if (script->readParams > 0 && !link.Read(script->readParams, params)) return;
        link.Send(script->after);
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(printer_->mutex);
    // At a speed other than its own the printer makes nothing of the frame.
    if (printer_->speedChecked && printer_->SettingsSpeed() != 0 && LineSpeed() != printer_->SettingsSpeed())
        return;
    if (printer_->answerTime.count() > 0) link.Pause(printer_->answerTime);
    printer_->Handle(command, link);
    AfterCommand(*printer_); // keeps the state file, when there is one
}

} // namespace darvosim
