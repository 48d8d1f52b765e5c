// TComm: one serial port opened for the printer, with fixed line settings
// (caller's speed, 8 data bits, even parity, one stop bit, CTS output flow
// control, raw mode), exclusive access, one-byte transfers with total
// time-outs, and an event thread that reports line errors.
//
// A transfer runs in the calling thread: handing every byte to a worker
// thread and back cost two thread wake-ups a byte, more than the printer's
// own turnaround on a busy machine. Each byte is still written alone and is
// complete only when it has left the output queue; ReceiveByte hands out one
// byte a call, each with its own time-out, and the bytes that were already
// waiting behind the first are taken in the same read.
//
// Ports are named as on the printer's original platform, "Com<n>". Port n
// opens the device named by the environment variable DARVO_COM<n> (read at
// each open), else the one the port map (/etc/darvo/ports.conf) gives it,
// else /dev/ttyS<n-1> (PortMap.h). A damaged port map opens nothing: the
// open fails with ERR_BAD_CONFIGURATION and a text naming the file's line.
#pragma once

#include "Event.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <termios.h>
#include <thread>

namespace darvo {

// Port events, in the order of the port's event set.
constexpr uint32_t EV_BREAK = 0x40;
constexpr uint32_t EV_CTS = 0x08;
constexpr uint32_t EV_DSR = 0x10;
constexpr uint32_t EV_ERR = 0x80;
constexpr uint32_t EV_RING = 0x100;
constexpr uint32_t EV_RLSD = 0x20;
constexpr uint32_t EV_RXCHAR = 0x01;
constexpr uint32_t EV_RXFLAG = 0x02;
constexpr uint32_t EV_TXEMPTY = 0x04;

// Line error flags.
constexpr uint32_t CE_RXOVER = 0x0001;
constexpr uint32_t CE_OVERRUN = 0x0002;
constexpr uint32_t CE_RXPARITY = 0x0004;
constexpr uint32_t CE_FRAME = 0x0008;
constexpr uint32_t CE_BREAK = 0x0010;
constexpr uint32_t CE_TXFULL = 0x0100;

// Device path of port n: $DARVO_COM<n>, else the port map's, else
// /dev/ttyS<n-1>; empty when the port map is damaged.
std::string PortDevicePath(unsigned portNumber);

// Sets any line speed (9600, 19200, 28800, ...) through the kernel's termios2
// interface. Returns 0 or an errno value.
int SetLineSpeed(int fd, uint32_t baudRate);
// Reads the output line speed; 0 when it cannot be read.
uint32_t GetLineSpeed(int fd);

class TComm;

// Watches the port for line errors and passes them to the calling thread,
// which runs TComm::DispatchCommEvents the next time it processes events.
class TZdarzeniaCommThread {
  public:
    TZdarzeniaCommThread(TComm &owner, int handle, uint16_t eventSet);
    ~TZdarzeniaCommThread();
    void Stop();

  private:
    void Execute();
    void DoCommEvent(uint32_t mask);

    TComm &owner_;
    [[maybe_unused]] int handle_; // the line errors are read through the owner
    uint32_t eventMask_;
    Event ownStop_;
    std::thread thread_;
};

class TComm {
  public:
    TComm();
    virtual ~TComm();
    TComm(const TComm &) = delete;
    TComm &operator=(const TComm &) = delete;

    uint32_t Connect();
    uint32_t Disconnect();
    virtual uint32_t CreatePortHandle();
    void ClosePortHandle();
    bool IsOpen() const { return handle_ >= 0; }
    uint32_t ApplyLineSettings();
    uint32_t ApplyTimeouts(uint16_t writeSeconds, uint16_t readSeconds);
    uint32_t PurgeOutput();
    uint32_t PurgeInput();
    virtual void HandleCommEvent(uint32_t mask);
    void DispatchCommEvents(TZdarzeniaCommThread *thread, uint32_t events);

    // Reads `count` bytes; with `room` beyond `count`, bytes already waiting
    // fill the buffer up to `room` too. Returns the bytes read, 0 on failure.
    uint32_t ReadBytes(uint8_t *buffer, uint32_t count, uint32_t room = 0);
    // The same by `deadline`; when `pause` comes first with nothing read, it
    // returns 0 with `paused` set and nothing reported.
    using Deadline = std::chrono::steady_clock::time_point;
    uint32_t ReadBytes(uint8_t *buffer, uint32_t count, uint32_t room, Deadline deadline, Deadline pause,
                       bool &paused);
    // One byte either way, in the calling thread: SendByte and ReceiveByte.
    bool TransferByte(bool write, uint8_t &byte);

    // Reads the modem-status lines (TIOCM_ bits) into `lines`: 0, or the
    // errno value of the failure (ENOTTY or EINVAL: the device has none, as
    // a pseudo-terminal). Virtual, so a stand-in can play a line whose CTS
    // goes inactive.
    virtual int ReadModemLines(int &lines);

    // Runs, in the calling thread, a port event that the event thread has
    // posted; returns true when one was run.
    bool ProcessCommEvents();
    // Makes the event thread see these line errors as if the line had
    // reported them (a pseudo-terminal has no line errors of its own).
    void InjectLineErrors(uint32_t ceFlags);
    // Waits until the event thread has posted an event for the calling thread.
    bool WaitCommEventPosted(std::chrono::milliseconds timeout);

    // Configuration, as set by the session's ConfigurePort.
    std::string portName = "Comm2";
    uint32_t baudRate = 9600;
    uint8_t parity = 2;   // even
    uint8_t stopBits = 0; // one
    uint8_t byteSize = 8;
    uint32_t inputQueueSize = 4096;
    uint32_t outputQueueSize = 2048;
    uint16_t writeTimeout = 5;
    uint16_t readTimeout = 5;
    uint16_t eventSet = 511;
    uint32_t lineErrors = 0;

    int Handle() const { return handle_; }
    std::string DevicePath() const { return devicePath_; }
    // Time-outs in force, in seconds (0: at once for reads, one second for writes).
    uint16_t WriteTimeoutInForce() const { return activeWrite_.load(); }
    uint16_t ReadTimeoutInForce() const { return activeRead_.load(); }

  private:
    friend class TZdarzeniaCommThread;
    uint32_t CollectLineErrors();
    bool ClearToSend();
    // Writes one byte and waits until it has left the output queue.
    uint32_t WriteBytes(const uint8_t *buffer, std::unique_lock<std::mutex> &transferring);
    // Waits for the next byte into readAhead_ (and takes what waits behind
    // it).
    uint32_t ReadAhead(std::unique_lock<std::mutex> &transferring);
    // Both run the wait hook between the slices of their waits, with the
    // port let go; false when the port was closed meanwhile (the transfer
    // then ends as stopped).
    bool LetHookRun(std::unique_lock<std::mutex> &transferring);
    // True when the port was closed (or closed and opened again) since the
    // transfer that saw `closes` began (under transferMutex_).
    bool ClosedSince(uint64_t closes) const;

    // Read by a transfer and by a caller's purge while another thread may
    // close the port; closeMutex_ keeps a purge, and transferMutex_ a
    // transfer, off a descriptor being closed.
    std::atomic<int> handle_{-1};
    std::mutex closeMutex_;
    std::mutex transferMutex_;
    // Bytes taken from the input queue along with an earlier one, not yet
    // handed out (under transferMutex_).
    uint8_t readAhead_[256] = {};
    uint32_t readAheadNext_ = 0, readAheadEnd_ = 0;
    // The device reports no modem lines; CTS is not looked at again until
    // the next open (under transferMutex_).
    bool noModemLines_ = false;
    // Closes of the port so far (under transferMutex_).
    uint64_t closes_ = 0;
    std::string devicePath_;
    bool haveSavedSettings_ = false;
    termios savedSettings_{};
    uint32_t savedSpeed_ = 0;
    std::atomic<uint16_t> activeWrite_{5}, activeRead_{5};
    uint16_t savedWrite_ = 0, savedRead_ = 0;
    std::unique_ptr<TZdarzeniaCommThread> eventThread_;

    // Line-error sources and the hand-over from the event thread.
    std::mutex eventMutex_;
    std::condition_variable eventCv_;
    uint32_t injectedErrors_ = 0;
    uint32_t accumulatedErrors_ = 0;
    bool countersValid_ = false;
    int lastCounters_[5] = {0, 0, 0, 0, 0};
    bool eventPosted_ = false;
    uint32_t postedMask_ = 0;
    TZdarzeniaCommThread *postingThread_ = nullptr;
    Event injectEvent_;
};

// Pause between setting up the line and its first byte, 50 ms: the line,
// and a USB adapter behind it, settle before the printer is spoken to.
// Paid once per open, never per exchange. A variable, so that in-process
// tests against the emulator, which has no line to settle, can leave it out.
constexpr std::chrono::milliseconds kLineSettleTime{50};
extern std::chrono::milliseconds LineSettleTime;

// Shared transfer state (one port per process): StopEvent is set while no
// port is open and by Disconnect, and ends every transfer's wait;
// TransferFailed is true when the last transfer moved no byte.
extern Event StopEvent;
extern std::atomic<bool> TransferFailed;

// Run by a transfer that has waited a slice of its time-out (25 ms) for a
// byte to come in, or to go out (CTS, the output queue), in the waiting
// thread and with the port let go, then again after each further slice: the
// driver lets its host process its messages there.
// Null (the default): the wait is one piece. Returns the hook it replaces.
using WaitHook = void (*)();
WaitHook SetWaitHook(WaitHook hook);

// The port the event thread and SendByte/ReceiveByte serve.
TComm *CurrentPort();
void SetCurrentPort(TComm *port);

// Calling side of a one-byte transfer; blocks until it has ended.
bool SendByte(uint8_t byte);
bool ReceiveByte(uint8_t &destination);
// Bytes SendByte has handed to a line since the process started.
uint64_t BytesSent();

// True when port n can be opened exclusively right now; its line settings
// and modem lines are left as they are.
bool ProbePort(unsigned portNumber);

} // namespace darvo
