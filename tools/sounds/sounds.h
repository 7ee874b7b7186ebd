// The program's sound clips, synthesised: the same bytes on every build.
//
//   correct.wav  a bright rising two-note chime
//   wrong.wav    a soft, low, descending buzz
//   projctor.wav the click and whirr of a slide projector changing slides
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace sky::sounds {

constexpr int kSampleRate = 44100;

// Samples in [-1, 1].
QVector<float> CorrectChime();
QVector<float> WrongBuzz();
QVector<float> ProjectorClick();

// A mono 16-bit PCM WAV file of the samples.
QByteArray EncodeWav(const QVector<float>& samples, int sampleRate = kSampleRate);

// The clips' file names, in the order WriteAll writes them.
QStringList ClipNames();
// The WAV bytes of a clip named in ClipNames(); empty for another name.
QByteArray ClipWav(const QString& fileName);
// Writes every clip into `folder` (made when missing); returns false and
// sets `error` when a file cannot be written.
bool WriteAll(const QString& folder, QString* error = nullptr);

} // namespace sky::sounds
