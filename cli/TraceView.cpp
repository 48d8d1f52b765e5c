// `trace FILE`: a DARVO_TRACE file for people. The driver writes one line
// per command start, per run of bytes in one direction and per exported
// call, each with its time; here every command gets its name, its
// parameters and its answer in words, and every line the time since the
// one before.
#include "Cli.h"
#include "Commands.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

namespace darvo::cli {

namespace {

constexpr size_t kStampLength = 23; // "2024-05-01 14:05:01.123"

// Milliseconds since the epoch of a trace line's time; -1 when it has none.
double Millis(const std::string &line) {
    std::tm tm{};
    int ms = 0;
    if (line.size() < kStampLength ||
        std::sscanf(line.c_str(), "%4d-%2d-%2d %2d:%2d:%2d.%3d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &ms) != 7)
        return -1;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    return static_cast<double>(std::mktime(&tm)) * 1000 + ms;
}

Bytes HexBytes(const std::string &text) {
    Bytes out;
    unsigned v = 0;
    int consumed = 0;
    for (const char *p = text.c_str(); std::sscanf(p, " %2x%n", &v, &consumed) == 1; p += consumed)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}

// A line as it may be shown: bytes that are not printable text (a damaged
// line) as \xNN.
std::string Printable(const std::string &line) {
    std::string out;
    for (size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        // A whole UTF-8 sequence stays as it is.
        size_t length = c < 0x80             ? 1
                        : (c & 0xE0) == 0xC0 ? 2
                        : (c & 0xF0) == 0xE0 ? 3
                        : (c & 0xF8) == 0xF0 ? 4
                                             : 0;
        bool whole = length > 0 && i + length <= line.size() && (c >= 0x20 || c == '\t') && c != 0x7F;
        for (size_t k = 1; whole && k < length; ++k)
            whole = (static_cast<unsigned char>(line[i + k]) & 0xC0) == 0x80;
        if (whole) {
            out.append(line, i, length);
            i += length - 1;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

struct Block {
    bool open = false;
    uint8_t command = 0;
    Bytes sent, received;
    std::vector<std::string> lines; // the block's byte lines, with their times
};

class Viewer {
  public:
    void Line(const std::string &line) {
        const double at = Millis(line);
        if (at < 0) {
            Flush();
            entries_.push_back({{"kind", "other"}, {"text", line}});
            text_ += line + "\n";
            return;
        }
        const double delta = last_ < 0 ? 0 : at - last_;
        last_ = at;
        const std::string time = line.substr(11, 12), rest = line.size() > 24 ? line.substr(24) : "";
        char prefix[48];
        std::snprintf(prefix, sizeof prefix, "%s %+7.0f ms  ", time.c_str(), delta);
        unsigned command = 0;
        if (std::sscanf(rest.c_str(), "-- command %u", &command) == 1) {
            Flush();
            block_ = Block{true, static_cast<uint8_t>(command), {}, {}, {}};
            blockTime_ = line.substr(0, kStampLength);
            blockDelta_ = delta;
            blockPrefix_ = prefix;
        } else if (rest.compare(0, 3, ">> ") == 0 || rest.compare(0, 3, "<< ") == 0) {
            const Bytes bytes = HexBytes(rest.substr(3));
            Bytes &into = rest[0] == '>' ? block_.sent : block_.received;
            into.insert(into.end(), bytes.begin(), bytes.end());
            block_.lines.push_back(std::string(prefix) + "  " + rest);
        } else {
            Flush();
            const size_t arrow = rest.rfind(" -> ");
            if (arrow == std::string::npos) {
                entries_.push_back({{"kind", "other"}, {"text", line}});
                text_ += std::string(prefix) + rest + "\n";
                return;
            }
            const std::string function = rest.substr(0, arrow);
            const int32_t result = std::atoi(rest.c_str() + arrow + 4);
            const std::string message = result != 0 ? pos::MessageOf(result) : "";
            entries_.push_back({{"kind", "call"},
                                {"time", line.substr(0, kStampLength)},
                                {"delta_ms", delta},
                                {"function", function},
                                {"result", result},
                                {"message", message}});
            text_ += std::string(prefix) + "= " + function + " -> " + std::to_string(result) +
                     (message.empty() ? "" : " (" + message.substr(0, message.find('\n')) + ")") + "\n";
        }
    }

    // The command a block holds, in words, then its byte lines.
    void Flush() {
        if (!block_.open) return;
        const Block &b = block_;
        // The first two bytes sent are ESC and the command byte.
        const Bytes parameters(b.sent.size() > 2 ? b.sent.begin() + 2 : b.sent.end(), b.sent.end());
        const std::string name = CommandName(b.command), params = DescribeParameters(b.command, parameters);
        const std::string answer = b.received.empty() ? "" : DescribeAnswer(b.command, b.received);
        entries_.push_back({{"kind", "command"},
                            {"time", blockTime_},
                            {"delta_ms", blockDelta_},
                            {"command", b.command},
                            {"name", name},
                            {"parameters", params},
                            {"answer", answer},
                            {"sent", Hex(b.sent)},
                            {"received", Hex(b.received)}});
        text_ += blockPrefix_ + "-- " + name + " (" + std::to_string(b.command) + ")" +
                 (params.empty() ? "" : ": " + params) + "\n";
        for (const std::string &l : b.lines)
            text_ += l + "\n";
        if (!answer.empty()) text_ += std::string(blockPrefix_.size(), ' ') + "   " + answer + "\n";
        block_ = Block{};
    }

    json entries_ = json::array();
    std::string text_;

  private:
    Block block_;
    std::string blockTime_, blockPrefix_;
    double blockDelta_ = 0;
    double last_ = -1;
};

} // namespace

int RunTrace(Context &c, const std::string &file) {
    std::string text, error;
    if (!ReadInput(file, 64u << 20, text, error)) return c.Error(kBadInput, error);
    Viewer viewer;
    std::istringstream in(text);
    std::string line;
    bool traced = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        traced = traced || Millis(line) >= 0;
        viewer.Line(Printable(line));
    }
    // Not one line of the driver's: some other file.
    if (!traced && !text.empty())
        return c.Error(kBadInput,
                       file + ": not a DARVO_TRACE file (no line begins with the time of an exchange)");
    viewer.Flush();
    return c.Done({{"file", file}, {"entries", viewer.entries_}}, viewer.text_);
}

} // namespace darvo::cli
