#include "WireLog.h"

#include <cstdio>
#include <map>

namespace darvosim {

std::string Hex(const Bytes &bytes) {
    std::string out;
    char buf[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
        out += buf;
    }
    return out;
}

void WireLog::Add(bool fromHost, uint8_t byte, int frame, double seconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    AddLocked(fromHost, byte, frame, seconds);
}

void WireLog::AddLocked(bool fromHost, uint8_t byte, int frame, double seconds) {
    entries_.push_back({seconds, fromHost, byte, frame});
    if (fromHost) ++hostBytes_;
    added_.notify_all();
    if (path_.empty()) return;
    if (std::FILE *f = std::fopen(path_.c_str(), "a")) {
        if (frame != lastFileFrame_ || fromHost != lastFileFromHost_ || entries_.size() == 1) {
            std::fprintf(f, "\n%10.3f #%d %s", seconds, frame, fromHost ? "host>" : "<prn ");
            lastFileFrame_ = frame;
            lastFileFromHost_ = fromHost;
        }
        std::fprintf(f, " %02X", byte);
        std::fclose(f);
    }
}

std::vector<WireEntry> WireLog::Entries() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_;
}

std::vector<Frame> WireLog::Frames() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Frame> frames;
    std::map<int, size_t> index;
    for (const WireEntry &e : entries_) {
        if (e.frame == 0) continue;
        auto it = index.find(e.frame);
        if (it == index.end()) {
            it = index.emplace(e.frame, frames.size()).first;
            frames.push_back(Frame{e.frame, 0, {}, {}});
        }
        Frame &f = frames[it->second];
        (e.fromHost ? f.fromHost : f.fromPrinter).push_back(e.byte);
        if (e.fromHost && f.fromHost.size() == 2) f.command = e.byte;
    }
    return frames;
}

std::vector<Frame> WireLog::FramesOf(uint8_t command) const {
    std::vector<Frame> out;
    for (Frame &f : Frames())
        if (f.fromHost.size() >= 2 && f.command == command) out.push_back(f);
    return out;
}

Bytes WireLog::Commands() const {
    Bytes out;
    for (const Frame &f : Frames())
        if (f.fromHost.size() >= 2) out.push_back(f.command);
    return out;
}

void WireLog::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
    hostBytes_ = 0;
}

bool WireLog::WaitForHostBytes(size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return added_.wait_for(lock, timeout, [&] { return hostBytes_ >= count; });
}

std::string WireLog::Text() const {
    std::string out;
    for (const Frame &f : Frames()) {
        out += "#" + std::to_string(f.number) + " host> " + Hex(f.fromHost) + "\n";
        if (!f.fromPrinter.empty())
            out += "#" + std::to_string(f.number) + " <prn  " + Hex(f.fromPrinter) + "\n";
    }
    return out;
}

void WireLog::SetFile(const std::string &path) {
    std::lock_guard<std::mutex> lock(mutex_);
    path_ = path;
}

} // namespace darvosim
