#include "rename/renameprogram.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <zip.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sky::rename {

namespace {

QString ErrnoText(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

QString ZipErrorText(int code) {
    zip_error_t ze;
    zip_error_init_with_code(&ze, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&ze));
    zip_error_fini(&ze);
    return text;
}

// Writes all of bytes to fd; false on a write error.
bool WriteAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// A file created beside its final place, under a unique name, that is
// removed again unless it was renamed into place.
class BesideFile {
public:
    explicit BesideFile(const QString& finalPath) {
        const QFileInfo fi(finalPath);
        name_ = QFile::encodeName(fi.absolutePath() + QStringLiteral("/.") + fi.fileName() +
                                  QStringLiteral(".new-XXXXXX"));
        fd_ = ::mkstemp(name_.data());
        if (fd_ < 0) error_ = ErrnoText(errno);
    }
    ~BesideFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!placed_ && !name_.isEmpty()) ::unlink(name_.constData());
    }
    bool ok() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    QString error() const { return error_; }
    bool write(const char* data, qint64 size) {
        if (WriteAll(fd_, data, size)) return true;
        error_ = ErrnoText(errno);
        return false;
    }
    // Flushes, makes the file executable and renames it to finalPath.
    bool place(const QString& finalPath) {
        if (::fsync(fd_) != 0 || ::fchmod(fd_, 0755) != 0) {
            error_ = ErrnoText(errno);
            return false;
        }
        ::close(fd_);
        fd_ = -1;
        if (::rename(name_.constData(), QFile::encodeName(finalPath).constData()) != 0) {
            error_ = ErrnoText(errno);
            return false;
        }
        placed_ = true;
        return true;
    }

private:
    QByteArray name_;
    int fd_ = -1;
    bool placed_ = false;
    QString error_;
};

QString ReadSmallFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return QString::fromLocal8Bit(f.read(4096));
}

QString FileNameOf(const QString& path) {
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

QString Seconds(const QElapsedTimer& t) { return QString::number(double(t.elapsed()) / 1000.0, 'f', 2); }

class RenameLog {
public:
    explicit RenameLog(const QString& ownFolder) {
        const QString temp = ownFolder + QStringLiteral("/TEMP");
        QDir().mkpath(temp);
        file_.setFileName(temp + QStringLiteral("/Rename.log"));
        if (file_.exists()) file_.remove();
        file_.open(QIODevice::WriteOnly);
    }
    void line(const QString& text) {
        if (!file_.isOpen()) return;
        file_.write(text.toUtf8());
        file_.write("\n");
        file_.flush();
    }

private:
    QFile file_;
};

// Repeats attempt until it succeeds, reports a failure that retrying cannot
// mend, or the retry window has passed since the first attempt.
template <typename Attempt>
bool Retry(const Options& options, Attempt attempt, int* attempts, QElapsedTimer* timer) {
    timer->start();
    *attempts = 0;
    for (;;) {
        ++*attempts;
        const int result = attempt();   // 1 done, 0 retry, -1 give up
        if (result != 0) return result > 0;
        if (double(timer->elapsed()) >= options.retrySeconds * 1000.0) return false;
        QThread::msleep(options.retryPauseMs);
    }
}

} // namespace

QString ArchiveRefusal(const QList<ArchiveEntry>& entries) {
    if (entries.isEmpty()) return QStringLiteral("the archive holds no file");
    for (const ArchiveEntry& e : entries) {
        const QString& n = e.name;
        const QString quoted = QLatin1Char('"') + n + QLatin1Char('"');
        if (n.isEmpty()) return QStringLiteral("an entry of the archive has no name");
        if (n.startsWith(QLatin1Char('/')) || n.startsWith(QLatin1Char('\\')) ||
            (n.size() >= 2 && n.at(1) == QLatin1Char(':') && n.at(0).isLetter()))
            return QStringLiteral("entry ") + quoted + QStringLiteral(" has an absolute path");
        const QStringList parts = QString(n).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
        if (parts.contains(QStringLiteral("..")))
            return QStringLiteral("entry ") + quoted + QStringLiteral(" leads out of the folder");
        const quint32 type = e.unixMode & S_IFMT;
        if (e.hasUnixMode && type == S_IFLNK)
            return QStringLiteral("entry ") + quoted + QStringLiteral(" is a symbolic link");
        if (n.endsWith(QLatin1Char('/')) || n.endsWith(QLatin1Char('\\')) || (e.hasUnixMode && type == S_IFDIR))
            return QStringLiteral("entry ") + quoted + QStringLiteral(" is a folder");
        if (parts.size() > 1)
            return QStringLiteral("entry ") + quoted + QStringLiteral(" is not at the top level of the archive");
        if (n == QLatin1String("."))
            return QStringLiteral("entry ") + quoted + QStringLiteral(" is not a file name");
        if (e.hasUnixMode && type != 0 && type != S_IFREG)
            return QStringLiteral("entry ") + quoted + QStringLiteral(" is not a regular file");
    }
    if (entries.size() > 1)
        return QStringLiteral("the archive holds %1 entries instead of the new executable alone").arg(entries.size());
    return QString();
}

UnpackOutcome UnpackArchive(const QString& archive, const QString& folder) {
    UnpackOutcome out;
    int code = 0;
    zip_t* za = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!za) {
        out.message = ZipErrorText(code);
        return out;
    }
    struct Closer {
        zip_t* za;
        ~Closer() { zip_discard(za); }
    } closer{za};

    const zip_int64_t count = zip_get_num_entries(za, 0);
    QList<ArchiveEntry> entries;
    for (zip_int64_t i = 0; i < count; ++i) {
        ArchiveEntry e;
        const char* raw = zip_get_name(za, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        if (!raw) {
            out.message = QString::fromUtf8(zip_strerror(za));
            return out;
        }
        e.name = QString::fromUtf8(raw);
        zip_uint8_t opsys = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(za, zip_uint64_t(i), 0, &opsys, &attributes) == 0 &&
            opsys == ZIP_OPSYS_UNIX) {
            e.hasUnixMode = true;
            e.unixMode = attributes >> 16;
        }
        entries.append(e);
    }
    const QString refusal = ArchiveRefusal(entries);
    if (!refusal.isEmpty()) {
        out.kind = UnpackOutcome::Refused;
        out.message = QStringLiteral("archive refused: ") + refusal;
        return out;
    }

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(za, 0, 0, &st) != 0) {
        out.message = QString::fromUtf8(zip_strerror(za));
        return out;
    }
    const QString target = QDir(folder).absolutePath() + QLatin1Char('/') + entries.first().name;
    BesideFile beside(target);
    if (!beside.ok()) {
        out.message = beside.error();
        return out;
    }
    zip_file_t* zf = zip_fopen_index(za, 0, 0);
    if (!zf) {
        out.message = QString::fromUtf8(zip_strerror(za));
        return out;
    }
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    zip_uint64_t total = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(zf, buffer.data(), zip_uint64_t(buffer.size()));
        if (n < 0) {
            out.message = QString::fromUtf8(zip_file_strerror(zf));
            zip_fclose(zf);
            return out;
        }
        if (n == 0) break;
        if (!beside.write(buffer.constData(), n)) {
            out.message = beside.error();
            zip_fclose(zf);
            return out;
        }
        total += zip_uint64_t(n);
    }
    const int closeCode = zip_fclose(zf);
    if (closeCode != 0) {
        out.message = ZipErrorText(closeCode);
        return out;
    }
    if ((st.valid & ZIP_STAT_SIZE) && total != st.size) {
        out.message = QStringLiteral("the unpacked file is %1 bytes instead of %2").arg(total).arg(st.size);
        return out;
    }
    if (!beside.place(target)) {
        out.message = beside.error();
        return out;
    }
    out.kind = UnpackOutcome::Unpacked;
    out.file = target;
    return out;
}

bool IsSameFile(const QString& file, const QString& exe) {
    if (QDir::cleanPath(QFileInfo(file).absoluteFilePath()) == QDir::cleanPath(QFileInfo(exe).absoluteFilePath()))
        return true;
    struct stat a, b;
    if (::stat(QFile::encodeName(file).constData(), &a) != 0) return false;
    if (::stat(QFile::encodeName(exe).constData(), &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool ReplaceExecutable(const QString& file, const QString& exe, QString* error) {
    const QByteArray from = QFile::encodeName(file);
    if (::rename(from.constData(), QFile::encodeName(exe).constData()) == 0) return true;
    if (errno != EXDEV) {
        *error = ErrnoText(errno);
        return false;
    }
    // Another file system: copy beside exe, then rename that copy.
    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        *error = ErrnoText(errno);
        return false;
    }
    BesideFile beside(exe);
    if (!beside.ok()) {
        *error = beside.error();
        ::close(in);
        return false;
    }
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *error = ErrnoText(errno);
            ::close(in);
            return false;
        }
        if (n == 0) break;
        if (!beside.write(buffer, n)) {
            *error = beside.error();
            ::close(in);
            return false;
        }
    }
    ::close(in);
    if (!beside.place(exe)) {
        *error = beside.error();
        return false;
    }
    ::unlink(from.constData());
    return true;
}

QString ProcessExecutableName(const QString& procDir) {
    // A zombie has let go of its executable; it no longer holds the file.
    const QString stat = ReadSmallFile(procDir + QStringLiteral("/stat"));
    const int close = stat.lastIndexOf(QLatin1Char(')'));
    if (close >= 0 && close + 2 < stat.size() && stat.at(close + 2) == QLatin1Char('Z')) return QString();

    QString target = QFile::symLinkTarget(procDir + QStringLiteral("/exe"));
    if (!target.isEmpty()) {
        const QLatin1String deleted(" (deleted)");
        if (target.endsWith(deleted)) target.chop(deleted.size());
        return FileNameOf(target);
    }
    QFile cmdline(procDir + QStringLiteral("/cmdline"));
    if (cmdline.open(QIODevice::ReadOnly)) {
        const QByteArray all = cmdline.read(4096);
        const QString argv0 = QString::fromLocal8Bit(all.left(all.indexOf('\0') < 0 ? all.size() : all.indexOf('\0')));
        if (!argv0.isEmpty()) return FileNameOf(argv0);
    }
    return ReadSmallFile(procDir + QStringLiteral("/comm")).trimmed();
}

bool IsProcessRunning(const QString& name, qint64 self, const QString& procRoot) {
    const QStringList entries = QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || pid == self) continue;
        const QString exeName = ProcessExecutableName(procRoot + QLatin1Char('/') + entry);
        if (!exeName.isEmpty() && exeName.compare(name, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

Options OptionsFromEnvironment() {
    Options options;
    bool ok = false;
    const double seconds = qEnvironmentVariable("SKYRENDEL_RENAME_RETRY_SECONDS").toDouble(&ok);
    if (ok && seconds > 0 && seconds < options.retrySeconds) options.retrySeconds = seconds;
    return options;
}

int RunRenameProgram(const QString& ownExecutable, const QString& argument, const Options& options) {
    const QString ownFolder = QFileInfo(ownExecutable).absolutePath();
    RenameLog log(ownFolder);
    if (argument.isEmpty()) {
        log.line(QStringLiteral("Command Line is Empty"));
        return 1;
    }
    log.line(ownExecutable + QLatin1Char(' ') + argument);

    const QString exe = argument;
    const QString archive = argument + QStringLiteral(".zip");
    const QString name = FileNameOf(exe);
    if (!QFileInfo(archive).isFile()) {
        log.line(QStringLiteral("New EXE file is not found"));
        return 1;
    }

    qint64 rounds = 0;
    const qint64 self = QCoreApplication::applicationPid();
    while (IsProcessRunning(name, self, options.procRoot)) {
        ++rounds;
        QThread::msleep(options.waitPauseMs);
    }
    log.line(QStringLiteral("Number of iterations while process is still loaded = ") + QString::number(rounds));

    int attempts = 0;
    QElapsedTimer timer;
    UnpackOutcome unpacked;
    const bool unzipped = Retry(options, [&] {
        unpacked = UnpackArchive(archive, ownFolder);
        if (unpacked.kind == UnpackOutcome::Unpacked) return 1;
        return unpacked.kind == UnpackOutcome::Refused ? -1 : 0;
    }, &attempts, &timer);
    if (!unzipped) {
        if (unpacked.kind == UnpackOutcome::Refused)
            log.line(QStringLiteral("Error unzipping: ") + unpacked.message);
        else
            log.line(QStringLiteral("Error unzipping still happens: exit by timeout (") + Seconds(timer) +
                     QStringLiteral(" seconds): ") + unpacked.message);
        return 1;
    }
    log.line(QStringLiteral("Unzipped OK : number of attempts = ") + QString::number(attempts) +
             QStringLiteral(", time = ") + Seconds(timer) + QStringLiteral(" seconds"));

    log.line(QStringLiteral("OLD File: ") + exe);
    log.line(QStringLiteral("ZIP File: ") + archive);
    log.line(QStringLiteral("NEW File: ") + unpacked.file);

    // Unpacked under the executable's own name, it is already in place.
    QString error;
    bool replaced = true;
    attempts = 0;
    timer.start();
    if (!IsSameFile(unpacked.file, exe))
        replaced = Retry(options, [&] { return ReplaceExecutable(unpacked.file, exe, &error) ? 1 : 0; }, &attempts,
                         &timer);
    if (!replaced) {
        log.line(QStringLiteral("Error renaming still happens: exit by timeout (") + Seconds(timer) +
                 QStringLiteral(" seconds): ") + error);
        return 1;
    }
    QFile::remove(archive);
    // Detached: the program runs on in a session of its own.
    const bool started = QProcess::startDetached(exe, {}, QFileInfo(exe).absolutePath());
    log.line(QStringLiteral("Renamed OK : number of attempts = ") + QString::number(attempts) +
             QStringLiteral(", time = ") + Seconds(timer) + QStringLiteral(" seconds"));
    if (!started) {
        log.line(QStringLiteral("Error starting ") + exe);
        return 1;
    }
    return 0;
}

} // namespace sky::rename
