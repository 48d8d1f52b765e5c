#include "Metrics.h"

#include <charconv>
#include <cmath>

namespace darvo::service {

namespace {

std::string Escaped(const std::string &value) {
    std::string out;
    for (char c : value) {
        if (c == '\\' || c == '"')
            out += std::string("\\") + c;
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string Rendered(const Labels &labels) {
    std::string out;
    for (const auto &[k, v] : labels)
        out += (out.empty() ? "" : ",") + k + "=\"" + Escaped(v) + "\"";
    return out;
}

// The shortest text that reads back as the same number: 0.005, not
// 0.0050000000000000001 (as every Prometheus client writes it).
std::string Number(double v) {
    if (std::isinf(v)) return v > 0 ? "+Inf" : "-Inf";
    if (std::isnan(v)) return "NaN";
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
    return ec == std::errc() ? std::string(text, end) : "NaN";
}

std::string Braced(const std::string &labels, const std::string &more = "") {
    const std::string all = labels.empty() ? more : more.empty() ? labels : labels + "," + more;
    return all.empty() ? "" : "{" + all + "}";
}

} // namespace

void Metrics::Declare(const std::string &name, Type type, const std::string &help,
                      std::vector<double> buckets) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (families_.count(name)) return;
    order_.push_back(name);
    Family &f = families_[name];
    f.type = type;
    f.help = help;
    f.bounds = std::move(buckets);
}

Metrics::Series &Metrics::At(const std::string &name, const Labels &labels, Family *&family) {
    family = &families_[name]; // an undeclared name is a counter without help
    Series &s = family->series[Rendered(labels)];
    if (s.buckets.size() != family->bounds.size()) s.buckets.assign(family->bounds.size(), 0);
    return s;
}

void Metrics::Add(const std::string &name, const Labels &labels, double by) {
    std::lock_guard<std::mutex> lock(mutex_);
    Family *f = nullptr;
    At(name, labels, f).value += by;
}

void Metrics::Set(const std::string &name, const Labels &labels, double value) {
    std::lock_guard<std::mutex> lock(mutex_);
    Family *f = nullptr;
    At(name, labels, f).value = value;
}

void Metrics::Observe(const std::string &name, const Labels &labels, double value) {
    std::lock_guard<std::mutex> lock(mutex_);
    Family *f = nullptr;
    Series &s = At(name, labels, f);
    s.value += value;
    s.count += 1;
    for (size_t i = 0; i < f->bounds.size(); ++i)
        if (value <= f->bounds[i]) s.buckets[i] += 1;
}

std::string Metrics::Text() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string out;
    for (const std::string &name : order_) {
        const Family &f = families_.at(name);
        const char *type = f.type == Type::Counter ? "counter"
                           : f.type == Type::Gauge ? "gauge"
                                                   : "histogram";
        out += "# HELP " + name + " " + f.help + "\n# TYPE " + name + " " + type + "\n";
        for (const auto &[labels, s] : f.series) {
            if (f.type != Type::Histogram) {
                out += name + Braced(labels) + " " + Number(s.value) + "\n";
                continue;
            }
            for (size_t i = 0; i < f.bounds.size(); ++i)
                out += name + "_bucket" + Braced(labels, "le=\"" + Number(f.bounds[i]) + "\"") + " " +
                       Number(s.buckets[i]) + "\n";
            out += name + "_bucket" + Braced(labels, "le=\"+Inf\"") + " " + Number(s.count) + "\n";
            out += name + "_sum" + Braced(labels) + " " + Number(s.value) + "\n";
            out += name + "_count" + Braced(labels) + " " + Number(s.count) + "\n";
        }
    }
    return out;
}

void DeclareServiceMetrics(Metrics &m) {
    using T = Metrics::Type;
    const std::vector<double> seconds = {0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5,
                                         1,     2.5,  5,     10,   30,  60,   120};
    m.Declare("darvo_http_requests_total", T::Counter, "HTTP requests by route and status code.");
    m.Declare("darvo_http_request_duration_seconds", T::Histogram,
              "Time from a request to its answer, by route.", seconds);
    m.Declare("darvo_receipts_total", T::Counter,
              "Receipts by outcome: printed, not_printed, unknown, in_progress (outcome not known yet), "
              "replayed (a retry answered from the journal), refused (bad input or nothing sent).");
    m.Declare("darvo_printer_results_total", T::Counter, "Non-zero result codes of the driver, by printer.");
    m.Declare("darvo_printer_paper_out_total", T::Counter, "Jobs that met a printer without paper.");
    m.Declare("darvo_printer_timeouts_total", T::Counter,
              "Jobs that met a printer that did not answer in time.");
    m.Declare("darvo_printer_job_seconds", T::Histogram,
              "Time of each job with the printer, by printer and kind of job (receipt, status, daily, ...).",
              seconds);
    m.Declare("darvo_queue_depth", T::Gauge, "Jobs waiting for or running on the printer.");
    m.Declare("darvo_printer_up", T::Gauge,
              "1 when the printer answered its last job or status read, else 0.");
    m.Declare("darvo_printer_status_timestamp_seconds", T::Gauge,
              "When the printer's status was last read (a status read, after each job and when idle).");
    m.Declare("darvo_printer_fiscal_mode", T::Gauge, "1 in fiscal mode, 0 in training mode.");
    m.Declare("darvo_printer_read_only", T::Gauge,
              "1 when the fiscal module is read-only (after settlement).");
    m.Declare("darvo_printer_paper_out", T::Gauge, "1 when the printer has no paper or its head is raised.");
    m.Declare(
        "darvo_printer_condition", T::Gauge,
        "1 while a condition the shop must act on holds (status bits by name: paper_out, head_raised, "
        "printer_failure, no_controller, fiscal_memory_low, daily_report_missing, cmos_erased, read_only, "
        "printout_stopped, battery_low, no_mains_power, service_jumper, no_user_data, no_maker_data, "
        "no_programming_voltage, receipt_memory_low), else 0.");
    m.Declare("darvo_printer_receipts_since_daily_report", T::Gauge, "The printer's receipt counter.");
    m.Declare("darvo_printer_daily_report_number", T::Gauge, "The last daily report's number.");
    m.Declare("darvo_printer_daily_report_changed_timestamp_seconds", T::Gauge,
              "When the service saw the daily report number change (or first saw it).");
    m.Declare("darvo_printer_clock_offset_seconds", T::Gauge,
              "The printer's clock less the till's clock (positive: the printer is ahead).");
    m.Declare("darvo_printer_last_receipt_timestamp_seconds", T::Gauge, "When a receipt last printed.");
    m.Declare("darvo_shop_open", T::Gauge, "1 within the shop's opening hours (--opening-hours), else 0.");
    m.Declare("darvo_unsettled_receipts", T::Gauge,
              "Receipts whose outcome is not known yet: settled as soon as the printer answers.");
    m.Declare("darvo_worker_restarts_total", T::Counter,
              "Printer worker processes started again after they ended.");
    m.Declare("darvo_unresolved_outcomes", T::Gauge,
              "Receipts and daily reports whose outcome the printer's records do not tell: a technician "
              "resolves them, and the printer takes no other until then.");
    m.Declare("darvo_unwritten_outcomes", T::Gauge,
              "Outcomes the journal refused, kept in memory and written again until it takes them.");
    m.Declare("darvo_journal_writable", T::Gauge, "1 when the journal's last write succeeded, else 0.");
    m.Declare("darvo_journal_write_failures_total", T::Counter,
              "Journal writes refused (disk full, I/O, lock).");
    m.Declare("darvo_http_connections", T::Gauge, "HTTP connections open.");
    m.Declare("darvo_http_waits", T::Gauge, "Requests waiting for an outcome (?wait=), by printer.");
    m.Declare("darvo_http_waits_shortened_total", T::Counter,
              "Waits for an outcome answered at once: the waits' share of the connections was taken.");
}

} // namespace darvo::service
