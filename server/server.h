// skyrendel-update-server: answers the change-list and file requests of the
// update protocol from the publish in force, and takes problem reports.
// Every answer depends only on the request and the publish, so any number
// of copies can serve behind a load balancer.
#pragma once

#include "publication.h"
#include "reports.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

namespace httplib {
class Server;
}

namespace sky::server {

struct ServerOptions {
    std::string address = "127.0.0.1";
    int port = 8080; // 0: any free port (printed on start)
    std::string root;      // a folder with the "current" link, or one publish folder
    int threads = 96;      // a keep-alive connection holds a worker while it lasts
    std::string reportsDb; // empty: ROOT/reports.sqlite
    std::string logPath;   // empty: standard output
    int reportsPerMinute = 5;
    bool behindProxy = false; // take the client's address from X-Real-IP
};

class UpdateServer {
public:
    explicit UpdateServer(ServerOptions options);
    ~UpdateServer();

    // Loads the publish in force and opens the reports database.
    bool Init(std::string* error);
    // Binds; returns the port, or -1.
    int Bind();
    // Serves until Stop().
    void Serve();
    void Stop();
    // Switches to the publish "current" now names when it changed (or always
    // when `force`); requests under way finish on the publish they began on.
    bool Reload(bool force, std::string* error);

    std::shared_ptr<const Publication> publication() const;
    // Log lines are buffered; the caller flushes them every second and at the end.
    void FlushLog();

private:
    void Routes();
    void Log(const std::string& line);
    void WidenBacklog(int port);

    ServerOptions options_;
    std::unique_ptr<httplib::Server> http_;
    mutable std::mutex pubMutex_;
    std::shared_ptr<const Publication> pub_;
    std::string pubDir_;
    ReportStore reports_;
    std::mutex logMutex_;
    FILE* log_ = nullptr;
};

} // namespace sky::server
