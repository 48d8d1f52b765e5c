// The exported C functions with arbitrary arguments (nulls, extremes, long
// and unterminated texts) against the emulated printer. Each input is a
// list of calls: a byte picks the function, the bytes after it give its
// arguments. The printer is a fresh one for every input.
#include "Emulator.h"
#include "darvodr/Session.h"
#include "darvodr/darvodr.h"
#include "serial/Comm.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

class Input {
  public:
    Input(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return pos_ >= size_; }
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int32_t Int() {
        // Mostly the edges, otherwise any value.
        switch (Byte() % 8) {
        case 0: return 0;
        case 1: return -1;
        case 2: return INT32_MAX;
        case 3: return INT32_MIN;
        case 4: return Byte();
        default: {
            uint32_t v = 0;
            for (int i = 0; i < 4; ++i)
                v |= uint32_t(Byte()) << (8 * i);
            return static_cast<int32_t>(v);
        }
        }
    }
    // A text: null, terminated (up to 1000 characters) or unterminated (the
    // 254 characters the driver may look at, no terminating zero).
    const char *Text() {
        const uint8_t kind = Byte() % 4;
        if (kind == 0) return nullptr;
        size_t length = Byte();
        if (kind == 3) length *= 4; // long
        std::vector<char> text;
        for (size_t i = 0; i < length && !Empty(); ++i)
            text.push_back(static_cast<char>(Byte()));
        if (kind == 2) {
            text.resize(254, 'x');
            for (char &c : text)
                if (c == '\0') c = 'x';
        } else {
            text.push_back('\0');
        }
        texts_.push_back(std::move(text));
        return texts_.back().data();
    }
    // A caller's buffer big enough for any text, or null.
    char *Buffer() {
        if (Byte() % 8 == 0) return nullptr;
        buffers_.emplace_back(1024, '\0');
        return buffers_.back().data();
    }

  private:
    const uint8_t *data_;
    size_t size_;
    size_t pos_ = 0;
    std::vector<std::vector<char>> texts_;
    std::vector<std::vector<char>> buffers_;
};

constexpr uint8_t kPort = 7;

void Call(Input &in) {
    int32_t n = 0, v[7] = {};
    switch (in.Byte() % 44) {
    case 0: OpenPort(in.Byte() % 2 ? kPort : in.Byte(), static_cast<uint32_t>(in.Int()), 1, 1); break;
    case 1: ClosePort(); break;
    case 2: {
        // Commands the printer answers at once with a known length.
        static const uint8_t commands[][2] = {{0x23, 1}, {0x5B, 2}, {0x95, 1}, {0xFF, 2}, {0xFE, 4}};
        const auto &c = commands[in.Byte() % 5];
        uint8_t answer[256], data[256] = {};
        const int32_t sendLength = in.Byte() % 4 == 0 ? in.Int() : 0;
        RSSequence(c[0], in.Byte() % 4 == 0 ? in.Int() : c[1], sendLength, in.Byte() % 2 ? answer : nullptr,
                   in.Byte() % 2 ? data : nullptr);
        break;
    }
    case 3: PrintControl(in.Int(), in.Byte()); break;
    case 4: PrintResume(); break;
    case 5: CommunicationInit(in.Byte() % 2 ? kPort : in.Byte(), in.Int(), in.Byte() % 2); break;
    case 6: CommunicationEnd(); break;
    case 7: pDeviceName(in.Buffer()); break;
    case 8: pDllVersion(in.Buffer()); break;
    case 9: pDllAuthor(in.Buffer()); break;
    case 10: pErrMessage(in.Int(), in.Buffer()); break;
    case 11: ReceiptConditions(); break;
    case 12: ReceiptBegin(); break;
    case 13: {
        uint32_t value = static_cast<uint32_t>(in.Int());
        const int32_t rodzaj = in.Int();
        const char *name = in.Text();
        const int32_t rate = in.Byte() % 2 ? in.Byte() % 9 : in.Int();
        const int32_t message = in.Int();
        const uint32_t quantity = static_cast<uint32_t>(in.Int());
        const int32_t mp = in.Int();
        const char *unit = in.Text();
        pReceiptItem(rodzaj, name, rate, message, quantity, mp, unit, static_cast<uint32_t>(in.Int()),
                     in.Byte() % 8 ? &value : nullptr);
        break;
    }
    case 14: PackageItem(in.Int(), in.Int(), in.Int(), in.Int()); break;
    case 15: PrintSubtotal(); break;
    case 16: ReceiptEnd(in.Int()); break;
    case 17: ReceiptCancel(); break;
    case 18: pCharsInArticleName(in.Text()); break;
    case 19: {
        const int32_t slot = in.Int();
        const char *name = in.Text();
        pFillPayment(slot, name, in.Int(), in.Int());
        break;
    }
    case 20: {
        const int32_t code = in.Int();
        const char *text = in.Text();
        pFillLines(code, text, in.Byte() % 8 ? &n : nullptr);
        break;
    }
    case 21: ErasePayments(); break;
    case 22: EraseLines(); break;
    case 23: {
        int32_t *p[8] = {&n, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6]};
        const uint8_t nulls = in.Byte();
        for (int i = 0; i < 8; ++i)
            if (nulls & (1u << i) && in.Byte() % 4 == 0) p[i] = nullptr;
        ReadVAT(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
        break;
    }
    case 24: {
        for (int32_t &x : v)
            x = in.Byte() % 2 ? in.Int() : 100 * (in.Byte() % 30);
        SetVAT(in.Byte() % 8 ? &n : nullptr, v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
        break;
    }
    case 25: DailyReport(in.Int()); break;
    case 26: PeriodReport(in.Int(), in.Int(), in.Int(), in.Int(), in.Int(), in.Int(), in.Int()); break;
    case 27: MonthlyReport(in.Int(), in.Int(), in.Int()); break;
    case 28: NumberReport(in.Int(), static_cast<uint16_t>(in.Int()), static_cast<uint16_t>(in.Int())); break;
    case 29: LockedArticlesReport(); break;
    case 30: PrinterStatusReport(); break;
    case 31: ReceiptNumber(in.Byte() % 8 ? &n : nullptr); break;
    case 32: DailyReportNumber(in.Byte() % 8 ? &n : nullptr); break;
    case 33: pReadTotal(in.Buffer()); break;
    case 34: {
        const char *selector = in.Text();
        pReadSelTotal(selector, in.Buffer());
        break;
    }
    case 35: pReadClock(in.Buffer()); break;
    case 36: WriteLineFeed(in.Byte()); break;
    case 37: pReadUniqueNumber(in.Buffer()); break;
    case 38: OpenDrawer(in.Int()); break;
    case 39: {
        std::string name;
        DeviceName(name);
        break;
    }
    case 40: {
        std::string text;
        ErrMessage(in.Int(), text);
        break;
    }
    case 41: {
        std::string op;
        PrinterNumber(n, op);
        break;
    }
    case 42: {
        std::string date, time;
        ReadClock(date, time);
        break;
    }
    default: {
        const char *text = in.Text();
        std::string s = text ? std::string(text, strnlen(text, 254)) : std::string();
        CharsInArticleName(s);
        break;
    }
    }
}

std::unique_ptr<darvosim::Emulator> sim;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    darvo::LineSettleTime = std::chrono::milliseconds(0); // the emulator has no line to settle
    if (sim) sim->Stop();
    sim = std::make_unique<darvosim::Emulator>();
    if (!sim->Start()) std::abort();
    ::setenv("DARVO_COM7", sim->SlavePath().c_str(), 1);
    darvo::SessionReady = true;
    darvo::ReceiptOpen = false;
    CommunicationInit(kPort, 9600, 1);
    Input in(data, size);
    for (int calls = 0; calls < 32 && !in.Empty(); ++calls)
        Call(in);
    CommunicationEnd();
    return 0;
}
