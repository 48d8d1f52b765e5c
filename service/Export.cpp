#include "Export.h"

#include "Feed.h"

#include <sqlite3.h>

#include <cstdio>
#include <iostream>
#include <sys/stat.h>

namespace darvo::service {

int RunExport(const ExportOptions &o) {
    struct stat st {};
    if (::stat(o.journal.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::cerr << "darvo-service export: journal " << o.journal << ": no such file\n";
        return 1;
    }
    // Read only, beside a service that may be writing: SQLite's own locks
    // keep the reads whole. Marking the rows is a write of its own.
    sqlite3 *db = nullptr;
    const int flags = o.mark ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
    if (sqlite3_open_v2(o.journal.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        std::cerr << "darvo-service export: journal " << o.journal << ": "
                  << (db ? sqlite3_errmsg(db) : "cannot be opened") << "\n";
        sqlite3_close_v2(db);
        return 1;
    }
    sqlite3_busy_timeout(db, 5000);
    int version = 0;
    {
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            version = sqlite3_column_int(s, 0);
        sqlite3_finalize(s);
    }
    if (version < 3) {
        std::cerr << "darvo-service export: journal " << o.journal
                  << ": written by an older darvo-service; start this one once to bring it up to date\n";
        sqlite3_close_v2(db);
        return 1;
    }
    if (o.format == "csv") std::cout << CsvHeader();
    int64_t last = o.after;
    for (;;) {
        const std::vector<JournalEntry> rows = FeedOf(db, o.printer, last, 1000);
        for (const JournalEntry &row : rows)
            std::cout << (o.format == "csv"
                              ? CsvRow(row)
                              : FeedRow(row).dump(-1, ' ', false, Message::error_handler_t::replace) + "\n");
        if (rows.empty()) break;
        last = rows.back().seq;
    }
    std::cout.flush();
    int status = std::cout ? 0 : 1;
    if (o.mark && status == 0 && last > o.after) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(
            db,
            "UPDATE journal SET exported = 1 WHERE seq <= ?1 AND (printer = ?2 OR ?2 = '') AND exported = 0",
            -1, &s, nullptr);
        sqlite3_bind_int64(s, 1, last);
        sqlite3_bind_text(s, 2, o.printer.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(s) != SQLITE_DONE) {
            std::cerr << "darvo-service export: the rows were written but not marked: " << sqlite3_errmsg(db)
                      << "\n";
            status = 1;
        }
        sqlite3_finalize(s);
    }
    std::cerr << "darvo-service export: last cursor " << last << "\n";
    sqlite3_close_v2(db);
    return status;
}

} // namespace darvo::service
