#include "updates/modUpdates.h"

#include "rename/embedded.h"

#include "data/catalog.h"
#include "data/databases.h"
#include "data/db.h"
#include "data/sync.h"
#include "shell/appstate.h"
#include "shell/errors.h"
#include "shell/folders.h"
#include "shell/helpers.h"
#include "shell/platform.h"
#include "shell/serveraddress.h"
#include "updates/frmUpdates.h"
#include "updates/inet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QSet>
#include <QWidget>

#include <openssl/evp.h>

#include <cstdio>
#include <exception>

#ifndef SKYRENDEL_UPDATE_PUBLIC_KEY
#define SKYRENDEL_UPDATE_PUBLIC_KEY ""
#endif

namespace sky::updates {

QPointer<QWidget> UpdateCaller;
std::function<bool(const QString&)> g_extractEmbeddedFile = rename::ExtractEmbeddedFile;

namespace {

// Ed25519: a 32-byte public key, a 64-byte signature.
constexpr int kPublicKeyBytes = 32;
constexpr int kSignatureBytes = 64;

UpdatePlan g_plan;
QPointer<frmUpdates> g_progress;
QString g_programNameOverride;
QByteArray g_publicKeyOverride;
bool g_publicKeyOverridden = false;

const QString kCatalogueName = QStringLiteral("skyrendel.skr");
const QString kBackupName = QStringLiteral("skyrendel_backup.skr");

QString programFile(const QString& name) { return CatPathA(InstallFolder(), name); }

bool isCatalogue(const QString& localName) { return localName.compare(kCatalogueName, Qt::CaseInsensitive) == 0; }

// Copies source over target by writing beside the target and renaming.
bool replaceByCopy(const QString& source, const QString& target) {
    const QString beside = target + QStringLiteral(".new");
    QFile::remove(beside);
    if (!QFile::copy(source, beside)) return false;
    if (std::rename(QFile::encodeName(beside).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(beside);
        return false;
    }
    return true;
}

void reportError(const SkyError& e, const char* procedure) {
    ShowWarning(ErrorReportText(e.number(), e.description(), 0, false, QString::fromLatin1(procedure),
                                QStringLiteral("modUpdates")));
}

void letMessagesRun() { platform().clock->processEvents(); }

// The upper-cased names of the ".skr" files in the picture folder.
QSet<QString> installedPictureFiles() {
    QSet<QString> names;
    const QDir dir(PictureFolder());
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& e : entries)
        if (e.endsWith(QLatin1String(".skr"), Qt::CaseInsensitive)) names.insert(e.toUpper());
    return names;
}

QString pictureFileKey(const QString& folder) {
    QString name = folder.trimmed().toUpper();
    if (name.endsWith(QLatin1String(".SKR"))) name.chop(4);
    return name + QStringLiteral(".SKR");
}

bool hasControlCharacter(const QString& s) {
    for (const QChar c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.category() == QChar::Other_Control) return true;
    return false;
}

// The self-update once the archive has passed every check: write out the
// rename program, tell the user, start it and end.
void restartIntoNewVersion() {
    // Without the rename program nothing would ever replace the executable
    // or start the program again: keep running instead.
    auto keepRunning = [] {
        KillFile(programFile(ProgramName() + QStringLiteral(".zip")));
        platform().messageBox->show(nullptr, AppTitle, QString::fromLatin1(kNotInstalledMessage),
                                    MsgIcon::Exclamation, MsgButtons::OkOnly);
        FinishDownloads();
    };
    if (!g_extractEmbeddedFile(QStringLiteral("Rename"))) {
        keepRunning();
        return;
    }
    platform().messageBox->show(nullptr, AppTitle, QString::fromLatin1(kRestartMessage), MsgIcon::Information,
                                MsgButtons::OkOnly);
    const QString folder = ProgramFolderWithSlash();
    if (!platform().process->startDetached(folder + QStringLiteral("Rename"), {folder + ProgramName()}, true)) {
        keepRunning();
        return;
    }
    platform().process->exitProcess(0);
}

} // namespace

UpdatePlan& Plan() { return g_plan; }
frmUpdates* ProgressWindow() { return g_progress; }

QString UpdateServerAddress() { return ServerBaseAddress() + QString::fromLatin1(kUpdatesPagePath); }

QString BuildChangeRequest(const QString& stamp, const QString& missingIds) {
    QString request = UpdateServerAddress() + QStringLiteral("?lu=") + stamp + QStringLiteral("&ver=") +
                      QString::fromLatin1(kProgramVersionText);
    if (!missingIds.isEmpty()) request += QStringLiteral("&mids=") + missingIds;
    return request;
}

QString ServerErrorMessage() {
    return QStringLiteral(
               "Uh-oh.. I can't seem to be able to connect to the server at this time.  Please make sure you are "
               "connected to the Internet and try again.") +
           QStringLiteral("\r\n\r\n") +
           QStringLiteral("If the problem persists, it may be that our servers are temporarily down, so please wait "
                          "a while and try again.") +
           QStringLiteral("\r\n\r\n") +
           QStringLiteral(
               "However, more likely than not our servers are up.  So, if you're sure you are connected to the "
               "Internet and are seeing this message, please consider whether you have some 'Internet Security' "
               "software on your computer that is preventing this program from connecting to the Internet.  More "
               "often than not, we have found that users' problems connecting can be traced to such software.  "
               "Usually, such software has a place where you can tell it that this software is allowed to "
               "connect.");
}

QString PictureFolder() {
    const QDir program(ProgramFolder);
    const QStringList found = program.entryList({QStringLiteral("data")}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& f : found)
        if (f.compare(QLatin1String("data"), Qt::CaseInsensitive) == 0) return CatPathA(InstallFolder(), f);
    return CatPathA(InstallFolder(), QStringLiteral("DATA"));
}

QString ProgramName() {
    if (!g_programNameOverride.isEmpty()) return g_programNameOverride;
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}
void SetProgramNameForTests(const QString& name) { g_programNameOverride = name; }

QString LocalFileName(const QString& entry, int line) {
    const int cut = qMax(entry.lastIndexOf(QLatin1Char('\\')), entry.lastIndexOf(QLatin1Char('/')));
    const QString local = entry.mid(cut + 1);
    if (local.isEmpty() || local == QLatin1String(".") || local == QLatin1String("..")) return {};
    if (hasControlCharacter(entry)) return {};
    if (line == 0) return local == ProgramName() + QStringLiteral(".zip") ? local : QString();
    if (!local.endsWith(QLatin1String(".skr"), Qt::CaseInsensitive) || local.size() <= 4) return {};
    return local;
}

bool IsValidReply(const QByteArray& text) {
    if (text.isEmpty()) return false;
    static const QStringList markers =
        QStringLiteral("<TITLE>ERROR</TITLE>,Could not find file,SERVICE UNAVAILABLE,THE PAGE CANNOT BE FOUND")
            .split(QLatin1Char(','));
    const QString asText = QString::fromLatin1(text);
    for (const QString& m : markers)
        if (asText.contains(m, Qt::CaseInsensitive)) return false;
    return true;
}

void ShowUpdateError(int status) {
    if (status == 1 || status == 2)
        platform().messageBox->show(nullptr, AppTitle, QString::fromLatin1(kConnectionErrorMessage),
                                    MsgIcon::Exclamation, MsgButtons::OkOnly);
    else if (status == 3)
        platform().messageBox->show(nullptr, AppTitle, ServerErrorMessage(), MsgIcon::Exclamation,
                                    MsgButtons::OkOnly);
}

QString ReadNonBlankLines(const QString& path) {
    if (!IsFilePresent(path)) return {};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QString text = QString::fromLatin1(f.readAll());
    QStringList kept;
    for (const QString& line : text.split(QStringLiteral("\r\n")))
        if (!line.trimmed().isEmpty()) kept.push_back(line);
    return kept.join(QStringLiteral("\r\n"));
}

QString GetServerReply(const QString& address, int& status) {
    const QString file = programFile(QStringLiteral("p.html"));
    const QByteArray first = DownloadUrl(address, status, file, nullptr, nullptr, 0);
    if (status == 0 && !IsValidReply(first)) status = kDownloadWrongSize;
    if (status != 0) {
        KillFile(file);
        return {};
    }
    const QString text = ReadNonBlankLines(file);
    KillFile(file);
    return text;
}

bool IsAircraftFileInstalled(const QString& folder) {
    return installedPictureFiles().contains(pictureFileKey(folder));
}

QString MissingAircraftIDs() {
    db::Connection* conn = db::StaticDB();
    if (!conn) return {};
    // The folder is listed once for all aircraft.
    const QSet<QString> installed = installedPictureFiles();
    db::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM Aircraft"), *conn);
    QStringList ids;
    while (!rs.eof()) {
        if (!installed.contains(pictureFileKey(rs.fields(QStringLiteral("Folder")).text())))
            ids.push_back(rs.fields(QStringLiteral("AirplaneID")).text());
        rs.moveNext();
    }
    rs.close();
    return ids.join(QLatin1Char(','));
}

bool FillUpdatePlan(const QString& reply) {
    const QStringList lines = reply.isEmpty() ? QStringList() : reply.split(QStringLiteral("\r\n"));
    const bool changes = lines.size() >= 2 || (lines.size() == 1 && lines[0] != QLatin1String("nodata"));
    g_plan = UpdatePlan();
    if (!changes) return false;
    g_plan.HasProgramUpdate = lines[0] != QLatin1String("nodata");
    g_plan.UpdateFiles = QStringList();
    for (int i = 0; i < lines.size(); ++i) g_plan.UpdateFiles.push_back(QString());
    g_plan.UpdateFileSizes = QVector<qint64>(lines.size(), 0);
    for (int i = 0; i < lines.size(); ++i) {
        if (i == 0 && !g_plan.HasProgramUpdate) continue;
        const QStringList fields = lines[i].split(QLatin1Char(';'));
        const bool shapeOk = (i >= 1 && fields.size() == 2) || (i == 0 && fields.size() == 3);
        if (!shapeOk) continue;
        if (LocalFileName(fields[0], i).isEmpty()) continue; // a malformed or hostile name
        g_plan.UpdateFiles[i] = fields[0];
        g_plan.UpdateFileSizes[i] = RoundHalfEven(Val(fields[1]));
        if (i >= 1 && !isCatalogue(LocalFileName(fields[0], i))) ++g_plan.AircraftFileCount;
        if (i == 0) g_plan.NewProgramVersion = fields[2];
    }
    return true;
}

void UpdateAll(QWidget* callerWindow) {
    try {
        UpdateCaller = callerWindow;
        const QString stamp = data::GetTextConstant(QStringLiteral("LastMod_0"));
        const QString missing = MissingAircraftIDs();
        int status = 0;
        const QString reply = GetServerReply(BuildChangeRequest(stamp, missing), status);
        if (status >= 1) {
            ShowUpdateError(status);
            return;
        }
        if (!FillUpdatePlan(reply)) {
            platform().messageBox->show(nullptr, AppTitle, QString::fromLatin1(kNoChangesMessage),
                                        MsgIcon::Information, MsgButtons::OkOnly);
            return;
        }
        db::CloseDatabases();
        try {
            DownloadFiles();
        } catch (...) {
            db::OpenDatabases();
            data::SynchronizeUserDataWithStaticDB();
            throw;
        }
        db::OpenDatabases();
        data::SynchronizeUserDataWithStaticDB();
    } catch (const ProcessExited&) {
        throw;
    } catch (const SkyError& e) {
        reportError(e, "UpdateAll");
    } catch (const std::exception& e) {
        reportError(SkyError(kErrInvalidCall, QString::fromLocal8Bit(e.what())), "UpdateAll");
    }
}

void DownloadFiles() {
    try {
        if (!g_progress) g_progress = new frmUpdates(MainWindowWidget());
        g_progress->setCanClose(false);
        g_progress->cmdCancel()->setVisible(true);
        g_progress->show();
        // The owner is disabled while the update runs; its progress window
        // must stay usable for Cancel.
        g_progress->setEnabled(true);
        g_progress->activateWindow();
        g_progress->raise();
        int k = 0;

        const QString catalogue = programFile(kCatalogueName);
        const QString backup = programFile(kBackupName);
        KillFile(backup);
        if (QFile::exists(catalogue)) replaceByCopy(catalogue, backup);

        const QString address = UpdateServerAddress();
        DownloadOptions checkFirst;
        checkFirst.commit = false;
        for (int i = 1; i < g_plan.UpdateFiles.size(); ++i) {
            const QString entry = g_plan.UpdateFiles[i];
            if (entry.isEmpty()) continue;
            const QString local = LocalFileName(entry, i);
            if (local.isEmpty()) continue;
            QString target;
            if (isCatalogue(local)) {
                g_progress->setWindowTitle(QStringLiteral("Downloading Main Database..."));
                target = catalogue;
            } else {
                ++k;
                QString base = local;
                base.remove(QStringLiteral(".skr"), Qt::CaseInsensitive);
                g_progress->setWindowTitle(QStringLiteral("Downloading ") + base + QStringLiteral(" (") +
                                           QString::number(k) + QStringLiteral(" of ") +
                                           QString::number(g_plan.AircraftFileCount) + QStringLiteral(")..."));
                MakeFolderPath(PictureFolder());
                target = CatPathA(PictureFolder(), local);
            }
            letMessagesRun();
            int status = 0;
            const QByteArray reply = DownloadUrl(address + QStringLiteral("?filename=") + entry, status, target,
                                                 g_progress->pbProgress(), g_progress->lblBottom(),
                                                 g_plan.UpdateFileSizes[i], checkFirst);
            CheckDownload(status, reply, target, g_plan.UpdateFileSizes[i]);
            if (status != 0) return;
            letMessagesRun();
        }

        const QString programEntry = g_plan.UpdateFiles.isEmpty() ? QString() : g_plan.UpdateFiles[0];
        if (!programEntry.isEmpty() && g_plan.HasProgramUpdate) {
            g_progress->setWindowTitle(QStringLiteral("Downloading New Program Version ") +
                                       g_plan.NewProgramVersion + QStringLiteral("..."));
            letMessagesRun();
            const QString target = programFile(LocalFileName(programEntry, 0));
            int status = 0;
            const QByteArray reply =
                DownloadUrl(address + QStringLiteral("?filename=") + programEntry, status, target,
                            g_progress->pbProgress(), g_progress->lblBottom(), g_plan.UpdateFileSizes[0], checkFirst);
            CheckDownload(status, reply, target, g_plan.UpdateFileSizes[0]);
            if (status != 0) return;

            // A program archive runs as code here: it must carry the maker's
            // signature, fetched beside it from the same server.
            int sigStatus = 0;
            const QString sigFile = PartFileName(target) + QStringLiteral(".sig");
            const QByteArray signature =
                DownloadUrl(address + QStringLiteral("?filename=") + programEntry + QStringLiteral(".sig"), sigStatus,
                            sigFile, nullptr, nullptr, kSignatureBytes);
            KillFile(sigFile);
            const bool verified = sigStatus == 0 && VerifyArchiveSignature(PartFileName(target), signature);
            if (!verified || !CommitPartFile(target)) {
                KillFile(PartFileName(target));
                platform().messageBox->show(nullptr, AppTitle, QString::fromLatin1(kNotVerifiedMessage),
                                            MsgIcon::Exclamation, MsgButtons::OkOnly);
                FinishDownloads();
                return;
            }
            restartIntoNewVersion();
            return;
        }
        FinishDownloads();
    } catch (const ProcessExited&) {
        throw;
    } catch (const SkyError& e) {
        reportError(e, "DownloadFiles");
    } catch (const std::exception& e) {
        reportError(SkyError(kErrInvalidCall, QString::fromLocal8Bit(e.what())), "DownloadFiles");
    }
}

bool IsUsableDatabaseFile(const QString& path, SkrKind kind) {
    try {
        db::Connection conn;
        db::OpenProgramDatabase(conn, path);
        const QStringList tables = kind == SkrKind::Catalogue
                                       ? QStringList{QStringLiteral("AIRCRAFT"), QStringLiteral("SIMILARAIRCRAFT"),
                                                     QStringLiteral("TEXTCONSTANTS")}
                                       : QStringList{QStringLiteral("IMAGES")};
        for (const QString& t : tables) {
            db::Recordset rs;
            rs.Open(QStringLiteral("SELECT * FROM ") + t + QStringLiteral(" WHERE 1=0"), conn);
            rs.close();
        }
        conn.Close();
        return true;
    } catch (...) {
        return false;
    }
}

void CheckDownload(int& status, const QByteArray& reply, const QString& path, qint64 size) {
    const QString part = PartFileName(path);
    const QString local = QFileInfo(path).fileName();
    if (status == 0 && !IsValidReply(reply)) status = kDownloadWrongSize;
    if (status == 0 && QFileInfo(part).size() != size) status = kDownloadWrongSize;
    if (status == 0 && local.endsWith(QLatin1String(".skr"), Qt::CaseInsensitive) &&
        !IsUsableDatabaseFile(part, isCatalogue(local) ? SkrKind::Catalogue : SkrKind::Pictures))
        status = kDownloadWrongSize;
    // A program archive is committed only after its signature is checked.
    if (status == 0 && local.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive)) return;
    if (status == 0) {
        if (CommitPartFile(path)) return;
        status = kDownloadNoConnection;
    }
    // The file under its real name was never touched: only the transfer's
    // own file goes.
    if (IsFilePresent(part)) KillFile(part);
    ShowUpdateError(status);
    if (isCatalogue(local)) {
        const QString backup = programFile(kBackupName);
        if (QFile::exists(backup)) replaceByCopy(backup, programFile(kCatalogueName));
    }
    FinishDownloads();
}

void FinishDownloads() {
    KillFile(programFile(kBackupName));
    if (g_progress) {
        g_progress->setCanClose(true);
        g_progress->close();
        delete g_progress;
    }
    if (UpdateCaller) {
        UpdateCaller->setEnabled(true);
        UpdateCaller->activateWindow();
        UpdateCaller->setFocus();
    }
    while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

QByteArray UpdatePublicKey() {
    if (g_publicKeyOverridden) return g_publicKeyOverride;
    return QByteArray::fromHex(QByteArray(SKYRENDEL_UPDATE_PUBLIC_KEY));
}

void SetUpdatePublicKeyForTests(const QByteArray& key) {
    g_publicKeyOverride = key;
    g_publicKeyOverridden = true;
}

bool VerifyArchiveSignature(const QString& archivePath, const QByteArray& signature) {
    const QByteArray key = UpdatePublicKey();
    if (key.size() != kPublicKeyBytes || signature.size() != kSignatureBytes) return false;
    QFile f(archivePath);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = f.readAll();
    // Ed25519 (RFC 8032) over the whole archive, through the encryption
    // library the program already carries.
    EVP_PKEY* pkey = EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr,
                                                 reinterpret_cast<const unsigned char*>(key.constData()), size_t(key.size()));
    if (!pkey) return false;
    bool valid = false;
    if (EVP_MD_CTX* ctx = EVP_MD_CTX_new()) {
        valid = EVP_DigestVerifyInit(ctx, nullptr, nullptr, nullptr, pkey) == 1 &&
                EVP_DigestVerify(ctx, reinterpret_cast<const unsigned char*>(signature.constData()), size_t(signature.size()),
                                 reinterpret_cast<const unsigned char*>(bytes.constData()), size_t(bytes.size())) == 1;
        EVP_MD_CTX_free(ctx);
    }
    EVP_PKEY_free(pkey);
    return valid;
}

} // namespace sky::updates
