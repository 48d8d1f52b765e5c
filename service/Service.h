// darvo-service: the printers over HTTP and JSON (docs/openapi.yaml), each
// request that changes a printer in the journal before its first byte, each
// printer on a queue and a worker process of its own.
#pragma once

#include "Config.h"
#include "HttpServer.h"
#include "Journal.h"
#include "Metrics.h"
#include "PrinterQueue.h"
#include "Tokens.h"

#include <map>
#include <memory>
#include <mutex>
#include <regex>
#include <string>
#include <vector>

namespace darvo::service {

class Service {
  public:
    Service(Settings settings, Tokens tokens);
    ~Service();
    Service(const Service &) = delete;
    Service &operator=(const Service &) = delete;

    // Opens the journal, starts the printers' workers and binds the
    // address; false with `error` when any of it cannot be done.
    bool Start(std::string &error);
    // The port bound (the one chosen when the address asked for port 0).
    int port() const { return port_; }
    // Serves until Stop (from another thread).
    void Serve();
    // No new requests; each printer ends its running job.
    void Stop();

  private:
    enum class Access { Open, Monitor, Pos, Owner, Technician };
    using Handler = std::function<void(const httplib::Request &, httplib::Response &, PrinterQueue *,
                                       const std::string &body)>;
    struct RouteEntry {
        std::string method;
        std::regex pattern;
        std::string label;
        Access access;
    };
    void Route(const char *method, const std::string &pattern, const std::string &label, Access access,
               Handler handler);
    // Before anything of a request's body is read: its route and its token.
    httplib::Server::HandlerResponse Screen(const httplib::Request &req, httplib::Response &res);
    bool Allowed(const httplib::Request &req, httplib::Response &res, Access access,
                 const std::string &label);
    // The body: none without Content-Length or chunks, at most max_body_bytes.
    bool ReadBody(const httplib::Request &req, httplib::Response &res, const httplib::ContentReader &reader,
                  std::string &body);
    PrinterQueue *Printer(const std::string &name);
    void Admit(PrinterQueue &printer, const std::shared_ptr<Job> &job, httplib::Response &res);
    void Receipt(const httplib::Request &req, const std::string &body, httplib::Response &res,
                 PrinterQueue &printer);
    void Lookup(const httplib::Request &req, httplib::Response &res, PrinterQueue &printer);
    void Resolve(const httplib::Request &req, const std::string &body, httplib::Response &res,
                 PrinterQueue &printer);
    void Command(const std::string &kind, const httplib::Request &req, const std::string &body,
                 httplib::Response &res, PrinterQueue &printer);
    void Status(httplib::Response &res, PrinterQueue &printer);
    void Health(httplib::Response &res);
    // Head office's feed of the journal's settled rows; the pruning of the
    // rows it has taken.
    void Feed(const httplib::Request &req, httplib::Response &res, PrinterQueue &printer);
    void Prune();
    // A printer's requests, newest first, for the web console.
    void Requests(const httplib::Request &req, httplib::Response &res, PrinterQueue &printer);
    // The web console's files, read once at the start.
    void LoadConsole();
    void Static(const std::string &file, httplib::Response &res);
    static bool SameOrigin(const httplib::Request &req, const std::string &origin);
    // Within the opening hours (always without them).
    bool ShopOpen() const;
    // A wait for an outcome (?wait=): counted, and bounded per printer and
    // in all, so that waits never hold the threads others need.
    bool TakeWait(const std::string &printer);
    void EndWait(const std::string &printer);

    Settings settings_;
    Tokens tokens_;
    Journal journal_;
    Metrics metrics_;
    std::vector<std::unique_ptr<PrinterQueue>> printers_;
    std::unique_ptr<HttpServer> server_;
    std::vector<RouteEntry> routes_;
    int port_ = 0;
    std::map<std::string, std::string> console_; // file name -> its bytes
    std::error_code ignoredError_;
    std::mutex waitsMutex_;
    std::map<std::string, size_t> waits_; // by printer
    size_t allWaits_ = 0;
};

} // namespace darvo::service
