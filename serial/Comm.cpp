#include "Comm.h"
#include "PortError.h"
#include "PortMap.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace darvo {

// Set while no port is open, so a transfer asked for then fails at once.
Event StopEvent(true);
std::atomic<bool> TransferFailed{false};
std::chrono::milliseconds LineSettleTime = kLineSettleTime;

namespace {

std::atomic<TComm *> currentPort{nullptr};
std::atomic<uint64_t> bytesSent{0};
std::atomic<WaitHook> waitHook{nullptr};
// The longest stretch a wait for a byte goes without running the wait hook.
constexpr auto kWaitSlice = std::chrono::milliseconds(25);

// The end of a wait's next slice: a slice on from now while a wait hook is
// set, else the wait's own deadline.
std::chrono::steady_clock::time_point SliceEnd(std::chrono::steady_clock::time_point deadline) {
    if (!waitHook.load()) return deadline;
    return std::min(deadline, std::chrono::steady_clock::now() + kWaitSlice);
}

// Port-event set members in their order, with their masks.
constexpr uint32_t kEventMasks[9] = {EV_BREAK, EV_CTS,    EV_DSR,    EV_ERR,    EV_RING,
                                     EV_RLSD,  EV_RXCHAR, EV_RXFLAG, EV_TXEMPTY};

uint32_t MaskFromEventSet(uint16_t set) {
    uint32_t mask = 0;
    for (int i = 0; i < 9; ++i)
        if (set & (1u << i)) mask |= kEventMasks[i];
    return mask;
}

const char *kTextNotFound = "System nie potrafi znależć danego urządzenia.";
const char *kTextAccessDenied = "Zabroniony dostęp do urządzenia.";
const char *kTextInvalidHandle = "Niepoprawny uchwyt do urządzenia, proces przerwany.";
const char *kTextBadDevice = "Błędnie określone urządzenie.";
const char *kTextLineSettings = "Błąd podczas aktualizacji bloku kontroli danych.";

// Milliseconds left until the deadline, never negative.
int MillisLeft(std::chrono::steady_clock::time_point deadline) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return 0;
    return left.count() > 1000000 ? 1000000 : static_cast<int>(left.count());
}

// Bytes still waiting in the driver's output queue; 0 where the device
// cannot tell (a pseudo-terminal hands bytes straight to its other side).
int OutputQueued(int fd) {
    int queued = 0;
    if (::ioctl(fd, TIOCOUTQ, &queued) != 0) return 0;
    return queued;
}

// Waits for the descriptor to become ready for `events` or for the stop event.
// Returns 1 ready, 0 time-out, 2 stopped, -1 error (errno set).
int WaitPortOrStop(int fd, short events, int timeoutMs) {
    pollfd fds[2] = {{fd, events, 0}, {StopEvent.Fd(), POLLIN, 0}};
    for (;;) {
        int n = ::poll(fds, 2, timeoutMs);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) return 0;
        if (fds[1].revents & POLLIN) return 2;
        // Hang-up or error without the readiness asked for: the device has
        // gone, and waiting again would return at once, round and round.
        if (!(fds[0].revents & events) && (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))) {
            errno = (fds[0].revents & POLLNVAL) ? EBADF : EIO;
            return -1;
        }
        return 1;
    }
}

// Waits `wait` long, or less when StopEvent is set; true when it was.
bool StoppedWithin(std::chrono::nanoseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        const timespec ts{static_cast<time_t>(left.count() / 1'000'000'000),
                          static_cast<long>(left.count() % 1'000'000'000)};
        pollfd stop{StopEvent.Fd(), POLLIN, 0};
        if (::ppoll(&stop, 1, &ts, nullptr) > 0) return true;
    }
}

enum class Waited { Ready, TimedOut, Stopped };

// Waits until `ready()` holds, looking again after `firstPause`, then at
// doubling intervals up to 20 ms, until the deadline or StopEvent.
template <class Ready>
Waited WaitUntil(Ready ready, std::chrono::steady_clock::time_point deadline,
                 std::chrono::nanoseconds firstPause) {
    constexpr std::chrono::nanoseconds kLongestPause = std::chrono::milliseconds(20);
    auto pause = firstPause;
    for (;;) {
        if (ready()) return Waited::Ready;
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= decltype(left)::zero()) return Waited::TimedOut;
        if (StoppedWithin(std::min<std::chrono::nanoseconds>(pause, left))) return Waited::Stopped;
        pause = std::min(pause * 2, kLongestPause);
    }
}

// Closes the port a program leaves open when it ends. Made at the first
// open, after the events above, so it runs before they are destroyed: the
// port's event thread is stopped while its events still exist (otherwise
// the exit waits for it for ever) and the line gets its settings back.
struct CloseAtExit {
    ~CloseAtExit() {
        if (TComm *port = currentPort.load()) port->Disconnect();
    }
};

void CloseOpenPortAtExit() {
    static CloseAtExit closer;
}

// Applies line settings. A pseudo-terminal carries no parity bit: it takes
// everything but PARENB, and tcsetattr calls that a failure (EINVAL) when
// nothing else changed, as when a program that ended without closing left
// the line set up already. Such a line counts as set.
int SetTerminal(int fd, const termios &wanted) {
    if (::tcsetattr(fd, TCSANOW, &wanted) == 0) return 0;
    const int err = errno;
    struct stat st {};
    termios now{};
    constexpr unsigned kPtySlaveMajorFirst = 136, kPtySlaveMajorLast = 143;
    if (err != EINVAL || ::fstat(fd, &st) != 0 || major(st.st_rdev) < kPtySlaveMajorFirst ||
        major(st.st_rdev) > kPtySlaveMajorLast || ::tcgetattr(fd, &now) != 0)
        return err;
    constexpr tcflag_t kCompared = CSIZE | CSTOPB | CREAD | CLOCAL | CRTSCTS | HUPCL;
    const bool same = now.c_iflag == wanted.c_iflag && now.c_oflag == wanted.c_oflag &&
                      now.c_lflag == wanted.c_lflag && ((now.c_cflag ^ wanted.c_cflag) & kCompared) == 0 &&
                      now.c_cc[VMIN] == wanted.c_cc[VMIN] && now.c_cc[VTIME] == wanted.c_cc[VTIME];
    return same ? 0 : err;
}

} // namespace

std::string PortDevicePath(unsigned portNumber) {
    return FindPortDevice(portNumber).path;
}

WaitHook SetWaitHook(WaitHook hook) {
    return waitHook.exchange(hook);
}

TComm *CurrentPort() {
    return currentPort.load();
}
void SetCurrentPort(TComm *port) {
    currentPort.store(port);
}

TComm::TComm() = default;

TComm::~TComm() {
    Disconnect();
    TComm *self = this;
    currentPort.compare_exchange_strong(self, nullptr);
}

static unsigned PortNumberFromName(const std::string &name) {
    // "Com12" -> 12; anything without a number maps to port 0 (no device).
    size_t i = name.size();
    while (i > 0 && name[i - 1] >= '0' && name[i - 1] <= '9')
        --i;
    if (i == name.size() || name.size() - i > 3) return 0;
    return static_cast<unsigned>(std::stoul(name.substr(i)));
}

uint32_t TComm::CreatePortHandle() {
    const PortDevice device = FindPortDevice(PortNumberFromName(portName));
    devicePath_ = device.path;
    if (!device.error.empty()) {
        ReportPortError(device.error, ERR_BAD_CONFIGURATION);
        return ERR_BAD_CONFIGURATION;
    }
    int fd = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        uint32_t code = Win32FromErrno(errno);
        const char *text = code == ERR_FILE_NOT_FOUND   ? kTextNotFound
                           : code == ERR_ACCESS_DENIED  ? kTextAccessDenied
                           : code == ERR_INVALID_HANDLE ? kTextInvalidHandle
                                                        : kTextBadDevice;
        ReportPortError(text, code);
        return code;
    }
    handle_ = fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode) || !::isatty(fd)) {
        ClosePortHandle();
        ReportPortError(kTextInvalidHandle, ERR_INVALID_HANDLE);
        return ERR_INVALID_HANDLE;
    }
    // Exclusive access as a COM port has it: an advisory lock that other
    // programs using the same convention respect, then the terminal's own
    // exclusive mode, which refuses further opens by anyone but root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        ClosePortHandle();
        uint32_t code = (err == EWOULDBLOCK) ? ERR_ACCESS_DENIED : Win32FromErrno(err);
        ReportPortError(code == ERR_ACCESS_DENIED ? kTextAccessDenied : kTextBadDevice, code);
        return code;
    }
    if (::ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY && errno != EINVAL) {
        uint32_t code = Win32FromErrno(errno);
        ClosePortHandle();
        ReportPortError(kTextBadDevice, code);
        return code;
    }
    return 0;
}

void TComm::ClosePortHandle() {
    if (handle_ >= 0) ::close(handle_);
    handle_ = -1;
}

uint32_t TComm::Connect() {
    Disconnect();
    ReportPortError("", 0); // opening is the one place a latched error is cleared
    uint32_t result = CreatePortHandle();
    if (result != 0 || !IsOpen()) return result;
    StopEvent.Reset();
    {
        std::lock_guard<std::mutex> lock(eventMutex_);
        injectedErrors_ = accumulatedErrors_ = 0;
        eventPosted_ = false;
        countersValid_ = false;
    }
    injectEvent_.Reset();
    CollectLineErrors(); // takes the kernel's counters as the base line
    CloseOpenPortAtExit();
    SetCurrentPort(this);
    try {
        eventThread_ = std::make_unique<TZdarzeniaCommThread>(*this, handle_, eventSet);
    } catch (...) {
        // A port whose thread cannot be started is closed again, and the
        // caller sees why.
        Disconnect();
        throw;
    }

    result = ApplyLineSettings();
    if (result != 0) return result;
    // Queue sizes are the kernel's own on Linux; nothing to set.
    result = ApplyTimeouts(writeTimeout, readTimeout);
    // A printer (or a USB adapter) spoken to the moment its line is set up
    // may answer with garbage or not at all. A Disconnect from another
    // thread cuts the pause short.
    StoppedWithin(LineSettleTime);
    return result;
}

uint32_t TComm::Disconnect() {
    std::lock_guard<std::mutex> closing(closeMutex_);
    if (!IsOpen()) return 0;
    // Release every transfer that waits, first: a caller blocked in SendByte
    // or ReceiveByte returns at once instead of after its time-out.
    StopEvent.Set();
    activeWrite_ = savedWrite_;
    activeRead_ = savedRead_;
    if (eventThread_) {
        eventThread_->Stop();
        eventThread_.reset();
    }
    // A transfer in another thread has seen StopEvent by now; the descriptor
    // is closed once it has let go of it.
    std::lock_guard<std::mutex> transferring(transferMutex_);
    ++closes_;
    readAheadNext_ = readAheadEnd_ = 0;
    noModemLines_ = false;
    // Leave the device as it was found: a pseudo-terminal keeps its exclusive
    // flag after close, and a later open by a non-root user would fail.
    ::ioctl(handle_, TIOCNXCL);
    if (haveSavedSettings_) {
        ::tcsetattr(handle_, TCSANOW, &savedSettings_);
        if (savedSpeed_ != 0) SetLineSpeed(handle_, savedSpeed_); // termios alone loses odd speeds
    }
    haveSavedSettings_ = false;
    ClosePortHandle();
    return 0;
}

uint32_t TComm::ApplyLineSettings() {
    if (!IsOpen()) return 0;
    // Speed 0 is no line speed (a terminal takes it as "hang up"): refused,
    // and the line is left as it is.
    if (baudRate == 0) {
        ReportPortError(kTextLineSettings, ERR_INVALID_PARAMETER);
        return ERR_INVALID_PARAMETER;
    }
    termios tio{};
    if (::tcgetattr(handle_, &tio) != 0) {
        uint32_t code = Win32FromErrno(errno);
        ReportPortError(kTextLineSettings, code);
        return code;
    }
    if (!haveSavedSettings_) {
        savedSettings_ = tio;
        savedSpeed_ = GetLineSpeed(handle_);
        haveSavedSettings_ = true;
    }
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY | IGNPAR | PARMRK); // parity is sent, not checked
    tio.c_cflag &= ~(CSIZE | PARODD | CSTOPB | HUPCL);
    tio.c_cflag |= CREAD | CLOCAL | CRTSCTS;
    tio.c_cflag |= (byteSize == 7 ? CS7 : CS8);
    if (parity == 2) tio.c_cflag |= PARENB;
    if (parity == 1) tio.c_cflag |= PARENB | PARODD;
    if (stopBits == 2) tio.c_cflag |= CSTOPB;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (int err = SetTerminal(handle_, tio); err != 0) {
        uint32_t code = Win32FromErrno(err);
        ReportPortError(kTextLineSettings, code);
        return code;
    }
    if (int err = SetLineSpeed(handle_, baudRate); err != 0) {
        uint32_t code = Win32FromErrno(err);
        ReportPortError(kTextLineSettings, code);
        return code;
    }
    // DTR and RTS stay inactive; the printer's CTS alone paces our output.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(handle_, TIOCMBIC, &lines);
    return 0;
}

uint32_t TComm::ApplyTimeouts(uint16_t writeSeconds, uint16_t readSeconds) {
    // The time-outs in force belong to an open port; a closed one has none
    // to read, and nothing is set.
    if (!IsOpen()) {
        ReportPortError(" Błąd odczytu aktualnych czasów.", ERR_INVALID_HANDLE);
        return ERR_INVALID_HANDLE;
    }
    savedWrite_ = activeWrite_;
    savedRead_ = activeRead_;
    activeWrite_ = writeSeconds;
    activeRead_ = readSeconds;
    return 0;
}

uint32_t TComm::PurgeOutput() {
    std::lock_guard<std::mutex> closing(closeMutex_);
    if (!IsOpen()) return 0;
    // A completed write has already left the output queue, so only a byte
    // that timed out can still be there. Flushing an empty queue is skipped:
    // on some kernels a pseudo-terminal's flush also drops bytes its other
    // side has not read yet.
    if (OutputQueued(handle_) > 0 && ::tcflush(handle_, TCOFLUSH) != 0) return Win32FromErrno(errno);
    return 0;
}

uint32_t TComm::PurgeInput() {
    std::lock_guard<std::mutex> closing(closeMutex_);
    if (!IsOpen()) return 0;
    {
        std::lock_guard<std::mutex> transferring(transferMutex_);
        readAheadNext_ = readAheadEnd_ = 0;
    }
    if (::tcflush(handle_, TCIFLUSH) != 0) return Win32FromErrno(errno);
    return 0;
}

void TComm::HandleCommEvent(uint32_t mask) {
    if (mask != EV_ERR) return;
    struct Flag {
        uint32_t flag;
        const char *text;
    };
    static const Flag flags[] = {
        {CE_BREAK, "Urządzenie wykryło stan BREAK (CE_BREAK)."},
        {CE_FRAME, "Urządzenie wykryło błąd ramki (CE_FRAME)."},
        {CE_OVERRUN, "Zgubiono znaki (CE_OVERRUN)."},
        {CE_RXOVER, "Zapełniony bufor wejściowy (CE_RXOVER)."},
        {CE_RXPARITY, "Urządzenie wykryło błąd parzystości (CE_RXPARITY)."},
        {CE_TXFULL, "Zapełniony bufor wyjściowy (CE_TXFULL)."},
    };
    for (const Flag &f : flags)
        if (lineErrors & f.flag) ReportPortError(f.text, f.flag);
}

void TComm::DispatchCommEvents(TZdarzeniaCommThread *, uint32_t events) {
    // Taking the accumulated line errors stands for ClearCommError.
    {
        std::lock_guard<std::mutex> lock(eventMutex_);
        lineErrors = accumulatedErrors_;
        accumulatedErrors_ = 0;
    }
    for (int i = 1; i < 9; ++i)
        if (events & kEventMasks[i]) HandleCommEvent(kEventMasks[i]);
}

uint32_t TComm::CollectLineErrors() {
    uint32_t flags = 0;
    serial_icounter_struct counters{};
    bool haveCounters = IsOpen() && ::ioctl(handle_, TIOCGICOUNT, &counters) == 0;
    std::lock_guard<std::mutex> lock(eventMutex_);
    flags = injectedErrors_;
    injectedErrors_ = 0;
    if (haveCounters) {
        int now[5] = {counters.frame, counters.overrun, counters.parity, counters.brk, counters.buf_overrun};
        if (countersValid_) {
            if (now[0] != lastCounters_[0]) flags |= CE_FRAME;
            if (now[1] != lastCounters_[1]) flags |= CE_OVERRUN;
            if (now[2] != lastCounters_[2]) flags |= CE_RXPARITY;
            if (now[3] != lastCounters_[3]) flags |= CE_BREAK;
            if (now[4] != lastCounters_[4]) flags |= CE_RXOVER;
        }
        for (int i = 0; i < 5; ++i)
            lastCounters_[i] = now[i];
        countersValid_ = true;
    }
    accumulatedErrors_ |= flags;
    return flags;
}

void TComm::InjectLineErrors(uint32_t ceFlags) {
    {
        std::lock_guard<std::mutex> lock(eventMutex_);
        injectedErrors_ |= ceFlags;
    }
    injectEvent_.Set();
}

bool TComm::ProcessCommEvents() {
    uint32_t mask;
    TZdarzeniaCommThread *thread;
    {
        std::lock_guard<std::mutex> lock(eventMutex_);
        if (!eventPosted_) return false;
        mask = postedMask_;
        thread = postingThread_;
    }
    DispatchCommEvents(thread, mask);
    {
        std::lock_guard<std::mutex> lock(eventMutex_);
        eventPosted_ = false;
    }
    eventCv_.notify_all();
    return true;
}

bool TComm::WaitCommEventPosted(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(eventMutex_);
    return eventCv_.wait_for(lock, timeout, [&] { return eventPosted_; });
}

// ---------------------------------------------------------------------------
// Event thread

TZdarzeniaCommThread::TZdarzeniaCommThread(TComm &owner, int handle, uint16_t eventSet)
    : owner_(owner), handle_(handle), eventMask_(MaskFromEventSet(eventSet)) {
    thread_ = std::thread([this] { Execute(); });
}

TZdarzeniaCommThread::~TZdarzeniaCommThread() {
    Stop();
    if (thread_.joinable()) thread_.join();
}

void TZdarzeniaCommThread::Stop() {
    ownStop_.Set();
    std::lock_guard<std::mutex> lock(owner_.eventMutex_);
    owner_.eventCv_.notify_all();
}

// Waits up to `ms` for the stop or the inject event: 0 stop, 1 inject, else
// time-out. The events' descriptors are polled, so the thread is not woken
// by every other event of the process.
static int WaitStopOrInject(const Event &stop, const Event &inject, int ms) {
    if (stop.Fd() < 0 || inject.Fd() < 0) return WaitForAny({&stop, &inject}, std::chrono::milliseconds(ms));
    pollfd fds[2] = {{stop.Fd(), POLLIN, 0}, {inject.Fd(), POLLIN, 0}};
    int n = ::poll(fds, 2, ms);
    if (n > 0 && (fds[0].revents & POLLIN)) return 0;
    if (n > 0 && (fds[1].revents & POLLIN)) return 1;
    return WAIT_TIMEOUT_RESULT;
}

void TZdarzeniaCommThread::Execute() {
    // The kernel keeps error counters but signals nothing when they change,
    // so they are read a few times a second; an injected error wakes the
    // thread at once.
    for (;;) {
        int w = WaitStopOrInject(ownStop_, owner_.injectEvent_, 100);
        if (w == 0) break;
        if (w == 1) owner_.injectEvent_.Reset();
        uint32_t errors = owner_.CollectLineErrors();
        if (errors != 0 && (eventMask_ & EV_ERR)) DoCommEvent(EV_ERR);
    }
}

void TZdarzeniaCommThread::DoCommEvent(uint32_t mask) {
    // Hand the event to the calling thread and wait until it has run it.
    std::unique_lock<std::mutex> lock(owner_.eventMutex_);
    owner_.postedMask_ = mask;
    owner_.postingThread_ = this;
    owner_.eventPosted_ = true;
    owner_.eventCv_.notify_all();
    owner_.eventCv_.wait(lock, [&] { return !owner_.eventPosted_ || ownStop_.IsSet(); });
}

// ---------------------------------------------------------------------------
// One-byte transfers

int TComm::ReadModemLines(int &lines) {
    return ::ioctl(handle_, TIOCMGET, &lines) == 0 ? 0 : errno;
}

// False only while the device reports CTS inactive. A device without modem
// lines counts as clear, and is not asked again until the next open; a
// failed read of another kind leaves the judgement to the write.
bool TComm::ClearToSend() {
    if (noModemLines_) return true;
    int lines = 0;
    const int err = ReadModemLines(lines);
    if (err == ENOTTY || err == EINVAL) noModemLines_ = true;
    return err != 0 || (lines & TIOCM_CTS) != 0;
}

bool TComm::ClosedSince(uint64_t closes) const {
    return StopEvent.IsSet() || !IsOpen() || closes_ != closes;
}

bool TComm::LetHookRun(std::unique_lock<std::mutex> &transferring) {
    // Whatever the hook does, it cannot lock this thread out of the port;
    // the port may be gone when it returns.
    const uint64_t closes = closes_;
    transferring.unlock();
    if (const WaitHook hook = waitHook.load()) hook();
    transferring.lock();
    return !ClosedSince(closes);
}

uint32_t TComm::WriteBytes(const uint8_t *buffer, std::unique_lock<std::mutex> &transferring) {
    TransferFailed = true;
    uint32_t written = 0;
    const uint64_t closes = closes_;
    // A write time-out of 0 meant "no limit" on the printer's original
    // platform; here a switched-off printer must never block the caller for
    // good, so 0 stands for the shortest time-out, one second.
    const uint16_t seconds = std::max<uint16_t>(activeWrite_.load(), 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    // About one byte's time on the line: the first interval of every wait.
    const auto byteTime = std::chrono::nanoseconds(11'000'000'000LL / std::max<uint32_t>(baudRate, 1));
    // Waits until `ready()` holds, in slices with the wait hook run between them.
    auto waitSliced = [&](auto ready) {
        for (;;) {
            const auto end = SliceEnd(deadline);
            const Waited waited = WaitUntil(ready, end, byteTime);
            if (waited != Waited::TimedOut || end >= deadline) return waited;
            if (!LetHookRun(transferring)) return Waited::Stopped;
        }
    };

    // The printer's CTS paces our output. Many USB adapters take a byte and
    // report their queue empty while CTS holds it back in the chip, so CTS
    // is looked at before each byte: a printer switched off or unplugged
    // then gives the write time-out, not a missing answer later.
    switch (waitSliced([&] { return ClearToSend(); })) {
    case Waited::Ready: break;
    case Waited::TimedOut: ReportPortError("Timeout zapisu.", 0); return 0;
    case Waited::Stopped: return 0; // the calling side reports it
    }

    bool handedOver = false;
    for (;;) {
        ssize_t n = ::write(handle_, buffer, 1);
        if (n == 1) {
            handedOver = true;
            break;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            ReportPortError("Niepoprawny zapis do portu.", Win32FromErrno(errno));
            break;
        }
        const auto end = SliceEnd(deadline);
        int r = WaitPortOrStop(handle_, POLLOUT, MillisLeft(end));
        if (r == 0 && end < deadline) {
            if (LetHookRun(transferring)) continue;
            r = 2;
        }
        if (r == 0) {
            ReportPortError("Timeout zapisu.", 0);
            break;
        }
        if (r == 2) break; // stopped: the calling side reports it
        if (r < 0) {
            ReportPortError("Niepoprawny zapis.", Win32FromErrno(errno));
            break;
        }
    }
    if (handedOver) {
        // The write is complete only when the byte has left the output queue,
        // as it is held back while the printer's CTS is inactive. A byte on
        // the move needs about its own time on the line, so the queue is
        // looked at again after that.
        switch (waitSliced([&] { return OutputQueued(handle_) == 0; })) {
        case Waited::Ready: written = 1; break;
        case Waited::TimedOut:
            ::tcflush(handle_, TCOFLUSH); // the byte is dropped, not sent late
            ReportPortError("Timeout zapisu.", 0);
            break;
        case Waited::Stopped: // unless the descriptor is another one by now
            if (IsOpen() && closes_ == closes) ::tcflush(handle_, TCOFLUSH);
            break;
        }
    }
    TransferFailed = (written == 0);
    return written;
}

uint32_t TComm::ReadBytes(uint8_t *buffer, uint32_t count, uint32_t room) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(activeRead_.load());
    bool paused = false;
    return ReadBytes(buffer, count, room, deadline, deadline, paused);
}

uint32_t TComm::ReadBytes(uint8_t *buffer, uint32_t count, uint32_t room, Deadline deadline, Deadline pause,
                          bool &paused) {
    TransferFailed = true;
    paused = false;
    uint32_t got = 0;
    const uint32_t most = std::max(count, room);
    while (got < count) {
        ssize_t n = ::read(handle_, buffer + got, most - got);
        if (n > 0) {
            got += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            ReportPortError("Niepoprawny odczyt.", Win32FromErrno(errno));
            break;
        }
        if (n == 0) { // the other side has gone (hang-up)
            ReportPortError("Niepoprawny odczyt.", ERR_IO_DEVICE);
            break;
        }
        const bool slice = got == 0 && pause < deadline;
        int r = WaitPortOrStop(handle_, POLLIN, MillisLeft(slice ? pause : deadline));
        if (r == 0 && slice) {
            paused = true; // nothing yet, and time left: the caller decides
            break;
        }
        if (r == 0) {
            ReportPortError("Timeout odczytu.", 0);
            break;
        }
        if (r == 2) break; // stopped: the calling side reports it
        if (r < 0) {
            ReportPortError("Niepoprawny odczyt.", Win32FromErrno(errno));
            break;
        }
    }
    if (got < count) got = 0;
    TransferFailed = (got == 0);
    return got;
}

uint32_t TComm::ReadAhead(std::unique_lock<std::mutex> &transferring) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(activeRead_.load());
    for (;;) {
        bool paused = false;
        const uint32_t moved =
            ReadBytes(readAhead_, 1, sizeof readAhead_, deadline, SliceEnd(deadline), paused);
        if (!paused) return moved;
        if (!LetHookRun(transferring)) { // closed meanwhile
            TransferFailed = true;
            return 0;
        }
    }
}

bool TComm::TransferByte(bool write, uint8_t &byte) {
    ProcessCommEvents();
    TransferFailed = false;
    const char *stoppedText = write ? "Zapis przerwany." : "Przerwany zapis ";
    // Held for the whole transfer: a Disconnect from another thread sets
    // StopEvent, which ends the wait below, and closes the descriptor only
    // once the transfer has let go of it.
    std::unique_lock<std::mutex> transferring(transferMutex_);
    const uint64_t closes = closes_;
    if (ClosedSince(closes)) {
        ReportPortError(stoppedText, 0);
        TransferFailed = true;
        return false;
    }
    if (!write && readAheadNext_ < readAheadEnd_) {
        // Already taken from the input queue with an earlier byte.
        byte = readAhead_[readAheadNext_++];
        return true;
    }
    uint32_t moved = 0;
    if (write) {
        moved = WriteBytes(&byte, transferring);
        bytesSent += moved;
    } else {
        // One byte is waited for; whatever else the input queue holds at that
        // moment comes along in the same read and is handed out byte by byte
        // by the next calls (a purge discards it with the queue).
        moved = ReadAhead(transferring);
        if (moved > 0) {
            byte = readAhead_[0];
            readAheadNext_ = 1;
            readAheadEnd_ = moved;
        }
    }
    if (moved == 0 && ClosedSince(closes)) {
        ReportPortError(stoppedText, 0);
        return false;
    }
    return moved > 0 && !TransferFailed;
}

// ---------------------------------------------------------------------------
// Calling side

bool SendByte(uint8_t byte) {
    TComm *port = CurrentPort();
    if (!port) {
        TransferFailed = true;
        ReportPortError("Zapis przerwany.", 0);
        return false;
    }
    return port->TransferByte(true, byte);
}

uint64_t BytesSent() {
    return bytesSent.load();
}

bool ReceiveByte(uint8_t &destination) {
    TComm *port = CurrentPort();
    if (!port) {
        TransferFailed = true;
        ReportPortError("Przerwany zapis ", 0);
        return false;
    }
    uint8_t byte = 0;
    if (!port->TransferByte(false, byte)) return false;
    destination = byte;
    return true;
}

bool ProbePort(unsigned portNumber) {
    // Only whether the port can be had exclusively: opened without waiting
    // for a carrier, a terminal, and its advisory lock free (a port held by
    // a program using the terminal's exclusive mode fails at the open). No
    // line setting and no modem line is touched, so a port that another
    // program holds without a lock keeps its settings; the lock goes with
    // the close. (The kernel itself raises DTR and RTS when a serial port is
    // first opened, and drops them at its last close when HUPCL is set.)
    const std::string path = PortDevicePath(portNumber);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    const bool ok =
        ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && ::isatty(fd) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return ok;
}

} // namespace darvo
