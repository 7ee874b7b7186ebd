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

// modMoveToUserSpace
void GetProgramFolder();
QString ListMissingFiles(const QString& sourceFolder, const QString& targetFolder);
bool CopyFileList(const QString& sourceFolder, const QString& targetFolder, const QString& list);
bool CopyOneFile(const QString& source, const QString& target);
void DeleteFolder(const QString& folder);

} // namespace sky
