#include "Service.h"

#include "Log.h"
#include "Requests.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
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

} // namespace

Service::Service(Settings settings, Tokens tokens)
    : settings_(std::move(settings)), tokens_(std::move(tokens)),
      server_(std::make_unique<httplib::Server>()) {
    DeclareServiceMetrics(metrics_);
}

Service::~Service() {
    Stop();
}

bool Service::Start(std::string &error) {
    if (!journal_.Open(settings_.journal, error)) return false;
    std::string host;
    int port = 0;
    if (!ParseListen(settings_.listen, host, port, error)) return false;

    httplib::Server &s = *server_;
    // Every request waiting in a full queue holds a thread: there are always
    // threads left for the other printers, the status and /healthz.
    const size_t threads = static_cast<size_t>(
        std::max<size_t>(settings_.httpThreads, settings_.printers.size() * (settings_.queueLimit + 2) + 8));
    s.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    s.set_payload_max_length(settings_.maxBodyBytes);
    s.set_read_timeout(5, 0);
    s.set_write_timeout(5, 0);
    s.set_keep_alive_timeout(5);
    s.set_keep_alive_max_count(1000);
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
    Route("GET", "/healthz", "/healthz", Access::Open, [](auto &, auto &res, auto *) {
        Answer(res, 200, {{"status", "ok"}});
    });
    Route("GET", "/metrics", "/metrics", Access::Monitor, [this](auto &, auto &res, auto *) {
        res.set_content(metrics_.Text(), "text/plain; version=0.0.4; charset=utf-8");
    });
    Route("GET", "/v1/printers", "/v1/printers", Access::Monitor, [this](auto &, auto &res, auto *) {
        Message list = Message::array();
        for (const auto &p : printers_)
            list.push_back(p->Summary());
        Answer(res, 200, {{"printers", list}});
    });
    Route("GET", name + "/status", "/v1/printers/{name}/status", Access::Monitor,
          [this](auto &, auto &res, auto *p) { Status(res, *p); });
    Route("POST", name + "/receipts", "/v1/printers/{name}/receipts", Access::Pos,
          [this](auto &req, auto &res, auto *p) { Receipt(req, res, *p); });
    Route("GET", name + "/receipts/([^/]+)", "/v1/printers/{name}/receipts/{key}", Access::Pos,
          [this](auto &req, auto &res, auto *p) { Lookup(req, res, *p); });
    for (const char *report : {"daily", "periodic", "financial"})
        Route("POST", name + "/reports/" + report, std::string("/v1/printers/{name}/reports/") + report,
              Access::Owner,
              [this, report](auto &req, auto &res, auto *p) { Command(report, req, res, *p); });
    for (const char *command : {"clock", "recover"})
        Route("POST", name + "/" + command, std::string("/v1/printers/{name}/") + command, Access::Technician,
              [this, command](auto &req, auto &res, auto *p) { Command(command, req, res, *p); });

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

bool Service::Allowed(const httplib::Request &req, httplib::Response &res, Access access) {
    if (access == Access::Open) return true;
    const std::string token = BearerToken(req);
    const std::optional<Role> role = tokens_.RoleOf(token);
    if (!role) {
        res.set_header("WWW-Authenticate", "Bearer realm=\"darvo-service\"");
        Fail(res, "unauthorized",
             token.empty() ? "a token is needed: Authorization: Bearer TOKEN" : "the token is not valid");
        return false;
    }
    const auto needed = static_cast<Role>(static_cast<int>(access) - 1);
    if (static_cast<int>(*role) < static_cast<int>(needed)) {
        Fail(res, "forbidden",
             std::string("a ") + RoleName(*role) + " token may not do this; it takes " + RoleName(needed));
        return false;
    }
    return true;
}

void Service::Route(const char *method, const std::string &pattern, const std::string &label, Access access,
                    Handler handler) {
    auto serve = [this, label, access, handler](const httplib::Request &req, httplib::Response &res) {
        const auto started = Clock::now();
        try {
            PrinterQueue *printer = nullptr;
            if (Allowed(req, res, access)) {
                if (req.matches.size() > 1 && !(printer = Printer(req.matches[1])))
                    Fail(res, "not_found", "no printer named " + std::string(req.matches[1]));
                else
                    handler(req, res, printer);
            }
        } catch (const std::exception &) {
            Fail(res, "internal", "the request could not be served");
        }
        metrics_.Add("darvo_http_requests_total", {{"route", label}, {"code", std::to_string(res.status)}});
        metrics_.Observe("darvo_http_request_duration_seconds", {{"route", label}},
                         std::chrono::duration<double>(Clock::now() - started).count());
    };
    if (std::string(method) == "GET")
        server_->Get(pattern, serve);
    else
        server_->Post(pattern, serve);
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

void Service::Receipt(const httplib::Request &req, httplib::Response &res, PrinterQueue &printer) {
    const bool hasKey = req.has_header(kKeyHeader);
    const std::string key = req.get_header_value(kKeyHeader);
    pos::Receipt receipt;
    const pos::Problems problems = ParseReceiptRequest(hasKey ? &key : nullptr, req.body, receipt);
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
    job->bodyHash = Hex(Sha256(req.body));
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
    JournalEntry entry;
    switch (printer.Find(key, std::chrono::seconds(wait), entry)) {
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

void Service::Command(const std::string &kind, const httplib::Request &req, httplib::Response &res,
                      PrinterQueue &printer) {
    const bool hasKey = req.has_header(kKeyHeader);
    const std::string key = hasKey ? req.get_header_value(kKeyHeader) : RandomKey();
    nlohmann::json request;
    pos::Problems problems = ParseJobRequest(kind, req.body, request);
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
    job->bodyHash = Hex(Sha256(kind + "\n" + req.body));
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

} // namespace darvo::service
