// Program-wide values set during start-up.
#pragma once

#include <QString>

namespace sky {

// The application's title as the running application reports it (the
// single-instance check renames it); settings are kept under it.
QString AppTitleLive();
void SetAppTitleLive(const QString& title);

// The title recorded by the start-up; empty until then. Warnings use it.
extern QString AppTitle;

// The folder that holds the program's data (install or user folder).
extern QString ProgramFolder;

// The install folder: where the program's data is installed, without a
// trailing separator. The folder of the running executable when the data
// sits beside it (a build tree); otherwise, installed, the data folder
// kDataFolderFromExecutable names. Tests may point it elsewhere.
QString InstallFolder();
// True when the install folder is the shared data folder of an installed
// program (it belongs to the system and every user starts from it: the
// first-run move copies from it and never deletes anything there).
bool InstallFolderIsShared();
// The folder of the running executable itself.
QString ExecutableFolder();
// The installed data folder, relative to the executable's.
extern const char* const kDataFolderFromExecutable;
void SetInstallFolderForTests(const QString& folder, bool shared = false);

// The application's fixed title.
inline const char* kApplicationTitle = "Skyrendel";

} // namespace sky

class QWidget;
namespace sky {
// The main window, owner of the program's other windows; null before it
// exists.
QWidget* MainWindowWidget();
void SetMainWindowWidget(QWidget* w);
} // namespace sky
