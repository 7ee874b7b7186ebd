#include "shell/settings.h"

#include "shell/appstate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

namespace sky {

// The store is the platform's per-user settings file, in the format
// QSettings gives it. It is read and changed line by line here rather than
// through QSettings, which rewrites the whole file on every change and
// replaces each value it cannot read back with "@Invalid()": a change to one
// key leaves every other line as it was.

namespace {

const QString kSection = QStringLiteral("SETTINGS");

QString storePath() {
    // Asking QSettings for the file's name reads the whole file, so the name
    // is kept for as long as the title stays the same (QSettings takes the
    // user's configuration folder once per process).
    static QString lastKey, lastPath;
    const QString key = AppTitleLive();
    if (key != lastKey || lastPath.isEmpty()) {
        const QSettings s(QSettings::NativeFormat, QSettings::UserScope, AppTitleLive(), AppTitleLive());
        lastPath = s.fileName();
        lastKey = key;
    }
    return lastPath;
}

// A key or value that the file holds exactly as written: no quoting, no
// escapes, no list, no type marker.
bool isPlain(const QString& text, bool isKey) {
    static const QRegularExpression plainKey(QStringLiteral("^[A-Za-z0-9_.-]+$"));
    if (isKey) return plainKey.match(text).hasMatch();
    if (text.isEmpty()) return true;
    if (text.front().isSpace() || text.back().isSpace() || text.startsWith(QLatin1Char('@'))) return false;
    for (const QChar c : text)
        if (c.unicode() < 32 || c.unicode() > 126 || QStringLiteral("\"\\,;=").contains(c)) return false;
    return true;
}

struct Line {
    QString key; // as written in the file
    QString raw; // the value as written
};

// "key=value" of a line, or false for a comment, a section or a blank line.
bool splitLine(const QString& line, Line* out) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#')) ||
        t.startsWith(QLatin1Char('[')))
        return false;
    const int eq = t.indexOf(QLatin1Char('='));
    if (eq < 0) return false;
    out->key = t.left(eq).trimmed();
    out->raw = t.mid(eq + 1).trimmed();
    return true;
}

bool isSectionHeader(const QString& line, QString* name) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']'))) return false;
    *name = t.mid(1, t.size() - 2);
    return true;
}

QStringList readLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
}

// The line QSettings writes for key=value in the section, taken from a
// scratch file of its own.
QString encodedLine(const QString& key, const QString& value) {
    if (isPlain(key, true) && isPlain(value, false)) return key + QLatin1Char('=') + value;
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("line.ini"));
    {
        QSettings s(path, QSettings::IniFormat);
        s.setValue(kSection + QLatin1Char('/') + key, value);
        s.sync();
    }
    for (const QString& line : readLines(path)) {
        Line l;
        if (splitLine(line, &l)) return line.trimmed();
    }
    return key + QLatin1Char('=') + value;
}

// The encoded form of a key as it appears before "=".
QString encodedKey(const QString& key) {
    const QString line = encodedLine(key, QString());
    return line.left(line.indexOf(QLatin1Char('=')));
}

// A stored value read back as text; a value that is no text (a list, a
// typed value, one that cannot be decoded at all) gives a null text.
QString decodeValue(const QString& key, const QString& raw) {
    if (isPlain(raw, false)) return raw;
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("line.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) return QString();
        f.write((QLatin1Char('[') + kSection + QStringLiteral("]\n") + key + QLatin1Char('=') + raw + QLatin1Char('\n'))
                    .toUtf8());
    }
    QSettings s(path, QSettings::IniFormat);
    s.beginGroup(kSection);
    const QStringList keys = s.childKeys();
    const QVariant v = keys.isEmpty() ? QVariant() : s.value(keys.first());
    return v.typeId() == QMetaType::QString ? v.toString() : QString();
}

} // namespace

void SaveAppSetting(const QString& key, const QString& value) {
    const QString path = storePath();
    QStringList lines = readLines(path);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) lines.removeLast();
    const QString fileKey = encodedKey(key);
    const QString newLine = encodedLine(key, value);

    int sectionStart = -1, lastInSection = -1, at = -1;
    bool inSection = false;
    for (int i = 0; i < lines.size(); ++i) {
        QString name;
        if (isSectionHeader(lines[i], &name)) {
            inSection = name == kSection;
            if (inSection && sectionStart < 0) {
                sectionStart = i;
                lastInSection = i;
            }
            continue;
        }
        if (!inSection) continue;
        if (!lines[i].trimmed().isEmpty()) lastInSection = i;
        Line l;
        if (at < 0 && splitLine(lines[i], &l) && l.key == fileKey) at = i;
    }
    if (at >= 0) {
        // The same value again: the file stays as it is, unwritten.
        if (lines[at] == newLine) return;
        lines[at] = newLine;
    } else if (sectionStart >= 0) {
        lines.insert(lastInSection + 1, newLine);
    } else {
        if (!lines.isEmpty()) lines << QString();
        lines << QLatin1Char('[') + kSection + QLatin1Char(']') << newLine;
    }

    // Written beside the store and renamed over it: a failed write leaves
    // the store as it was.
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) return;
    out.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    out.commit();
}

QString GetAppSetting(const QString& key, const QString& defaultValue) {
    const QString fileKey = encodedKey(key);
    bool inSection = false;
    for (const QString& line : readLines(storePath())) {
        QString name;
        if (isSectionHeader(line, &name)) {
            inSection = name == kSection;
            continue;
        }
        Line l;
        if (inSection && splitLine(line, &l) && l.key == fileKey) {
            // Stored but not a text: it is none of the values the program
            // writes, so it reads as an empty text, never as the default.
            const QString v = decodeValue(fileKey, l.raw);
            return v.isNull() ? QStringLiteral("") : v;
        }
    }
    return defaultValue;
}

} // namespace sky
