// Requests refused before anything reaches the printer: no token or a wrong
// one, a role that may not, a key used for another body, bad input with the
// field named. A tokens file others can read keeps the service from
// starting; no token and no receipt text ever reaches the log.
#include "ServiceFixture.h"

using namespace darvotest;
using Access = ServiceTest;

TEST_F(Access, RefusedWithTheirCodeAndNothingSent) {
    StartService();
    ASSERT_EQ(200, PostReceipt("taken").status);
    // A month as the API has it reaches the printer.
    EXPECT_NE(
        "bad_input",
        Request("POST", "/v1/printers/till/reports/periodic", "owner", R"({"month": "2024-05"})").Kind());
    const int frames = Sim().FrameCount();
    const std::string receipts = "/v1/printers/till/receipts";
    const std::string other =
        R"({"lines": [{"name": "Chleb razowy", "quantity": "1", "price": "4.50", "rate": "A"}]})";
    const struct {
        const char *name;
        std::string method, path, role, body, key;
        int status;
        std::string kind, problem; // the stable code; for bad input, the field
    } cases[] = {
        {"no token", "POST", receipts, "", kReceipt, "k1", 401, "unauthorized", ""},
        {"wrong token", "POST", receipts, "pos-token-0123456789abd", kReceipt, "k1", 401, "unauthorized", ""},
        {"monitor prints", "POST", receipts, "monitor", kReceipt, "k1", 403, "forbidden", ""},
        {"pos reports", "POST", "/v1/printers/till/reports/daily", "pos", "", "", 403, "forbidden", ""},
        {"owner sets the clock", "POST", "/v1/printers/till/clock", "owner", R"({"shift_minutes": 5})", "",
         403, "forbidden", ""},
        {"key for another body", "POST", receipts, "pos", other, "taken", 409, "key_reused", ""},
        {"amount as a number", "POST", receipts, "pos",
         R"({"lines": [{"name": "Mleko 2% 1l", "quantity": "1", "price": 3.49, "rate": "A"}]})", "k1", 400,
         "bad_input", "lines[0].price"},
        {"no key", "POST", receipts, "pos", kReceipt, "", 400, "bad_input", "Idempotency-Key"},
        {"key with a blank", "POST", receipts, "pos", kReceipt, "a b", 400, "bad_input", "Idempotency-Key"},
        {"report with a bad date", "POST", "/v1/printers/till/reports/periodic", "owner",
         R"({"from": "2024-13-01", "to": "2024-12-31"})", "", 400, "bad_input", "from"},
        {"month as a date", "POST", "/v1/printers/till/reports/periodic", "owner",
         R"({"month": "2024-05-01"})", "", 400, "bad_input", "month"},
        {"clock with a negative hour", "POST", "/v1/printers/till/clock", "technician",
         R"({"init": "2024-05-01T-1:00:00", "confirm": true})", "", 400, "bad_input", "init"},
        {"clock on a day the month has not", "POST", "/v1/printers/till/clock", "technician",
         R"({"init": "2024-02-31T10:00:00", "confirm": true})", "", 400, "bad_input", "init"},
        {"unknown printer", "POST", "/v1/printers/bar/receipts", "pos", kReceipt, "k1", 404, "not_found", ""},
        {"too large", "POST", receipts, "pos", std::string(2 << 20, ' '), "k1", 413, "too_large", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Reply r = Request(c.method, c.path, c.role, c.body, c.key);
        EXPECT_EQ(c.status, r.status) << r.body;
        EXPECT_EQ(c.kind, r.Kind()) << r.body;
        EXPECT_FALSE(r.body["error"].value("message", "").empty());
        if (!c.problem.empty()) {
            ASSERT_EQ(1u, r.body["error"]["problems"].size()) << r.body;
            EXPECT_EQ(c.problem, r.body["error"]["problems"][0]["path"]);
        }
        EXPECT_EQ(c.status == 401, r.headers.count("WWW-Authenticate") == 1);
    }
    EXPECT_EQ(frames, Sim().FrameCount()) << "a refused request reached the printer";
    EXPECT_EQ(1, Receipts());

    StopService();
    const std::string log = Log();
    for (const auto &[role, token] : kTokens)
        EXPECT_EQ(std::string::npos, log.find(token)) << "a token in the log";
    EXPECT_EQ(std::string::npos, log.find("Mleko")) << "a receipt's text in the log";
    EXPECT_NE(std::string::npos, log.find("event=receipt printer=till key=taken state=printed number=1"));
    // Refusals leave their line, without the token.
    EXPECT_NE(
        std::string::npos,
        log.find(
            "event=unauthorized route=/v1/printers/{name}/receipts remote=127.0.0.1 message=\"no token\""));
    EXPECT_NE(std::string::npos,
              log.find("event=forbidden route=/v1/printers/{name}/receipts remote=127.0.0.1 "
                       "role=monitor needed=pos"));
}

TEST_F(Access, MetricsInThePrometheusTextFormat) {
    StartService();
    ASSERT_EQ(200, PostReceipt("m1").status);
    ASSERT_EQ(200, PostReceipt("m1").status);
    EXPECT_EQ(401, Request("GET", "/metrics", "").status);
    const Reply printers = Request("GET", "/v1/printers", "monitor");
    EXPECT_EQ("ready", printers.body["printers"][0]["state"]);
    const Reply r = Request("GET", "/metrics", "monitor");
    ASSERT_EQ(200, r.status);
    EXPECT_EQ("text/plain; version=0.0.4; charset=utf-8", r.headers.find("Content-Type")->second);
    for (const char *line : {
             "# TYPE darvo_receipts_total counter\n",
             "darvo_receipts_total{printer=\"till\",outcome=\"printed\"} 1\n",
             "darvo_receipts_total{printer=\"till\",outcome=\"replayed\"} 1\n",
             "darvo_http_requests_total{route=\"/v1/printers/{name}/receipts\",code=\"200\"} 2\n",
             "darvo_http_requests_total{route=\"/metrics\",code=\"401\"} 1\n",
             "darvo_printer_job_seconds_count{printer=\"till\",kind=\"receipt\"} 1\n",
             "darvo_queue_depth{printer=\"till\"} 0\n",
             "darvo_printer_up{printer=\"till\"} 1\n",
             "darvo_journal_writable 1\n",
             "darvo_http_request_duration_seconds_bucket{route=\"/v1/printers/{name}/"
             "receipts\",le=\"0.005\"} ",
         })
        EXPECT_NE(std::string::npos, r.text.find(line)) << line << r.text;
    EXPECT_EQ(std::string::npos, r.text.find("0.0050000000000000001"))
        << "a bound as no Prometheus client writes it";
}

TEST_F(Access, RefusesToStartWithBadSettings) {
    const std::string tokens = dir() + "/tokens", journal = dir() + "/journal.db";
    // One device under two paths, and the administrator's tokens file behind a copy.
    WriteFile(dir() + "/device", "");
    ASSERT_EQ(0, ::symlink((dir() + "/device").c_str(), (dir() + "/other-name").c_str()));
    WriteFile(dir() + "/tokens-origin", "pos pos-token-0123456789abc\n");
    ::chmod((dir() + "/tokens-origin").c_str(), 0644);
    const struct {
        const char *name;
        mode_t tokensMode;
        std::string args, message;
    } cases[] = {
        {"tokens readable by the group", 0640, "--printer till=COM7",
         "tokens file " + tokens + ": group or others may read or write it (mode 0640); only its owner may"},
        {"no printer", 0600, "", "no printer: name one with --printer NAME=PORT[:SPEED]"},
        {"bad speed", 0600, "--printer till=COM7:4800", "printer till: the speed is 9600, 19200 or 28800"},
        {"one port, two names", 0600, "--printer till=COM7 --printer bar=COM7",
         "printers till and bar are one port ("},
        {"one device, two paths", 0600,
         "--printer till=" + dir() + "/device --printer bar=" + dir() + "/other-name",
         "printers till and bar are one port (" + dir() + "/device)"},
        {"the administrator's tokens readable by others", 0600,
         "--printer till=COM7 --tokens-origin " + dir() + "/tokens-origin",
         "tokens file " + dir() + "/tokens-origin: group or others may read or write it (mode 0644)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ::chmod(tokens.c_str(), c.tokensMode);
        std::string out;
        EXPECT_EQ(2, RunCommand(std::string(DARVO_SERVICE) + " --listen 127.0.0.1:0 --journal " + journal +
                                    " --tokens " + tokens + " " + c.args,
                                out));
        EXPECT_NE(std::string::npos, out.find("darvo-service: " + c.message)) << out;
    }
    EXPECT_FALSE(std::filesystem::exists(journal)) << "a refused start created the journal";
}
