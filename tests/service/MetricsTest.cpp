// The printer's own state in /metrics, read by the service on its own while
// the printer is idle: each state the emulator plays shows in its series.
#include "ServiceFixture.h"

#include <cstring>
#include <regex>
#include <sstream>

using namespace darvotest;
using Watched = ServiceTest;

namespace {

// The value of one series in the exposition text, if it is there.
std::optional<double> Value(const std::string &text, const std::string &series) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(series + " ", 0) == 0) return std::atof(line.c_str() + series.size() + 1);
    return std::nullopt;
}

std::string Condition(const std::string &name) {
    return "darvo_printer_condition{printer=\"till\",condition=\"" + name + "\"}";
}

} // namespace

TEST_F(Watched, ThePrintersStateShowsInItsSeries) {
    StartService({}, {"--status-interval-ms", "1000", "--opening-hours", "00:00-24:00"});
    ASSERT_EQ(200, PostReceipt("sale").status);
    const auto until = [this](const std::string &series, double value, double within = 0) {
        const Reply r = AskUntil("/metrics", "monitor", [&](const Reply &m) {
            const auto v = Value(m.text, series);
            return v && std::abs(*v - value) <= within;
        });
        const auto v = Value(r.text, series);
        EXPECT_TRUE(v && std::abs(*v - value) <= within)
            << series << " is " << (v ? *v : -1) << ", not " << value;
        return r.text;
    };
    const std::string idle = until("darvo_printer_receipts_since_daily_report{printer=\"till\"}", 1);
    for (const auto &[series, value] : std::vector<std::pair<std::string, double>>{
             {"darvo_printer_up{printer=\"till\"}", 1},
             {"darvo_printer_fiscal_mode{printer=\"till\"}", 1},
             {"darvo_printer_paper_out{printer=\"till\"}", 0},
             {"darvo_printer_daily_report_number{printer=\"till\"}", 0},
             {Condition("fiscal_memory_low"), 0},
             {"darvo_shop_open", 1}})
        EXPECT_EQ(value, Value(idle, series).value_or(-1)) << series;
    for (const char *series : {"darvo_printer_last_receipt_timestamp_seconds{printer=\"till\"}",
                               "darvo_printer_daily_report_changed_timestamp_seconds{printer=\"till\"}",
                               "darvo_printer_status_timestamp_seconds{printer=\"till\"}"})
        EXPECT_GT(Value(idle, series).value_or(0), 1.7e9) << series;

    using Change = std::function<void(darvosim::Printer &, int)>;
    const struct {
        const char *name;
        Change play, undo;
        std::string series;
        double value, within;
    } states[] = {
        {"paper out", [](darvosim::Printer &p, int fd) { p.Control("paper out", fd); },
         [](darvosim::Printer &p, int fd) { p.Control("paper in", fd); }, Condition("paper_out"), 1, 0},
        {"the fiscal memory nearly full", [](darvosim::Printer &p, int) { p.status.fewRecordsLeft = true; },
         [](darvosim::Printer &p, int) { p.status.fewRecordsLeft = false; }, Condition("fiscal_memory_low"),
         1, 0},
        {"a daily report overdue", [](darvosim::Printer &p, int) { p.status.dailyReportMissing = true; },
         [](darvosim::Printer &p, int) { p.status.dailyReportMissing = false; },
         Condition("daily_report_missing"), 1, 0},
        {"the clock ten minutes ahead", [](darvosim::Printer &p, int) { p.sales.clockOffsetSeconds = 600; },
         [](darvosim::Printer &p, int) { p.sales.clockOffsetSeconds = 0; },
         "darvo_printer_clock_offset_seconds{printer=\"till\"}", 600, 3},
        {"switched off", [](darvosim::Printer &p, int fd) { p.Control("power off", fd); },
         [](darvosim::Printer &p, int fd) { p.Control("power on", fd); },
         "darvo_printer_up{printer=\"till\"}", 0, 0},
    };
    for (const auto &s : states) {
        SCOPED_TRACE(s.name);
        {
            std::lock_guard<std::recursive_mutex> lock(Printer().mutex);
            s.play(Printer(), Sim().SlaveDescriptor());
        }
        until(s.series, s.value, s.within);
        {
            std::lock_guard<std::recursive_mutex> lock(Printer().mutex);
            s.undo(Printer(), Sim().SlaveDescriptor());
        }
        until("darvo_printer_up{printer=\"till\"}", 1);
    }
}

// The dashboard and the alert rules query only what the service exports.
TEST_F(Watched, TheDashboardAndTheAlertsQueryOnlyWhatIsExported) {
    StartService();
    const std::string metrics = Request("GET", "/metrics", "monitor").text;
    std::map<std::string, std::string> families; // name -> type
    std::istringstream lines(metrics);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("# TYPE ", 0) == 0) {
            const size_t blank = line.find(' ', 7);
            families[line.substr(7, blank - 7)] = line.substr(blank + 1);
        }
    const std::regex name("darvo_[a-z_]+");
    for (const char *file : {"/packaging/grafana/darvo.json", "/packaging/prometheus/darvo-alerts.yml"}) {
        SCOPED_TRACE(file);
        const std::string text = ReadFile(std::string(DARVO_SOURCE_DIR) + file);
        int queried = 0;
        for (auto it = std::sregex_iterator(text.begin(), text.end(), name); it != std::sregex_iterator();
             ++it) {
            std::string metric = it->str();
            for (const char *suffix : {"_bucket", "_sum", "_count"})
                if (metric.size() > std::strlen(suffix) &&
                    metric.compare(metric.size() - std::strlen(suffix), std::string::npos, suffix) == 0) {
                    const std::string base = metric.substr(0, metric.size() - std::strlen(suffix));
                    if (families.count(base) && families[base] == "histogram") metric = base;
                }
            EXPECT_TRUE(families.count(metric)) << metric << " is not exported";
            ++queried;
        }
        EXPECT_GT(queried, 8);
    }
    const nlohmann::json dashboard =
        nlohmann::json::parse(ReadFile(std::string(DARVO_SOURCE_DIR) + "/packaging/grafana/darvo.json"));
    for (const auto &panel : dashboard["panels"]) {
        EXPECT_FALSE(panel.value("title", "").empty());
        EXPECT_FALSE(panel["targets"].empty()) << panel.value("title", "");
    }
}
