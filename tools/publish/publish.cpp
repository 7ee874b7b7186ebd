#include "publish.h"

#include "data/databases.h"
#include "data/db.h"
#include "protocol.h"
#include "publication.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sodium.h>
#include <unistd.h>

#include <algorithm>
#include <map>

namespace sky::publish {

namespace {

using sky::server::Publication;
using sky::server::PublishedAircraft;
using sky::server::PublishedFile;

struct CatalogAircraft {
    int id;
    QString folder;
    QString name;
};

QString Upper(const QString& s) { return s.toUpper(); }

void InitSodium() {
    if (sodium_init() < 0) throw PublishError("the signing library cannot start");
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw PublishError(path + ": cannot be read: " + f.errorString());
    return f.readAll();
}

// Copies and returns the file's size and SHA-256 in one pass.
PublishedFile CopyInto(const QString& from, const QString& dir, const QString& name) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) throw PublishError(from + ": cannot be read: " + in.errorString());
    QFile out(dir + "/" + name);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw PublishError(out.fileName() + ": cannot be written: " + out.errorString());
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 size = 0;
    QByteArray buf;
    while (!(buf = in.read(1 << 20)).isEmpty()) {
        hash.addData(buf);
        if (out.write(buf) != buf.size()) throw PublishError(out.fileName() + ": " + out.errorString());
        size += buf.size();
    }
    if (in.error() != QFile::NoError) throw PublishError(from + ": " + in.errorString());
    if (!out.flush() || ::fsync(out.handle()) != 0) throw PublishError(out.fileName() + ": cannot be flushed");
    return PublishedFile{name.toStdString(), size, hash.result().toHex().toStdString()};
}

PublishedFile WriteInto(const QByteArray& bytes, const QString& dir, const QString& name) {
    QFile out(dir + "/" + name);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly) || out.write(bytes) != bytes.size() || !out.flush())
        throw PublishError(out.fileName() + ": cannot be written: " + out.errorString());
    return PublishedFile{name.toStdString(), bytes.size(),
                         QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString()};
}

// Aircraft and stamp of a catalogue; throws with the catalogue's path.
QVector<CatalogAircraft> ReadCatalog(const QString& path, QString* lastMod) {
    if (!QFileInfo(path).isFile()) throw PublishError("no catalogue at " + path);
    QVector<CatalogAircraft> out;
    try {
        db::Connection conn;
        db::OpenProgramDatabase(conn, path);
        {
            db::Recordset rs;
            rs.Open("SELECT TEXTCONSTANTDATA FROM TEXTCONSTANTS WHERE UCASE(TRIM(TEXTCONSTANTNAME))='LASTMOD_0'", conn);
            *lastMod = rs.eof() ? QString() : rs.fields(0).text();
        }
        db::Recordset rs;
        rs.Open("SELECT AirplaneID, FOLDER, AIRPLANETYPE FROM AIRCRAFT", conn);
        while (!rs.eof()) {
            out.push_back({rs.fields(0).value().toInt(), rs.fields(1).text().trimmed(), rs.fields(2).text().trimmed()});
            rs.moveNext();
        }
    } catch (const std::exception& e) {
        throw PublishError("the catalogue " + path + " cannot be read: " + QString::fromUtf8(e.what()));
    }
    if (lastMod->isEmpty()) throw PublishError("the catalogue " + path + " has no LastMod_0 stamp");
    return out;
}

// The picture IDs of a picture database, writing each photograph into
// photosDir (picture IDs are unique only within one aircraft).
std::vector<int> ExtractPhotos(const QString& path, int airplaneId, const QString& photosDir) {
    std::vector<int> ids;
    try {
        db::Connection conn;
        db::OpenProgramDatabase(conn, path);
        db::Recordset rs;
        rs.Open("SELECT ID, Image FROM IMAGES", conn);
        while (!rs.eof()) {
            const int id = rs.fields(0).value().toInt();
            const QByteArray bytes = rs.fields(1).value().toByteArray();
            ids.push_back(id);
            QFile out(photosDir + "/" + QString::fromStdString(server::PhotoFileName(airplaneId, id)));
            if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
                throw PublishError(out.fileName() + ": cannot be written");
            rs.moveNext();
        }
    } catch (const PublishError&) {
        throw;
    } catch (const std::exception& e) {
        throw PublishError("the picture database " + path + " cannot be read: " + QString::fromUtf8(e.what()));
    }
    return ids;
}

// DATA/NAME.skr matched without regard to case.
QString FindPictureDatabase(const QDir& data, const QString& folder) {
    const QString want = Upper(folder) + ".SKR";
    for (const QString& n : data.entryList(QDir::Files))
        if (Upper(n) == want) return data.filePath(n);
    return {};
}

void RemoveTree(const QString& path) {
    if (!path.isEmpty()) QDir(path).removeRecursively();
}

// A publish folder's age: "publish-YYYYMMDD-HHMMSS-N" ordered by its stamp,
// then by N as a number (publishes within one second are numbered 1, 2, ...
// 10, which their names alone would put out of order).
std::pair<QString, qint64> PublishAge(const QString& name) {
    const int dash = name.lastIndexOf('-');
    bool ok = false;
    const qint64 n = name.mid(dash + 1).toLongLong(&ok);
    return {name.left(dash), ok ? n : 0};
}

} // namespace

QByteArray Sign(const QByteArray& data, const QByteArray& secretKey) {
    InitSodium();
    if (secretKey.size() != crypto_sign_SECRETKEYBYTES) throw PublishError("the secret key is not an Ed25519 key");
    QByteArray sig(crypto_sign_BYTES, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char*>(sig.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(data.constData()), size_t(data.size()),
                         reinterpret_cast<const unsigned char*>(secretKey.constData()));
    return sig;
}

bool Verify(const QByteArray& data, const QByteArray& signature, const QByteArray& publicKey) {
    InitSodium();
    if (signature.size() != crypto_sign_BYTES || publicKey.size() != crypto_sign_PUBLICKEYBYTES) return false;
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.constData()),
                                       reinterpret_cast<const unsigned char*>(data.constData()),
                                       size_t(data.size()),
                                       reinterpret_cast<const unsigned char*>(publicKey.constData()))
           == 0;
}

QString GenerateKeyPair(const QString& dir) {
    InitSodium();
    const QString secretPath = dir + "/" + kSecretKeyName;
    const QString publicPath = dir + "/" + kPublicKeyName;
    if (QFileInfo::exists(secretPath) || QFileInfo::exists(publicPath))
        throw PublishError("a key already exists in " + dir + "; remove it first to make a new one");
    if (!QDir().mkpath(dir)) throw PublishError(dir + ": cannot be made");
    QByteArray pk(crypto_sign_PUBLICKEYBYTES, '\0'), sk(crypto_sign_SECRETKEYBYTES, '\0');
    crypto_sign_keypair(reinterpret_cast<unsigned char*>(pk.data()), reinterpret_cast<unsigned char*>(sk.data()));
    QSaveFile s(secretPath);
    if (!s.open(QIODevice::WriteOnly)) throw PublishError(secretPath + ": " + s.errorString());
    s.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    s.write(sk);
    if (!s.commit()) throw PublishError(secretPath + ": " + s.errorString());
    QSaveFile p(publicPath);
    if (!p.open(QIODevice::WriteOnly)) throw PublishError(publicPath + ": " + p.errorString());
    p.write(pk);
    if (!p.commit()) throw PublishError(publicPath + ": " + p.errorString());
    sodium_memzero(sk.data(), size_t(sk.size()));
    return QString::fromLatin1(pk.toHex());
}

PublishResult Publish(const PublishOptions& o) {
    const QString catalogPath = o.catalogDir + "/skyrendel.skr";
    QString lastMod;
    const QVector<CatalogAircraft> aircraft = ReadCatalog(catalogPath, &lastMod);

    // The program archive and its key, checked before anything is written.
    QByteArray archive, secretKey;
    QString archiveName;
    if (!o.programArchive.isEmpty()) {
        archiveName = QFileInfo(o.programArchive).fileName();
        if (!archiveName.endsWith(".zip", Qt::CaseInsensitive) || !server::IsPlainFileName(archiveName.toStdString()))
            throw PublishError("the program archive must be a NAME.zip file: " + o.programArchive);
        int order = 0;
        if (!server::CompareVersions(o.programVersion.toStdString(), "0", &order))
            throw PublishError("the program version must be dotted numbers such as 1.4, not \"" + o.programVersion
                               + "\"");
        if (o.secretKeyFile.isEmpty()) throw PublishError("a program archive needs the secret key to sign it (--key)");
        archive = ReadAll(o.programArchive);
        secretKey = ReadAll(o.secretKeyFile);
        if (secretKey.size() != crypto_sign_SECRETKEYBYTES)
            throw PublishError(o.secretKeyFile + " is not a secret key written by keygen");
    }

    // AirplaneIDs may never move: not to another FOLDER, not from one FOLDER
    // to a new id, against every publish so far.
    const QString root = QFileInfo(o.root).absoluteFilePath();
    std::map<std::string, int> known;
    std::map<std::string, std::vector<int>> catalogues;
    const std::string currentDir = server::ResolvePublishDir(root.toStdString());
    if (!currentDir.empty()) {
        std::string why;
        auto current = server::LoadPublication(currentDir, &why);
        if (!current) throw PublishError("the publish in force cannot be read (" + QString::fromStdString(why) + ")");
        known = current->knownIds;
        catalogues = current->catalogues;
    }
    std::map<int, std::string> folderById;
    for (const auto& [folder, id] : known) folderById[id] = folder;
    std::map<std::string, int> seenInCatalog;
    for (const CatalogAircraft& a : aircraft) {
        const std::string key = Upper(a.folder).toStdString();
        if (!server::IsPlainFileName((a.folder + ".skr").toStdString()))
            throw PublishError("aircraft " + QString::number(a.id) + " has a FOLDER that is not a plain file name: \""
                               + a.folder + "\"");
        if (seenInCatalog.count(key)) throw PublishError("the FOLDER " + a.folder + " appears twice in the catalogue");
        seenInCatalog[key] = a.id;
        auto k = known.find(key);
        if (k != known.end() && k->second != a.id)
            throw PublishError("refused: the catalogue gives " + a.folder + " the AirplaneID " + QString::number(a.id)
                               + ", but it was published as " + QString::number(k->second)
                               + "; clients asking for id " + QString::number(k->second)
                               + " would get the wrong aircraft");
        auto f = folderById.find(a.id);
        if (f != folderById.end() && f->second != key)
            throw PublishError("refused: the catalogue gives AirplaneID " + QString::number(a.id) + " to " + a.folder
                               + ", but it was published for " + QString::fromStdString(f->second));
    }

    // The new publish, written whole under a name no server looks at.
    if (!QDir().mkpath(root)) throw PublishError(root + ": cannot be made");
    const QString stamp = QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss");
    // Numbered after every publish of the same second still there, so the
    // name of a pruned publish is never given to a newer one.
    qint64 after = 0;
    const QString prefix = "publish-" + stamp;
    for (const QString& e : QDir(root).entryList({prefix + "-*", "." + prefix + "-*"},
                                                 QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QString n = e.mid(e.startsWith('.') ? 1 : 0);
        if (n.endsWith(".partial")) n.chop(8);
        if (PublishAge(n).first == prefix) after = std::max(after, PublishAge(n).second);
    }
    QString name;
    for (qint64 n = after + 1;; ++n) {
        name = prefix + "-" + QString::number(n);
        if (!QFileInfo::exists(root + "/" + name) && !QFileInfo::exists(root + "/." + name + ".partial")) break;
    }
    const QString partial = root + "/." + name + ".partial";
    const QString finalDir = root + "/" + name;
    const QString filesDir = partial + "/" + server::kFilesFolder;
    const QString photosDir = partial + "/" + server::kPhotosFolder;
    if (!QDir().mkpath(filesDir) || !QDir().mkpath(photosDir)) throw PublishError(partial + ": cannot be made");

    PublishResult result;
    try {
        Publication pub;
        pub.dir = partial.toStdString();
        pub.lastMod = lastMod.toStdString();
        pub.files.push_back(CopyInto(catalogPath, filesDir, "skyrendel.skr"));
        const QDir data(o.catalogDir + "/DATA");
        for (const CatalogAircraft& a : aircraft) {
            PublishedAircraft pa;
            pa.id = a.id;
            pa.folder = a.folder.toStdString();
            pa.name = a.name.toStdString();
            const QString picture = FindPictureDatabase(data, a.folder);
            if (!picture.isEmpty()) {
                const QString fileName = a.folder + ".skr";
                pub.files.push_back(CopyInto(picture, filesDir, fileName));
                pa.file = fileName.toStdString();
                pa.pictureIds = ExtractPhotos(picture, a.id, photosDir);
                ++result.pictureDatabases;
            }
            pub.aircraft.push_back(pa);
            known[Upper(a.folder).toStdString()] = a.id;
        }
        if (!o.programArchive.isEmpty()) {
            pub.files.push_back(WriteInto(archive, filesDir, archiveName));
            pub.files.push_back(WriteInto(Sign(archive, secretKey), filesDir, archiveName + ".sig"));
            pub.program = server::PublishedProgram{archiveName.toStdString(), o.programVersion.toStdString(),
                                                   (archiveName + ".sig").toStdString()};
        }
        sodium_memzero(secretKey.data(), size_t(secretKey.size()));
        pub.knownIds = known;
        std::vector<int>& ids = catalogues[pub.lastMod];
        ids.clear();
        for (const CatalogAircraft& a : aircraft) ids.push_back(a.id);
        pub.catalogues = catalogues;
        std::string why;
        if (!server::SavePublication(pub, &why)) throw PublishError(QString::fromStdString(why));
        for (const PublishedFile& f : pub.files) result.bytes += f.size;

        // In place under its own name, then the pointer swapped in one rename.
        if (::rename(QFile::encodeName(partial).constData(), QFile::encodeName(finalDir).constData()) != 0)
            throw PublishError(finalDir + ": cannot be put in place");
    } catch (...) {
        RemoveTree(partial);
        throw;
    }
    const QString link = root + "/" + server::kCurrentLink;
    const QString newLink = root + "/.current." + name;
    QFile::remove(newLink);
    if (::symlink(QFile::encodeName(name).constData(), QFile::encodeName(newLink).constData()) != 0
        || ::rename(QFile::encodeName(newLink).constData(), QFile::encodeName(link).constData()) != 0) {
        QFile::remove(newLink);
        RemoveTree(finalDir);
        throw PublishError(link + ": cannot be switched to " + name);
    }

    // Older publishes beyond `keep`; a server still sending one of their
    // files keeps it open and finishes.
    QStringList older = QDir(root).entryList({"publish-*"}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    older.removeAll(name);
    std::sort(older.begin(), older.end(),
              [](const QString& a, const QString& b) { return PublishAge(a) < PublishAge(b); });
    while (older.size() > std::max(0, o.keep)) RemoveTree(root + "/" + older.takeFirst());

    result.dir = finalDir;
    result.lastMod = lastMod;
    result.aircraft = aircraft.size();
    return result;
}

} // namespace sky::publish
