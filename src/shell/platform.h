// The program's seams to the platform. Every window and module reaches the
// desktop (message boxes, the shell, sound, time, randomness, special
// folders, processes) through these small interfaces, so that tests can put
// a double in place of each one.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <stdexcept>

class QWidget;

namespace sky {

// Message-box buttons and answers, numbered as the classic desktop constants.
enum class MsgButtons { OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5 };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgResult { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

class MessageBoxSeam {
public:
    virtual ~MessageBoxSeam() = default;
    // Shows a modal box and returns the button the user chose.
    virtual MsgResult show(QWidget* parent, const QString& title, const QString& text, MsgIcon icon,
                           MsgButtons buttons) = 0;
};

class ShellSeam {
public:
    virtual ~ShellSeam() = default;
    // Opens a web address or a file with its default handler.
    virtual void open(const QString& target) = 0;
};

class SoundSeam {
public:
    virtual ~SoundSeam() = default;
    // Starts playing a WAV file and returns at once; an empty or missing
    // path plays nothing.
    virtual void playAsync(const QString& wavPath) = 0;
};

class ClockSeam {
public:
    virtual ~ClockSeam() = default;
    // Milliseconds since an arbitrary start, wrapping at 2^32.
    virtual std::uint32_t tickCount() = 0;
    // Lets pending window messages run once.
    virtual void processEvents() = 0;
};

class RandomSeam {
public:
    virtual ~RandomSeam() = default;
    virtual void seedFromClock() = 0;
    // A uniform number in [0, 1).
    virtual double next() = 0;
};

class FoldersSeam {
public:
    virtual ~FoldersSeam() = default;
    virtual QString documents() = 0;
    // The roaming application-data folder (the parent of the user folder).
    virtual QString appData() = 0;
    // The folder for files the program can always make again (the user's
    // cache folder).
    virtual QString cache() = 0;
};

class ProcessSeam {
public:
    virtual ~ProcessSeam() = default;
    // Starts a program without waiting; false when it could not be started.
    virtual bool startDetached(const QString& program, const QStringList& args, bool minimised) = 0;
    // Ends this process at once with the given code.
    [[noreturn]] virtual void exitProcess(int code) = 0;
};

// What a test double of exitProcess throws, so that a test sees the
// process "end" and the code it ended with. Nothing else catches it.
struct ProcessExited : std::runtime_error {
    explicit ProcessExited(int c) : std::runtime_error("process exited"), code(c) {}
    int code;
};

struct Platform {
    MessageBoxSeam* messageBox = nullptr;
    ShellSeam* shell = nullptr;
    SoundSeam* sound = nullptr;
    ClockSeam* clock = nullptr;
    RandomSeam* random = nullptr;
    FoldersSeam* folders = nullptr;
    ProcessSeam* process = nullptr;
};

// The seams in force. Until something is installed, the Qt implementations.
Platform& platform();
// Replaces the seams given (non-null members); returns the previous set.
Platform installPlatform(const Platform& seams);

// Work to do when the process ends through ProcessSeam::exitProcess (or
// returns from its event loop): give up locks, remove socket files. Run in
// the reverse order of registration, each at most once.
void AtProcessExit(std::function<void()> work);
void RunProcessExitWork();

// Waits in place: lets window messages run until more than `ms`
// milliseconds have passed on the tick count.
void WaitInPlace(std::uint32_t ms);

} // namespace sky
