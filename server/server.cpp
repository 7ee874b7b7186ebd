#include "server.h"

#include "issuepage.h"
#include "protocol.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace sky::server {

namespace {

constexpr size_t kMaxTargetLength = 8000;
constexpr size_t kChunk = 64 * 1024;

void Send(httplib::Response& res, const Reply& r) {
    res.status = r.status;
    res.set_content(r.body, r.contentType.c_str());
}

std::string ClfTime() {
    char buf[64];
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    std::strftime(buf, sizeof buf, "%d/%b/%Y:%H:%M:%S +0000", &tm);
    return buf;
}

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

} // namespace

UpdateServer::UpdateServer(ServerOptions options) : options_(std::move(options)), http_(new httplib::Server) {}

UpdateServer::~UpdateServer() {
    if (log_ && log_ != stdout) std::fclose(log_);
}

std::shared_ptr<const Publication> UpdateServer::publication() const {
    std::lock_guard<std::mutex> lock(pubMutex_);
    return pub_;
}

bool UpdateServer::Reload(bool force, std::string* error) {
    const std::string dir = ResolvePublishDir(options_.root);
    if (dir.empty()) {
        if (error) *error = "no publish in " + options_.root + " (neither \"current\" nor a manifest)";
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(pubMutex_);
        if (!force && dir == pubDir_) return true;
    }
    std::string why;
    auto pub = LoadPublication(dir, &why);
    if (!pub) {
        if (error) *error = why;
        return false;
    }
    std::lock_guard<std::mutex> lock(pubMutex_);
    pub_ = pub;
    pubDir_ = dir;
    return true;
}

bool UpdateServer::Init(std::string* error) {
    if (!options_.logPath.empty()) {
        log_ = std::fopen(options_.logPath.c_str(), "a");
        if (!log_) {
            if (error) *error = "cannot open the log " + options_.logPath;
            return false;
        }
    } else {
        log_ = stdout;
    }
    if (!Reload(true, error)) return false;
    const std::string db = options_.reportsDb.empty() ? options_.root + "/reports.sqlite" : options_.reportsDb;
    if (!reports_.Open(db, error)) return false;
    Routes();
    return true;
}

void UpdateServer::Log(const std::string& line) {
    std::lock_guard<std::mutex> lock(logMutex_);
    std::fwrite(line.data(), 1, line.size(), log_); // flushed every second by FlushLog
}

void UpdateServer::Routes() {
    httplib::Server& s = *http_;
    const int threads = std::max(1, options_.threads);
    s.new_task_queue = [threads] { return new httplib::ThreadPool(size_t(threads)); };
    // Headers and body go out in separate writes: without this, Nagle and
    // delayed ACKs hold every small reply back by tens of milliseconds.
    s.set_tcp_nodelay(true);
    s.set_keep_alive_max_count(10000);
    s.set_keep_alive_timeout(5);
    s.set_payload_max_length(64 * 1024);

    s.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
        if (req.target.size() > kMaxTargetLength) {
            Send(res, ErrorReply(414, "the address is too long"));
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });

    s.Get("/quillan/app/getupdates.asp", [this](const httplib::Request& req, httplib::Response& res) {
        std::shared_ptr<const Publication> pub = publication();
        if (req.has_param("filename")) {
            const std::string name = req.get_param_value("filename");
            const PublishedFile* f = IsPlainFileName(name) ? pub->findFile(name) : nullptr;
            if (!f) {
                Send(res, ErrorReply(404, name));
                return;
            }
            auto fd = std::make_shared<Fd>();
            fd->fd = ::open(pub->filePath(*f).c_str(), O_RDONLY | O_CLOEXEC);
            if (fd->fd < 0) {
                // The publish was switched and the old one removed before the
                // server noticed: answer from the new one.
                Reload(false, nullptr);
                pub = publication();
                f = pub->findFile(name);
                if (!f) {
                    Send(res, ErrorReply(404, name));
                    return;
                }
                fd->fd = ::open(pub->filePath(*f).c_str(), O_RDONLY | O_CLOEXEC);
            }
            struct stat st {};
            if (fd->fd < 0 || ::fstat(fd->fd, &st) != 0 || st.st_size != f->size) {
                // A publish that does not hold what its manifest says.
                Send(res, ErrorReply(404, name));
                return;
            }
            const std::string etag = "\"" + f->sha256.substr(0, 32) + "\"";
            res.set_header("ETag", etag);
            res.set_header("Accept-Ranges", "bytes");
            res.set_header("Cache-Control", "no-cache");
            if (req.get_header_value("If-None-Match") == etag) {
                res.status = 304;
                return;
            }
            res.set_content_provider(
                size_t(f->size), "application/octet-stream",
                [fd](size_t offset, size_t length, httplib::DataSink& sink) {
                    char buf[kChunk];
                    const size_t want = std::min(length, kChunk);
                    const ssize_t n = ::pread(fd->fd, buf, want, off_t(offset));
                    if (n <= 0) return false;
                    return sink.write(buf, size_t(n));
                });
            return;
        }
        ChangeRequest cr;
        cr.hasLu = req.has_param("lu");
        cr.lu = req.get_param_value("lu");
        cr.hasVer = req.has_param("ver");
        cr.ver = req.get_param_value("ver");
        cr.hasMids = req.has_param("mids");
        cr.mids = req.get_param_value("mids");
        Send(res, ChangeList(*pub, cr));
    });

    s.Get("/quillan/photo.asp", [this](const httplib::Request& req, httplib::Response& res) {
        const std::shared_ptr<const Publication> pub = publication();
        const int id = ParseId(req.get_param_value("id"));
        const int imageId = ParseId(req.get_param_value("imageid"));
        const PublishedAircraft* a = pub->findAircraft(id);
        std::string bytes;
        if (a && std::find(a->pictureIds.begin(), a->pictureIds.end(), imageId) != a->pictureIds.end()) {
            Fd fd;
            fd.fd = ::open((pub->dir + "/" + kPhotosFolder + "/" + PhotoFileName(id, imageId)).c_str(),
                           O_RDONLY | O_CLOEXEC);
            char buf[kChunk];
            ssize_t n;
            while (fd.fd >= 0 && (n = ::read(fd.fd, buf, sizeof buf)) > 0) bytes.append(buf, size_t(n));
        }
        if (bytes.empty()) {
            Send(res, ErrorReply(404, "photograph " + std::to_string(imageId)));
            return;
        }
        res.set_content(bytes, "image/jpeg");
    });

    auto issueGet = [this](const httplib::Request& req, httplib::Response& res) {
        IssueFields f{req.get_param_value("id"), req.get_param_value("imageid"), req.get_param_value("user"),
                      req.get_param_value("email"), {}};
        const std::shared_ptr<const Publication> pub = publication();
        res.set_content(IssueFormPage(pub.get(), f, {}), "text/html; charset=utf-8");
    };
    s.Get("/quillan/issue.asp", issueGet);
    s.Post("/quillan/issue.asp", [this](const httplib::Request& req, httplib::Response& res) {
        IssueFields f{req.get_param_value("id"), req.get_param_value("imageid"), req.get_param_value("user"),
                      req.get_param_value("email"), req.get_param_value("problem")};
        const std::shared_ptr<const Publication> pub = publication();
        const std::string problem = CheckIssueFields(f);
        if (!problem.empty()) {
            res.status = 400;
            res.set_content(IssueFormPage(pub.get(), f, problem), "text/html; charset=utf-8");
            return;
        }
        Report r;
        r.address = req.remote_addr;
        // The proxy's word is taken only from the proxy on this host.
        const bool fromLoopback = req.remote_addr == "127.0.0.1" || req.remote_addr == "::1";
        if (options_.behindProxy && fromLoopback && req.has_header("X-Real-IP"))
            r.address = CapUtf8(req.get_header_value("X-Real-IP"), 64);
        r.airplaneId = ParseId(f.id);
        r.imageId = ParseId(f.imageid);
        r.aircraft = AircraftNameFor(pub.get(), r.airplaneId);
        r.user = f.user;
        r.email = f.email;
        r.problem = f.problem;
        bool limited = false;
        std::string error;
        const long long number = reports_.Add(r, options_.reportsPerMinute, &limited, &error);
        if (limited) {
            res.status = 429;
            res.set_header("Retry-After", "60");
            res.set_content(IssueLimitedPage(), "text/html; charset=utf-8");
        } else if (number == 0) {
            res.status = 503;
            res.set_content(IssueFormPage(pub.get(), f, "The report could not be stored just now (" + error
                                                            + "). Please send it again in a moment."),
                            "text/html; charset=utf-8");
        } else {
            res.set_content(IssueThanksPage(number, r.aircraft), "text/html; charset=utf-8");
        }
    });

    s.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
        if (res.body.empty()) {
            const int status = res.status;
            Send(res, ErrorReply(status, req.path.size() > 100 ? req.path.substr(0, 100) : req.path));
        }
    });

    s.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
        size_t bytes = res.body.empty() ? res.content_length_ : res.body.size();
        if (res.status == 206) {
            // "bytes FIRST-LAST/TOTAL": what was actually sent.
            const std::string range = res.get_header_value("Content-Range");
            unsigned long long first = 0, last = 0;
            if (std::sscanf(range.c_str(), "bytes %llu-%llu", &first, &last) == 2 && last >= first)
                bytes = size_t(last - first + 1);
        }
        std::string target = req.target.size() > 300 ? req.target.substr(0, 300) + "..." : req.target;
        for (char& c : target)
            if (c == '"' || static_cast<unsigned char>(c) < 0x20) c = '?';
        Log(req.remote_addr + " - - [" + ClfTime() + "] \"" + req.method + " " + target + " " + req.version
            + "\" " + std::to_string(res.status) + " " + std::to_string(bytes) + "\n");
    });
}

int UpdateServer::Bind() {
    const int port = options_.port == 0 ? http_->bind_to_any_port(options_.address.c_str())
                                        : (http_->bind_to_port(options_.address.c_str(), options_.port) ? options_.port : -1);
    if (port > 0) WidenBacklog(port);
    return port;
}

// The HTTP library listens with a backlog of 5, so a burst of new
// connections (64 clients at once) loses SYNs and waits a second for the
// retransmission. Listening again on the same socket widens the queue.
void UpdateServer::WidenBacklog(int port) {
    for (int fd = 3; fd < 1024; ++fd) {
        int listening = 0;
        socklen_t len = sizeof listening;
        if (::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &len) != 0 || !listening) continue;
        sockaddr_storage addr{};
        socklen_t alen = sizeof addr;
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &alen) != 0) continue;
        int p = 0;
        if (addr.ss_family == AF_INET) p = ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
        else if (addr.ss_family == AF_INET6) p = ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
        if (p == port) ::listen(fd, SOMAXCONN);
    }
}

void UpdateServer::FlushLog() {
    std::lock_guard<std::mutex> lock(logMutex_);
    if (log_) std::fflush(log_);
}

void UpdateServer::Serve() { http_->listen_after_bind(); }

void UpdateServer::Stop() { http_->stop(); }

} // namespace sky::server
