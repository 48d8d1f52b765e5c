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
    // Frames served so far.
    int FrameCount() const { return frame_.load(); }
    // Waits until at least `frames` frames have been served completely.
    bool WaitForFrames(int frames, std::chrono::milliseconds timeout);

  private:
    class PtyLink;
    void Run();
    bool ReadByte(uint8_t &byte, int timeoutMs); // false on time-out, stop or hang-up
    void WriteByte(uint8_t byte, bool follows = false);
    // Pacing: a byte's time on the line, and the hold of a byte received.
    std::chrono::steady_clock::duration ByteTime() const;
    void HoldReceived(bool waited);
    // When the byte just read reached the printer (paced: its arrival at the
    // end of its time on the line), in seconds since the start.
    double ReceivedAt() const;
    void Serve(uint8_t command);
    double Now() const;

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
    // Pacing (emulator thread only): when each direction of the line is free
    // again, and when a read last found nothing queued.
    std::chrono::steady_clock::time_point txFree_{}, rxFree_{}, lastEmptyRead_{};
};

} // namespace darvosim
