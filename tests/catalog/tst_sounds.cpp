// The synthesised sound clips: well-formed 16-bit PCM WAV files, short,
// neither clipped nor silent, ending quietly, the same on every build, and
// moving in pitch the way each clip should.
#include "sounds.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

struct Wav {
    int format = 0, channels = 0, rate = 0, bits = 0;
    QVector<qint16> samples;
    QString error;
};

Wav parse(const QByteArray& b) {
    Wav w;
    auto u32 = [&b](int i) { return qFromLittleEndian<quint32>(b.constData() + i); };
    auto u16 = [&b](int i) { return qFromLittleEndian<quint16>(b.constData() + i); };
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE") {
        w.error = "not a RIFF WAVE file";
        return w;
    }
    if (u32(4) != quint32(b.size() - 8)) w.error = "RIFF size does not match the file";
    int i = 12;
    bool fmt = false;
    while (i + 8 <= b.size()) {
        const QByteArray id = b.mid(i, 4);
        const quint32 len = u32(i + 4);
        if (i + 8 + qint64(len) > b.size()) {
            w.error = "chunk runs past the end: " + QString::fromLatin1(id);
            return w;
        }
        if (id == "fmt ") {
            w.format = u16(i + 8);
            w.channels = u16(i + 10);
            w.rate = int(u32(i + 12));
            w.bits = u16(i + 22);
            fmt = true;
        } else if (id == "data") {
            if (!fmt) w.error = "data before fmt";
            for (quint32 k = 0; k + 1 < len; k += 2) w.samples << qint16(u16(i + 8 + int(k)));
        }
        i += 8 + int(len) + int(len & 1);
    }
    return w;
}

// Zero crossings per second over a stretch: a rough measure of pitch.
double crossingRate(const QVector<qint16>& s, int from, int to, int rate) {
    int n = 0;
    for (int i = from + 1; i < to; ++i)
        if ((s[i - 1] < 0) != (s[i] < 0)) ++n;
    return n * double(rate) / (to - from);
}

} // namespace

class TestSounds : public QObject {
    Q_OBJECT
private slots:
    void clipIsShortCleanPcm_data() {
        QTest::addColumn<QString>("name");
        for (const QString& n : sky::sounds::ClipNames()) QTest::newRow(qPrintable(n)) << n;
    }
    void clipIsShortCleanPcm() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(sky::sounds::WriteAll(dir.filePath("SOUND")));
        QFile f(dir.filePath("SOUND/" + name));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const Wav w = parse(bytes);
        QVERIFY2(w.error.isEmpty(), qPrintable(w.error));
        QCOMPARE(w.format, 1);
        QCOMPARE(w.bits, 16);
        QCOMPARE(w.channels, 1);
        QVERIFY(w.rate >= 22050);
        const double seconds = double(w.samples.size()) / w.rate;
        QVERIFY2(seconds < 0.5 && seconds > 0.15, qPrintable(QString::number(seconds)));
        int peak = 0;
        for (qint16 v : w.samples) peak = qMax(peak, qAbs(int(v)));
        QVERIFY2(peak > 6000 && peak < 32000, qPrintable(QString::number(peak))); // audible, not clipped
        for (int i = w.samples.size() - 40; i < w.samples.size(); ++i) QVERIFY(qAbs(int(w.samples[i])) < 300);
        QVERIFY(qAbs(int(w.samples[0])) < 300);
        // The same bytes on every build.
        QCOMPARE(bytes, sky::sounds::ClipWav(name));
    }

    void chimeRisesAndBuzzFalls() {
        const Wav chime = parse(sky::sounds::ClipWav("correct.wav"));
        const int r = chime.rate;
        QVERIFY(crossingRate(chime.samples, int(0.12 * r), int(0.30 * r), r) >
                1.2 * crossingRate(chime.samples, 0, int(0.09 * r), r));
        const Wav buzz = parse(sky::sounds::ClipWav("wrong.wav"));
        const int n = buzz.samples.size();
        QVERIFY(crossingRate(buzz.samples, int(0.05 * r), n / 3, r) > crossingRate(buzz.samples, n / 2, n - n / 6, r));
        // Low: the buzz stays under a few hundred crossings a second.
        QVERIFY(crossingRate(buzz.samples, 0, n, r) < 800);
    }

    void unknownClipHasNoBytes() { QVERIFY(sky::sounds::ClipWav("correct.WAV").isEmpty()); }
};

QTEST_GUILESS_MAIN(TestSounds)
#include "tst_sounds.moc"
