// The application object: names the program and turns an error that no
// handler caught into the program's end with a message giving its number
// and description.
#pragma once

#include <QApplication>

namespace sky {

// The program's name, organisation, version and desktop entry.
void NameApplication(QCoreApplication& app);
// Gives the whole program one look: the Fusion style, whose focus frames
// show where the keyboard is, and one style sheet for dialogs, push
// buttons and message boxes on the dark theme. Windows that draw their own
// faces (pictures, flat picture buttons) keep them; a flat button shows a
// ring when it has the focus.
void ApplyProgramStyle(QApplication& app);
// The style sheet ApplyProgramStyle installs.
QString ProgramStyleSheet();

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The desktop entry's name (without ".desktop"), also the icon's name.
inline const char* kDesktopId = "org.skyrendel.Skyrendel";

} // namespace sky
