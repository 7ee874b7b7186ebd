// The rename program travels inside the main program and is written out just
// before a restart into a new program version.
#pragma once

#include <QByteArray>
#include <QString>

namespace sky::rename {

// Writes the embedded rename program to ProgramFolderWithSlash() + fileName,
// byte for byte and executable: written beside under a temporary name and
// renamed into place, so an existing file is either kept whole or replaced.
// fileName must be a plain file name. Returns false on any error (nothing is
// reported) and then leaves no new file behind.
bool ExtractEmbeddedFile(const QString& fileName);

// The embedded program's bytes; empty when they cannot be read.
QByteArray EmbeddedRenameProgram();

} // namespace sky::rename
