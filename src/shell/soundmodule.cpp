// The sound seam's real player, built as a module of its own: the program
// loads it (and with it Qt Multimedia and the sound libraries) on the first
// clip it plays, not at start.
#include "shell/platform.h"

#include <QFileInfo>
#include <QHash>
#include <QSoundEffect>
#include <QUrl>

#include <memory>

namespace {

class QtSound : public sky::SoundSeam {
public:
    void playAsync(const QString& wavPath) override {
        if (wavPath.isEmpty() || !QFileInfo(wavPath).isFile()) return;
        // One effect per clip, kept for the run: loading is the slow part.
        auto& effect = effects_[wavPath];
        if (!effect) {
            effect = std::make_unique<QSoundEffect>();
            effect->setSource(QUrl::fromLocalFile(wavPath));
        }
        effect->stop();
        effect->play();
    }

private:
    QHash<QString, std::shared_ptr<QSoundEffect>> effects_;
};

} // namespace

extern "C" Q_DECL_EXPORT sky::SoundSeam* skyrendel_sound_player() {
    static QtSound player;
    return &player;
}
