#include "shell/folders.h"

#include "shell/appstate.h"
#include "shell/errors.h"
#include "shell/frmMaintenance.h"
#include "shell/helpers.h"
#include "shell/platform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QWidget>

namespace sky {

QString GetSpecialFolder(int id) {
    switch (id) {
    case kFolderDocuments: return platform().folders->documents();
    case kFolderAppData: return platform().folders->appData();
    default: return QString();
    }
}

QString GetDocumentsFolder() { return GetSpecialFolder(kFolderDocuments); }
QString GetAppDataFolder() { return GetSpecialFolder(kFolderAppData); }

QString UserFolder() {
    const QString appData = GetAppDataFolder();
    if (appData.isEmpty()) return QString();
    return StripTrailingBackslash(appData) + QStringLiteral("/") + QString::fromLatin1(kApplicationTitle);
}

bool IsFilePresent(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

bool FolderExists(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.exists() && info.isDir();
}

bool MakeFolderPath(const QString& path) {
    // The root itself, or nothing at all, is not a folder to make.
    if (path.isEmpty() || path == QLatin1String("/")) return false;
    // There already (every start finds its folders so): one look, not one
    // per level.
    if (FolderExists(path)) return true;
    QString p = path;
    if (!p.endsWith(QLatin1Char('/'))) p += QLatin1Char('/');
    for (int i = p.indexOf(QLatin1Char('/'), 1); i >= 0; i = p.indexOf(QLatin1Char('/'), i + 1)) {
        const QString part = p.left(i);
        if (!FolderExists(part) && !QDir().mkdir(part)) return false;
    }
    return FolderExists(p.left(p.size() - 1));
}

QString StripTrailingBackslash(const QString& path) {
    if (path.endsWith(QLatin1Char('/')) && path.size() > 1) return path.left(path.size() - 1);
    return path;
}

QString ProgramFolderWithSlash() {
    return ProgramFolder.endsWith(QLatin1Char('/')) ? ProgramFolder : ProgramFolder + QLatin1Char('/');
}

bool IsFormLoaded(const QString& name) {
    if (!qApp) return false;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName().compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString ListMissingFiles(const QString& sourceFolder, const QString& targetFolder) {
    QString result;
    const QDir dir(sourceFolder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort)) {
        if (!IsFilePresent(targetFolder + QLatin1Char('/') + name)) {
            if (!result.isEmpty()) result += QStringLiteral("\r\n");
            result += name;
        }
    }
    return result;
}

bool CopyFileList(const QString& sourceFolder, const QString& targetFolder, const QString& list) {
    for (const QString& name : list.split(QStringLiteral("\r\n"))) {
        if (!CopyOneFile(sourceFolder + QLatin1Char('/') + name, targetFolder + QLatin1Char('/') + name)) return false;
    }
    return true;
}

bool CopyOneFile(const QString& source, const QString& target) {
    // Copy beside the target and rename it into place, so that a copy that
    // fails half way never leaves a truncated file under the target's name
    // (the next start would take it for a finished one).
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(source, part)) {
        QFile::remove(part);
        return false;
    }
    MakeWritableByOwner(part);
    QFile::remove(target);
    if (!QFile::rename(part, target)) {
        QFile::remove(part);
        return false;
    }
    return true;
}

void MakeWritableByOwner(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) return;
    const QFile::Permissions p = info.permissions();
    const QFile::Permissions want = p | QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    if (p != want) QFile::setPermissions(path, want);
}

void DeleteFolder(const QString& folder) {
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) KillFile(folder + QLatin1Char('/') + name);
    QDir().rmdir(folder);
}

namespace {

void LetMessagesRun() { platform().clock->processEvents(); }

QString Megabytes(qint64 bytes) {
    return QString::number((bytes + 1024 * 1024 - 1) / (1024 * 1024));
}

qint64 SizeOfFiles(const QString& folder, const QString& list) {
    qint64 total = 0;
    if (list.isEmpty()) return 0;
    for (const QString& name : list.split(QStringLiteral("\r\n"))) total += QFileInfo(folder + QLatin1Char('/') + name).size();
    return total;
}

// What one start made in the user folder, so that a move that fails leaves
// nothing half made behind.
class MoveJournal {
public:
    bool makeFolderPath(const QString& path) {
        QStringList missing;
        for (QString p = QDir::cleanPath(path); !p.isEmpty() && !FolderExists(p); p = QFileInfo(p).path()) {
            missing.prepend(p);
            if (p == QFileInfo(p).path()) break;
        }
        const bool ok = MakeFolderPath(path);
        for (const QString& m : missing)
            if (FolderExists(m)) folders_.append(m);
        return ok;
    }
    bool copy(const QString& source, const QString& target) {
        const bool existed = QFileInfo::exists(target);
        const bool ok = CopyOneFile(source, target);
        if (ok && !existed) files_.append(target);
        return ok;
    }
    void undo() {
        for (const QString& f : files_) QFile::remove(f);
        for (auto it = folders_.crbegin(); it != folders_.crend(); ++it) QDir().rmdir(*it);
        files_.clear();
        folders_.clear();
    }

private:
    QStringList files_;
    QStringList folders_;
};

const QStringList& MovedFiles() {
    static const QStringList files = {QStringLiteral("skyrendel.skr"), QStringLiteral("skyrendeluserdata.skr"),
                                      QStringLiteral("skrcert.fdp"), QStringLiteral("vendor.dat")};
    return files;
}

// Copies made read-only by an earlier version are the user's to write.
void MakeUserFolderWritable(const QString& user) {
    for (const QString& f : MovedFiles()) MakeWritableByOwner(user + QLatin1Char('/') + f);
    for (const char* s : {"DATA", "SOUND"}) {
        const QString folder = user + QLatin1Char('/') + QLatin1String(s);
        for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot))
            MakeWritableByOwner(info.filePath());
    }
}

} // namespace

FolderMoveResult GetProgramFolder() {
    FolderMoveResult outcome;
    int line = 0;
    MoveJournal journal;
    try {
        line = 10;
        const QString install = InstallFolder();
        ProgramFolder = install;
        const QString appData = GetAppDataFolder();
        line = 20;
        if (appData.isEmpty()) return outcome;
        line = 30;
        const QString user = UserFolder();
        if (install.compare(user, Qt::CaseInsensitive) == 0) return outcome;
        line = 40;
        outcome.result = FolderMove::Failed;
        if (!journal.makeFolderPath(user)) {
            outcome.message = QStringLiteral("Skyrendel cannot make its data folder \"%1\".\r\n\r\n"
                                             "Check that you may write there, then start Skyrendel again.")
                                  .arg(QDir::toNativeSeparators(user));
            journal.undo();
            return outcome;
        }

        line = 50;
        bool ok = true;
        QString failedFolder;
        const QStringList subFolders = {QStringLiteral("DATA"), QStringLiteral("SOUND"), QStringLiteral("TEMP")};
        QString pending[2];
        for (int i = 0; i < subFolders.size(); ++i) {
            const QString target = user + QLatin1Char('/') + subFolders[i];
            const QString source = ProgramFolderWithSlash() + subFolders[i];
            if (!journal.makeFolderPath(target)) {
                ok = false;
                failedFolder = target;
                break;
            }
            if (i < 2) pending[i] = ListMissingFiles(source, target);
        }

        line = 55;
        // The room the copies need, before any is made: a move that runs out
        // of space half way would leave the disk full and the folder half made.
        if (ok) {
            qint64 needed = 0;
            for (int i = 0; i < 2; ++i) needed += SizeOfFiles(ProgramFolderWithSlash() + subFolders[i], pending[i]);
            for (const QString& f : MovedFiles())
                if (!IsFilePresent(user + QLatin1Char('/') + f)) needed += QFileInfo(ProgramFolderWithSlash() + f).size();
            if (needed > 0) {
                needed += kMoveHeadroomBytes;
                QStorageInfo storage(user);
                storage.refresh();
                const qint64 free = storage.isValid() ? storage.bytesAvailable() : -1;
                if (free >= 0 && free < needed) {
                    outcome.bytesNeeded = needed;
                    outcome.bytesFree = free;
                    outcome.message =
                        QStringLiteral("Skyrendel needs %1 MB of free space in \"%2\" to set up its data there, "
                                       "but only %3 MB are free.\r\n\r\n"
                                       "Free some space on that disk, then start Skyrendel again.")
                            .arg(Megabytes(needed), QDir::toNativeSeparators(user), QString::number(free / (1024 * 1024)));
                    journal.undo();
                    return outcome;
                }
            }
        }

        line = 60;
        if (ok) {
            for (int i = 0; i < 2; ++i) {
                if (pending[i].isEmpty()) continue;
                if (!IsFormLoaded(QStringLiteral("frmMaintenance"))) {
                    frmMaintenance::showModeless();
                    LetMessagesRun();
                }
                const QString source = ProgramFolderWithSlash() + subFolders[i];
                const QString target = user + QLatin1Char('/') + subFolders[i];
                for (const QString& name : pending[i].split(QStringLiteral("\r\n"))) {
                    if (!journal.copy(source + QLatin1Char('/') + name, target + QLatin1Char('/') + name)) {
                        ok = false;
                        failedFolder = target;
                        break;
                    }
                }
                if (!ok) break;
            }
        }

        line = 70;
        if (ok) {
            for (const QString& f : MovedFiles()) {
                if (!IsFilePresent(user + QLatin1Char('/') + f) && IsFilePresent(ProgramFolderWithSlash() + f)) {
                    if (!journal.copy(ProgramFolderWithSlash() + f, user + QLatin1Char('/') + f)) {
                        ok = false;
                        failedFolder = user;
                        break;
                    }
                }
            }
        }

        line = 80;
        if (ok) {
            MakeUserFolderWritable(user);
            // A shared install stays whole for the other users.
            if (!InstallFolderIsShared()) {
                for (const QString& s : subFolders)
                    if (FolderExists(ProgramFolderWithSlash() + s)) DeleteFolder(ProgramFolderWithSlash() + s);
            }
            ProgramFolder = user;
            outcome.result = FolderMove::Done;
        } else {
            journal.undo();
            outcome.message = QStringLiteral("Skyrendel could not copy its data into \"%1\".\r\n\r\n"
                                             "Check that you may write there and that the disk has room, "
                                             "then start Skyrendel again.")
                                  .arg(QDir::toNativeSeparators(failedFolder));
        }

        line = 90;
        if (IsFormLoaded(QStringLiteral("frmMaintenance"))) {
            frmMaintenance::closeIfOpen();
            LetMessagesRun();
        }
    } catch (const SkyError& e) {
        journal.undo();
        frmMaintenance::closeIfOpen();
        ShowWarning(ErrorReportText(e.number(), e.description(), line, false, QStringLiteral("GetProgramFolder"),
                                    QStringLiteral("modMoveToUserSpace")));
    } catch (const std::exception& e) {
        journal.undo();
        frmMaintenance::closeIfOpen();
        ShowWarning(ErrorReportText(51, QString::fromLocal8Bit(e.what()), line, false,
                                    QStringLiteral("GetProgramFolder"), QStringLiteral("modMoveToUserSpace")));
    }
    return outcome;
}

} // namespace sky
