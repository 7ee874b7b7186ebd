// The update protocol: the change request, the change list and the update
// plan read from it, the downloads with their checks, and how fetched files
// take effect (the catalogue backup, the self-update through the rename
// program).
#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class QWidget;

namespace sky::updates {

class frmUpdates;

// The program's fixed version text, sent as "ver".
inline constexpr const char* kProgramVersionText = "1.3";

// The update plan, filled from the change list (index = line number).
struct UpdatePlan {
    QStringList UpdateFiles;          // empty entries for ignored lines
    QVector<qint64> UpdateFileSizes;
    bool HasProgramUpdate = false;
    QString NewProgramVersion;
    int AircraftFileCount = 0;
};
UpdatePlan& Plan();
extern QPointer<QWidget> UpdateCaller;

// The change-list address: the server base address + the updates page.
QString UpdateServerAddress();
// address + "?lu=" + stamp + "&ver=1.3" [+ "&mids=" + ids].
QString BuildChangeRequest(const QString& stamp, const QString& missingIds);

void UpdateAll(QWidget* callerWindow);
void DownloadFiles();
QString GetServerReply(const QString& address, int& status);
bool IsValidReply(const QByteArray& text);
void ShowUpdateError(int status);
QString MissingAircraftIDs();
bool IsAircraftFileInstalled(const QString& folder);
void CheckDownload(int& status, const QByteArray& reply, const QString& path, qint64 size);
void FinishDownloads();
QString ReadNonBlankLines(const QString& path);

// Fills the plan from a change list; false when it says nothing changed
// (no lines, or the single line "nodata").
bool FillUpdatePlan(const QString& reply);

// The local file name of a change-list entry: the part after the last "\"
// or "/". Empty when the entry is not acceptable at that line: an empty
// name, "." or "..", a control character, a data file not ending in
// ".skr", or a program file other than the program name + ".zip".
QString LocalFileName(const QString& entry, int line);

// The picture-database folder the updater writes into (the data folder,
// whatever the case of its name on disk).
QString PictureFolder();

// The running program's executable file name, as it is.
QString ProgramName();
void SetProgramNameForTests(const QString& name);

// What kind of database a fetched ".skr" file must be.
enum class SkrKind { Catalogue, Pictures };
// True when the file opens with the program's key and has the tables of
// its kind.
bool IsUsableDatabaseFile(const QString& path, SkrKind kind);

// Writes the rename program to ProgramFolderWithSlash() + fileName: the
// copy embedded in the program, unless a test puts a double here.
extern std::function<bool(const QString&)> g_extractEmbeddedFile;

// The maker's Ed25519 public key (32 bytes) that program archives are
// signed with; the build's key unless a test sets another.
QByteArray UpdatePublicKey();
void SetUpdatePublicKeyForTests(const QByteArray& key);
// True when `signature` is a valid detached Ed25519 signature of the
// file's bytes under the public key.
bool VerifyArchiveSignature(const QString& archivePath, const QByteArray& signature);

// The messages.
inline constexpr const char* kNoChangesMessage =
    "There have been no changes since you last updated data and program.";
inline constexpr const char* kConnectionErrorMessage =
    "There was an error while attempting to update data. Make sure you are connected to the Internet and try "
    "again. If the problem persists, our servers may be temporarily down. In that case, please wait a few hours "
    "and try again.";
QString ServerErrorMessage();
inline constexpr const char* kRestartMessage = "The program needs to be restarted now.";
inline constexpr const char* kNotVerifiedMessage =
    "The new program version could not be verified, so it was not installed.";
// When the rename program cannot be written out or started.
inline constexpr const char* kNotInstalledMessage =
    "The new program version could not be installed, so this version keeps running.";
inline constexpr const char* kCancelQuestion = "Are you sure you want to cancel downloading updates?";

// The progress window of the update in progress; null between updates.
frmUpdates* ProgressWindow();

} // namespace sky::updates
