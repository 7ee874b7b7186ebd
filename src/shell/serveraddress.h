// The maker's update server: one base address for the updater and the
// problem reports, and the paths of the pages the program reaches there.
#pragma once

#include <QString>

namespace sky {

// The production server and a development server on the local machine; the
// fixed switch below chooses which one the program talks to.
inline constexpr const char* kProductionServerBaseAddress = "https://updates.skyrendel.example";
inline constexpr const char* kDevelopmentServerBaseAddress = "http://127.0.0.1";
inline constexpr bool kUseDevelopmentServer = false;

// The settings key that names another server (a mirror, a company server,
// the local demo server) in place of both built-in addresses.
inline constexpr const char* kUpdateServerSettingKey = "UpdateServer";

// The base address in force: the "UpdateServer" setting when it holds an
// http or https address, otherwise the switch's choice. Never ends in "/":
// every path below starts with one.
QString ServerBaseAddress();

// The change-list request of the updater.
inline constexpr const char* kUpdatesPagePath = "/quillan/app/getupdates.asp";
// The page that takes a user's problem report.
inline constexpr const char* kIssuePagePath = "/quillan/issue.asp";

} // namespace sky
