#include "JsonText.h"

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace darvo::pos {

namespace {

using nlohmann::json;

// Follows the parser through the document, keeping the path of the value
// being read and the keys of each object open.
class Walker : public nlohmann::json_sax<json> {
  public:
    explicit Walker(std::string_view text) : text_(text) {}
    Problems problems;

    bool null() override { return Value(); }
    bool boolean(bool) override { return Value(); }
    bool number_integer(number_integer_t) override { return Value(); }
    bool number_unsigned(number_unsigned_t) override { return Value(); }
    bool number_float(number_float_t, const string_t &) override { return Value(); }
    bool string(string_t &) override { return Value(); }
    bool binary(binary_t &) override { return Value(); }
    bool start_object(std::size_t) override {
        Enter();
        stack_.push_back({true, {}, "", 0});
        return true;
    }
    bool key(string_t &key) override {
        Level &l = stack_.back();
        if (!l.keys.insert(key).second && duplicates_.insert(Path() + Member(key)).second)
            problems.push_back({Path() + Member(key), "given twice in one object: give each field once"});
        l.key = key;
        return true;
    }
    bool end_object() override {
        stack_.pop_back();
        return true;
    }
    bool start_array(std::size_t) override {
        Enter();
        stack_.push_back({false, {}, "", 0});
        return true;
    }
    bool end_array() override {
        stack_.pop_back();
        return true;
    }
    bool parse_error(std::size_t position, const std::string &,
                     const nlohmann::detail::exception &e) override {
        // The parser's own words, after its "[json.exception.parse_error.101]
        // parse error at line 1, column 5: " prefix.
        std::string what;
        const std::string full = e.what();
        const size_t colon = full.find(": ");
        // What it last read may be any bytes: shown as text only where they are ASCII.
        for (unsigned char c : full.substr(colon == std::string::npos ? 0 : colon + 2)) {
            if (c >= 0x20 && c < 0x7F) {
                what += static_cast<char>(c);
            } else {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                what += hex;
            }
        }
        size_t line = 1, column = 1;
        for (size_t i = 0; i + 1 < position && i < text_.size(); ++i) {
            if (text_[i] == '\n') {
                ++line;
                column = 1;
            } else if ((static_cast<unsigned char>(text_[i]) & 0xC0) != 0x80) {
                ++column;
            }
        }
        problems.assign({{"", "not valid JSON (UTF-8) at line " + std::to_string(line) + ", column " +
                                  std::to_string(column) + ": " + what}});
        return false;
    }

  private:
    struct Level {
        bool object;
        std::set<std::string> keys;
        std::string key; // objects: the key being read
        size_t index;    // arrays: the item being read
    };
    static std::string Member(const std::string &key) { return "." + key; }
    // The path of the value about to be read.
    std::string Path() const {
        std::string path;
        for (size_t i = 0; i + 1 < stack_.size(); ++i) {
            const Level &l = stack_[i];
            path += l.object ? "." + l.key : "[" + std::to_string(l.index - 1) + "]";
        }
        return path;
    }
    // A value begins in the array or object at the top.
    void Enter() {
        if (!stack_.empty() && !stack_.back().object) ++stack_.back().index;
    }
    bool Value() {
        Enter();
        return true;
    }
    std::string_view text_;
    std::vector<Level> stack_;
    std::set<std::string> duplicates_;
};

} // namespace

Problems CheckJsonText(std::string_view text) {
    Walker walker(text);
    json::sax_parse(text, &walker);
    // Paths begin with the first member's name, as the receipt's problems do.
    for (Problem &p : walker.problems)
        if (!p.path.empty() && p.path[0] == '.') p.path.erase(0, 1);
    return walker.problems;
}

} // namespace darvo::pos
