// The application object: names the program and turns an error that no
// handler caught into the program's end with a message giving its number
// and description.
#pragma once

#include <QApplication>

namespace sky {

// The program's name, organisation, version and desktop entry.
void NameApplication(QCoreApplication& app);

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The desktop entry's name (without ".desktop"), also the icon's name.
inline const char* kDesktopId = "org.skyrendel.Skyrendel";

} // namespace sky
