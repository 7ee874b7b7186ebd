#include "shell/facecache.h"

#include "shell/artwork.h"
#include "shell/helpers.h"
#include "shell/platform.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>


#include <cstring>

namespace sky {

namespace {

constexpr char kMagic[8] = {'S', 'K', 'Y', 'F', 'A', 'C', 'E', '1'};

struct Header {
    char magic[8];
    qint32 width;
    qint32 height;
    qint32 bytesPerLine;
    qint32 format;
    double pixelRatio;
};

// What the faces depend on besides their recipe: this build of the program,
// the pixel ratio, and the fonts the system would draw them with. Font
// folders and the font configuration change their times when fonts are
// added or removed, and so does the system's font cache when it is rebuilt.
QByteArray Surroundings() {
    static const QByteArray fixed = [] {
        QByteArray s = QByteArrayLiteral("v1|");
        auto stamp = [&s](const QString& path) { s += FileStamp(path) + '|'; };
        stamp(QCoreApplication::applicationFilePath());
        const QString home = QDir::homePath();
        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
        const QByteArray cacheHome = qgetenv("XDG_CACHE_HOME");
        for (const QString& path :
             {QStringLiteral("/etc/fonts"), QStringLiteral("/etc/fonts/conf.d"), QStringLiteral("/usr/share/fonts"),
              QStringLiteral("/usr/local/share/fonts"), QStringLiteral("/var/cache/fontconfig"),
              home + QStringLiteral("/.fonts"),
              (dataHome.isEmpty() ? home + QStringLiteral("/.local/share") : QFile::decodeName(dataHome)) +
                  QStringLiteral("/fonts"),
              (configHome.isEmpty() ? home + QStringLiteral("/.config") : QFile::decodeName(configHome)) +
                  QStringLiteral("/fontconfig"),
              (cacheHome.isEmpty() ? home + QStringLiteral("/.cache") : QFile::decodeName(cacheHome)) +
                  QStringLiteral("/fontconfig")})
            stamp(path);
        for (const char* variable : {"FONTCONFIG_FILE", "FONTCONFIG_PATH"}) {
            const QByteArray value = qgetenv(variable);
            s += QByteArray(variable) + '=' + value + '|';
            if (!value.isEmpty()) stamp(QFile::decodeName(value));
        }
        s += QCoreApplication::applicationVersion().toUtf8() + '|';
        return s;
    }();
    return fixed + QByteArray::number(artwork::PixelRatio(), 'g', 6);
}

QString FacePath(const QString& recipe) {
    const QByteArray key = QCryptographicHash::hash(Surroundings() + '|' + recipe.toUtf8(), QCryptographicHash::Sha256)
                               .toHex()
                               .left(40);
    return FaceCacheFolder() + QLatin1Char('/') + QString::fromLatin1(key) + QStringLiteral(".face");
}

QImage ReadFace(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QImage();
    Header h {};
    if (file.read(reinterpret_cast<char*>(&h), sizeof h) != qint64(sizeof h)) return QImage();
    if (std::memcmp(h.magic, kMagic, sizeof kMagic) != 0) return QImage();
    if (h.format != QImage::Format_ARGB32_Premultiplied || h.width <= 0 || h.height <= 0 || h.width > 16384 ||
        h.height > 16384 || h.bytesPerLine != h.width * 4 || !(h.pixelRatio >= 1.0 && h.pixelRatio <= 16.0))
        return QImage();
    const qint64 pixels = qint64(h.bytesPerLine) * h.height;
    if (file.size() != qint64(sizeof h) + pixels) return QImage();
    // Rows of 32-bit pixels have no padding: the pixels go straight into
    // the image, in one read.
    QImage image(h.width, h.height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull() || image.bytesPerLine() != h.bytesPerLine) return QImage();
    if (file.read(reinterpret_cast<char*>(image.bits()), pixels) != pixels) return QImage();
    image.setDevicePixelRatio(h.pixelRatio);
    return image;
}

// The cache keeps the newest faces only: a window resized often draws its
// faces at many sizes, and nothing needs all of them again.
void Prune(const QString& folder) {
    QFileInfoList faces =
        QDir(folder).entryInfoList({QStringLiteral("*.face")}, QDir::Files, QDir::Time /* newest first */);
    for (int i = kFaceCacheLimit; i < faces.size(); ++i) QFile::remove(faces.at(i).filePath());
}

void WriteFace(const QString& path, const QImage& drawn) {
    const QImage image = drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Header h {};
    std::memcpy(h.magic, kMagic, sizeof kMagic);
    h.width = image.width();
    h.height = image.height();
    h.bytesPerLine = image.width() * 4;
    h.format = QImage::Format_ARGB32_Premultiplied;
    h.pixelRatio = image.devicePixelRatio();
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder)) return;
    // Written beside and renamed into place: a reader never sees half a
    // face, and a cache that cannot be written only costs the drawing.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) return;
    out.write(reinterpret_cast<const char*>(&h), sizeof h);
    for (int y = 0; y < image.height(); ++y)
        out.write(reinterpret_cast<const char*>(image.constScanLine(y)), h.bytesPerLine);
    if (out.commit()) Prune(folder);
}

} // namespace

QString FaceCacheFolder() {
    const QString base = platform().folders->cache();
    return base.isEmpty() ? QString() : base + QStringLiteral("/skyrendel/faces");
}

QImage CachedFace(const QString& recipe, const std::function<QImage()>& draw) {
    if (FaceCacheFolder().isEmpty()) return draw();
    const QString path = FacePath(recipe);
    QImage face = ReadFace(path);
    if (!face.isNull()) return face;
    face = draw();
    if (!face.isNull()) WriteFace(path, face);
    return face;
}

} // namespace sky
