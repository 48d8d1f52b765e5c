#include "Requests.h"

#include "pos/Dates.h"
#include "pos/JsonText.h"

#include <cctype>
#include <cstdio>
#include <set>
#include <tuple>

namespace darvo::service {

using nlohmann::json;
using pos::Problems;

namespace {

class Body {
  public:
    Body(std::string_view text, Problems &problems, std::set<std::string> known) : problems_(problems) {
        if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
            doc_ = json::object();
            return;
        }
        if (Problems found = pos::CheckJsonText(text); !found.empty()) {
            problems_.insert(problems_.end(), found.begin(), found.end());
            doc_ = json::object();
            return;
        }
        doc_ = json::parse(text, nullptr, false);
        if (doc_.is_discarded() || !doc_.is_object()) {
            problems_.push_back({"", "the body must be a JSON object"});
            doc_ = json::object();
            return;
        }
        for (const auto &item : doc_.items())
            if (!known.count(item.key())) problems_.push_back({item.key(), "unknown field"});
    }
    bool Has(const char *key) const { return doc_.contains(key); }
    bool Bool(const char *key) {
        if (!Has(key)) return false;
        if (!doc_[key].is_boolean()) problems_.push_back({key, "must be true or false"});
        return doc_[key].is_boolean() && doc_[key].get<bool>();
    }
    int Int(const char *key, int low, int high, int otherwise) {
        if (!Has(key)) return otherwise;
        const json &v = doc_[key];
        if (!v.is_number_integer() || v.get<long long>() < low || v.get<long long>() > high) {
            problems_.push_back(
                {key, "a whole number from " + std::to_string(low) + " to " + std::to_string(high)});
            return otherwise;
        }
        return static_cast<int>(v.get<long long>());
    }
    // A month, date or time field into `v` (year, month, day, hour, minute,
    // second).
    bool Time(const char *key, pos::DateForm form, int v[6]) {
        const json &f = doc_[key];
        if (f.is_string() && pos::ParseDateTime(f.get<std::string>(), form, v)) return true;
        problems_.push_back({key, pos::DateFormText(form)});
        return false;
    }

  private:
    Problems &problems_;
    json doc_;
};

void Periodic(Body &body, Problems &problems, json &job) {
    job["detailed"] = body.Bool("detailed");
    const bool dates = body.Has("from") || body.Has("to"), numbers = body.Has("first") || body.Has("last"),
               month = body.Has("month");
    if (dates + numbers + month != 1) {
        problems.push_back({"", "one of: \"from\" and \"to\" (dates), \"first\" and \"last\" (daily report "
                                "numbers), or \"month\""});
        return;
    }
    int from[6], to[6];
    if (dates && body.Time("from", pos::DateForm::Date, from) && body.Time("to", pos::DateForm::Date, to)) {
        if (from[0] < 2001 || to[0] < 2001 ||
            std::make_tuple(from[0], from[1], from[2]) > std::make_tuple(to[0], to[1], to[2]))
            problems.push_back({"to", "on or after \"from\", both in 2001 to 2099"});
        job["dates"] = {from[0], from[1], from[2], to[0], to[1], to[2]};
    } else if (numbers) {
        const int first = body.Int("first", 1, 65535, 0), last = body.Int("last", 1, 65535, 0);
        if (first == 0 || last == 0 || last < first) {
            if (first != 0 && last != 0) problems.push_back({"last", "at least \"first\""});
            if (!body.Has("first") || !body.Has("last"))
                problems.push_back({"", "both \"first\" and \"last\""});
        }
        job["numbers"] = {first, last};
    } else if (month) {
        int m[6];
        if (body.Time("month", pos::DateForm::Month, m)) job["month"] = {m[0], m[1]};
    }
}

} // namespace

bool ValidKey(std::string_view key) {
    if (key.empty() || key.size() > kMaxKeyChars) return false;
    for (unsigned char c : key)
        if (!std::isalnum(c) &&
            std::string_view("-_.~:@").find(static_cast<char>(c)) == std::string_view::npos)
            return false;
    return true;
}

Problems ParseReceiptRequest(const std::string *key, std::string_view body, pos::Receipt &receipt) {
    Problems problems;
    if (!key)
        problems.push_back(
            {kKeyHeader, "required: a key of your own for this receipt, the same when you send it again"});
    else if (!ValidKey(*key))
        problems.push_back({kKeyHeader, kKeyRule});
    if (body.size() > pos::kMaxReceiptBytes) {
        problems.push_back({"", "larger than " + std::to_string(pos::kMaxReceiptBytes) + " bytes"});
        return problems;
    }
    Problems found = pos::ParseReceipt(body, receipt);
    if (found.empty()) {
        pos::Totals totals;
        found = pos::CheckReceipt(receipt, totals);
    }
    problems.insert(problems.end(), found.begin(), found.end());
    return problems;
}

Problems ParseJobRequest(const std::string &kind, std::string_view text, json &job) {
    Problems problems;
    job = {{"op", kind}};
    if (kind == "daily") {
        Body body(text, problems, {"zero"});
        job["zero"] = body.Bool("zero");
    } else if (kind == "financial") {
        Body body(text, problems, {});
    } else if (kind == "periodic") {
        Body body(text, problems, {"from", "to", "first", "last", "month", "detailed"});
        if (problems.empty()) Periodic(body, problems, job);
    } else if (kind == "clock") {
        Body body(text, problems, {"shift_minutes", "init", "confirm"});
        if (body.Has("shift_minutes") == body.Has("init")) {
            problems.push_back(
                {"", "one of: \"shift_minutes\" (-99 to 99) or \"init\" with \"confirm\": true"});
        } else if (body.Has("shift_minutes")) {
            const int minutes = body.Int("shift_minutes", -99, 99, 0);
            if (minutes == 0 && problems.empty()) problems.push_back({"shift_minutes", "not 0"});
            job["shift"] = minutes;
        } else {
            int t[6];
            if (body.Time("init", pos::DateForm::DateTime, t))
                job["init"] = {t[0], t[1], t[2], t[3], t[4], t[5]};
            if (!body.Bool("confirm"))
                problems.push_back({"confirm",
                                    "true: initialising the clock cannot be undone (a PEXA printer "
                                    "erases its memory)"});
        }
    } else if (kind == "recover") {
        Body body(text, problems, {"wait_paper_seconds"});
        job["wait_paper_seconds"] = body.Int("wait_paper_seconds", 0, 300, 0);
    } else {
        problems.push_back({"", "unknown request"});
    }
    return problems;
}

} // namespace darvo::service
