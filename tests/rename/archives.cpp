#include "archives.h"

#include <QFile>

#include <zip.h>

namespace sky::rename::testing {

bool MakeArchive(const QString& path, const QList<Entry>& entries) {
    QFile::remove(path);
    int code = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!za) return false;
    bool ok = true;
    for (const Entry& e : entries) {
        const QByteArray name = e.name.toUtf8();
        zip_int64_t index = -1;
        if (e.folder) {
            index = zip_dir_add(za, name.constData(), ZIP_FL_ENC_UTF_8);
        } else {
            // libzip keeps the buffer until zip_close: hand it a copy it frees.
            void* copy = malloc(size_t(e.bytes.size()) + 1);
            memcpy(copy, e.bytes.constData(), size_t(e.bytes.size()));
            zip_source_t* src = zip_source_buffer(za, copy, zip_uint64_t(e.bytes.size()), 1);
            index = src ? zip_file_add(za, name.constData(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) : -1;
            if (index < 0 && src) zip_source_free(src);
        }
        if (index < 0) {
            ok = false;
            break;
        }
        if (!e.folder &&
            zip_file_set_external_attributes(za, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, e.unixMode << 16) != 0)
            ok = false;
        if (e.stored && zip_set_file_compression(za, zip_uint64_t(index), ZIP_CM_STORE, 0) != 0) ok = false;
    }
    if (!ok) {
        zip_discard(za);
        return false;
    }
    return zip_close(za) == 0;
}

} // namespace sky::rename::testing
