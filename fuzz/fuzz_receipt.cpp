// The receipt layer's JSON reader and checks: any bytes as a receipt. A
// receipt read without a problem must come back the same from its JSON
// form, and one that passes the checks must add up.
#include "pos/Plan.h"

#include <cstdio>
#include <cstdlib>

using namespace darvo::pos;

namespace {

void Fail(const char *what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Receipt receipt;
    if (!ParseReceipt(std::string_view(reinterpret_cast<const char *>(data), size), receipt).empty())
        return 0;
    Receipt again;
    if (!ParseReceiptDocument(ToJson(receipt), again).empty() || ToJson(again) != ToJson(receipt))
        Fail("the JSON form does not read back the same");
    Totals totals;
    if (!CheckReceipt(receipt, totals).empty()) return 0;
    int64_t sum = 0;
    for (int64_t r : totals.rates)
        sum += r;
    if (sum != totals.total || totals.total < 0 || totals.total > INT32_MAX || totals.gross < totals.total)
        Fail("the totals do not add up");
    if (!receipt.payments.empty() &&
        (totals.paid < totals.total || totals.change != totals.paid - totals.total))
        Fail("payments that do not cover the total");
    PrinterFacts facts; // a PEXA with every rate set
    facts.deviceType = 7;
    facts.rates = {2300, 800, 500, 0, 10000, 700, 100};
    Plan plan;
    if (!PlanReceipt(receipt, facts, plan).empty()) return 0;
    int64_t net[7] = {};
    for (const PlannedLine &l : plan.lines) {
        if (l.rate < 1 || l.rate > 7 || l.name.empty()) Fail("a planned line out of range");
        net[l.rate - 1] += l.sale ? int64_t(l.value) : -int64_t(l.value);
    }
    int64_t gross = 0;
    for (int64_t n : net)
        gross += n;
    if (gross != totals.gross) Fail("the planned lines do not add up to the receipt");
    return 0;
}
