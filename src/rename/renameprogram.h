// The rename program: waits for the program to end, unpacks the downloaded
// archive beside it, puts the new executable in place and starts it again.
// Every outcome goes to its log "TEMP/Rename.log" in its own folder.
#pragma once

#include <QList>
#include <QString>

namespace sky::rename {

// One entry of an archive as the safety check sees it: the stored name and,
// when the archive was made on a Unix-like system, the stored file mode.
struct ArchiveEntry {
    QString name;
    bool hasUnixMode = false;
    quint32 unixMode = 0;
};

// Why an archive may not be unpacked, or an empty text when it holds exactly
// one regular file at its top level. Refused: no entry, absolute paths,
// ".." anywhere in a path, symbolic links and other special files, entries
// inside folders, folder entries and more than one entry.
QString ArchiveRefusal(const QList<ArchiveEntry>& entries);

// The outcome of one unpacking attempt.
struct UnpackOutcome {
    enum Kind { Unpacked, Refused, Failed };
    Kind kind = Failed;
    QString message;   // the error, for Refused and Failed
    QString file;      // the unpacked file's full path, for Unpacked
};

// Unpacks the archive's single file into folder: written beside under a
// temporary name, checked against the archive, given the executable bits and
// renamed into place, so a file of the same name is either whole or replaced.
UnpackOutcome UnpackArchive(const QString& archive, const QString& folder);

// Puts file in place of exe by renaming it; when the two lie on different
// file systems the file is copied beside exe and that copy renamed. On
// failure the old exe is untouched and error says why.
bool ReplaceExecutable(const QString& file, const QString& exe, QString* error);

// True when file and exe name the same file (the same path, or two paths of
// one file).
bool IsSameFile(const QString& file, const QString& exe);

// The executable file name of the process whose /proc folder is procDir:
// the file name of its "exe" link (without a " (deleted)" mark), else of
// argv[0] in "cmdline", else "comm". Empty for a zombie, which holds no
// executable any more, or when nothing can be read.
QString ProcessExecutableName(const QString& procDir);

// True when a process other than `self` runs an executable whose file name
// equals name, ignoring case.
bool IsProcessRunning(const QString& name, qint64 self, const QString& procRoot = QStringLiteral("/proc"));

struct Options {
    double retrySeconds = 15.0;   // how long unpacking and replacing are retried
    int retryPauseMs = 250;       // pause between two attempts
    int waitPauseMs = 100;        // pause between two looks at the process list
    QString procRoot = QStringLiteral("/proc");
};

// The retry window: 15 seconds, or less when SKYRENDEL_RENAME_RETRY_SECONDS
// holds a smaller positive number.
Options OptionsFromEnvironment();

// The whole run, given the rename program's own executable path and its
// argument P (the program's executable path). Returns 0 when the new
// executable was put in place and started.
int RunRenameProgram(const QString& ownExecutable, const QString& argument, const Options& options);

} // namespace sky::rename
