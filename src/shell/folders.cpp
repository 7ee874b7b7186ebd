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
    QFile::remove(target);
    if (!QFile::rename(part, target)) {
        QFile::remove(part);
        return false;
    }
    return true;
}

void DeleteFolder(const QString& folder) {
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) KillFile(folder + QLatin1Char('/') + name);
    QDir().rmdir(folder);
}

namespace {

void LetMessagesRun() { platform().clock->processEvents(); }

} // namespace

void GetProgramFolder() {
    int line = 0;
    try {
        line = 10;
        const QString install = InstallFolder();
        ProgramFolder = install;
        const QString appData = GetAppDataFolder();
        line = 20;
        if (appData.isEmpty()) return;
        line = 30;
        const QString user = UserFolder();
        if (install.compare(user, Qt::CaseInsensitive) == 0) return;
        line = 40;
        if (!MakeFolderPath(user)) return;

        line = 50;
        bool ok = true;
        const QStringList subFolders = {QStringLiteral("DATA"), QStringLiteral("SOUND"), QStringLiteral("TEMP")};
        QString pending[2];
        for (int i = 0; i < subFolders.size(); ++i) {
            const QString target = user + QLatin1Char('/') + subFolders[i];
            const QString source = ProgramFolderWithSlash() + subFolders[i];
            if (!MakeFolderPath(target)) {
                ok = false;
                break;
            }
            if (i < 2) pending[i] = ListMissingFiles(source, target);
        }

        line = 60;
        if (ok) {
            for (int i = 0; i < 2; ++i) {
                if (pending[i].isEmpty()) continue;
                if (!IsFormLoaded(QStringLiteral("frmMaintenance"))) {
                    frmMaintenance::showModeless();
                    LetMessagesRun();
                }
                if (!CopyFileList(ProgramFolderWithSlash() + subFolders[i], user + QLatin1Char('/') + subFolders[i],
                                  pending[i])) {
                    ok = false;
                    break;
                }
            }
        }

        line = 70;
        if (ok) {
            const QStringList files = {QStringLiteral("skyrendel.skr"), QStringLiteral("skyrendeluserdata.skr"),
                                       QStringLiteral("skrcert.fdp"), QStringLiteral("vendor.dat")};
            for (const QString& f : files) {
                if (!IsFilePresent(user + QLatin1Char('/') + f) && IsFilePresent(ProgramFolderWithSlash() + f)) {
                    if (!CopyOneFile(ProgramFolderWithSlash() + f, user + QLatin1Char('/') + f)) {
                        ok = false;
                        break;
                    }
                }
            }
        }

        line = 80;
        if (ok) {
            for (const QString& s : subFolders)
                if (FolderExists(ProgramFolderWithSlash() + s)) DeleteFolder(ProgramFolderWithSlash() + s);
            ProgramFolder = user;
        }

        line = 90;
        if (IsFormLoaded(QStringLiteral("frmMaintenance"))) {
            frmMaintenance::closeIfOpen();
            LetMessagesRun();
        }
    } catch (const SkyError& e) {
        frmMaintenance::closeIfOpen();
        ShowWarning(ErrorReportText(e.number(), e.description(), line, false, QStringLiteral("GetProgramFolder"),
                                    QStringLiteral("modMoveToUserSpace")));
    } catch (const std::exception& e) {
        frmMaintenance::closeIfOpen();
        ShowWarning(ErrorReportText(51, QString::fromLocal8Bit(e.what()), line, false,
                                    QStringLiteral("GetProgramFolder"), QStringLiteral("modMoveToUserSpace")));
    }
}

} // namespace sky
