#include "issuepage.h"

#include "protocol.h"
#include "reports.h"

#include <algorithm>

namespace sky::server {

namespace {

const char* kStyle =
    "<style>body{font-family:sans-serif;max-width:44em;margin:2em auto;color:#1c2733}"
    "h1{font-size:1.4em;color:#13294b}img{max-width:100%;border:1px solid #8894a3}"
    "textarea,input[type=text]{width:100%;box-sizing:border-box}"
    ".msg{background:#fff3cd;border:1px solid #e0c060;padding:.5em}</style>";

std::string Head(const std::string& title) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + HtmlEscape(title) + "</title>"
           + kStyle + "</head><body>\n";
}

} // namespace

int ParseId(const std::string& text) {
    if (text.empty() || text.size() > 10) return 0;
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        v = v * 10 + (c - '0');
    }
    return v > 2147483647LL ? 0 : int(v);
}

std::string CapUtf8(const std::string& text, size_t max) {
    if (text.size() <= max) return text;
    size_t n = max;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return text.substr(0, n);
}

std::string AircraftNameFor(const Publication* pub, int id) {
    const PublishedAircraft* a = pub ? pub->findAircraft(id) : nullptr;
    return a ? a->name : "unknown aircraft (id " + std::to_string(id) + ")";
}

std::string IssueFormPage(const Publication* pub, const IssueFields& f, const std::string& message) {
    const int id = ParseId(f.id);
    const int imageId = ParseId(f.imageid);
    const PublishedAircraft* a = pub ? pub->findAircraft(id) : nullptr;
    const bool photo = a && imageId != 0
                       && std::find(a->pictureIds.begin(), a->pictureIds.end(), imageId) != a->pictureIds.end();
    const std::string name = AircraftNameFor(pub, id);
    std::string html = Head("Report a problem: " + name);
    html += "<h1>Report a problem with " + std::string(photo ? "this photograph of " : "") + HtmlEscape(name)
            + "</h1>\n";
    if (photo)
        html += "<p><img alt=\"" + HtmlEscape(name) + "\" src=\"/quillan/photo.asp?id=" + std::to_string(id) + "&amp;imageid=" + std::to_string(imageId)
                + "\"></p>\n";
    if (!message.empty()) html += "<p class=\"msg\">" + HtmlEscape(message) + "</p>\n";
    html += "<form method=\"post\" action=\"/quillan/issue.asp\">\n"
            "<input type=\"hidden\" name=\"id\" value=\"" + std::to_string(id) + "\">\n"
            "<input type=\"hidden\" name=\"imageid\" value=\"" + std::to_string(photo ? imageId : 0) + "\">\n"
            "<p><label>Your name<br><input type=\"text\" name=\"user\" maxlength=\"" + std::to_string(kMaxUserLength)
            + "\" value=\"" + HtmlEscape(CapUtf8(f.user, kMaxUserLength)) + "\"></label></p>\n"
            "<p><label>Your e-mail address<br><input type=\"text\" name=\"email\" maxlength=\""
            + std::to_string(kMaxEmailLength) + "\" value=\"" + HtmlEscape(CapUtf8(f.email, kMaxEmailLength))
            + "\"></label></p>\n"
            "<p><label>What is wrong?<br><textarea name=\"problem\" rows=\"8\" maxlength=\""
            + std::to_string(kMaxProblemLength) + "\">" + HtmlEscape(f.problem) + "</textarea></label></p>\n"
            "<p><button type=\"submit\">Send report</button></p>\n</form>\n</body></html>\n";
    return html;
}

std::string CheckIssueFields(const IssueFields& f) {
    std::string trimmed = f.problem;
    trimmed.erase(0, trimmed.find_first_not_of(" \t\r\n"));
    if (trimmed.empty()) return "Please describe what is wrong before sending.";
    if (f.problem.size() > kMaxProblemLength)
        return "The description is too long: please keep it under " + std::to_string(kMaxProblemLength)
               + " characters.";
    if (f.user.size() > kMaxUserLength)
        return "The name is too long: at most " + std::to_string(kMaxUserLength) + " characters.";
    if (f.email.size() > kMaxEmailLength)
        return "The e-mail address is too long: at most " + std::to_string(kMaxEmailLength) + " characters.";
    return {};
}

std::string IssueThanksPage(long long number, const std::string& aircraftName) {
    return Head("Report received") + "<h1>Thank you</h1>\n<p>Your report about " + HtmlEscape(aircraftName)
           + " has been received as number " + std::to_string(number)
           + ". Our editors will look at it.</p>\n</body></html>\n";
}

std::string IssueLimitedPage() {
    return Head("Too many reports")
           + "<h1>Too many reports</h1>\n<p>Many reports have come from your address in the last minute. "
             "Please wait a minute and send yours again.</p>\n</body></html>\n";
}

} // namespace sky::server
