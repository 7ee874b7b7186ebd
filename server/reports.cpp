#include "reports.h"

#include <sqlcipher/sqlite3.h>

namespace sky::server {

namespace {

struct Statement {
    sqlite3_stmt* s = nullptr;
    ~Statement() { sqlite3_finalize(s); }
};

std::string Text(sqlite3_stmt* s, int col) {
    const unsigned char* t = sqlite3_column_text(s, col);
    return t ? reinterpret_cast<const char*>(t) : std::string();
}

} // namespace

ReportStore::~ReportStore() {
    if (db_) sqlite3_close(db_);
}

bool ReportStore::Open(const std::string& path, std::string* error) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        if (error) *error = "cannot open " + path + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory");
        if (db_) sqlite3_close(db_);
        db_ = nullptr;
        return false;
    }
    sqlite3_busy_timeout(db_, 5000);
    const char* setup =
        "PRAGMA journal_mode=WAL;"
        "CREATE TABLE IF NOT EXISTS reports ("
        " number INTEGER PRIMARY KEY AUTOINCREMENT,"
        " received TEXT NOT NULL DEFAULT (strftime('%Y-%m-%d %H:%M:%S','now')),"
        " epoch INTEGER NOT NULL DEFAULT (strftime('%s','now')),"
        " address TEXT NOT NULL, airplane_id INTEGER NOT NULL, image_id INTEGER NOT NULL,"
        " aircraft TEXT NOT NULL, user TEXT NOT NULL, email TEXT NOT NULL, problem TEXT NOT NULL);"
        "CREATE INDEX IF NOT EXISTS reports_by_address ON reports(address, epoch);";
    char* msg = nullptr;
    if (sqlite3_exec(db_, setup, nullptr, nullptr, &msg) != SQLITE_OK) {
        if (error) *error = "cannot prepare " + path + ": " + (msg ? msg : "");
        sqlite3_free(msg);
        sqlite3_close(db_);
        db_ = nullptr;
        return false;
    }
    return true;
}

long long ReportStore::Add(const Report& r, int perMinute, bool* limited, std::string* error) {
    std::lock_guard<std::mutex> lock(mutex_);
    *limited = false;
    if (!db_) return 0;
    // The count and the insert in one write transaction, so two processes
    // cannot both slip under the limit.
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        if (error) *error = sqlite3_errmsg(db_);
        return 0;
    }
    long long number = 0;
    {
        Statement count;
        sqlite3_prepare_v2(db_,
                           "SELECT COUNT(*) FROM reports WHERE address = ?1 AND epoch > strftime('%s','now') - 60",
                           -1, &count.s, nullptr);
        sqlite3_bind_text(count.s, 1, r.address.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(count.s) == SQLITE_ROW && sqlite3_column_int(count.s, 0) >= perMinute) {
            *limited = true;
        } else {
            Statement ins;
            sqlite3_prepare_v2(db_,
                               "INSERT INTO reports (address, airplane_id, image_id, aircraft, user, email, problem)"
                               " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
                               -1, &ins.s, nullptr);
            sqlite3_bind_text(ins.s, 1, r.address.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(ins.s, 2, r.airplaneId);
            sqlite3_bind_int(ins.s, 3, r.imageId);
            sqlite3_bind_text(ins.s, 4, r.aircraft.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(ins.s, 5, r.user.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(ins.s, 6, r.email.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(ins.s, 7, r.problem.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(ins.s) == SQLITE_DONE) {
                number = sqlite3_last_insert_rowid(db_);
            } else if (error) {
                *error = sqlite3_errmsg(db_);
            }
        }
    }
    sqlite3_exec(db_, number ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
    return number;
}

std::vector<Report> ReportStore::List(std::string* error) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Report> out;
    if (!db_) return out;
    Statement q;
    if (sqlite3_prepare_v2(db_,
                           "SELECT number, received, address, airplane_id, image_id, aircraft, user, email, problem"
                           " FROM reports ORDER BY number",
                           -1, &q.s, nullptr) != SQLITE_OK) {
        if (error) *error = sqlite3_errmsg(db_);
        return out;
    }
    while (sqlite3_step(q.s) == SQLITE_ROW) {
        Report r;
        r.number = sqlite3_column_int64(q.s, 0);
        r.received = Text(q.s, 1);
        r.address = Text(q.s, 2);
        r.airplaneId = sqlite3_column_int(q.s, 3);
        r.imageId = sqlite3_column_int(q.s, 4);
        r.aircraft = Text(q.s, 5);
        r.user = Text(q.s, 6);
        r.email = Text(q.s, 7);
        r.problem = Text(q.s, 8);
        out.push_back(r);
    }
    return out;
}

std::string FormatReports(const std::vector<Report>& reports) {
    std::string out;
    for (const Report& r : reports) {
        out += "Report " + std::to_string(r.number) + "  " + r.received + " UTC  from " + r.address + "\n";
        out += "  Aircraft: " + r.aircraft + " (id " + std::to_string(r.airplaneId) + ", image "
               + std::to_string(r.imageId) + ")\n";
        out += "  User: " + r.user + " <" + r.email + ">\n";
        std::string problem = r.problem;
        for (size_t i = 0; (i = problem.find('\n', i)) != std::string::npos; i += 3) problem.replace(i, 1, "\n   ");
        out += "  Problem: " + problem + "\n\n";
    }
    if (reports.empty()) out = "No reports.\n";
    return out;
}

} // namespace sky::server
