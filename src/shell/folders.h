// Program folders, the first-run move of the data into the user folder, and
// the file and folder helpers it uses.
#pragma once

#include <QString>

namespace sky {

// The special folders that the program asks for by number.
constexpr int kFolderDocuments = 5;
constexpr int kFolderAppData = 26;

QString GetSpecialFolder(int id);
QString GetDocumentsFolder();
QString GetAppDataFolder();

// The user folder: the roaming application-data folder + "/Skyrendel";
// empty when the platform has no such folder.
QString UserFolder();

bool IsFilePresent(const QString& path);
bool FolderExists(const QString& path);
bool MakeFolderPath(const QString& path);
QString StripTrailingBackslash(const QString& path);
QString ProgramFolderWithSlash();
bool IsFormLoaded(const QString& name);

// What GetProgramFolder found.
enum class FolderMove {
    NotNeeded, // no user folder, or running from it: the data stays where it is
    Done,      // the user folder holds the data (moved now or earlier)
    Failed,    // the move could not be made: the data stays in the install folder
};

struct FolderMoveResult {
    FolderMove result = FolderMove::NotNeeded;
    // When it failed: what the user is told, naming the folder and what it
    // needs; the user folder as far as this start made it is gone again.
    QString message;
    qint64 bytesNeeded = 0;
    qint64 bytesFree = -1;
};

// modMoveToUserSpace
FolderMoveResult GetProgramFolder();
// The room a move needs beyond the files themselves (the user database grows,
// temporary pictures are written).
constexpr qint64 kMoveHeadroomBytes = 1024 * 1024;
QString ListMissingFiles(const QString& sourceFolder, const QString& targetFolder);
bool CopyFileList(const QString& sourceFolder, const QString& targetFolder, const QString& list);
// The copy belongs to the user and is writable by them, whatever the
// source's mode (a read-only install).
bool CopyOneFile(const QString& source, const QString& target);
// Lets the owner write a file again (a copy made read-only earlier).
void MakeWritableByOwner(const QString& path);
void DeleteFolder(const QString& folder);

} // namespace sky
