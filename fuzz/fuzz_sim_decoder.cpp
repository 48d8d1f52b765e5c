// The emulator's command decoder fed raw frames: the first byte picks the
// model, the rest is what the host sends (escape bytes open frames, other
// bytes are loose). Every answer goes nowhere.
#include "FiscalState.h"
#include "Printer.h"

#include <cstddef>
#include <cstdint>

namespace {

class BufferLink : public darvosim::Link {
  public:
    BufferLink(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    void Send(const darvosim::Bytes &bytes) override { sent_ += bytes.size(); }
    bool Read(size_t n, darvosim::Bytes &out) override {
        out.clear();
        if (size_ - pos_ < n) {
            pos_ = size_;
            return false;
        }
        out.assign(data_ + pos_, data_ + pos_ + n);
        pos_ += n;
        return true;
    }
    bool Next(uint8_t &byte) {
        if (pos_ >= size_) return false;
        byte = data_[pos_++];
        return true;
    }

  private:
    const uint8_t *data_;
    size_t size_;
    size_t pos_ = 0;
    size_t sent_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    darvosim::Printer printer(data[0] % 10);
    BufferLink link(data + 1, size - 1);
    std::lock_guard<std::recursive_mutex> lock(printer.mutex);
    uint8_t byte;
    while (link.Next(byte)) {
        if (byte != darvosim::ESC) {
            darvosim::LooseByte(printer, byte);
            continue;
        }
        uint8_t command;
        if (!link.Next(command)) break;
        printer.Handle(command, link);
        darvosim::AfterCommand(printer);
    }
    return 0;
}
