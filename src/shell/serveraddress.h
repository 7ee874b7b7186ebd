// The maker's update server: one base address for the updater and the
// problem reports, and the paths of the pages the program reaches there.
#pragma once

namespace sky {

// The production server and a development server on the local machine; the
// fixed switch below chooses which one the program talks to.
inline constexpr const char* kProductionServerBaseAddress = "http://updates.skyrendel.example";
inline constexpr const char* kDevelopmentServerBaseAddress = "http://127.0.0.1";
inline constexpr bool kUseDevelopmentServer = false;

// Without a trailing "/": every path below starts with one.
inline constexpr const char* kServerBaseAddress =
    kUseDevelopmentServer ? kDevelopmentServerBaseAddress : kProductionServerBaseAddress;

// The change-list request of the updater.
inline constexpr const char* kUpdatesPagePath = "/quillan/app/getupdates.asp";
// The page that takes a user's problem report.
inline constexpr const char* kIssuePagePath = "/quillan/issue.asp";

} // namespace sky
