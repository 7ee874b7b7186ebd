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

// The folder of the running executable, without a trailing separator.
// Tests may point it elsewhere.
QString InstallFolder();
void SetInstallFolderForTests(const QString& folder);

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
