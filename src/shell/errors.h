// Errors that travel up to the event that started an operation. A routine
// with its own handling turns one into the error report of helpers.h; one
// that nothing handles ends the program with a message giving its number and
// description.
#pragma once

#include <QString>
#include <exception>

namespace sky {

class SkyError : public std::exception {
public:
    SkyError(int number, QString description);
    int number() const { return number_; }
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return what_.constData(); }

private:
    int number_;
    QString description_;
    QByteArray what_;
};

// Common error numbers, as the classic run-time numbers them.
constexpr int kErrOverflow = 6;
constexpr int kErrFileNotFound = 53;
constexpr int kErrPathNotFound = 76;
constexpr int kErrPermissionDenied = 70;
constexpr int kErrInvalidCall = 5;

// The message shown for an error that nothing handled.
QString UnhandledErrorText(int number, const QString& description);
// Shows that message and ends the process with exit code 1.
[[noreturn]] void EndWithUnhandledError(int number, const QString& description);

} // namespace sky
