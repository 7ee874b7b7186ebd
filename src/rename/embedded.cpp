#include "rename/embedded.h"

#include "shell/appstate.h"
#include "shell/folders.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Resources of a static library are registered by hand.
static void RegisterEmbeddedRenameProgram() { Q_INIT_RESOURCE(rename_embedded); }

namespace sky::rename {

QByteArray EmbeddedRenameProgram() {
    RegisterEmbeddedRenameProgram();
    QFile f(QStringLiteral(":/skyrendel/Rename"));
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

bool ExtractEmbeddedFile(const QString& fileName) {
    if (ProgramFolder.isEmpty()) return false;
    if (fileName.isEmpty() || fileName == QLatin1String(".") || fileName == QLatin1String("..") ||
        fileName.contains(QLatin1Char('/')))
        return false;
    const QByteArray bytes = EmbeddedRenameProgram();
    if (bytes.isEmpty()) return false;

    const QFileInfo info(ProgramFolderWithSlash() + fileName);
    const QByteArray target = QFile::encodeName(info.filePath());
    QByteArray beside = QFile::encodeName(info.path() + QStringLiteral("/.") + info.fileName() +
                                          QStringLiteral(".new-XXXXXX"));
    const int fd = ::mkstemp(beside.data());
    if (fd < 0) return false;
    bool ok = true;
    const char* data = bytes.constData();
    qint64 left = bytes.size();
    while (ok && left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else {
            data += n;
            left -= n;
        }
    }
    ok = ok && ::fsync(fd) == 0 && ::fchmod(fd, 0755) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(beside.constData(), target.constData()) == 0;
    if (!ok) ::unlink(beside.constData());
    return ok;
}

} // namespace sky::rename
