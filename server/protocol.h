// The update protocol as the server answers it: the change list for a
// client's catalogue stamp, program version and missing aircraft, the file
// names a client may ask for, and the error page every client recognises.
#pragma once

#include "publication.h"

#include <string>
#include <vector>

namespace sky::server {

// At most this many ids in "mids" (the catalogue has a few hundred aircraft).
inline constexpr size_t kMaxMids = 10000;
// Longest text accepted for "lu" and "ver".
inline constexpr size_t kMaxStampLength = 200;

// Dotted whole numbers, compared part by part ("1.10" is newer than "1.9";
// missing parts count as 0). False when either text is not such a version.
bool CompareVersions(const std::string& a, const std::string& b, int* order);

// "12,40,41" -> {12, 40, 41}. Empty text -> no ids. False with *problem for
// anything else than decimal AirplaneIDs separated by single commas, or for
// more than kMaxMids of them.
bool ParseMids(const std::string& text, std::vector<int>* ids, std::string* problem);

struct ChangeRequest {
    bool hasLu = false;
    std::string lu;
    bool hasVer = false;
    std::string ver;
    bool hasMids = false;
    std::string mids;
};

struct Reply {
    int status = 200;
    std::string contentType;
    std::string body;
};

// The change list, CR LF separated: line 0 "nodata" or "NAME.zip;SIZE;VERSION"
// when the client's version is older than the published one; then
// "skyrendel.skr;SIZE" when the client's stamp differs from the published one;
// then "FOLDER.skr;SIZE" once for each distinct id of mids with a published
// picture database, in the order asked; then, when the client's stamp names
// an earlier publish, once for each aircraft added since, in catalogue order.
// A bad request gets the error page.
Reply ChangeList(const Publication& publication, const ChangeRequest& request);

// True when `name` is a plain file name (no folder, no "..", no control
// characters) that a publish may hold.
bool IsPlainFileName(const std::string& name);

// The small HTML page of every refused request; it carries the markers
// "<TITLE>ERROR</TITLE>" and "Could not find file". `detail` is escaped.
std::string ErrorPage(const std::string& detail);
Reply ErrorReply(int status, const std::string& detail);

// Text made safe to show in HTML (& < > " ').
std::string HtmlEscape(const std::string& text);

} // namespace sky::server
