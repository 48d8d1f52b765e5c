// darvo-service's request readers: any bytes as a receipt request (key and
// body), as the body of a report, clock or recovery request, as a tokens
// file and as a configuration. The first byte picks the reader. What a
// reader takes must be within the ranges the printer's worker relies on.
#include "service/Config.h"
#include "service/Requests.h"
#include "service/Tokens.h"

#include <cstdio>
#include <cstdlib>

using namespace darvo::service;

namespace {

void Fail(const char *what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

bool InRange(const nlohmann::json &v, int low, int high) {
    return v.is_number_integer() && v.get<int>() >= low && v.get<int>() <= high;
}

void CheckJob(const std::string &kind, const nlohmann::json &job) {
    if (job.value("op", "") != kind) Fail("a job of another kind");
    if (kind == "periodic") {
        const int forms = job.contains("dates") + job.contains("numbers") + job.contains("month");
        if (forms != 1) Fail("a periodic report of no form or of two");
        if (job.contains("numbers")) {
            const nlohmann::json &n = job.at("numbers");
            if (!InRange(n.at(0), 1, 65535) || !InRange(n.at(1), n.at(0).get<int>(), 65535))
                Fail("report numbers out of range");
        }
        if (job.contains("dates")) {
            const nlohmann::json &d = job.at("dates");
            for (size_t i : {0u, 3u})
                if (!InRange(d.at(i), 2001, 2099) || !InRange(d.at(i + 1), 1, 12) ||
                    !InRange(d.at(i + 2), 1, 31))
                    Fail("a report date out of range");
        }
        if (job.contains("month") &&
            (!InRange(job.at("month").at(0), 2000, 2099) || !InRange(job.at("month").at(1), 1, 12)))
            Fail("a report month out of range");
    } else if (kind == "clock") {
        if (job.contains("shift") == job.contains("init")) Fail("a clock job of no form or of two");
        if (job.contains("shift") && (!InRange(job.at("shift"), -99, 99) || job.at("shift") == 0))
            Fail("a clock shift out of range");
        if (job.contains("init") &&
            (!InRange(job.at("init").at(0), 2000, 2099) || !InRange(job.at("init").at(3), 0, 23)))
            Fail("a clock time out of range");
    } else if (kind == "recover") {
        if (!InRange(job.at("wait_paper_seconds"), 0, 300)) Fail("a paper wait out of range");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char *>(data) + 1, size - 1);
    static const char *const kinds[] = {"daily", "financial", "periodic", "clock", "recover"};
    switch (data[0] % 8) {
    case 0: {
        const size_t end = text.find('\n');
        const std::string key(text.substr(0, end == std::string_view::npos ? 0 : end));
        const std::string_view body = end == std::string_view::npos ? text : text.substr(end + 1);
        darvo::pos::Receipt receipt;
        const bool missing = key == "-";
        if (ParseReceiptRequest(missing ? nullptr : &key, body, receipt).empty()) {
            darvo::pos::Totals totals;
            if (missing || !ValidKey(key) || !darvo::pos::CheckReceipt(receipt, totals).empty())
                Fail("a receipt request taken with a bad key or receipt");
        }
        break;
    }
    case 6: {
        Tokens tokens;
        std::string error;
        if (tokens.Parse(text, error) && tokens.RoleOf("") != std::nullopt) Fail("an empty token has a role");
        break;
    }
    case 7: {
        Settings settings;
        std::string error, host;
        int port = 0;
        if (ParseConfig(text, settings, error)) {
            for (const PrinterSetting &p : settings.printers)
                if (p.name.empty() || p.port.empty() ||
                    (p.speed != 9600 && p.speed != 19200 && p.speed != 28800))
                    Fail("a printer taken with a bad name, port or speed");
            if (ParseListen(settings.listen, host, port, error) && (port < 0 || port > 65535 || host.empty()))
                Fail("an address taken with a bad port");
        }
        break;
    }
    default: {
        const std::string kind = kinds[(data[0] % 8) - 1];
        nlohmann::json job;
        if (ParseJobRequest(kind, text, job).empty()) CheckJob(kind, job);
        break;
    }
    }
    return 0;
}
