// A small update server for the updater's tests that can be told to
// misbehave. It listens on 127.0.0.1 on a port the system picks, prints
// "PORT <n>" on its first line, and ends when its standard input closes.
//
//   testserver ROOT [--tls CERT KEY]
//
// ROOT/reply       the change list served for the change-list request
// ROOT/files/NAME  a file served for "?filename=NAME" ("\" and "/" in NAME
//                  become "_") or for the path "/NAME"
// ROOT/modes       lines "NAME<TAB>MODE" ("reply" names the change list):
//   cl_long          announces 100 bytes more than it sends, then closes
//   drop             sends half of the file, then closes the connection
//   stall:MS         sends half, then sends nothing for MS milliseconds
//   trickle:MS       sends 1 KiB every MS milliseconds
//   status:N         answers with HTTP status N and the file as its body
//   redirect:PATH    answers 302 with Location PATH
//   chunked          sends the file without a Content-Length
// ROOT/requests.log  every request's path and query, one a line
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

namespace {

std::atomic<bool> g_stopping{false};
std::mutex g_logMutex;
std::string g_root;

std::string readFile(const std::string& path, bool* ok = nullptr) {
    std::ifstream in(path, std::ios::binary);
    if (ok) *ok = bool(in);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string modeFor(const std::string& key) {
    std::istringstream lines(readFile(g_root + "/modes"));
    std::string line;
    while (std::getline(lines, line)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos) continue;
        if (line.substr(0, tab) == key) return line.substr(tab + 1);
    }
    return "normal";
}

std::string fileNameFor(std::string key) {
    for (char& c : key)
        if (c == '\\' || c == '/') c = '_';
    return g_root + "/files/" + key;
}

// Sleeps in small steps so that a stopping server is not held up.
void pause(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!g_stopping && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void serve(const httplib::Request& req, httplib::Response& res) {
    {
        std::lock_guard<std::mutex> lock(g_logMutex);
        std::ofstream log(g_root + "/requests.log", std::ios::app);
        std::string query;
        for (const auto& p : req.params) query += (query.empty() ? "?" : "&") + p.first + "=" + p.second;
        log << req.path << query << "\n";
    }
    std::string key;
    std::string path;
    if (req.has_param("filename")) {
        key = req.get_param_value("filename");
        path = fileNameFor(key);
    } else if (req.path == "/quillan/app/getupdates.asp") {
        key = "reply";
        path = g_root + "/reply";
    } else {
        key = req.path.substr(1);
        path = fileNameFor(key);
    }
    const std::string mode = modeFor(key);
    bool found = false;
    auto body = std::make_shared<std::string>(readFile(path, &found));

    if (mode.rfind("redirect:", 0) == 0) {
        res.set_redirect(mode.substr(9));
        return;
    }
    if (mode.rfind("status:", 0) == 0) {
        res.status = std::stoi(mode.substr(7));
        res.set_content(*body, "text/html");
        return;
    }
    if (!found) {
        res.status = 404;
        res.set_content("<html><body>Not here</body></html>", "text/html");
        return;
    }
    const size_t size = body->size();
    if (mode == "normal") {
        res.set_content(*body, "application/octet-stream");
    } else if (mode == "chunked") {
        res.set_chunked_content_provider("application/octet-stream", [body](size_t offset, httplib::DataSink& sink) {
            if (offset >= body->size()) {
                sink.done();
                return true;
            }
            const size_t n = std::min<size_t>(65536, body->size() - offset);
            sink.write(body->data() + offset, n);
            return true;
        });
    } else if (mode == "cl_long" || mode == "drop" || mode.rfind("stall:", 0) == 0) {
        const size_t announced = mode == "cl_long" ? size + 100 : size;
        const size_t cut = mode == "cl_long" ? size : size / 2;
        const int stallMs = mode.rfind("stall:", 0) == 0 ? std::stoi(mode.substr(6)) : 0;
        res.set_content_provider(announced, "application/octet-stream",
                                 [body, cut, stallMs](size_t offset, size_t length, httplib::DataSink& sink) {
                                     if (offset < cut) {
                                         sink.write(body->data() + offset, std::min(length, cut - offset));
                                         return true;
                                     }
                                     if (stallMs > 0) pause(stallMs);
                                     return false; // closes the connection
                                 });
    } else if (mode.rfind("trickle:", 0) == 0) {
        const int stepMs = std::stoi(mode.substr(8));
        res.set_content_provider(size, "application/octet-stream",
                                 [body, stepMs](size_t offset, size_t length, httplib::DataSink& sink) {
                                     if (g_stopping) return false;
                                     if (offset > 0) pause(stepMs);
                                     sink.write(body->data() + offset, std::min<size_t>(length, 1024));
                                     return true;
                                 });
    } else {
        res.status = 500;
        res.set_content("unknown mode " + mode, "text/plain");
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: testserver ROOT [--tls CERT KEY]\n";
        return 2;
    }
    g_root = argv[1];
    std::unique_ptr<httplib::Server> server;
    if (argc >= 5 && std::string(argv[2]) == "--tls")
        server = std::make_unique<httplib::SSLServer>(argv[3], argv[4]);
    else
        server = std::make_unique<httplib::Server>();
    if (!server->is_valid()) {
        std::cerr << "server could not start\n";
        return 1;
    }
    server->Get(R"(/.*)", serve);
    const int port = server->bind_to_any_port("127.0.0.1");
    if (port <= 0) return 1;
    std::printf("PORT %d\n", port);
    std::fflush(stdout);
    std::thread watcher([&] {
        char c;
        while (std::cin.get(c)) {
        }
        // Kept-alive connections would hold a graceful stop for seconds.
        g_stopping = true;
        std::_Exit(0);
    });
    server->listen_after_bind();
    g_stopping = true;
    watcher.detach();
    return 0;
}
