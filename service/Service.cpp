#include "Service.h"

#include "Feed.h"
#include "Log.h"
#include "Requests.h"

#include <httplib.h>

#include "pos/Dates.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <cctype>
#include <cstdio>
#include <climits>
#include <cstring>
#include <ctime>
#include <sys/random.h>
#include <sys/socket.h>

namespace darvo::service {

namespace {

using Clock = std::chrono::steady_clock;

// How long a request waits for its job before it answers "in progress"
// (the job goes on and its outcome is kept under its key).
constexpr std::chrono::minutes kAnswerWait{5};
constexpr int kMaxLookupWaitSeconds = 60;

void Answer(httplib::Response &res, int status, const Message &body) {
    res.status = status;
    res.set_content(body.dump(-1, ' ', false, Message::error_handler_t::replace) + "\n", "application/json");
}

void Fail(httplib::Response &res, const std::string &kind, const std::string &message) {
    Answer(res, HttpStatusOf(kind), ErrorJson(kind, message));
}

std::string RandomKey() {
    uint8_t bytes[16] = {};
    if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        const auto now = Clock::now().time_since_epoch().count();
        std::memcpy(bytes, &now, sizeof now);
    }
    std::string key = "auto-";
    char b[3];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02x", v);
        key += b;
    }
    return key;
}

bool Loopback(const std::string &host) {
    return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

// "Bearer TOKEN" (the scheme in any case); empty when there is none.
std::string BearerToken(const httplib::Request &req) {
    const std::string value = req.get_header_value("Authorization");
    if (value.size() < 7) return "";
    std::string scheme = value.substr(0, 7);
    for (char &c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (scheme != "bearer ") return "";
    const size_t start = value.find_first_not_of(' ', 7);
    return start == std::string::npos ? "" : value.substr(start);
}

Message ProblemsJson(const pos::Problems &problems) {
    Message list = Message::array();
    for (const pos::Problem &p : problems)
        list.push_back({{"path", p.path}, {"message", p.message}});
    return list;
}

// A request that comes with a body (which may be left unread).
bool HasBody(const httplib::Request &req) {
    return req.has_header("Transfer-Encoding") ||
           (req.has_header("Content-Length") && req.get_header_value("Content-Length") != "0");
}

// The answer ends the connection when the request's body is left unread.
void LeaveBodyUnread(const httplib::Request &req, httplib::Response &res) {
    if (!HasBody(req)) return;
    res.set_header("Connection", "close");
    HttpServer::CloseAfterAnswer();
}

std::string Remote(const httplib::Request &req) {
    return req.remote_addr;
}

HttpLimits LimitsOf(const Settings &s) {
    HttpLimits limits;
    limits.maxConnections = s.ConnectionCap();
    limits.requestTimeout = std::chrono::milliseconds(s.requestTimeoutMs);
    return limits;
}

} // namespace

Service::Service(Settings settings, Tokens tokens)
    : settings_(std::move(settings)), tokens_(std::move(tokens)),
      server_(std::make_unique<HttpServer>(LimitsOf(settings_))) {
    DeclareServiceMetrics(metrics_);
}

Service::~Service() {
    Stop();
}

bool Service::Start(std::string &error) {
    if (!journal_.Open(settings_.journal, error, settings_.journalWaitMs)) return false;
    metrics_.Set("darvo_journal_writable", {}, 1);
    Prune();
    std::string host;
    int port = 0;
    if (!ParseListen(settings_.listen, host, port, error)) return false;

    HttpServer &s = *server_;
    // A backstop: the bodies are read by the routes themselves (ReadBody).
    s.set_payload_max_length(settings_.maxBodyBytes);
    s.set_read_timeout(5, 0);
    s.set_write_timeout(5, 0);
    s.set_keep_alive_timeout(5);
    s.set_keep_alive_max_count(1000);
    // Every answer: no inline script, no framing, no referrer, no sniffing.
    s.set_default_headers({{"Content-Security-Policy",
                            "default-src 'self'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
                            "connect-src 'self'; frame-ancestors 'none'; base-uri 'none'; form-action 'none'"},
                           {"X-Content-Type-Options", "nosniff"},
                           {"Referrer-Policy", "no-referrer"},
                           {"X-Frame-Options", "DENY"}});
    s.set_pre_routing_handler(
        [this](const httplib::Request &req, httplib::Response &res) { return Screen(req, res); });
    s.set_error_handler(httplib::Server::HandlerWithResponse(
        [](const httplib::Request &, httplib::Response &res) -> httplib::Server::HandlerResponse {
            if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
            const std::string kind = res.status == 404   ? "not_found"
                                     : res.status == 413 ? "too_large"
                                     : res.status < 500  ? "bad_input"
                                                         : "internal";
            const std::string message = res.status == 404   ? "no such resource (see docs/openapi.yaml)"
                                        : res.status == 413 ? "the request body is too large"
                                                            : "the request could not be served";
            const int status = res.status;
            Answer(res, status, ErrorJson(kind, message));
            return httplib::Server::HandlerResponse::Handled;
        }));
    s.set_exception_handler([](const httplib::Request &, httplib::Response &res, std::exception_ptr) {
        Fail(res, "internal", "the request could not be served");
    });

    const std::string name = "/v1/printers/([A-Za-z0-9_-]{1,32})";
    Route("GET", "/healthz", "/healthz", Access::Open,
          [this](auto &, auto &res, auto *, auto &) { Health(res); });
    Route("GET", "/metrics", "/metrics", Access::Monitor, [this](auto &, auto &res, auto *, auto &) {
        metrics_.Set("darvo_http_connections", {}, static_cast<double>(server_->OpenConnections()));
        metrics_.Set("darvo_shop_open", {}, ShopOpen() ? 1 : 0);
        res.set_content(metrics_.Text(), "text/plain; version=0.0.4; charset=utf-8");
    });
    Route("GET", "/v1/whoami", "/v1/whoami", Access::Monitor, [this](auto &req, auto &res, auto *, auto &) {
        const std::optional<Role> role = tokens_.RoleOf(BearerToken(req));
        Answer(res, 200, {{"role", role ? RoleName(*role) : "?"}});
    });
    Route("GET", "/v1/printers", "/v1/printers", Access::Monitor, [this](auto &, auto &res, auto *, auto &) {
        Message list = Message::array();
        for (const auto &p : printers_)
            list.push_back(p->Summary());
        Answer(res, 200, {{"printers", list}});
    });
    Route("GET", name + "/status", "/v1/printers/{name}/status", Access::Monitor,
          [this](auto &, auto &res, auto *p, auto &) { Status(res, *p); });
    Route("POST", name + "/receipts", "/v1/printers/{name}/receipts", Access::Pos,
          [this](auto &req, auto &res, auto *p, auto &body) { Receipt(req, body, res, *p); });
    Route("GET", name + "/receipts/([^/]+)", "/v1/printers/{name}/receipts/{key}", Access::Pos,
          [this](auto &req, auto &res, auto *p, auto &) { Lookup(req, res, *p); });
    Route("GET", name + "/journal", "/v1/printers/{name}/journal", Access::Owner,
          [this](auto &req, auto &res, auto *p, auto &) { Feed(req, res, *p); });
    Route("GET", name + "/requests", "/v1/printers/{name}/requests", Access::Owner,
          [this](auto &req, auto &res, auto *p, auto &) { Requests(req, res, *p); });
    // The web console: its files need no token; every call of the API does.
    LoadConsole();
    Route("GET", "/", "/", Access::Open, [this](auto &, auto &res, auto *, auto &) { Static("index.html", res); });
    Route("GET", "/([a-z0-9-]+\\.(?:html|js|css|svg|png))", "/{file}", Access::Open,
          [this](auto &req, auto &res, auto *, auto &) { Static(req.matches[1], res); });
    Route("POST", name + "/receipts/([^/]+)/resolve", "/v1/printers/{name}/receipts/{key}/resolve",
          Access::Technician,
          [this](auto &req, auto &res, auto *p, auto &body) { Resolve(req, body, res, *p); });
    for (const char *report : {"daily", "periodic", "financial"})
        Route("POST", name + "/reports/" + report, std::string("/v1/printers/{name}/reports/") + report,
              Access::Owner, [this, report](auto &req, auto &res, auto *p, auto &body) {
                  Command(report, req, body, res, *p);
              });
    for (const char *command : {"clock", "recover"})
        Route("POST", name + "/" + command, std::string("/v1/printers/{name}/") + command, Access::Technician,
              [this, command](auto &req, auto &res, auto *p, auto &body) {
                  Command(command, req, body, res, *p);
              });

    // The listening socket: reused at once after a restart, and a backlog
    // for many tills connecting at the same moment.
    auto listening = std::make_shared<int>(-1);
    s.set_socket_options([listening](int fd) {
        int yes = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (*listening < 0) *listening = fd;
    });
    const bool bound =
        port == 0 ? (port_ = s.bind_to_any_port(host)) > 0 : s.bind_to_port(host, port_ = port);
    if (!bound) {
        error = "cannot listen on " + settings_.listen + " (in use, or not an address of this machine)";
        return false;
    }
    if (*listening >= 0) ::listen(*listening, SOMAXCONN);
    for (const PrinterSetting &p : settings_.printers) {
        printers_.push_back(std::make_unique<PrinterQueue>(p, settings_, journal_, metrics_));
        printers_.back()->Start();
    }
    LogInfo(
        "listening",
        {{"address", host}, {"port", std::to_string(port_)}, {"printers", std::to_string(printers_.size())}});
    if (!Loopback(host))
        LogWarning("listening_beyond_localhost",
                   {{"address", host},
                    {"message", "reachable from the network: serve it through a TLS reverse proxy"}});
    return true;
}

void Service::Serve() {
    server_->listen_after_bind();
}

void Service::Stop() {
    if (server_) server_->stop();
    for (const auto &p : printers_)
        p->Stop();
}

PrinterQueue *Service::Printer(const std::string &name) {
    for (const auto &p : printers_)
        if (p->printer().name == name) return p.get();
    return nullptr;
}

httplib::Server::HandlerResponse Service::Screen(const httplib::Request &req, httplib::Response &res) {
    // A browser page of another origin: only one the settings allow, and
    // nothing of its request is done otherwise.
    const std::string origin = req.get_header_value("Origin");
    const bool crossOrigin = !origin.empty() && !SameOrigin(req, origin);
    if (crossOrigin) {
        res.set_header("Vary", "Origin");
        if (std::find(settings_.allowedOrigins.begin(), settings_.allowedOrigins.end(), origin) ==
            settings_.allowedOrigins.end()) {
            Fail(res, "origin_not_allowed",
                 "the page's origin " + origin + " is not one the service allows (allowed_origins, --allow-origin)");
            LogWarning("origin_not_allowed", {{"origin", origin}, {"remote", Remote(req)}});
            LeaveBodyUnread(req, res);
            return httplib::Server::HandlerResponse::Handled;
        }
        res.set_header("Access-Control-Allow-Origin", origin);
        res.set_header("Access-Control-Expose-Headers", "Idempotent-Replayed, Retry-After");
    }
    if (req.method == "OPTIONS") {
        // A browser's preflight, before a request of another origin.
        if (crossOrigin) {
            res.set_header("Access-Control-Allow-Methods", "GET, POST");
            res.set_header("Access-Control-Allow-Headers", "Authorization, Idempotency-Key, Content-Type");
            res.set_header("Access-Control-Max-Age", "600");
            // Chromium asks a server on the local network for its consent too.
            if (req.get_header_value("Access-Control-Request-Private-Network") == "true")
                res.set_header("Access-Control-Allow-Private-Network", "true");
        }
        res.status = 204;
        LeaveBodyUnread(req, res);
        return httplib::Server::HandlerResponse::Handled;
    }
    for (const RouteEntry &route : routes_) {
        std::smatch m;
        if (route.method != req.method || !std::regex_match(req.path, m, route.pattern)) continue;
        if (Allowed(req, res, route.access, route.label)) return httplib::Server::HandlerResponse::Unhandled;
        LeaveBodyUnread(req, res);
        metrics_.Add("darvo_http_requests_total",
                     {{"route", route.label}, {"code", std::to_string(res.status)}});
        return httplib::Server::HandlerResponse::Handled;
    }
    Fail(res, "not_found", "no such resource (see docs/openapi.yaml)");
    LeaveBodyUnread(req, res);
    return httplib::Server::HandlerResponse::Handled;
}

bool Service::SameOrigin(const httplib::Request &req, const std::string &origin) {
    // The console's own page: its origin names the host it was served from
    // (behind a reverse proxy, the Host it passes on).
    const size_t scheme = origin.find("://");
    return scheme != std::string::npos && origin.substr(scheme + 3) == req.get_header_value("Host");
}

bool Service::Allowed(const httplib::Request &req, httplib::Response &res, Access access,
                      const std::string &label) {
    if (access == Access::Open) return true;
    const std::string token = BearerToken(req);
    const std::optional<Role> role = tokens_.RoleOf(token);
    if (!role) {
        res.set_header("WWW-Authenticate", "Bearer realm=\"darvo-service\"");
        Fail(res, "unauthorized",
             token.empty() ? "a token is needed: Authorization: Bearer TOKEN" : "the token is not valid");
        LogWarning("unauthorized", {{"route", label},
                                    {"remote", Remote(req)},
                                    {"message", token.empty() ? "no token" : "a token that is not valid"}});
        return false;
    }
    const auto needed = static_cast<Role>(static_cast<int>(access) - 1);
    if (static_cast<int>(*role) < static_cast<int>(needed)) {
        Fail(res, "forbidden",
             std::string("a ") + RoleName(*role) + " token may not do this; it takes " + RoleName(needed));
        LogWarning("forbidden", {{"route", label},
                                 {"remote", Remote(req)},
                                 {"role", RoleName(*role)},
                                 {"needed", RoleName(needed)}});
        return false;
    }
    return true;
}

bool Service::ReadBody(const httplib::Request &req, httplib::Response &res,
                       const httplib::ContentReader &reader, std::string &body) {
    const size_t max = settings_.maxBodyBytes;
    const bool chunked = req.has_header("Transfer-Encoding");
    // Without a length or chunks a request has no body.
    if (!chunked && !req.has_header("Content-Length")) return true;
    if (!chunked) {
        const std::string text = req.get_header_value("Content-Length");
        if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos) {
            Fail(res, "bad_input", "Content-Length is not a number");
            LeaveBodyUnread(req, res);
            return false;
        }
        if (std::stoull(text) > max) {
            Fail(res, "too_large", "the request body is larger than " + std::to_string(max) + " bytes");
            LeaveBodyUnread(req, res);
            return false;
        }
    } else if (strcasecmp(req.get_header_value("Transfer-Encoding").c_str(), "chunked") != 0) {
        Fail(res, "bad_input", "Transfer-Encoding: only chunked");
        LeaveBodyUnread(req, res);
        return false;
    }
    bool tooLarge = false;
    const bool whole = reader([&](const char *data, size_t length) {
        if (body.size() + length > max) {
            tooLarge = true;
            return false; // nothing more is read
        }
        body.append(data, length);
        return true;
    });
    if (whole && !tooLarge) return true;
    body.clear();
    if (tooLarge)
        Fail(res, "too_large", "the request body is larger than " + std::to_string(max) + " bytes");
    else
        Fail(res, "timeout", "the request's body did not arrive whole in time");
    res.set_header("Connection", "close");
    HttpServer::CloseAfterAnswer();
    return false;
}

void Service::Route(const char *method, const std::string &pattern, const std::string &label, Access access,
                    Handler handler) {
    routes_.push_back({method, std::regex(pattern), label, access});
    const bool changes = std::string(method) == "POST";
    const bool namesPrinter = label.find("{name}") != std::string::npos;
    auto serve = [this, label, changes, namesPrinter, handler](const httplib::Request &req, httplib::Response &res,
                                                 const httplib::ContentReader *reader) {
        const auto started = Clock::now();
        try {
            PrinterQueue *printer = nullptr;
            std::string body;
            if (changes && HttpServer::BeyondCap()) {
                // Beyond the cap only quick requests are served.
                res.set_header("Retry-After", "1");
                Fail(res, "too_many_connections",
                     "too many connections are open; nothing was sent. Try again in a moment");
                LeaveBodyUnread(req, res);
            } else if (namesPrinter && !(printer = Printer(req.matches[1]))) {
                Fail(res, "not_found", "no printer named " + std::string(req.matches[1]));
                LeaveBodyUnread(req, res);
            } else if (!reader || ReadBody(req, res, *reader, body)) {
                handler(req, res, printer, body);
            }
        } catch (const std::exception &) {
            Fail(res, "internal", "the request could not be served");
        }
        metrics_.Add("darvo_http_requests_total", {{"route", label}, {"code", std::to_string(res.status)}});
        metrics_.Observe("darvo_http_request_duration_seconds", {{"route", label}},
                         std::chrono::duration<double>(Clock::now() - started).count());
    };
    if (!changes)
        server_->Get(pattern, [serve](const httplib::Request &req, httplib::Response &res) {
            serve(req, res, nullptr);
        });
    else
        server_->Post(pattern, [serve](const httplib::Request &req, httplib::Response &res,
                                       const httplib::ContentReader &reader) { serve(req, res, &reader); });
}

void Service::Admit(PrinterQueue &printer, const std::shared_ptr<Job> &job, httplib::Response &res) {
    const Message inProgress = {{"state", "in_progress"},
                                {"printer", printer.printer().name},
                                {"key", job->key},
                                {"message", "this request is in progress; its outcome: GET /v1/printers/" +
                                                printer.printer().name + "/receipts/" + job->key}};
    JournalEntry stored;
    switch (printer.Submit(job, stored)) {
    case Admission::Replay: {
        res.set_header("Idempotent-Replayed", "true");
        if (job->kind == "receipt")
            metrics_.Add("darvo_receipts_total",
                         {{"printer", printer.printer().name}, {"outcome", "replayed"}});
        const Message body = Message::parse(stored.answer, nullptr, false);
        Answer(res, stored.httpStatus > 0 ? stored.httpStatus : 200,
               body.is_object() ? body : Message::object());
        return;
    }
    case Admission::InProgress: Answer(res, 202, inProgress); return;
    case Admission::KeyReused:
        Fail(res, "key_reused",
             "this key names another request (with another body) on this printer; a new "
             "request takes a new key");
        return;
    case Admission::QueueFull:
        res.set_header("Retry-After", "1");
        Fail(res, "queue_full", "too many requests wait for this printer; nothing was sent");
        return;
    case Admission::Stopping: Fail(res, "stopping", "the service is stopping; nothing was sent"); return;
    case Admission::Accepted: break;
    }
    if (!job->Wait(kAnswerWait)) {
        Answer(res, 202, inProgress);
        return;
    }
    const JobResult result = job->Result();
    Answer(res, result.http, result.body);
}

void Service::Receipt(const httplib::Request &req, const std::string &body, httplib::Response &res,
                      PrinterQueue &printer) {
    const bool hasKey = req.has_header(kKeyHeader);
    const std::string key = req.get_header_value(kKeyHeader);
    pos::Receipt receipt;
    const pos::Problems problems = ParseReceiptRequest(hasKey ? &key : nullptr, body, receipt);
    if (!problems.empty()) {
        Message body = ErrorJson("bad_input", "the request is not valid; nothing was sent to the printer");
        body["error"]["problems"] = ProblemsJson(problems);
        metrics_.Add("darvo_receipts_total", {{"printer", printer.printer().name}, {"outcome", "refused"}});
        Answer(res, 400, body);
        return;
    }
    auto job = std::make_shared<Job>();
    job->kind = "receipt";
    job->request = {{"op", "receipt"}, {"receipt", pos::ToJson(receipt)}};
    job->key = key;
    job->bodyHash = Hex(Sha256(body));
    Admit(printer, job, res);
}

void Service::Lookup(const httplib::Request &req, httplib::Response &res, PrinterQueue &printer) {
    const std::string key = req.matches[2];
    int wait = 0;
    if (req.has_param("wait")) {
        const std::string text = req.get_param_value("wait");
        wait = text.size() <= 2 && !text.empty() && text.find_first_not_of("0123456789") == std::string::npos
                   ? std::stoi(text)
                   : -1;
        if (wait < 0 || wait > kMaxLookupWaitSeconds) {
            Message body = ErrorJson("bad_input", "wait: seconds, 0 to 60");
            body["error"]["problems"] = Message::array({{{"path", "wait"}, {"message", "0 to 60"}}});
            Answer(res, 400, body);
            return;
        }
    }
    // A wait beyond the waits' share is answered at once, as without one.
    const bool waiting = wait > 0 && !HttpServer::BeyondCap() && TakeWait(printer.printer().name);
    if (wait > 0 && !waiting) {
        metrics_.Add("darvo_http_waits_shortened_total", {{"printer", printer.printer().name}});
        res.set_header("Retry-After", "1");
        wait = 0;
    }
    JournalEntry entry;
    const PrinterQueue::Known known = printer.Find(key, std::chrono::seconds(wait), entry);
    if (waiting) EndWait(printer.printer().name);
    switch (known) {
    case PrinterQueue::Known::Nothing:
        Fail(res, "not_found", "no request with this key on printer " + printer.printer().name);
        return;
    case PrinterQueue::Known::InProgress: {
        Message body = {{"state", "in_progress"}, {"printer", printer.printer().name}, {"key", key}};
        const Message known = Message::parse(entry.answer, nullptr, false);
        if (known.is_object()) body.update(known);
        body["state"] = "in_progress";
        Answer(res, 200, body);
        return;
    }
    case PrinterQueue::Known::Done: {
        const Message body = Message::parse(entry.answer, nullptr, false);
        Answer(res, 200, body.is_object() ? body : Message{{"state", entry.state}, {"key", key}});
        return;
    }
    }
}

void Service::Command(const std::string &kind, const httplib::Request &req, const std::string &body,
                      httplib::Response &res, PrinterQueue &printer) {
    const bool hasKey = req.has_header(kKeyHeader);
    const std::string key = hasKey ? req.get_header_value(kKeyHeader) : RandomKey();
    nlohmann::json request;
    pos::Problems problems = ParseJobRequest(kind, body, request);
    if (!ValidKey(key)) problems.insert(problems.begin(), {kKeyHeader, kKeyRule});
    if (!problems.empty()) {
        Message body = ErrorJson("bad_input", "the request is not valid; nothing was sent to the printer");
        body["error"]["problems"] = ProblemsJson(problems);
        Answer(res, 400, body);
        return;
    }
    auto job = std::make_shared<Job>();
    job->kind = kind;
    job->request = request;
    job->key = key;
    job->bodyHash = Hex(Sha256(kind + "\n" + body));
    Admit(printer, job, res);
}

void Service::Status(httplib::Response &res, PrinterQueue &printer) {
    Admission admission = Admission::Accepted;
    const std::shared_ptr<Job> job = printer.SubmitStatus(admission);
    if (!job) {
        if (admission == Admission::QueueFull) res.set_header("Retry-After", "1");
        Fail(res, admission == Admission::QueueFull ? "queue_full" : "stopping",
             "the printer's queue is full or the service is stopping");
        return;
    }
    if (!job->Wait(kAnswerWait)) {
        Fail(res, "no_communication", "the printer's status did not come in time");
        return;
    }
    const JobResult result = job->Result();
    Answer(res, result.http, result.body);
}

bool Service::TakeWait(const std::string &printer) {
    // Half the connections at most wait, and each printer gets its share.
    const size_t all = std::max<size_t>(1, settings_.ConnectionCap() / 2);
    const size_t each = std::max<size_t>(1, all / std::max<size_t>(1, printers_.size()));
    std::lock_guard<std::mutex> lock(waitsMutex_);
    size_t &mine = waits_[printer];
    if (allWaits_ >= all || mine >= each) return false;
    ++mine;
    ++allWaits_;
    metrics_.Set("darvo_http_waits", {{"printer", printer}}, static_cast<double>(mine));
    return true;
}

void Service::EndWait(const std::string &printer) {
    std::lock_guard<std::mutex> lock(waitsMutex_);
    size_t &mine = waits_[printer];
    --mine;
    --allWaits_;
    metrics_.Set("darvo_http_waits", {{"printer", printer}}, static_cast<double>(mine));
}

void Service::Resolve(const httplib::Request &req, const std::string &body, httplib::Response &res,
                      PrinterQueue &printer) {
    const Message doc = Message::parse(body, nullptr, false);
    pos::Problems problems;
    std::string state, note;
    if (!doc.is_object()) {
        problems.push_back({"", "the body must be a JSON object: {\"state\": \"printed\" or \"not_printed\", "
                                "\"note\": \"what the paper roll shows\"}"});
    } else {
        for (const auto &item : doc.items())
            if (item.key() != "state" && item.key() != "note")
                problems.push_back({item.key(), "unknown field"});
        if (doc.contains("state") && doc["state"].is_string()) state = doc["state"].get<std::string>();
        if (state != kPrinted && state != kNotPrinted)
            problems.push_back({"state", "\"printed\" or \"not_printed\", as the paper roll shows"});
        if (doc.contains("note") && doc["note"].is_string()) note = doc["note"].get<std::string>();
        if (note.empty() || note.size() > 1000)
            problems.push_back({"note", "what the paper roll shows, 1 to 1000 characters"});
    }
    if (!problems.empty()) {
        Message answer = ErrorJson("bad_input", "the request is not valid; nothing was changed");
        answer["error"]["problems"] = ProblemsJson(problems);
        Answer(res, 400, answer);
        return;
    }
    const std::optional<Role> role = tokens_.RoleOf(BearerToken(req));
    const JobResult result = printer.Resolve(req.matches[2], state, note, role ? RoleName(*role) : "?");
    Answer(res, result.http, result.body);
}

void Service::LoadConsole() {
    if (settings_.webRoot.empty()) return;
    for (const auto &entry : std::filesystem::directory_iterator(settings_.webRoot, std::filesystem::directory_options::none,
                                                                 ignoredError_)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        console_[entry.path().filename().string()] = text.str();
    }
    if (console_.empty())
        LogWarning("no_console", {{"web_root", settings_.webRoot}, {"message", "no web console files there"}});
}

void Service::Static(const std::string &file, httplib::Response &res) {
    auto it = console_.find(file);
    if (it == console_.end()) {
        Fail(res, "not_found", "no such file");
        return;
    }
    const std::string ext = file.substr(file.rfind('.') + 1);
    const char *type = ext == "html"  ? "text/html; charset=utf-8"
                       : ext == "js"  ? "text/javascript; charset=utf-8"
                       : ext == "css" ? "text/css; charset=utf-8"
                       : ext == "svg" ? "image/svg+xml"
                                      : "image/png";
    res.set_header("Cache-Control", "no-cache");
    res.set_content(it->second, type);
}

void Service::Requests(const httplib::Request &req, httplib::Response &res, PrinterQueue &printer) {
    pos::Problems problems;
    const std::string state = req.get_param_value("state"), day = req.get_param_value("day");
    if (!state.empty() && state != kSending && state != kPrinted && state != kNotPrinted && state != kUnknown)
        problems.push_back({"state", "sending, printed, not_printed or unknown"});
    int v[6];
    if (!day.empty() && !pos::ParseDateTime(day, pos::DateForm::Date, v))
        problems.push_back({"day", pos::DateFormText(pos::DateForm::Date)});
    auto number = [&](const char *key, int64_t high, int64_t otherwise) {
        const std::string text = req.get_param_value(key);
        if (text.empty()) return otherwise;
        if (text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos || std::stoll(text) > high) {
            problems.push_back({key, "a whole number from 0 to " + std::to_string(high)});
            return otherwise;
        }
        return static_cast<int64_t>(std::stoll(text));
    };
    const int64_t before = number("before", INT64_MAX / 2, 0), limit = number("limit", 200, 50);
    if (!problems.empty()) {
        Message body = ErrorJson("bad_input", "the request is not valid");
        body["error"]["problems"] = ProblemsJson(problems);
        Answer(res, 400, body);
        return;
    }
    Message list = Message::array();
    const auto rows = journal_.Recent(printer.printer().name, state, day, before, static_cast<int>(std::max<int64_t>(limit, 1)));
    for (const JournalEntry &row : rows) {
        Message r = FeedRow(row);
        r.erase("cursor");
        r["id"] = row.id;
        list.push_back(r);
    }
    Answer(res, 200, {{"rows", list}, {"before", rows.empty() ? 0 : rows.back().id}});
}

void Service::Prune() {
    if (settings_.pruneAfterDays <= 0) return;
    std::string error;
    const int removed = journal_.Prune(settings_.pruneAfterDays, error);
    if (removed < 0)
        LogError("journal_not_pruned", {{"message", error}});
    else if (removed > 0)
        LogInfo("journal_pruned",
                {{"rows", std::to_string(removed)}, {"days", std::to_string(settings_.pruneAfterDays)}});
}

void Service::Feed(const httplib::Request &req, httplib::Response &res, PrinterQueue &printer) {
    // The cursor is the last row taken; a request after it says head office
    // has every row up to it.
    pos::Problems problems;
    auto number = [&](const char *key, int64_t low, int64_t high, int64_t otherwise) {
        if (!req.has_param(key)) return otherwise;
        const std::string text = req.get_param_value(key);
        if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos ||
            std::stoll(text) < low || std::stoll(text) > high) {
            problems.push_back(
                {key, "a whole number from " + std::to_string(low) + " to " + std::to_string(high)});
            return otherwise;
        }
        return static_cast<int64_t>(std::stoll(text));
    };
    const int64_t after = number("after", 0, INT64_MAX / 2, 0);
    const int64_t limit = number("limit", 1, 1000, 100);
    if (!problems.empty()) {
        Message body = ErrorJson("bad_input", "the request is not valid");
        body["error"]["problems"] = ProblemsJson(problems);
        Answer(res, 400, body);
        return;
    }
    const std::string name = printer.printer().name;
    std::string error;
    if (after > 0 && journal_.Acknowledge(name, after, error)) Prune();
    const std::vector<JournalEntry> rows = journal_.Feed(name, after, static_cast<int>(limit));
    Message list = Message::array();
    for (const JournalEntry &row : rows)
        list.push_back(FeedRow(row));
    Answer(res, 200, {{"rows", list}, {"next", std::to_string(rows.empty() ? after : rows.back().seq)}});
}

bool Service::ShopOpen() const {
    int from = 0, to = 0;
    if (!ParseOpeningHours(settings_.openingHours, from, to)) return true; // always
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    const int minute = tm.tm_hour * 60 + tm.tm_min;
    return from < to ? minute >= from && minute < to : minute >= from || minute < to;
}

void Service::Health(httplib::Response &res) {
    if (!journal_.Failing()) {
        Answer(res, 200, {{"status", "ok"}, {"journal", "ok"}});
        return;
    }
    Answer(
        res, 503,
        {{"status", "failing"},
         {"journal", "failing"},
         {"message", "the journal does not take writes (a full disk, an I/O error or a lock held by another "
                     "program): outcomes wait in memory and the printers take no other request"}});
}

} // namespace darvo::service
