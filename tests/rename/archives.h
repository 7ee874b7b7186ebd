// Zip archives made for the rename program's tests.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace sky::rename::testing {

struct Entry {
    QString name;
    QByteArray bytes;
    quint32 unixMode = 0100755;   // stored with the entry (file type and permissions)
    bool folder = false;          // a folder entry (name ends in "/")
    bool stored = false;          // kept uncompressed
};

// Writes an archive holding entries, in order; false on any error.
bool MakeArchive(const QString& path, const QList<Entry>& entries);

} // namespace sky::rename::testing
