// The problem-report page: what the program opens in the user's browser for
// an aircraft or one of its photographs, and the pages after sending.
#pragma once

#include "publication.h"

#include <string>

namespace sky::server {

struct IssueFields {
    std::string id;      // AirplaneID as sent
    std::string imageid; // picture ID as sent, "0" for the aircraft as a whole
    std::string user;
    std::string email;
    std::string problem;
};

// A whole number in 0..2^31-1, or 0 for anything else.
int ParseId(const std::string& text);

// Text cut to at most `max` bytes without splitting a UTF-8 character.
std::string CapUtf8(const std::string& text, size_t max);

// The form: the aircraft's name (from the publish), its photograph when
// imageid names one of its pictures, a box for the problem and a send
// button. `message` (may be empty) is shown above the form. Every value is
// escaped.
std::string IssueFormPage(const Publication* publication, const IssueFields& fields, const std::string& message);
// Empty when the fields can be stored, otherwise what the user must change.
std::string CheckIssueFields(const IssueFields& fields);
std::string IssueThanksPage(long long number, const std::string& aircraftName);
std::string IssueLimitedPage();
// The aircraft's name for a report, or "unknown aircraft (id N)".
std::string AircraftNameFor(const Publication* publication, int id);

} // namespace sky::server
