// skyrendel-update-server [--address A] [--port P] [--threads N] [--log FILE]
//                         [--reports-db FILE] [--reports-per-minute N] [--behind-proxy] ROOT
// skyrendel-update-server reports [--reports-db FILE] ROOT
//
// Serves the publish ROOT/current names (or ROOT itself when it is a publish
// folder). SIGHUP, or a new "current" (checked every second), switches to
// the new publish without dropping requests; SIGTERM or SIGINT stops it.
#include "server.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

using namespace sky::server;

static int Usage() {
    std::fprintf(stderr,
                 "usage: skyrendel-update-server [--address A] [--port P] [--threads N] [--log FILE]\n"
                 "                               [--reports-db FILE] [--reports-per-minute N] [--behind-proxy] ROOT\n"
                 "       skyrendel-update-server reports [--reports-db FILE] ROOT\n");
    return 2;
}

int main(int argc, char** argv) {
    ServerOptions o;
    bool listReports = false;
    std::string positional;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&](std::string* v) {
            if (i + 1 >= argc) return false;
            *v = argv[++i];
            return true;
        };
        std::string v;
        try {
            if (a == "reports" && i == 1) listReports = true;
            else if (a == "--address") { if (!next(&o.address)) return Usage(); }
            else if (a == "--port") { if (!next(&v)) return Usage(); o.port = std::stoi(v); }
            else if (a == "--threads") { if (!next(&v)) return Usage(); o.threads = std::stoi(v); }
            else if (a == "--log") { if (!next(&o.logPath)) return Usage(); }
            else if (a == "--reports-db") { if (!next(&o.reportsDb)) return Usage(); }
            else if (a == "--reports-per-minute") { if (!next(&v)) return Usage(); o.reportsPerMinute = std::stoi(v); }
            else if (a == "--behind-proxy") o.behindProxy = true;
            else if (a.rfind("--", 0) == 0 || !positional.empty()) return Usage();
            else positional = a;
        } catch (const std::exception&) {
            return Usage();
        }
    }
    if (positional.empty() || o.port < 0 || o.port > 65535 || o.threads < 1) return Usage();
    o.root = positional;

    if (listReports) {
        ReportStore store;
        std::string error;
        if (!store.Open(o.reportsDb.empty() ? o.root + "/reports.sqlite" : o.reportsDb, &error)) {
            std::fprintf(stderr, "skyrendel-update-server: %s\n", error.c_str());
            return 1;
        }
        const std::string text = FormatReports(store.List(&error));
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }

    // Signals are taken by one thread only.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication app(argc, argv); // JSON and file helpers; no event loop runs
    UpdateServer server(o);
    std::string error;
    if (!server.Init(&error)) {
        std::fprintf(stderr, "skyrendel-update-server: %s\n", error.c_str());
        return 1;
    }
    const int port = server.Bind();
    if (port < 0) {
        std::fprintf(stderr, "skyrendel-update-server: cannot listen on %s:%d\n", o.address.c_str(), o.port);
        return 1;
    }
    std::fprintf(stderr, "skyrendel-update-server: listening on %s:%d, publish %s\n", o.address.c_str(), port,
                 server.publication()->dir.c_str());
    std::fflush(stderr);

    std::thread watcher([&] {
        timespec second{1, 0};
        for (;;) {
            const int sig = sigtimedwait(&set, nullptr, &second);
            server.FlushLog();
            if (sig == SIGTERM || sig == SIGINT) break;
            std::string why;
            if (!server.Reload(sig == SIGHUP, &why))
                std::fprintf(stderr, "skyrendel-update-server: keeping the publish in force: %s\n", why.c_str());
        }
        server.Stop();
    });
    server.Serve();
    // Serve() also returns when listening fails; let the watcher go then.
    if (watcher.joinable()) {
        pthread_kill(watcher.native_handle(), SIGTERM);
        watcher.join();
    }
    server.FlushLog();
    std::fprintf(stderr, "skyrendel-update-server: stopped\n");
    return 0;
}
