// Plays a printer on the master side of a pseudo-terminal. The driver opens
// the slave side as its serial port.
#pragma once

#include "Printer.h"
#include "WireLog.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <optional>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace darvosim {

// A scripted answer that replaces the printer's own for one or more frames
// of a command: lets a test make the printer answer anything, say nothing,
// or drop the line in the middle of a frame.
struct Scripted {
    Bytes answer;          // sent after the command byte (empty: nothing, the host times out)
    size_t readParams = 0; // parameter bytes then read from the host
    Bytes after;           // sent after the parameters
    bool hangUp = false;   // close the line after `answer` (the pty disappears)
    int times = 1;         // frames served; -1 for every later frame
};

// A fault on the line or in the printer, injected at one byte of the traffic
// (see Emulator::InjectFault).
enum class FaultKind {
    None,
    NoAnswer,  // the printer says nothing more (it still takes the host's bytes)
    Nak,       // the printer's byte becomes NAK; in place of its first answer byte the
               // rest of the answer is lost as well
    Garbage,   // the printer's byte becomes a byte that means nothing (0xA5)
    Truncate,  // the printer's answer ends at this byte (until the next frame)
    LineError, // the host's port reports a framing error (through the line-error hook)
    HangUp,    // the line is closed as a pulled cable would
    Remove,    // the device is gone: line closed and the link removed
    PowerOff,  // the printer is switched off: no answers, CTS inactive
};
// "noanswer", "nak", "garbage", "truncate", "lineerror", "hangup", "remove",
// "poweroff"; FaultKind::None for any other name.
FaultKind FaultFromName(const std::string &name);
const char *FaultName(FaultKind kind);

struct EmulatorOptions {
    int deviceType = 7;
    int version = -1;
    bool pace = false; // hold each byte, both ways, for its transmission time (11 bits at the line speed)
    std::string linkPath;
    std::string logPath;
    std::string rollPath;
    std::chrono::milliseconds parameterTimeout{1500};
};

class Emulator {
  public:
    explicit Emulator(EmulatorOptions options = {});
    ~Emulator();
    Emulator(const Emulator &) = delete;
    Emulator &operator=(const Emulator &) = delete;

    // Creates the pty and starts serving; false (with Error()) when it cannot.
    bool Start();
    void Stop();
    std::string SlavePath() const { return slavePath_; }
    std::string Error() const { return error_; }

    Printer &printer() { return *printer_; }
    WireLog &log() { return log_; }

    void Script(uint8_t command, Scripted scripted);
    void ClearScripts();
    // Closes the line as a pulled cable would; the pty is gone afterwards.
    void HangUp();
    // Speed the host has set on the line (0 if unknown).
    uint32_t LineSpeed() const;
    // A descriptor of the line's slave side, held by the emulator: tests use
    // it to look at the line settings or to suspend the host's output.
    int SlaveDescriptor() const { return keeper_; }
    // Counts every byte on the line from now on (both directions, from 0)
    // and injects `kind` at byte number `position`. A byte from the host that
    // the fault hits is lost before the printer takes it; a fault at a host
    // byte that changes the printer's answer (NAK, garbage, truncation, line
    // error) hits the printer's next byte. One fault at a time; a new one
    // replaces the old.
    void InjectFault(FaultKind kind, int position);
    // Ends a fault that lasts (no answer, truncation, power off; a hang-up or
    // removal needs Replug) and stops counting.
    void ClearFault();
    bool FaultFired() const { return faultFired_.load(); }
    // Waits until the injected fault has struck.
    bool WaitForFault(std::chrono::milliseconds timeout);
    // True once the line was hung up (by HangUp, a script or a fault) until Replug.
    bool LineClosed() const { return lineClosed_.load(); }
    // Bytes on the line since the last InjectFault (or since the start).
    int WireBytes() const { return wireBytes_.load(); }
    // Run in the emulator's thread when a line error fault fires, before the
    // printer's byte goes out: the tests make the host's port see the error.
    void SetLineErrorHook(std::function<void()> hook);
    // Plugs the printer in again after a hang-up or a removal: a new
    // pseudo-terminal (and link), the same printer, switched on. False (with
    // Error()) when it cannot.
    bool Replug();
    // Frames served so far.
    int FrameCount() const { return frame_.load(); }
    // Waits until at least `frames` frames have been served completely.
    bool WaitForFrames(int frames, std::chrono::milliseconds timeout);
    // Bytes read from the host so far.
    uint64_t HostBytes() const { return hostBytes_.load(); }
    // Waits until the printer has read `hostBytes` bytes from the host and
    // waits for the start of a frame again: a host that gave up on a frame
    // halfway must wait for this (the printer still reads that frame's
    // parameters until they stop coming) before it sends again. A byte the
    // host wrote may reach the printer's side of the line only some time
    // after the write returned, so the count, not the queue, decides.
    // False on time-out.
    bool WaitForIdle(uint64_t hostBytes, std::chrono::milliseconds timeout);
    // Seconds since the start: the clock of the wire log.
    double Now() const;

  private:
    class PtyLink;
    bool OpenLine();
    void CloseLine();
    void Run();
    enum class ByteAction { Send, Drop };
    ByteAction OnPrinterByte(uint8_t &byte); // the fault at a printer byte
    bool OnHostByte();                       // false: the byte is lost
    void FireLineFault(FaultKind kind);
    void NotifyFired();
    bool FrameRefused();
    bool ReadByte(uint8_t &byte, int timeoutMs); // false on time-out, stop or hang-up
    void SetIdle(bool idle);
    void WriteByte(uint8_t byte, bool follows = false);
    // Pacing: a byte's time on the line, and the hold of a byte received.
    std::chrono::steady_clock::duration ByteTime() const;
    void HoldReceived(bool waited);
    // When the byte just read reached the printer (paced: its arrival at the
    // end of its time on the line), in seconds since the start.
    double ReceivedAt() const;
    void Serve(uint8_t command);

    EmulatorOptions options_;
    std::unique_ptr<Printer> printer_;
    WireLog log_;
    int master_ = -1;
    int keeper_ = -1; // a slave descriptor held open, so the line survives the host's closes
    int stopFd_ = -1;
    std::string slavePath_;
    std::string error_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> lineClosed_{false};
    std::atomic<int> frame_{0};
    std::atomic<int> framesDone_{0};
    std::mutex scriptMutex_;
    std::deque<std::pair<uint8_t, Scripted>> scripts_;
    std::mutex doneMutex_;
    std::condition_variable doneCv_;
    std::chrono::steady_clock::time_point start_;
    bool idle_ = false; // under doneMutex_: waiting for a frame, nothing queued
    std::atomic<uint64_t> hostBytes_{0};
    // Pacing (emulator thread only): when each direction of the line is free
    // again, and when a read last found nothing queued.
    std::chrono::steady_clock::time_point txFree_{}, rxFree_{}, lastEmptyRead_{};
    // Fault injection (the emulator's thread acts on it; tests arm it).
    std::mutex faultMutex_;
    FaultKind faultKind_ = FaultKind::None;
    int faultPosition_ = -1;
    std::function<void()> lineErrorHook_;
    std::atomic<int> wireBytes_{0};
    std::atomic<bool> faultFired_{false};
    FaultKind pendingOnPrinter_ = FaultKind::None; // a host-byte fault for the next printer byte
    bool muteAll_ = false;                         // no answer, or powered off
    bool muteFrame_ = false;                       // truncated until the next frame
    int printerBytesInFrame_ = 0;
    bool refused_ = false; // the frame's answer was turned into a refusal
};

} // namespace darvosim
