// Problem reports sent from the issue page: kept in the server's own SQLite
// database (write-ahead log, so several server processes on one host share
// it), listed for the maker, and limited per sending address.
#pragma once

#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

namespace sky::server {

// Caps on what one report may hold, in bytes of UTF-8.
inline constexpr size_t kMaxUserLength = 100;
inline constexpr size_t kMaxEmailLength = 254;
inline constexpr size_t kMaxProblemLength = 4000;

struct Report {
    long long number = 0;
    std::string received; // UTC, "YYYY-MM-DD HH:MM:SS"
    std::string address;
    int airplaneId = 0;
    int imageId = 0;
    std::string aircraft; // the name shown on the page
    std::string user;
    std::string email;
    std::string problem;
};

class ReportStore {
public:
    ReportStore() = default;
    ~ReportStore();
    ReportStore(const ReportStore&) = delete;
    ReportStore& operator=(const ReportStore&) = delete;

    bool Open(const std::string& path, std::string* error);
    bool isOpen() const { return db_ != nullptr; }
    // Stores the report unless `address` already sent `perMinute` reports in
    // the last minute; *limited tells which. Returns the report's number, 0
    // on failure or refusal.
    long long Add(const Report& report, int perMinute, bool* limited, std::string* error);
    std::vector<Report> List(std::string* error);

private:
    sqlite3* db_ = nullptr;
    std::mutex mutex_;
};

// The reports as text for the maker: one block per report.
std::string FormatReports(const std::vector<Report>& reports);

} // namespace sky::server
