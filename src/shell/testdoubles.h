// Test doubles for every platform seam. A test installs a FakePlatform,
// queues the answers the "user" will give and reads back what the program
// showed, opened, played and started.
#pragma once

#include "shell/platform.h"

#include <QTemporaryDir>
#include <QVector>
#include <deque>
#include <functional>
#include <stdexcept>

namespace sky {

struct ShownMessage {
    QString title;
    QString text;
    MsgIcon icon;
    MsgButtons buttons;
};

class FakeMessageBox : public MessageBoxSeam {
public:
    // The answer the next box gets; without one, a box gets its first button
    // (OK, Yes, Abort or Retry).
    void setNextAnswer(MsgResult answer) { answers_.push_back(answer); }
    MsgResult show(QWidget*, const QString& title, const QString& text, MsgIcon icon, MsgButtons buttons) override;
    QVector<ShownMessage> shown;
    // Runs while a box is "open", as a modal box would run the event loop.
    std::function<void(const ShownMessage&)> onShow;

private:
    std::deque<MsgResult> answers_;
};

class FakeShell : public ShellSeam {
public:
    void open(const QString& target) override { opened.push_back(target); }
    QStringList opened;
};

class FakeSound : public SoundSeam {
public:
    void playAsync(const QString& wavPath) override { played.push_back(wavPath); }
    QStringList played;
};

// A clock that only moves when told to, or by `stepPerEvents` on every
// processEvents call (so waits in place end without real time passing).
class FakeClock : public ClockSeam {
public:
    std::uint32_t tickCount() override { return now; }
    void processEvents() override;
    void advance(std::uint32_t ms) { now += ms; }
    std::uint32_t now = 1000;
    std::uint32_t stepPerEvents = 10;
    bool runRealEvents = true;
    int processEventsCalls = 0;
    std::function<void()> onProcessEvents;
};

// Replays a queued list of numbers in [0, 1); when the queue is empty it
// falls back to a seeded generator, so tests are repeatable either way.
class FakeRandom : public RandomSeam {
public:
    explicit FakeRandom(std::uint64_t seed = 12345) : state_(seed) {}
    void seedFromClock() override { ++seedCalls; }
    double next() override;
    void queue(std::initializer_list<double> values) { queued_.insert(queued_.end(), values); }
    void reseed(std::uint64_t seed) { state_ = seed; }
    int seedCalls = 0;

private:
    std::deque<double> queued_;
    std::uint64_t state_;
};

class FakeFolders : public FoldersSeam {
public:
    QString documents() override { return documentsPath; }
    QString appData() override { return appDataPath; }
    QString cache() override { return cachePath; }
    QString documentsPath;
    QString appDataPath;
    QString cachePath;
};

class FakeProcess : public ProcessSeam {
public:
    struct Started {
        QString program;
        QStringList args;
        bool minimised;
    };
    bool startDetached(const QString& program, const QStringList& args, bool minimised) override {
        started.push_back({program, args, minimised});
        return startSucceeds;
    }
    [[noreturn]] void exitProcess(int code) override { exitCodes.push_back(code); throw ProcessExited(code); }
    QVector<Started> started;
    QVector<int> exitCodes;
    bool startSucceeds = true;
};

// All doubles at once, installed for the lifetime of the object; the special
// folders point into a fresh temporary folder.
class FakePlatform {
public:
    FakePlatform();
    ~FakePlatform();
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    FakeMessageBox messageBox;
    FakeShell shell;
    FakeSound sound;
    FakeClock clock;
    FakeRandom random;
    FakeFolders folders;
    FakeProcess process;
    QTemporaryDir root;

private:
    Platform previous_;
};

} // namespace sky
