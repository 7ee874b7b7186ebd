// Small routines shared by every window and module: error reports, path
// joining with the redirect to the data folder, quoting for statements,
// files, the certificate template filler, the shell and random numbers.
#pragma once

#include <QString>
#include <QVariant>

class QWidget;

namespace sky {

// "Error N (description) on line L in Kind Procedure of Module Module".
QString ErrorReportText(int number, const QString& description, int line, bool isFunction,
                        const QString& procedure, const QString& module);

// The two report styles: plain (OK, no icon, the application's own title)
// and warning (ShowWarning).
void ShowPlainReport(const QString& text);
void ShowWarning(const QString& text);

// Joins folder and name. When folder is exactly the install folder it is
// replaced, in the caller's variable too, by ProgramFolder.
QString CatPathA(QString& folder, const QString& name, const QString& separator = QStringLiteral("/"));
// The same for a folder value the caller does not keep.
QString CatPathA(const QString& folder, const QString& name, const QString& separator = QStringLiteral("/"));

// The value with every single quote doubled, for use between single quotes
// in a statement.
QString DoubleSingleQuotes(const QVariant& value);

void CenterForm(QWidget* window);

// What a file is now, as one line: its path, size, change time (to the
// nanosecond) and device:inode; empty when there is no such file. Two equal
// stamps mean the file was neither changed nor replaced in between.
QByteArray FileStamp(const QString& path);

// Attribute bits of FileExists: hidden, system, folder.
constexpr int kAttrHidden = 2;
constexpr int kAttrSystem = 4;
constexpr int kAttrFolder = 16;
bool FileExists(const QString& path, int attributes = kAttrHidden | kAttrSystem | kAttrFolder);

void KillFile(const QString& path);
void StringToFile(const QString& text, const QString& path);

// Copies a binary template to outputPath with text placed at byte
// positions. fields holds entries "position<fs>width<fs>text" separated by
// recordSeparator.
void FillTemplate(const QString& templatePath, const QString& outputPath, const QString& fields,
                  const QString& recordSeparator, const QString& fieldSeparator);

void OpenWithShell(const QString& target);
void OpenDocument(const QString& path);

// A whole number from 0 to n: r * n rounded half to even, r uniform in [0, 1).
int RandomUpTo(int n);

// Round half to even, as the classic integer conversions do.
long long RoundHalfEven(double value);
// The leading number of a text, as the classic Val() reads it ("12ab" = 12).
double Val(const QString& text);

} // namespace sky
