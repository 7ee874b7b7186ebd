#include "sounds.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cmath>
#include <cstdint>

namespace sky::sounds {

namespace {

constexpr double kPi = 3.14159265358979323846;

int samplesFor(double seconds) { return int(std::lround(seconds * kSampleRate)); }

// A fixed-seed noise source, so every build writes the same clips.
class Noise {
public:
    double next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return double(state_ >> 11) / double(1ULL << 53) * 2.0 - 1.0;
    }

private:
    std::uint64_t state_ = 0x5ca1ab1e2024ULL;
};

// Scales to a peak of `peak` and fades the last few milliseconds to
// silence so the clip never ends on a click.
void finish(QVector<float>& s, double peak) {
    double max = 0;
    for (float v : s) max = std::max(max, std::fabs(double(v)));
    const double gain = max > 0 ? peak / max : 0;
    const int fade = samplesFor(0.012);
    for (int i = 0; i < s.size(); ++i) {
        double v = s[i] * gain;
        const int fromEnd = s.size() - 1 - i;
        if (fromEnd < fade) v *= 0.5 - 0.5 * std::cos(kPi * fromEnd / fade);
        if (i < 32) v *= i / 32.0;
        s[i] = float(v);
    }
}

// A struck bell-like tone: a few partials, a quick attack and an
// exponential decay.
void addBell(QVector<float>& s, double start, double frequency, double decay, double level) {
    static const double partials[][2] = {{1.0, 1.0}, {2.0, 0.32}, {3.0, 0.10}, {4.16, 0.05}};
    const int first = samplesFor(start);
    const double attack = 0.004;
    for (int i = first; i < s.size(); ++i) {
        const double t = double(i - first) / kSampleRate;
        const double env = (t < attack ? t / attack : 1.0) * std::exp(-t / decay);
        double v = 0;
        for (const auto& p : partials)
            // Higher partials die away faster, as on a real chime.
            v += p[1] * std::sin(2 * kPi * frequency * p[0] * t) * std::exp(-t * (p[0] - 1) * 6.0);
        s[i] += float(level * env * v);
    }
}

// A damped resonance struck at `start`: the body of a mechanical click.
void addKnock(QVector<float>& s, Noise& noise, double start, double frequency, double decay, double level) {
    const int first = samplesFor(start);
    const int last = std::min<int>(s.size(), first + samplesFor(decay * 8));
    for (int i = first; i < last; ++i) {
        const double t = double(i - first) / kSampleRate;
        const double env = std::exp(-t / decay);
        s[i] += float(level * env * (0.65 * std::sin(2 * kPi * frequency * t) + 0.35 * noise.next() * std::exp(-t / (decay * 0.4))));
    }
}

} // namespace

QVector<float> CorrectChime() {
    QVector<float> s(samplesFor(0.46), 0.0f);
    addBell(s, 0.000, 1046.50, 0.10, 0.80); // C6
    addBell(s, 0.105, 1567.98, 0.15, 1.00); // G6
    finish(s, 0.62);
    return s;
}

QVector<float> WrongBuzz() {
    QVector<float> s(samplesFor(0.40), 0.0f);
    const double f0 = 196.0, f1 = 123.5; // G3 sliding down to B2
    double phase = 0, phase2 = 0, low = 0;
    const double length = s.size() / double(kSampleRate);
    for (int i = 0; i < s.size(); ++i) {
        const double t = double(i) / kSampleRate;
        const double f = f0 * std::pow(f1 / f0, t / length);
        phase += 2 * kPi * f / kSampleRate;
        phase2 += 2 * kPi * f * 1.007 / kSampleRate; // a second, slightly detuned voice
        double v = 0;
        // Few, quickly falling harmonics: a buzz with its edge taken off.
        for (int n = 1; n <= 6; ++n) v += (std::sin(n * phase) + 0.6 * std::sin(n * phase2)) / std::pow(n, 1.6);
        const double attack = std::min(1.0, t / 0.025);
        const double release = t > length - 0.16 ? 0.5 + 0.5 * std::cos(kPi * (t - (length - 0.16)) / 0.16) : 1.0;
        v *= attack * release * (1.0 - 0.15 * std::sin(2 * kPi * 9 * t));
        // A gentle low-pass.
        low += 0.18 * (v - low);
        s[i] = float(low);
    }
    finish(s, 0.45);
    return s;
}

QVector<float> ProjectorClick() {
    QVector<float> s(samplesFor(0.42), 0.0f);
    Noise noise;
    addKnock(s, noise, 0.000, 2300, 0.0035, 1.0); // the lever
    addKnock(s, noise, 0.012, 1200, 0.0060, 0.6);
    // The whirr of the tray motor: a low hum with gear flutter and a little
    // filtered noise, swelling and dying away.
    double low = 0, band = 0;
    const double whirrStart = 0.03, whirrEnd = 0.31;
    for (int i = samplesFor(whirrStart); i < samplesFor(whirrEnd); ++i) {
        const double t = double(i) / kSampleRate - whirrStart;
        const double len = whirrEnd - whirrStart;
        const double env = std::sin(kPi * t / len);
        const double flutter = 0.55 + 0.45 * std::sin(2 * kPi * 31 * t);
        const double hum = std::sin(2 * kPi * 118 * t) + 0.5 * std::sin(2 * kPi * 236 * t) + 0.25 * std::sin(2 * kPi * 354 * t);
        const double n = noise.next();
        low += 0.08 * (n - low);
        band += 0.5 * ((n - low) - band);
        s[i] += float(env * flutter * (0.22 * hum + 0.55 * band));
    }
    addKnock(s, noise, 0.325, 900, 0.0070, 0.9); // the slide drops into place
    addKnock(s, noise, 0.338, 1700, 0.0035, 0.35);
    finish(s, 0.5);
    return s;
}

QByteArray EncodeWav(const QVector<float>& samples, int sampleRate) {
    QByteArray out;
    auto u32 = [&out](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [&out](std::uint16_t v) {
        out.append(char(v & 0xFF));
        out.append(char(v >> 8));
    };
    const std::uint32_t dataBytes = std::uint32_t(samples.size()) * 2;
    out.append("RIFF");
    u32(36 + dataBytes);
    out.append("WAVE");
    out.append("fmt ");
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(std::uint32_t(sampleRate));
    u32(std::uint32_t(sampleRate) * 2);
    u16(2);  // block align
    u16(16); // bits per sample
    out.append("data");
    u32(dataBytes);
    for (float v : samples) {
        const long q = std::lround(std::clamp(double(v), -1.0, 1.0) * 32767.0);
        u16(std::uint16_t(std::int16_t(q)));
    }
    return out;
}

QStringList ClipNames() {
    return {QStringLiteral("correct.wav"), QStringLiteral("wrong.wav"), QStringLiteral("projctor.wav")};
}

QByteArray ClipWav(const QString& fileName) {
    if (fileName == QLatin1String("correct.wav")) return EncodeWav(CorrectChime());
    if (fileName == QLatin1String("wrong.wav")) return EncodeWav(WrongBuzz());
    if (fileName == QLatin1String("projctor.wav")) return EncodeWav(ProjectorClick());
    return QByteArray();
}

bool WriteAll(const QString& folder, QString* error) {
    if (!QDir().mkpath(folder)) {
        if (error) *error = folder + QStringLiteral(": the folder cannot be created");
        return false;
    }
    for (const QString& name : ClipNames()) {
        QSaveFile f(QDir(folder).filePath(name));
        const QByteArray bytes = ClipWav(name);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
            if (error) *error = f.fileName() + QStringLiteral(": ") + f.errorString();
            return false;
        }
    }
    return true;
}

} // namespace sky::sounds
