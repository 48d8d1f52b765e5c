#include "Plan.h"

#include "PrinterText.h"
#include "darvodr/Receipt.h"
#include "darvodr/TaxRates.h"

namespace darvo::pos {

bool PrinterFacts::RateSet(char letter) const {
    const int i = letter - 'A';
    return i >= 0 && i < rateCount && i < 7 && rates[static_cast<size_t>(i)] != kRateUnused;
}

bool PrinterFacts::TakesPayments() const {
    return deviceType == 3 || deviceType == 7 || deviceType == 8 || deviceType == 9;
}

int PrinterFacts::MinNameSignificant() const {
    return MinSignificantChars(deviceType);
}

namespace {

std::string RatesText(const PrinterFacts &facts) {
    std::string set;
    for (int i = 0; i < facts.rateCount && i < 7; ++i)
        if (facts.RateSet(static_cast<char>('A' + i)))
            set += std::string(set.empty() ? "" : ", ") + char('A' + i);
    return set.empty() ? "none" : set;
}

// A name as the driver sends it, checked for the printer's minimum of
// significant characters.
std::string DriverName(const std::string &utf8, const PrinterFacts &facts, const std::string &path,
                       Problems &problems) {
    const std::string name = ToDriverText(utf8);
    const int significant = CountSignificant(PadArticleName(name));
    if (significant < facts.MinNameSignificant())
        problems.push_back({path, "needs at least " + std::to_string(facts.MinNameSignificant()) +
                                      " letters, digits or % , . / \\ on this printer (has " +
                                      std::to_string(significant) + ")"});
    return name;
}

} // namespace

Problems PlanReceipt(const Receipt &receipt, const PrinterFacts &facts, Plan &plan) {
    plan = Plan{};
    Problems problems = CheckReceipt(receipt, plan.totals);
    if (!problems.empty()) return problems;
    for (size_t i = 0; i < receipt.lines.size(); ++i) {
        const ReceiptLine &l = receipt.lines[i];
        const std::string path = "lines[" + std::to_string(i) + "]";
        if (!facts.RateSet(l.rate))
            problems.push_back({path + ".rate", std::string("rate ") + l.rate +
                                                    " is not set on the printer (set: " + RatesText(facts) +
                                                    ")"});
        PlannedLine line;
        line.name = DriverName(l.name, facts, path + ".name", problems);
        line.rate = l.rate - 'A' + 1;
        line.quantity = static_cast<uint32_t>(l.quantity.units);
        line.decimals = l.quantity.decimals;
        line.unit = l.unit;
        line.price = static_cast<uint32_t>(l.price);
        line.value = static_cast<uint32_t>(plan.totals.lineValues[i]);
        line.path = path;
        plan.lines.push_back(line);
        if (l.adjustment) {
            const std::string apath = path + (l.adjustment->surcharge ? ".surcharge" : ".discount");
            PlannedLine a;
            a.sale = l.adjustment->surcharge;
            a.name = DriverName(AdjustmentName(l), facts, apath + ".name", problems);
            a.rate = line.rate;
            a.quantity = 1;
            a.price = a.value = static_cast<uint32_t>(plan.totals.adjustmentValues[i]);
            a.path = apath;
            plan.lines.push_back(a);
        }
    }
    if (!problems.empty()) {
        plan = Plan{};
        return problems;
    }
    plan.discountPercent = receipt.discountPercent;
    if (facts.TakesPayments()) {
        // The change goes back with the last cash payment.
        int last = -1;
        for (size_t i = 0; i < receipt.payments.size(); ++i)
            if (receipt.payments[i].type == PaymentType::Cash) last = static_cast<int>(i);
        for (size_t i = 0; i < receipt.payments.size(); ++i) {
            const Payment &p = receipt.payments[i];
            PlannedPayment pay;
            pay.slot = static_cast<int32_t>(i + 1);
            pay.name = ToDriverText(p.name.empty() ? DefaultPaymentLabel(p.type) : p.name);
            pay.amount = static_cast<int32_t>(p.amount);
            pay.change = static_cast<int>(i) == last ? static_cast<int32_t>(plan.totals.change) : 0;
            plan.payments.push_back(pay);
        }
    } else if (!receipt.payments.empty()) {
        plan.notes.push_back("this printer does not print payments; they were checked against the total");
    }
    if (receipt.payments.empty())
        plan.notes.push_back(
            "no payments given: paid exactly in cash, as the printer prints it (no payment lines, "
            "no change)");
    for (const ExtraLine &e : receipt.extraLines)
        plan.extraLines.push_back({e.code, ToDriverText(e.text)});
    return problems;
}

} // namespace darvo::pos
