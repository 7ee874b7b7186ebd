// The application object: names the program and turns an error that no
// handler caught into the program's end with a message giving its number
// and description.
#pragma once

#include <QApplication>

namespace sky {

// The program's name, organisation, version and desktop entry.
void NameApplication(QCoreApplication& app);
// Gives the whole program one look: the Fusion style, whose focus frames
// show where the keyboard is; with UseProgramStyle, one style sheet for
// dialogs, push buttons and message boxes on the dark theme. Windows that
// draw their own faces (pictures, flat picture buttons) keep them; a flat
// button shows a ring when it has the focus.
void ApplyProgramStyle(QApplication& app);
// Puts the program's style sheet on `widget` and everything in it: each
// window with dialogs' controls or push buttons, each message box. The
// sheet is not the application's own: a style sheet there makes every
// widget of every window (the main window's hundreds too) go through the
// style sheet machinery, which cost the start about 2.5 ms.
void UseProgramStyle(QWidget* widget);
// The style sheet UseProgramStyle puts on.
QString ProgramStyleSheet();

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The desktop entry's name (without ".desktop"), also the icon's name.
inline const char* kDesktopId = "org.skyrendel.Skyrendel";

} // namespace sky
