// A printer's worker: a process of its own, since the driver keeps one
// session per process. It takes one job at a time from the service over
// its channel and answers with the job's result:
//
//   service -> worker   {"op": "receipt", "receipt": {...}}   also "status", "settle",
//                       "daily", "financial", "periodic", "clock", "recover"
//   worker -> service   {"event": "sending", "before": N, "answer": {...}}
//                       just before the first byte that changes the printer;
//   service -> worker   {"go": true}  once the journal holds it ({"go": false}: stop)
//   worker -> service   {"result": {"sent": bool, "state": "printed" | "not_printed" |
//                        "unknown" | "", "receipt_number": N, "answer": {...},
//                        "error": {"kind", "code", "message", "problems"}, "counter_known": bool}}
//
// The worker ends with its service: when the channel closes, and (by the
// kernel's parent-death signal) when the service is killed.
#pragma once

#include <string>

namespace darvo::service {

struct WorkerOptions {
    int fd = 3;       // the channel
    std::string name; // the printer's name, for the log
    std::string port; // COMn or a device path
    int speed = 9600;
    int timeoutMs = 5000;
    int parent = 0; // the service's process id
};

int RunWorker(const WorkerOptions &options);

// Test-only crash points: with DARVO_SERVICE_CRASH_AT set to one of them the
// service kills itself (SIGKILL) there, the worker and its service together
// for the points inside a receipt:
//   "journal"                      the receipt's row is on disk, nothing sent
//   "begin", "lines[N]", "end"     the printer took that call of the receipt
//   "answer"                       the outcome is in the journal, not yet answered
const char *CrashPoint();
void CrashIfAt(const std::string &point, bool withParent = false);

} // namespace darvo::service
