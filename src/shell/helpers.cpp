#include "shell/helpers.h"

#include "shell/appstate.h"
#include "shell/errors.h"
#include "shell/platform.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <sys/stat.h>

#include <cfenv>
#include <cmath>

namespace sky {

QByteArray FileStamp(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return QByteArray();
    return QFile::encodeName(path) + ' ' + QByteArray::number(qlonglong(st.st_size)) + ' ' +
           QByteArray::number(qlonglong(st.st_mtim.tv_sec)) + '.' + QByteArray::number(qlonglong(st.st_mtim.tv_nsec)) +
           ' ' + QByteArray::number(qulonglong(st.st_dev)) + ':' + QByteArray::number(qulonglong(st.st_ino));
}

QString ErrorReportText(int number, const QString& description, int line, bool isFunction,
                        const QString& procedure, const QString& module) {
    return QStringLiteral("Error ") + QString::number(number) + QStringLiteral(" (") + description +
           QStringLiteral(") on line ") + QString::number(line) + QStringLiteral(" in ") +
           (isFunction ? QStringLiteral("Function") : QStringLiteral("Sub")) + QStringLiteral(" ") + procedure +
           QStringLiteral(" of Module ") + module;
}

void ShowPlainReport(const QString& text) {
    platform().messageBox->show(nullptr, AppTitleLive(), text, MsgIcon::None, MsgButtons::OkOnly);
}

void ShowWarning(const QString& text) {
    platform().messageBox->show(nullptr, AppTitle, text, MsgIcon::Exclamation, MsgButtons::OkOnly);
}

QString CatPathA(QString& folder, const QString& name, const QString& separator) {
    if (folder == InstallFolder()) folder = ProgramFolder;
    const QString sep = separator;
    if (folder.endsWith(sep) || name.startsWith(sep)) return folder + name;
    return folder + sep + name;
}

QString CatPathA(const QString& folder, const QString& name, const QString& separator) {
    QString copy = folder;
    return CatPathA(copy, name, separator);
}

QString DoubleSingleQuotes(const QVariant& value) {
    QString s = value.isNull() ? QString() : value.toString();
    // Positions are counted in a 16-bit counter, as they always were: a text
    // that grows to its limit is reported and gives an empty result.
    constexpr int kLimit = 32767;
    for (int i = 0; i < s.size(); ++i) {
        if (i + 1 >= kLimit) {
            ShowPlainReport(ErrorReportText(kErrOverflow, QStringLiteral("Overflow"), 20, true,
                                            QStringLiteral("DoubleSingleQuotes"), QStringLiteral("GeneralFunctions")));
            return QString();
        }
        if (s.at(i) == QLatin1Char('\'')) {
            s.insert(i + 1, QLatin1Char('\''));
            ++i;
        }
    }
    return s;
}

void CenterForm(QWidget* window) {
    if (!window) return;
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const int top = area.top() + (area.height() - window->frameGeometry().height()) / 2;
    const int left = area.left() + (area.width() - window->frameGeometry().width()) / 2;
    window->move(left, top);
}

bool FileExists(const QString& path, int attributes) {
    QString p = path;
    if (p.endsWith(QLatin1Char('/'))) p.chop(1);
    if (p.isEmpty()) return false;
    const QFileInfo info(p);
    if (!info.exists()) return false;
    if (info.isDir()) return (attributes & kAttrFolder) != 0;
    if (info.isHidden()) return (attributes & kAttrHidden) != 0;
    return true;
}

void KillFile(const QString& path) {
    if (path.contains(QStringLiteral("/.jpg"))) return;
    QFile::remove(path);
}

void StringToFile(const QString& text, const QString& path) {
    KillFile(path);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw SkyError(75, QStringLiteral("Path/File access error: ") + path);
    const QByteArray bytes = text.toUtf8();
    if (f.write(bytes) != bytes.size()) throw SkyError(61, QStringLiteral("Disk full: ") + path);
}

long long RoundHalfEven(double value) {
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(saved);
    return static_cast<long long>(r);
}

double Val(const QString& text) {
    // Leading blanks are skipped; the number ends at the first character
    // that cannot continue it.
    QString digits;
    int i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) digits += text[i++];
    bool seenDot = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) digits += c;
        else if (c == '.' && !seenDot) { seenDot = true; digits += c; }
        else if (c == ' ') continue;
        else break;
    }
    bool ok = false;
    const double v = digits.toDouble(&ok);
    return ok ? v : 0.0;
}

void FillTemplate(const QString& templatePath, const QString& outputPath, const QString& fields,
                  const QString& recordSeparator, const QString& fieldSeparator) {
    QFile in(templatePath);
    if (!in.open(QIODevice::ReadOnly)) throw SkyError(kErrFileNotFound, QStringLiteral("File not found: ") + templatePath);
    QByteArray bytes = in.readAll();
    in.close();

    for (const QString& entry : fields.split(recordSeparator)) {
        const QStringList parts = entry.split(fieldSeparator);
        if (parts.size() < 3) throw SkyError(9, QStringLiteral("Subscript out of range"));
        const long long position = RoundHalfEven(Val(parts[0]));
        const long long width = RoundHalfEven(Val(parts[1]));
        QString text = parts[2];
        if (text.size() < width) {
            const long long k = RoundHalfEven((width - text.size()) / 2.0);
            for (long long n = 0; n <= k; ++n) {
                text = QLatin1Char(' ') + text + QLatin1Char(' ');
                if (text.size() >= width) break;
            }
            if (text.size() > width) text = text.left(static_cast<int>(width));
        } else {
            text = text.left(static_cast<int>(width));
        }
        for (long long j = 1; j <= width; ++j) {
            const long long index = position + j - 1;
            if (index < 0 || index >= bytes.size()) throw SkyError(9, QStringLiteral("Subscript out of range"));
            const char16_t c = text.at(static_cast<int>(j - 1)).unicode();
            bytes[static_cast<int>(index)] = c < 256 ? static_cast<char>(c) : '?';
        }
    }

    QFile out(outputPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw SkyError(75, QStringLiteral("Path/File access error: ") + outputPath);
    if (out.write(bytes) != bytes.size()) throw SkyError(61, QStringLiteral("Disk full: ") + outputPath);
}

void OpenWithShell(const QString& target) { platform().shell->open(target); }

void OpenDocument(const QString& path) { platform().shell->open(path); }

int RandomUpTo(int n) { return static_cast<int>(RoundHalfEven(platform().random->next() * n)); }

} // namespace sky
