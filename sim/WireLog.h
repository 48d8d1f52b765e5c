// Every byte between host and printer, timestamped and grouped by frame
// (a frame starts with the ESC that opens a command).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace darvosim {

using Bytes = std::vector<uint8_t>;

struct WireEntry {
    double seconds; // since the emulator started
    bool fromHost;  // true: host -> printer
    uint8_t byte;
    int frame; // frame number, 0 for bytes outside any frame
};

struct Frame {
    int number = 0;
    uint8_t command = 0;
    Bytes fromHost;    // everything the host sent, ESC and command byte included
    Bytes fromPrinter; // everything the printer answered
};

class WireLog {
  public:
    void Add(bool fromHost, uint8_t byte, int frame, double seconds);
    // Runs `send` and, when it returns true, adds the byte, both under the
    // log's lock: whoever reads the log after the byte arrived finds it there.
    template <class Send> bool AddSent(bool fromHost, uint8_t byte, int frame, double seconds, Send &&send) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!send()) return false;
        AddLocked(fromHost, byte, frame, seconds);
        return true;
    }
    std::vector<WireEntry> Entries() const;
    std::vector<Frame> Frames() const;
    // The frames whose command byte is `command`.
    std::vector<Frame> FramesOf(uint8_t command) const;
    // The command bytes of all frames, in order.
    Bytes Commands() const;
    void Clear();
    // Waits until the log holds at least `count` bytes from the host.
    bool WaitForHostBytes(size_t count, std::chrono::milliseconds timeout);
    // Text form: one line per frame and direction, hex bytes.
    std::string Text() const;
    // Appends new lines to `path` as they come (empty: off).
    void SetFile(const std::string &path);

  private:
    void AddLocked(bool fromHost, uint8_t byte, int frame, double seconds);

    mutable std::mutex mutex_;
    std::condition_variable added_;
    std::vector<WireEntry> entries_;
    size_t hostBytes_ = 0;
    std::string path_;
    int lastFileFrame_ = -1;
    bool lastFileFromHost_ = false;
};

std::string Hex(const Bytes &bytes);

} // namespace darvosim
