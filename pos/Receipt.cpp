#include "Receipt.h"

#include "JsonText.h"
#include "PrinterText.h"
#include "darvodr/Receipt.h"

#include <cstring>
#include <limits>

namespace darvo::pos {

using nlohmann::json;

namespace {

struct PaymentTypeInfo {
    PaymentType type;
    const char *name;
    const char *label; // printed when the payment has no name of its own
};
constexpr PaymentTypeInfo kPaymentTypes[] = {
    {PaymentType::Cash, "cash", "Gotówka"},    {PaymentType::Card, "card", "Karta"},
    {PaymentType::Cheque, "cheque", "Czek"},   {PaymentType::Voucher, "voucher", "Bon"},
    {PaymentType::Credit, "credit", "Kredyt"}, {PaymentType::Transfer, "transfer", "Przelew"},
    {PaymentType::Other, "other", "Inna"},
};

std::string Index(const std::string &path, size_t i) {
    return path + "[" + std::to_string(i) + "]";
}

std::string Member(const std::string &path, const char *key) {
    return path.empty() ? key : path + "." + key;
}

// Reads the fields of one JSON object, noting every problem.
class ObjectReader {
  public:
    ObjectReader(const json &object, std::string path, Problems &problems,
                 std::initializer_list<const char *> known)
        : object_(object), path_(std::move(path)), problems_(problems) {
        if (!object.is_object()) {
            Add(path_, "must be a JSON object");
            return;
        }
        for (const auto &item : object.items()) {
            bool isKnown = false;
            for (const char *k : known)
                isKnown = isKnown || item.key() == k;
            if (!isKnown) Add(Member(path_, item.key().c_str()), "unknown field");
        }
    }
    bool ok() const { return object_.is_object(); }
    const std::string &path() const { return path_; }
    Problems &problems() { return problems_; }
    void Add(const std::string &path, const std::string &message) { problems_.push_back({path, message}); }

    // The field, or null when it is missing (a problem when required).
    const json *Field(const char *key, bool required) {
        if (!ok()) return nullptr;
        auto it = object_.find(key);
        if (it == object_.end()) {
            if (required) Add(Member(path_, key), "missing");
            return nullptr;
        }
        return &*it;
    }
    // The field when it is of the kind `accepted` tells, else null (a
    // problem, `expected`, when it is there but of another kind).
    template <class Accepted>
    const json *Typed(const char *key, bool required, Accepted accepted, const char *expected) {
        const json *v = Field(key, required);
        if (v && !accepted(*v)) {
            Add(Member(path_, key), expected);
            return nullptr;
        }
        return v;
    }
    // A text, its letters written with combining accents made the letters
    // the printer prints ("z" U+0307 is "ż").
    std::optional<std::string> String(const char *key, bool required) {
        const json *v = Typed(
            key, required, [](const json &j) { return j.is_string(); }, "must be a string");
        return v ? std::optional(Nfc(v->get<std::string>())) : std::nullopt;
    }
    // An amount as a decimal string ("3.49"); a JSON number is refused, as
    // it may have passed through binary floating point already.
    std::optional<int64_t> Amount(const char *key, bool required) {
        const json *v = Typed(
            key, required, [](const json &j) { return j.is_string(); },
            "must be a decimal string such as \"3.49\"");
        std::string why;
        auto a = v ? ParseAmount(v->get<std::string>(), why) : std::nullopt;
        if (v && !a) Add(Member(path_, key), why);
        return a;
    }
    std::optional<Decimal> Number(const char *key, int maxDecimals, bool required) {
        const json *v = Typed(
            key, required, [](const json &j) { return j.is_string() || j.is_number_unsigned(); },
            "must be a decimal string such as \"1.5\" or a whole number");
        std::string why;
        auto d = v ? ParseDecimal(v->is_string() ? v->get<std::string>() : v->dump(), maxDecimals, why)
                   : std::nullopt;
        if (v && !d) Add(Member(path_, key), why);
        return d;
    }
    std::optional<int64_t> Integer(const char *key, bool required) {
        const json *v = Typed(
            key, required, [](const json &j) { return j.is_number_integer(); }, "must be a whole number");
        return v ? std::optional(v->get<int64_t>()) : std::nullopt;
    }
    const json *Array(const char *key, bool required) {
        return Typed(
            key, required, [](const json &j) { return j.is_array(); }, "must be an array");
    }

  private:
    const json &object_;
    std::string path_;
    Problems &problems_;
};

// "discount" or "surcharge" of a line: {"amount": "0.50"} or {"percent": "10"}.
void ParseAdjustment(ObjectReader &line, const char *key, ReceiptLine &out) {
    const json *v = line.Field(key, false);
    if (!v) return;
    const std::string path = Member(line.path(), key);
    if (out.adjustment) {
        line.Add(path, "a line takes a discount or a surcharge, not both");
        return;
    }
    ObjectReader r(*v, path, line.problems(), {"amount", "percent", "name"});
    if (!r.ok()) return;
    LineAdjustment a;
    a.surcharge = std::strcmp(key, "surcharge") == 0;
    if (!r.Field("amount", false) == !r.Field("percent", false))
        r.Add(path, "give either \"amount\" or \"percent\"");
    a.amount = r.Amount("amount", false);
    a.percent = r.Number("percent", 2, false);
    a.name = r.String("name", false).value_or("");
    out.adjustment = a;
}

void ParseLine(const json &v, const std::string &path, Problems &problems, ReceiptLine &out) {
    ObjectReader r(v, path, problems, {"name", "quantity", "price", "rate", "unit", "discount", "surcharge"});
    if (!r.ok()) return;
    out.name = r.String("name", true).value_or("");
    out.quantity = r.Number("quantity", 4, true).value_or(Decimal{});
    out.price = r.Amount("price", true).value_or(0);
    if (auto rate = r.String("rate", true)) {
        if (rate->size() == 1 && (*rate)[0] >= 'A' && (*rate)[0] <= 'G')
            out.rate = (*rate)[0];
        else
            r.Add(Member(path, "rate"), "must be one letter, A to G");
    }
    out.unit = r.String("unit", false).value_or("");
    ParseAdjustment(r, "discount", out);
    ParseAdjustment(r, "surcharge", out);
}

void ParsePayment(const json &v, const std::string &path, Problems &problems, Payment &out) {
    ObjectReader r(v, path, problems, {"type", "amount", "name"});
    if (!r.ok()) return;
    if (auto type = r.String("type", true)) {
        bool known = false;
        for (const auto &t : kPaymentTypes)
            if (*type == t.name) {
                out.type = t.type;
                known = true;
            }
        if (!known)
            r.Add(Member(path, "type"),
                  "must be one of cash, card, cheque, voucher, credit, transfer, other");
    }
    out.amount = r.Amount("amount", true).value_or(0);
    out.name = r.String("name", false).value_or("");
}

void ParseExtraLine(const json &v, const std::string &path, Problems &problems, ExtraLine &out) {
    if (v.is_string()) {
        out.text = Nfc(v.get<std::string>());
        return;
    }
    ObjectReader r(v, path, problems, {"text", "code"});
    if (!r.ok()) return;
    out.text = r.String("text", true).value_or("");
    if (auto code = r.Integer("code", false)) {
        if (*code < 0 || *code > 15)
            r.Add(Member(path, "code"), "must be 0 to 15");
        else
            out.code = static_cast<int>(*code);
    }
}

template <class T, class Parse>
void ParseArray(ObjectReader &r, const char *key, bool required, size_t limit, std::vector<T> &out,
                Parse parse) {
    const json *array = r.Array(key, required);
    if (!array) return;
    if (array->size() > limit) {
        r.Add(key, "at most " + std::to_string(limit) + " items");
        return;
    }
    out.resize(array->size());
    for (size_t i = 0; i < array->size(); ++i)
        parse((*array)[i], Index(key, i), r.problems(), out[i]);
}

// A printable text of 1..`limit` characters.
void CheckText(const std::string &text, size_t limit, const std::string &path, Problems &problems,
               bool mayBeEmpty = false) {
    if (text.empty()) {
        if (!mayBeEmpty) problems.push_back({path, "must not be empty"});
        return;
    }
    if (auto bad = FirstUnprintable(text)) {
        problems.push_back({path, "the printer cannot print " + Describe(*bad)});
        return;
    }
    if (CharCount(text) > limit)
        problems.push_back({path, "longer than " + std::to_string(limit) + " characters"});
}

// The first `limit` characters of a UTF-8 text.
std::string CutChars(const std::string &text, size_t limit) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && chars++ == limit)
            return text.substr(0, i);
    return text;
}

constexpr int64_t kMaxAmount = std::numeric_limits<int32_t>::max();

} // namespace

const char *PaymentTypeName(PaymentType type) {
    for (const auto &t : kPaymentTypes)
        if (t.type == type) return t.name;
    return "other";
}

const char *DefaultPaymentLabel(PaymentType type) {
    for (const auto &t : kPaymentTypes)
        if (t.type == type) return t.label;
    return "Inna";
}

Problems ParseReceipt(std::string_view text, Receipt &receipt) {
    if (text.size() > kMaxReceiptBytes)
        return {{"", "the receipt is larger than " + std::to_string(kMaxReceiptBytes) + " bytes"}};
    if (Problems problems = CheckJsonText(text); !problems.empty()) return problems;
    json document = json::parse(text, nullptr, false);
    if (document.is_discarded()) return {{"", "not valid JSON (UTF-8)"}};
    return ParseReceiptDocument(document, receipt);
}

Problems ParseReceiptDocument(const json &document, Receipt &receipt) {
    Problems problems;
    receipt = Receipt{};
    ObjectReader r(document, "", problems, {"lines", "payments", "extra_lines", "discount_percent"});
    if (!r.ok()) return problems;
    ParseArray(r, "lines", true, kMaxLines, receipt.lines, ParseLine);
    ParseArray(r, "payments", false, kMaxPayments, receipt.payments, ParsePayment);
    ParseArray(r, "extra_lines", false, kMaxExtraLines, receipt.extraLines, ParseExtraLine);
    if (auto d = r.Integer("discount_percent", false)) {
        if (*d < 0 || *d > 99)
            r.Add("discount_percent", "must be 0 (none) to 99");
        else
            receipt.discountPercent = static_cast<int>(*d);
    }
    return problems;
}

json ToJson(const Receipt &receipt) {
    json lines = json::array();
    for (const ReceiptLine &l : receipt.lines) {
        json line = {{"name", l.name},
                     {"quantity", FormatDecimal(l.quantity)},
                     {"price", FormatAmount(l.price)},
                     {"rate", std::string(1, l.rate)}};
        if (!l.unit.empty()) line["unit"] = l.unit;
        if (l.adjustment) {
            const LineAdjustment &a = *l.adjustment;
            json adj = json::object();
            if (a.amount) adj["amount"] = FormatAmount(*a.amount);
            if (a.percent) adj["percent"] = FormatDecimal(*a.percent);
            if (!a.name.empty()) adj["name"] = a.name;
            line[a.surcharge ? "surcharge" : "discount"] = adj;
        }
        lines.push_back(line);
    }
    json out = {{"lines", lines}};
    if (!receipt.payments.empty()) {
        json payments = json::array();
        for (const Payment &p : receipt.payments) {
            json pay = {{"type", PaymentTypeName(p.type)}, {"amount", FormatAmount(p.amount)}};
            if (!p.name.empty()) pay["name"] = p.name;
            payments.push_back(pay);
        }
        out["payments"] = payments;
    }
    if (!receipt.extraLines.empty()) {
        json extra = json::array();
        for (const ExtraLine &e : receipt.extraLines)
            extra.push_back(e.code == 0 ? json(e.text) : json{{"text", e.text}, {"code", e.code}});
        out["extra_lines"] = extra;
    }
    if (receipt.discountPercent != 0) out["discount_percent"] = receipt.discountPercent;
    return out;
}

std::string AdjustmentName(const ReceiptLine &line) {
    if (!line.adjustment) return {};
    const LineAdjustment &a = *line.adjustment;
    if (!a.name.empty()) return a.name;
    return CutChars((a.surcharge ? "Narzut " : "Rabat ") + line.name, kMaxNameChars);
}

Problems CheckReceipt(const Receipt &receipt, Totals &totals) {
    Problems problems;
    totals = Totals{};
    auto add = [&](const std::string &path, const std::string &message) {
        problems.push_back({path, message});
    };
    if (receipt.lines.empty()) add("lines", "a receipt needs at least one line");
    int64_t rateSums[7] = {};
    for (size_t i = 0; i < receipt.lines.size(); ++i) {
        const ReceiptLine &l = receipt.lines[i];
        const std::string path = Index("lines", i);
        CheckText(l.name, kMaxNameChars, Member(path, "name"), problems);
        if (l.rate < 'A' || l.rate > 'G') {
            add(Member(path, "rate"), "must be one letter, A to G");
            continue;
        }
        if (!l.unit.empty() && (FirstUnprintable(l.unit) || CharCount(l.unit) != l.unit.size()))
            add(Member(path, "unit"), "must be plain ASCII letters (no Polish letters)");
        else if (l.unit.size() > kMaxUnitChars)
            add(Member(path, "unit"), "longer than 4 characters");
        if (l.quantity.units == 0 || l.quantity.units > UINT32_MAX)
            add(Member(path, "quantity"), "out of range: more than 0, at most " +
                                              FormatDecimal({UINT32_MAX, l.quantity.decimals}) + " with " +
                                              std::to_string(l.quantity.decimals) + " decimals");
        if (l.price <= 0 || l.price > UINT32_MAX)
            add(Member(path, "price"), "out of range: 0.01 to " + FormatAmount(UINT32_MAX));
        uint32_t value = 0;
        if (l.quantity.units == 0 || l.quantity.units > UINT32_MAX || l.price <= 0 || l.price > UINT32_MAX) {
            totals.lineValues.push_back(0);
            totals.adjustmentValues.push_back(0);
            continue;
        }
        if (!LineValue(static_cast<uint32_t>(l.quantity.units), l.quantity.decimals,
                       static_cast<uint32_t>(l.price), value) ||
            value > kMaxAmount) {
            add(path, "quantity x price is too high for the printer");
        } else if (value == 0) {
            // The printer would print a line of 0,00 and count it all the same.
            add(path,
                "quantity " + FormatDecimal(l.quantity) + " x price " + FormatAmount(l.price) +
                    " comes to 0.00 (rounded half up to whole grosze): a line must be worth 0.01 at least");
        }
        int64_t adjustment = 0;
        if (l.adjustment) {
            const LineAdjustment &a = *l.adjustment;
            const std::string apath = Member(path, a.surcharge ? "surcharge" : "discount");
            const size_t before = problems.size();
            if (a.amount) {
                adjustment = *a.amount;
            } else if (a.percent) {
                // In hundredths of a percent: at most 100.00.
                uint64_t hundredths = a.percent->units;
                for (int d = a.percent->decimals; d < 2 && hundredths <= 10000; ++d)
                    hundredths *= 10;
                uint32_t v = 0;
                if (hundredths > 10000)
                    add(Member(apath, "percent"), "at most 100");
                else if (LineValue(value, 4, static_cast<uint32_t>(hundredths), v))
                    adjustment = v;
            }
            if (problems.size() > before)
                ; // the percentage is wrong already
            else if (adjustment <= 0 && (a.amount || a.percent))
                add(apath, "must come to at least 0.01");
            else if (!a.surcharge && adjustment >= value && value > 0)
                add(apath, adjustment > value ? "larger than the line's value (" + FormatAmount(value) + ")"
                                              : "takes the line's whole value (" + FormatAmount(value) +
                                                    "): leave the line out instead");
            else if (a.surcharge && adjustment > kMaxAmount)
                add(apath, "too high for the printer");
            CheckText(AdjustmentName(l), kMaxNameChars, Member(apath, "name"), problems);
        }
        totals.lineValues.push_back(value);
        totals.adjustmentValues.push_back(adjustment);
        rateSums[l.rate - 'A'] +=
            value + (l.adjustment && l.adjustment->surcharge ? adjustment : -adjustment);
    }
    for (int r = 0; r < 7; ++r)
        if (rateSums[r] > kMaxAmount)
            add("lines", std::string("the total of rate ") + char('A' + r) + " is too high");
    if (receipt.discountPercent < 0 || receipt.discountPercent > 99)
        add("discount_percent", "must be 0 (none) to 99");

    for (size_t i = 0; i < receipt.payments.size(); ++i) {
        const Payment &p = receipt.payments[i];
        const std::string path = Index("payments", i);
        if (p.amount <= 0 || p.amount > kMaxAmount)
            add(Member(path, "amount"), "out of range: 0.01 to " + FormatAmount(kMaxAmount));
        if (!p.name.empty()) CheckText(p.name, kMaxPaymentNameChars, Member(path, "name"), problems);
        totals.paid += p.amount;
    }
    for (size_t i = 0; i < receipt.extraLines.size(); ++i) {
        const ExtraLine &e = receipt.extraLines[i];
        CheckText(e.text, kMaxExtraLineChars, Index("extra_lines", i), problems);
        if (e.code < 0 || e.code > 15) add(Index("extra_lines", i), "code must be 0 to 15");
    }
    if (!problems.empty()) return problems;

    for (int r = 0; r < 7; ++r) {
        totals.gross += rateSums[r];
        totals.rates[r] = DiscountedTotal(static_cast<int32_t>(rateSums[r]), receipt.discountPercent);
        totals.total += totals.rates[r];
    }
    totals.discount = totals.gross - totals.total;
    if (totals.total <= 0) {
        add(receipt.discountPercent != 0 ? "discount_percent" : "lines",
            "the receipt comes to 0.00: a fiscal receipt must be worth something");
        return problems;
    }
    if (receipt.payments.empty()) {
        totals.paid = totals.total; // exactly, in cash
    } else {
        int64_t cash = 0;
        for (const Payment &p : receipt.payments)
            if (p.type == PaymentType::Cash) cash += p.amount;
        if (totals.paid < totals.total)
            add("payments", "the payments (" + FormatAmount(totals.paid) + ") do not cover the total (" +
                                FormatAmount(totals.total) + ")");
        else if (totals.paid - totals.total > cash)
            add("payments", "only cash gives change: the payments exceed the total by " +
                                FormatAmount(totals.paid - totals.total));
        else
            totals.change = totals.paid - totals.total;
    }
    return problems;
}

} // namespace darvo::pos
