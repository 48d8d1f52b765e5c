// `darvo-service export`: the journal's settled rows from its file, for head
// office, whether the service runs or not.
#pragma once

#include <cstdint>
#include <string>

namespace darvo::service {

struct ExportOptions {
    std::string journal;
    int64_t after = 0;
    std::string printer; // empty: every printer
    std::string format = "jsonl";
    bool mark = false; // mark the rows written as taken
};

// Writes the rows to standard output; 0, or 1 with a message on standard
// error (a journal that cannot be read).
int RunExport(const ExportOptions &options);

} // namespace darvo::service
