#include "shell/platform.h"

#include "shell/application.h"
#include "shell/modules.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

namespace sky {
namespace {

class QtMessageBox : public MessageBoxSeam {
public:
    MsgResult show(QWidget* parent, const QString& title, const QString& text, MsgIcon icon,
                   MsgButtons buttons) override {
        QMessageBox box(parent);
        UseProgramStyle(&box);
        box.setWindowTitle(title.isEmpty() ? QCoreApplication::applicationName() : title);
        box.setText(text);
        switch (icon) {
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        }
        struct B { QMessageBox::StandardButton qt; MsgResult r; };
        std::vector<B> list;
        switch (buttons) {
        case MsgButtons::OkOnly: list = {{QMessageBox::Ok, MsgResult::Ok}}; break;
        case MsgButtons::OkCancel: list = {{QMessageBox::Ok, MsgResult::Ok}, {QMessageBox::Cancel, MsgResult::Cancel}}; break;
        case MsgButtons::AbortRetryIgnore:
            list = {{QMessageBox::Abort, MsgResult::Abort}, {QMessageBox::Retry, MsgResult::Retry}, {QMessageBox::Ignore, MsgResult::Ignore}};
            break;
        case MsgButtons::YesNoCancel:
            list = {{QMessageBox::Yes, MsgResult::Yes}, {QMessageBox::No, MsgResult::No}, {QMessageBox::Cancel, MsgResult::Cancel}};
            break;
        case MsgButtons::YesNo: list = {{QMessageBox::Yes, MsgResult::Yes}, {QMessageBox::No, MsgResult::No}}; break;
        case MsgButtons::RetryCancel: list = {{QMessageBox::Retry, MsgResult::Retry}, {QMessageBox::Cancel, MsgResult::Cancel}}; break;
        }
        QMessageBox::StandardButtons set;
        for (const B& b : list) set |= b.qt;
        box.setStandardButtons(set);
        box.setDefaultButton(list.front().qt);
        const int chosen = box.exec();
        for (const B& b : list)
            if (chosen == b.qt) return b.r;
        // Closed with Escape or the close box: the cancelling answer.
        for (const B& b : list)
            if (b.r == MsgResult::Cancel || b.r == MsgResult::No) return b.r;
        return list.front().r;
    }
};

class QtShell : public ShellSeam {
public:
    void open(const QString& target) override {
        const QUrl url = QUrl::fromUserInput(target, QDir::currentPath(), QUrl::AssumeLocalFile);
        QDesktopServices::openUrl(url);
    }
};

// Plays through the sound module, loaded on the first clip: the program
// starts without Qt Multimedia and the sound libraries. Without the module
// (not installed) nothing is played.
class LazySound : public SoundSeam {
public:
    void playAsync(const QString& wavPath) override {
        if (wavPath.isEmpty() || !QFileInfo(wavPath).isFile()) return;
        if (!tried_) {
            tried_ = true;
            player_ = LoadPlayer();
        }
        if (player_) player_->playAsync(wavPath);
    }

private:
    static SoundSeam* LoadPlayer() {
        using Make = SoundSeam* (*)();
        auto make = reinterpret_cast<Make>(ResolveModuleEntry(QStringLiteral("skyrendel-sound"), "skyrendel_sound_player"));
        return make ? make() : nullptr;
    }
    bool tried_ = false;
    SoundSeam* player_ = nullptr;
};

class QtClock : public ClockSeam {
public:
    QtClock() { timer_.start(); }
    std::uint32_t tickCount() override { return static_cast<std::uint32_t>(timer_.elapsed()); }
    void processEvents() override { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); }

private:
    QElapsedTimer timer_;
};

class StdRandom : public RandomSeam {
public:
    // The clock is mixed with the generator's own state: two reseeds within
    // one millisecond still lead to different draws.
    void seedFromClock() override {
        const auto ms = static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch());
        const std::uint64_t state = engine_();
        std::seed_seq seq{static_cast<std::uint32_t>(ms), static_cast<std::uint32_t>(ms >> 32),
                          static_cast<std::uint32_t>(state), static_cast<std::uint32_t>(state >> 32)};
        engine_.seed(seq);
    }
    double next() override { return std::uniform_real_distribution<double>(0.0, 1.0)(engine_); }

private:
    std::mt19937_64 engine_{0x5eed};
};

class QtFolders : public FoldersSeam {
public:
    QString documents() override { return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation); }
    QString appData() override { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation); }
    QString cache() override { return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation); }
};

class QtProcess : public ProcessSeam {
public:
    bool startDetached(const QString& program, const QStringList& args, bool) override {
        return QProcess::startDetached(program, args);
    }
    [[noreturn]] void exitProcess(int code) override {
        RunProcessExitWork();
        std::_Exit(code);
    }
};

std::vector<std::function<void()>>& exitWork() {
    static std::vector<std::function<void()>> work;
    return work;
}

Platform& current() {
    static QtMessageBox messageBox;
    static QtShell shell;
    static LazySound sound;
    static QtClock clock;
    static StdRandom random;
    static QtFolders folders;
    static QtProcess process;
    static Platform p{&messageBox, &shell, &sound, &clock, &random, &folders, &process};
    return p;
}

} // namespace

Platform& platform() { return current(); }

Platform installPlatform(const Platform& seams) {
    Platform& p = current();
    const Platform previous = p;
    if (seams.messageBox) p.messageBox = seams.messageBox;
    if (seams.shell) p.shell = seams.shell;
    if (seams.sound) p.sound = seams.sound;
    if (seams.clock) p.clock = seams.clock;
    if (seams.random) p.random = seams.random;
    if (seams.folders) p.folders = seams.folders;
    if (seams.process) p.process = seams.process;
    return previous;
}

void AtProcessExit(std::function<void()> work) { exitWork().push_back(std::move(work)); }

void RunProcessExitWork() {
    auto& work = exitWork();
    while (!work.empty()) {
        const std::function<void()> w = std::move(work.back());
        work.pop_back();
        if (w) w();
    }
}

void WaitInPlace(std::uint32_t ms) {
    ClockSeam* clock = platform().clock;
    const std::uint32_t start = clock->tickCount();
    do {
        clock->processEvents();
    } while (clock->tickCount() - start <= ms);
}

} // namespace sky
