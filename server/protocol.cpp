#include "protocol.h"

#include <unordered_set>

namespace sky::server {

namespace {

bool ParseDotted(const std::string& s, std::vector<long long>* parts) {
    if (s.empty() || s.size() > 64) return false;
    long long cur = 0;
    bool digit = false;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            cur = cur * 10 + (c - '0');
            if (cur > 1000000000LL) return false;
            digit = true;
        } else if (c == '.') {
            if (!digit) return false;
            parts->push_back(cur);
            cur = 0;
            digit = false;
        } else {
            return false;
        }
    }
    if (!digit) return false;
    parts->push_back(cur);
    return true;
}

} // namespace

bool CompareVersions(const std::string& a, const std::string& b, int* order) {
    std::vector<long long> pa, pb;
    if (!ParseDotted(a, &pa) || !ParseDotted(b, &pb)) return false;
    const size_t n = std::max(pa.size(), pb.size());
    pa.resize(n, 0);
    pb.resize(n, 0);
    *order = pa < pb ? -1 : (pb < pa ? 1 : 0);
    return true;
}

bool ParseMids(const std::string& text, std::vector<int>* ids, std::string* problem) {
    ids->clear();
    if (text.empty()) return true;
    long long cur = 0;
    size_t digits = 0;
    auto finish = [&]() -> bool {
        if (digits == 0) {
            *problem = "mids: an empty or non-numeric entry";
            return false;
        }
        if (ids->size() >= kMaxMids) {
            *problem = "mids: more than " + std::to_string(kMaxMids) + " ids";
            return false;
        }
        ids->push_back(int(cur));
        cur = 0;
        digits = 0;
        return true;
    };
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            cur = cur * 10 + (c - '0');
            if (cur > 2147483647LL) {
                *problem = "mids: an id out of range";
                return false;
            }
            ++digits;
        } else if (c == ',') {
            if (!finish()) return false;
        } else {
            *problem = "mids: not a list of decimal ids";
            return false;
        }
    }
    return finish();
}

Reply ChangeList(const Publication& pub, const ChangeRequest& req) {
    if (!req.hasLu && !req.hasVer) return ErrorReply(400, "the request names neither lu nor ver");
    if (req.lu.size() > kMaxStampLength || req.ver.size() > kMaxStampLength)
        return ErrorReply(400, "lu or ver is too long");
    std::vector<int> mids;
    std::string problem;
    if (req.hasMids && !ParseMids(req.mids, &mids, &problem)) return ErrorReply(400, problem);

    std::string line0 = "nodata";
    if (pub.program && req.hasVer) {
        int order = 0;
        if (!CompareVersions(req.ver, pub.program->version, &order))
            return ErrorReply(400, "ver is not a dotted version number");
        if (order < 0) {
            const PublishedFile* f = pub.findFile(pub.program->file);
            if (f) line0 = f->name + ";" + std::to_string(f->size) + ";" + pub.program->version;
        }
    }
    std::string body = line0;
    if (req.lu != pub.lastMod) {
        if (const PublishedFile* f = pub.findFile("skyrendel.skr"))
            body += "\r\n" + f->name + ";" + std::to_string(f->size);
    }
    std::unordered_set<int> seen;
    auto addPictures = [&](int id) {
        if (!seen.insert(id).second) return;
        const PublishedAircraft* a = pub.findAircraft(id);
        if (!a || a->file.empty()) return;
        if (const PublishedFile* f = pub.findFile(a->file)) body += "\r\n" + f->name + ";" + std::to_string(f->size);
    };
    for (int id : mids) addPictures(id);
    // The aircraft the new catalogue brings, when the client's catalogue is
    // one published before: without them the client would learn of them
    // only now and fetch their pictures at its next check.
    if (req.lu != pub.lastMod) {
        auto old = pub.catalogues.find(req.lu);
        if (old != pub.catalogues.end()) {
            const std::unordered_set<int> had(old->second.begin(), old->second.end());
            for (const PublishedAircraft& a : pub.aircraft)
                if (!had.count(a.id)) addPictures(a.id);
        }
    }
    return Reply{200, "text/plain; charset=us-ascii", body};
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
    if (name[0] == '.') return false; // hidden files and ".." alike
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7f || c == '/' || c == '\\' || c == ':' || c == '%') return false;
    }
    return true;
}

std::string HtmlEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 16);
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string ErrorPage(const std::string& detailText) {
    const std::string detail = detailText.size() > 200 ? detailText.substr(0, 200) + "..." : detailText;
    return "<HTML><HEAD><TITLE>ERROR</TITLE></HEAD>\r\n<BODY><H1>ERROR</H1>\r\n<P>Could not find file"
           + (detail.empty() ? std::string() : ": " + HtmlEscape(detail)) + "</P>\r\n</BODY></HTML>\r\n";
}

Reply ErrorReply(int status, const std::string& detail) {
    return Reply{status, "text/html; charset=utf-8", ErrorPage(detail)};
}

} // namespace sky::server
