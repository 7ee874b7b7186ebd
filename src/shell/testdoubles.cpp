#include "shell/testdoubles.h"

#include <QCoreApplication>
#include <QDir>

namespace sky {

MsgResult FakeMessageBox::show(QWidget*, const QString& title, const QString& text, MsgIcon icon,
                               MsgButtons buttons) {
    const ShownMessage m{title, text, icon, buttons};
    shown.push_back(m);
    if (onShow) onShow(m);
    if (!answers_.empty()) {
        const MsgResult r = answers_.front();
        answers_.pop_front();
        return r;
    }
    switch (buttons) {
    case MsgButtons::OkOnly:
    case MsgButtons::OkCancel: return MsgResult::Ok;
    case MsgButtons::AbortRetryIgnore: return MsgResult::Abort;
    case MsgButtons::YesNoCancel:
    case MsgButtons::YesNo: return MsgResult::Yes;
    case MsgButtons::RetryCancel: return MsgResult::Retry;
    }
    return MsgResult::Ok;
}

void FakeClock::processEvents() {
    ++processEventsCalls;
    if (runRealEvents && QCoreApplication::instance()) QCoreApplication::processEvents();
    if (onProcessEvents) onProcessEvents();
    now += stepPerEvents;
}

double FakeRandom::next() {
    if (!queued_.empty()) {
        const double v = queued_.front();
        queued_.pop_front();
        return v;
    }
    // splitmix64: small, fast and the same on every machine.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * (1.0 / 9007199254740992.0);
}

FakePlatform::FakePlatform() {
    folders.documentsPath = root.path() + "/Documents";
    folders.appDataPath = root.path() + "/AppData";
    folders.cachePath = root.path() + "/Cache";
    QDir().mkpath(folders.documentsPath);
    QDir().mkpath(folders.appDataPath);
    previous_ = installPlatform({&messageBox, &shell, &sound, &clock, &random, &folders, &process});
}

FakePlatform::~FakePlatform() { installPlatform(previous_); }

} // namespace sky
