#include "Feed.h"

namespace darvo::service {

namespace {

const char *kLetters[] = {"A", "B", "C", "D", "E", "F", "G"};

std::string Csv(const std::string &field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string out = "\"";
    for (char c : field)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string Text(const Message &doc, const char *key) {
    if (!doc.contains(key)) return "";
    const Message &v = doc[key];
    return v.is_string() ? v.get<std::string>() : v.is_null() ? "" : v.dump();
}

} // namespace

Message FeedRow(const JournalEntry &row) {
    const Message answer = Message::parse(row.answer, nullptr, false);
    const Message a = answer.is_object() ? answer : Message::object();
    Message out = {{"cursor", std::to_string(row.seq)},
                   {"printer", row.printer},
                   {"key", row.key},
                   {"kind", row.kind},
                   {"state", row.state}};
    if (row.receiptNumber >= 0) out["receipt_number"] = row.receiptNumber;
    for (const char *key : {"total", "totals", "payments", "paid", "change", "report"})
        if (a.contains(key)) out[key] = a[key];
    out["created"] = row.created;
    out["settled"] = row.updated;
    if (a.contains("found")) out["found"] = a["found"];
    if (!row.resolvedBy.empty())
        out["resolution"] = {{"by", row.resolvedBy}, {"at", row.resolvedAt}, {"note", row.note}};
    return out;
}

std::string CsvHeader() {
    std::string line = "cursor,printer,key,kind,state,receipt_number,total";
    for (const char *letter : kLetters)
        line += std::string(",total_") + static_cast<char>(letter[0] - 'A' + 'a');
    return line + ",paid,change,payments,report,created,settled,found,resolved_by,resolved_at,note\r\n";
}

std::string CsvRow(const JournalEntry &row) {
    const Message r = FeedRow(row);
    const Message totals = r.value("totals", Message::object());
    std::string line = Csv(r["cursor"].get<std::string>()) + "," + Csv(row.printer) + "," + Csv(row.key) +
                       "," + Csv(row.kind) + "," + Csv(row.state) + "," +
                       (row.receiptNumber >= 0 ? std::to_string(row.receiptNumber) : "") + "," +
                       Csv(Text(r, "total"));
    for (const char *letter : kLetters)
        line += "," + Csv(totals.contains(letter) ? totals[letter].get<std::string>() : "");
    line += "," + Csv(Text(r, "paid")) + "," + Csv(Text(r, "change")) + "," +
            Csv(r.contains("payments") ? r["payments"].dump() : "") + "," + Csv(Text(r, "report")) + "," +
            Csv(row.created) + "," + Csv(row.updated) + "," + Csv(Text(r, "found")) + "," +
            Csv(row.resolvedBy) + "," + Csv(row.resolvedAt) + "," + Csv(row.note);
    return line + "\r\n";
}

} // namespace darvo::service
