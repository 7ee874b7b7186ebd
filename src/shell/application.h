// The application object: names the program and turns an error that no
// handler caught into the program's end with a message giving its number
// and description.
#pragma once

#include <QApplication>

namespace sky {

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace sky
