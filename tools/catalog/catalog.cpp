#include "catalog.h"

#include "data/databases.h"
#include "data/db.h"
#include "data/schema.h"
#include "shell/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>

#include <cmath>
#include <filesystem>
#include <system_error>

namespace sky::catalog {

CatalogError::CatalogError(QString file, QString field, QString problem)
    : file_(std::move(file)), field_(std::move(field)), problem_(std::move(problem)) {
    what_ = message().toUtf8();
}

QString CatalogError::message() const {
    QString m = file_;
    if (!field_.isEmpty()) m += QStringLiteral(": ") + field_;
    return m + QStringLiteral(": ") + problem_;
}

int PictureId(int airplaneId, int index) { return airplaneId * 1000 + index + 1; }

// ------------------------------------------------------------ JPEG check

bool IsCompleteJpeg(const QByteArray& b, QString* why) {
    auto fail = [why](const char* text) {
        if (why) *why = QString::fromLatin1(text);
        return false;
    };
    const auto u = [&b](qsizetype i) { return static_cast<unsigned char>(b[i]); };
    const qsizetype n = b.size();
    if (n < 4 || u(0) != 0xFF || u(1) != 0xD8) return fail("not a JPEG file (no start-of-image marker)");
    qsizetype i = 2;
    bool frame = false;
    for (;;) {
        while (i < n && u(i) == 0xFF) ++i; // fill bytes before a marker
        if (i >= n) return fail("the file ends inside its headers");
        if (u(i - 1) != 0xFF) return fail("damaged segment structure");
        const unsigned char marker = u(i++);
        if (marker == 0xD8 || marker == 0xD9 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            return fail("damaged segment structure");
        if (i + 2 > n) return fail("the file ends inside its headers");
        const int length = (u(i) << 8) | u(i + 1);
        if (length < 2 || i + length > n) return fail("the file ends inside its headers");
        const bool isFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (isFrame) {
            if (length < 8) return fail("damaged frame header");
            const int height = (u(i + 3) << 8) | u(i + 4);
            const int width = (u(i + 5) << 8) | u(i + 6);
            if (width == 0 || height == 0) return fail("the picture has no size");
            frame = true;
        }
        i += length;
        if (marker == 0xDA) break; // start of scan: entropy-coded data follows
    }
    if (!frame) return fail("no frame header before the scan");
    // The end-of-image marker closes the data; a few padding bytes after it
    // are tolerated.
    const qsizetype tail = qMax<qsizetype>(i, n - 64);
    for (qsizetype k = n - 2; k >= tail; --k)
        if (u(k) == 0xFF && u(k + 1) == 0xD9) return true;
    return fail("the file is cut short (no end-of-image marker)");
}

// ------------------------------------------------------------ the manifest

namespace {

struct TextConstant {
    QString name;
    QString value;
};

struct Photo {
    QString path;
    QString field;
};

struct Aircraft {
    int id = 0;
    QString field; // "aircraft[3]"
    // A field of this aircraft with its FOLDER: "aircraft[3].logo (B738)".
    QString label(const QString& f) const { return f + " (" + folder + ")"; }
    QString folder;
    QString name;
    bool active = true;
    bool sets[8] = {};
    QString libraryHtml;
    QVector<Photo> photos;
    QString logoPath; // empty: rendered
};

struct Pair {
    int a = 0, b = 0;
    bool ask = false;
};

struct Manifest {
    QString path;
    QVector<TextConstant> constants;
    QVector<Aircraft> aircraft;
    QVector<Pair> pairs;
    QSet<int> retiredIds;
};

class Reader {
public:
    Reader(const BuildOptions& o) : opt_(o), src_(o.source) {
        manifestPath_ = src_.filePath(QStringLiteral("catalog.json"));
    }

    Manifest read() {
        QFile f(manifestPath_);
        if (!f.open(QIODevice::ReadOnly)) fail(QString(), QStringLiteral("cannot be read (") + f.errorString() + ")");
        const QByteArray data = f.readAll();
        QJsonParseError pe;
        const QJsonDocument doc = QJsonDocument::fromJson(data, &pe);
        if (pe.error != QJsonParseError::NoError) {
            const int offset = pe.offset;
            const QByteArray before = data.left(offset);
            const int line = before.count('\n') + 1;
            const int column = offset - (before.lastIndexOf('\n') + 1) + 1;
            fail(QString(), QStringLiteral("malformed JSON at line %1, column %2 (offset %3): %4")
                                .arg(line)
                                .arg(column)
                                .arg(offset)
                                .arg(pe.errorString()));
        }
        if (!doc.isObject()) fail(QString(), QStringLiteral("the manifest must be a JSON object"));
        const QJsonObject root = doc.object();
        checkKeys(root, QString(), {"textConstants", "aircraft", "pairs", "retiredIds"});

        Manifest m;
        m.path = manifestPath_;
        readConstants(root.value("textConstants"), m);
        readRetiredIds(root.value("retiredIds"), m);
        readAircraft(root.value("aircraft"), m);
        readPairs(root.value("pairs"), m);
        return m;
    }

    [[noreturn]] void fail(const QString& field, const QString& problem) const {
        throw CatalogError(manifestPath_, field, problem);
    }

private:
    static bool isCommentKey(const QString& k) { return k.startsWith('_') || k == QLatin1String("comment"); }

    void checkKeys(const QJsonObject& o, const QString& field, std::initializer_list<const char*> allowed) const {
        for (auto it = o.begin(); it != o.end(); ++it) {
            bool known = isCommentKey(it.key());
            for (const char* a : allowed) known = known || it.key() == QLatin1String(a);
            if (!known) fail(join(field, it.key()), QStringLiteral("unknown field"));
        }
    }

    static QString join(const QString& field, const QString& key) {
        return field.isEmpty() ? key : field + '.' + key;
    }

    QString path(const QString& relative) const { return QDir::cleanPath(src_.filePath(relative)); }

    QString readText(const QString& file, const QString& field) const {
        QFile f(file);
        if (!QFileInfo(file).isFile()) throw CatalogError(file, field, QStringLiteral("the file does not exist"));
        if (!f.open(QIODevice::ReadOnly))
            throw CatalogError(file, field, QStringLiteral("cannot be read (") + f.errorString() + ")");
        QByteArray bytes = f.readAll();
        if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
        return QString::fromUtf8(bytes);
    }

    QString string(const QJsonObject& o, const char* key, const QString& field, bool required = true) const {
        const QJsonValue v = o.value(key);
        if (v.isUndefined()) {
            if (required) fail(join(field, key), QStringLiteral("missing"));
            return QString();
        }
        if (!v.isString()) fail(join(field, key), QStringLiteral("must be a text"));
        return v.toString();
    }

    // {"file": ...} or {"text": ...} / {"url": ...}
    QString fileOrValue(const QJsonValue& v, const QString& field, const char* valueKey) const {
        if (!v.isObject())
            fail(field, QStringLiteral("must be an object with \"file\" or \"%1\"").arg(QLatin1String(valueKey)));
        const QJsonObject o = v.toObject();
        checkKeys(o, field, {"file", valueKey});
        const bool hasFile = o.contains("file"), hasValue = o.contains(valueKey);
        if (hasFile == hasValue)
            fail(field, QStringLiteral("needs exactly one of \"file\" and \"%1\"").arg(QLatin1String(valueKey)));
        if (hasFile) {
            const QString rel = string(o, "file", field);
            if (rel.isEmpty()) fail(join(field, "file"), QStringLiteral("empty file name"));
            return readText(path(rel), join(field, "file"));
        }
        return string(o, valueKey, field);
    }

    void readConstants(const QJsonValue& v, Manifest& m) const {
        if (v.isUndefined()) fail("textConstants", QStringLiteral("missing (FAQ and LastMod_0 are needed)"));
        if (!v.isObject()) fail("textConstants", QStringLiteral("must be an object"));
        const QJsonObject o = v.toObject();
        QSet<QString> seen;
        for (auto it = o.begin(); it != o.end(); ++it) {
            const QString name = it.key();
            const QString field = "textConstants." + name;
            if (name.trimmed().isEmpty()) fail(field, QStringLiteral("empty constant name"));
            if (name != name.trimmed()) fail(field, QStringLiteral("the name has leading or trailing blanks"));
            // The program looks names up upper-cased, so two names that
            // differ only in case would be one constant.
            if (seen.contains(name.toUpper())) fail(field, QStringLiteral("a constant of this name already exists"));
            seen.insert(name.toUpper());
            m.constants.push_back({name, fileOrValue(it.value(), field, "text")});
        }
        for (const char* needed : {"FAQ", "LastMod_0"})
            if (!seen.contains(QString::fromLatin1(needed).toUpper()))
                fail(QStringLiteral("textConstants.") + needed, QStringLiteral("missing"));
    }

    static QString badFolderReason(const QString& folder) {
        if (folder.isEmpty()) return QStringLiteral("is empty");
        if (folder == QLatin1String(".") || folder == QLatin1String("..") || folder.contains(QLatin1String("..")))
            return QStringLiteral("must not contain \"..\"");
        for (const QChar c : folder) {
            if (c.unicode() < 32 || c.unicode() == 127) return QStringLiteral("holds a control character");
            if (QStringLiteral("/\\:*?\"<>|").contains(c))
                return QStringLiteral("holds the character '%1', which a file name cannot hold").arg(c);
        }
        if (folder != folder.trimmed()) return QStringLiteral("has leading or trailing blanks");
        if (folder.endsWith('.')) return QStringLiteral("ends with a dot");
        return QString();
    }

    // An AirplaneID is a whole number from 1 to kMaxAirplaneId, so that every
    // photograph's ID (PictureId) stays a 32-bit number.
    int airplaneId(const QJsonValue& v, const QString& field) const {
        const double d = v.toDouble(-1);
        if (!v.isDouble() || d != std::floor(d) || d < 1 || d > kMaxAirplaneId)
            fail(field, QStringLiteral("must be a whole number from 1 to %1").arg(kMaxAirplaneId));
        return int(d);
    }

    // The IDs of aircraft that left the catalogue: never given to another.
    void readRetiredIds(const QJsonValue& v, Manifest& m) const {
        if (v.isUndefined()) return;
        if (!v.isArray()) fail("retiredIds", QStringLiteral("must be a list of AirplaneIDs"));
        const QJsonArray list = v.toArray();
        for (int i = 0; i < list.size(); ++i) m.retiredIds.insert(airplaneId(list[i], QStringLiteral("retiredIds[%1]").arg(i)));
    }

    void readAircraft(const QJsonValue& v, Manifest& m) const {
        if (v.isUndefined()) fail("aircraft", QStringLiteral("missing"));
        if (!v.isArray()) fail("aircraft", QStringLiteral("must be a list"));
        const QJsonArray list = v.toArray();
        if (list.isEmpty()) fail("aircraft", QStringLiteral("the catalogue holds no aircraft"));
        QHash<QString, QString> folders, names; // key -> field of the first use
        QHash<int, QString> ids;
        const QStringList& setColumns = sky::db::AircraftSetColumns();
        for (int i = 0; i < list.size(); ++i) {
            const QString field = QStringLiteral("aircraft[%1]").arg(i);
            if (!list[i].isObject()) fail(field, QStringLiteral("must be an object"));
            const QJsonObject o = list[i].toObject();
            checkKeys(o, field, {"id", "folder", "name", "active", "sets", "description", "photos", "logo"});
            Aircraft a;
            // Every aircraft keeps its AirplaneID from build to build: users'
            // databases and the updater's requests name aircraft by it.
            if (o.value("id").isUndefined())
                fail(field + ".id", QStringLiteral("missing: every aircraft needs its own fixed AirplaneID"));
            a.id = airplaneId(o.value("id"), field + ".id");
            if (ids.contains(a.id))
                fail(field + ".id", QStringLiteral("%1 is already used by %2").arg(a.id).arg(ids[a.id]));
            if (m.retiredIds.contains(a.id))
                fail(field + ".id", QStringLiteral("%1 belonged to an aircraft that left the catalogue (retiredIds); "
                                                   "an AirplaneID is never given to another aircraft")
                                        .arg(a.id));
            ids.insert(a.id, field);
            a.folder = string(o, "folder", field);
            const QString why = badFolderReason(a.folder);
            if (!why.isEmpty()) fail(field + ".folder", QStringLiteral("\"%1\" cannot be a file name: it %2").arg(a.folder, why));
            a.field = field;
            const QString folderKey = a.folder.toUpper(); // file names are matched without regard to case
            if (folders.contains(folderKey))
                fail(field + ".folder", QStringLiteral("\"%1\" is already used by %2").arg(a.folder, folders[folderKey]));
            folders.insert(folderKey, field);

            a.name = string(o, "name", field).trimmed();
            if (a.name.isEmpty()) fail(field + ".name", QStringLiteral("empty type name"));
            if (names.contains(a.name))
                fail(field + ".name", QStringLiteral("\"%1\" is already used by %2").arg(a.name, names[a.name]));
            names.insert(a.name, field);

            const QJsonValue active = o.value("active");
            if (!active.isUndefined() && !active.isBool()) fail(field + ".active", QStringLiteral("must be true or false"));
            a.active = active.isUndefined() ? true : active.toBool();

            const QJsonValue sets = o.value("sets");
            if (!sets.isUndefined()) {
                if (!sets.isObject()) fail(field + ".sets", QStringLiteral("must be an object"));
                const QJsonObject so = sets.toObject();
                for (auto it = so.begin(); it != so.end(); ++it) {
                    const int k = setColumns.indexOf(it.key());
                    if (k < 0)
                        fail(field + ".sets." + it.key(),
                             QStringLiteral("unknown set column (known: %1)").arg(setColumns.join(", ")));
                    if (!it.value().isBool()) fail(field + ".sets." + it.key(), QStringLiteral("must be true or false"));
                    a.sets[k] = it.value().toBool();
                }
            }

            const QJsonValue d = o.value("description");
            if (d.isUndefined()) fail(field + ".description", QStringLiteral("missing"));
            a.libraryHtml = fileOrValue(d, field + ".description", "url");
            if (d.toObject().contains("url")) {
                const QString url = a.libraryHtml.trimmed();
                if (!url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) &&
                    !url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
                    fail(field + ".description.url", QStringLiteral("\"%1\" is not an http or https address").arg(url));
                a.libraryHtml = url;
            }

            readPhotos(o.value("photos"), field + ".photos", a);

            const QJsonValue logo = o.value("logo");
            if (!logo.isUndefined()) {
                if (!logo.isString() || logo.toString().isEmpty())
                    fail(field + ".logo", QStringLiteral("must be the path of a JPEG file"));
                a.logoPath = path(logo.toString());
            }
            m.aircraft.push_back(a);
        }
    }

    void readPhotos(const QJsonValue& v, const QString& field, Aircraft& a) const {
        if (v.isUndefined()) fail(field, QStringLiteral("missing: the aircraft has no photographs"));
        if (v.isString()) {
            const QString name = v.toString();
            if (name.isEmpty()) fail(field, QStringLiteral("empty folder name"));
            const QDir base(opt_.photosDir.isEmpty() ? opt_.source : opt_.photosDir);
            const QString dirPath = QDir::cleanPath(base.filePath(name));
            const QDir dir(dirPath);
            if (!dir.exists()) throw CatalogError(dirPath, field, QStringLiteral("the photograph folder does not exist"));
            const QStringList files =
                dir.entryList({QStringLiteral("*.jpg")}, QDir::Files | QDir::Readable, QDir::Name);
            if (files.isEmpty())
                throw CatalogError(dirPath, field, QStringLiteral("the folder holds no photographs (*.jpg)"));
            for (int k = 0; k < files.size(); ++k)
                a.photos.push_back({dir.filePath(files[k]), QStringLiteral("%1[%2]").arg(field).arg(k)});
        } else if (v.isArray()) {
            const QJsonArray list = v.toArray();
            if (list.isEmpty()) fail(field, QStringLiteral("the aircraft has no photographs"));
            for (int k = 0; k < list.size(); ++k) {
                const QString f = QStringLiteral("%1[%2]").arg(field).arg(k);
                if (!list[k].isString() || list[k].toString().isEmpty())
                    fail(f, QStringLiteral("must be the path of a JPEG file"));
                a.photos.push_back({path(list[k].toString()), f});
            }
        } else {
            fail(field, QStringLiteral("must be a list of JPEG files or the name of a folder"));
        }
        if (a.photos.size() > kMaxPhotographsPerAircraft)
            fail(field, QStringLiteral("%1 photographs; at most %2 are possible")
                            .arg(a.photos.size())
                            .arg(kMaxPhotographsPerAircraft));
    }

    void readPairs(const QJsonValue& v, Manifest& m) const {
        if (v.isUndefined()) return;
        if (!v.isArray()) fail("pairs", QStringLiteral("must be a list"));
        QHash<QString, int> byFolder;
        for (const Aircraft& a : m.aircraft) byFolder.insert(a.folder, a.id);
        QHash<QPair<int, int>, QString> seen;
        const QJsonArray list = v.toArray();
        for (int i = 0; i < list.size(); ++i) {
            const QString field = QStringLiteral("pairs[%1]").arg(i);
            if (!list[i].isObject()) fail(field, QStringLiteral("must be an object"));
            const QJsonObject o = list[i].toObject();
            checkKeys(o, field, {"a", "b", "ask"});
            Pair p;
            for (const char* side : {"a", "b"}) {
                const QString folder = string(o, side, field);
                if (!byFolder.contains(folder))
                    fail(join(field, side), QStringLiteral("\"%1\" is not an aircraft of the catalogue").arg(folder));
                (side[0] == 'a' ? p.a : p.b) = byFolder[folder];
            }
            if (p.a == p.b) fail(field, QStringLiteral("pairs an aircraft with itself"));
            const QString ask = string(o, "ask", field);
            if (ask == QLatin1String("hard")) p.ask = true;
            else if (ask == QLatin1String("never")) p.ask = false;
            else fail(field + ".ask", QStringLiteral("\"%1\" must be \"hard\" or \"never\"").arg(ask));
            const QPair<int, int> key(qMin(p.a, p.b), qMax(p.a, p.b));
            if (seen.contains(key)) fail(field, QStringLiteral("the same pair as %1").arg(seen[key]));
            seen.insert(key, field);
            m.pairs.push_back(p);
        }
    }

    const BuildOptions& opt_;
    QDir src_;
    QString manifestPath_;
};

QByteArray readPhoto(const QString& file, const QString& field) {
    QFile f(file);
    if (!QFileInfo(file).isFile()) throw CatalogError(file, field, QStringLiteral("the photograph does not exist"));
    if (!f.open(QIODevice::ReadOnly))
        throw CatalogError(file, field, QStringLiteral("cannot be read (") + f.errorString() + ")");
    const QByteArray bytes = f.readAll();
    QString why;
    if (!IsCompleteJpeg(bytes, &why)) throw CatalogError(file, field, QStringLiteral("not a usable JPEG: ") + why);
    return bytes;
}

// ------------------------------------------------------------ writing

void writeStatic(const QString& path, const Manifest& m, BuildReport& report) {
    using namespace sky::db;
    CreateDatabaseFile(path, DbKind::Static);
    Connection c;
    OpenProgramDatabase(c, path);
    c.BeginTrans();
    {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM AIRCRAFT"), c, adOpenKeyset, adLockOptimistic);
        const QStringList& setColumns = AircraftSetColumns();
        for (const Aircraft& a : m.aircraft) {
            QByteArray logo;
            if (a.logoPath.isEmpty()) {
                logo = RenderNameLogo(a.name);
                ++report.renderedLogos;
            } else {
                logo = readPhoto(a.logoPath, a.label(a.field + ".logo"));
            }
            rs.addNew();
            rs["AirplaneID"] = a.id;
            rs["AIRPLANETYPE"] = a.name;
            rs["FOLDER"] = a.folder;
            rs["ISACTIVE"] = a.active;
            for (int k = 0; k < setColumns.size(); ++k) rs[setColumns[k]] = a.sets[k];
            rs["LIBRARYHTML"] = a.libraryHtml;
            rs["NameImage"] = logo;
            rs.update();
        }
        rs.close();
        // Every pair in both directions: the quiz reads an aircraft's pairs
        // from the rows that start with it.
        rs.Open(QStringLiteral("SELECT * FROM SIMILARAIRCRAFT"), c, adOpenKeyset, adLockOptimistic);
        for (const Pair& p : m.pairs) {
            for (const auto& [from, to] : {std::pair<int, int>{p.a, p.b}, std::pair<int, int>{p.b, p.a}}) {
                rs.addNew();
                rs["AIRCRAFTID"] = from;
                rs["SIMILARAIRCRAFTID"] = to;
                rs["ASK"] = p.ask;
                rs.update();
            }
        }
        rs.close();
        rs.Open(QStringLiteral("SELECT * FROM TEXTCONSTANTS"), c, adOpenKeyset, adLockOptimistic);
        for (const TextConstant& t : m.constants) {
            rs.addNew();
            rs["TEXTCONSTANTNAME"] = t.name;
            rs["TEXTCONSTANTDATA"] = t.value;
            rs.update();
        }
    }
    c.CommitTrans();
    c.Close();
    report.aircraft = m.aircraft.size();
    report.pairs = m.pairs.size();
    report.textConstants = m.constants.size();
}

void writePictures(const QString& path, const Aircraft& a, BuildReport& report) {
    using namespace sky::db;
    CreateDatabaseFile(path, DbKind::Pictures);
    Connection c;
    OpenProgramDatabase(c, path);
    c.BeginTrans();
    {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM IMAGES"), c, adOpenKeyset, adLockOptimistic);
        for (int k = 0; k < a.photos.size(); ++k) {
            const QByteArray bytes = readPhoto(a.photos[k].path, a.label(a.photos[k].field));
            rs.addNew();
            rs["ID"] = PictureId(a.id, k);
            rs["Image"] = bytes;
            rs.update();
            ++report.photographs;
        }
    }
    c.CommitTrans();
    c.Close();
}

// A catalogue already in OUT fixes the AirplaneID of each of its aircraft:
// users' databases and the update server know aircraft by it. A build that
// would give a staying aircraft another ID, or give an ID to another
// aircraft, is refused before anything is written.
void checkIdsAgainstInstalled(const QString& installed, const Manifest& m) {
    if (!QFileInfo(installed).isFile()) return;
    QHash<QString, int> idOfFolder; // trimmed FOLDER -> AirplaneID
    QHash<int, QString> folderOfId;
    try {
        sky::db::Connection c;
        sky::db::OpenProgramDatabase(c, installed);
        sky::db::Recordset rs;
        rs.Open(QStringLiteral("SELECT AirplaneID, FOLDER FROM AIRCRAFT"), c);
        for (; !rs.eof(); rs.moveNext()) {
            const int id = rs.fields(0).value().toInt();
            const QString folder = rs.fields(1).text().trimmed();
            idOfFolder.insert(folder.toUpper(), id);
            folderOfId.insert(id, folder);
        }
        rs.close();
        c.Close();
    } catch (const SkyError&) {
        // Not a catalogue of ours (damaged, or some other file): it names no
        // aircraft, so there is no ID to keep, and the build replaces it.
        return;
    }
    for (const Aircraft& a : m.aircraft) {
        const auto was = idOfFolder.constFind(a.folder.toUpper());
        if (was != idOfFolder.constEnd() && was.value() != a.id)
            throw CatalogError(m.path, a.field + QStringLiteral(".id"),
                               QStringLiteral("%1 would change the AirplaneID of \"%2\", which is %3 in %4; an "
                                              "aircraft keeps its AirplaneID from build to build")
                                   .arg(a.id)
                                   .arg(a.folder)
                                   .arg(was.value())
                                   .arg(installed));
        const auto holder = folderOfId.constFind(a.id);
        if (was == idOfFolder.constEnd() && holder != folderOfId.constEnd())
            throw CatalogError(m.path, a.field + QStringLiteral(".id"),
                               QStringLiteral("%1 belongs to \"%2\" in %3; an AirplaneID is never given to another "
                                              "aircraft (list it in retiredIds and choose a new one)")
                                   .arg(a.id)
                                   .arg(holder.value(), installed));
    }
}

// Moves `from` over `to`, replacing a file already there.
void moveInto(const QString& from, const QString& to) {
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(from.toStdString()), std::filesystem::path(to.toStdString()), ec);
    if (ec) throw CatalogError(to, QString(), QStringLiteral("cannot be replaced (") + QString::fromStdString(ec.message()) + ")");
}

} // namespace

BuildReport BuildCatalog(const BuildOptions& options) {
    if (options.source.isEmpty() || !QFileInfo(options.source).isDir())
        throw CatalogError(options.source, QString(), QStringLiteral("the catalogue source folder does not exist"));
    if (!options.photosDir.isEmpty() && !QFileInfo(options.photosDir).isDir())
        throw CatalogError(options.photosDir, QStringLiteral("--photos"), QStringLiteral("the folder does not exist"));
    const QFileInfo outInfo(options.out);
    if (options.out.isEmpty()) throw CatalogError(options.out, QString(), QStringLiteral("no output folder given"));
    if (outInfo.exists() && !outInfo.isDir())
        throw CatalogError(options.out, QString(), QStringLiteral("exists and is not a folder"));

    // Every fault the manifest can hold is found before anything is written.
    Reader reader(options);
    const Manifest m = reader.read();

    const QString outPath = outInfo.absoluteFilePath();
    checkIdsAgainstInstalled(QDir(outPath).filePath(kStaticFileName), m);
    const QString parent = QFileInfo(outPath).absolutePath();
    if (!QDir().mkpath(parent)) throw CatalogError(parent, QString(), QStringLiteral("cannot be created"));
    QTemporaryDir scratch(parent + "/." + QFileInfo(outPath).fileName() + ".catalog-XXXXXX");
    if (!scratch.isValid())
        throw CatalogError(parent, QString(), QStringLiteral("no scratch folder can be made here (") + scratch.errorString() + ")");
    const QDir work(scratch.path());
    work.mkdir(kPictureFolderName);

    BuildReport report;
    try {
        writeStatic(work.filePath(kStaticFileName), m, report);
        sky::db::CreateDatabaseFile(work.filePath(kUserFileName), sky::db::DbKind::User);
        for (const Aircraft& a : m.aircraft)
            writePictures(work.filePath(QString(kPictureFolderName) + '/' + a.folder + ".skr"), a, report);
    } catch (const SkyError& e) {
        throw CatalogError(scratch.path(), QString(),
                           QStringLiteral("writing the database failed: error %1 (%2)").arg(e.number()).arg(e.description()));
    }

    // Into place: the picture databases first, the catalogue last, so a
    // catalogue never names pictures that are not there yet.
    QDir out(outPath);
    if (!QDir().mkpath(out.filePath(kPictureFolderName)))
        throw CatalogError(out.filePath(kPictureFolderName), QString(), QStringLiteral("cannot be created"));
    // An existing picture file whose name differs only in case is the same
    // aircraft's: replace that one rather than leave two behind.
    QHash<QString, QString> existing;
    for (const QString& f : QDir(out.filePath(kPictureFolderName)).entryList(QDir::Files)) existing.insert(f.toUpper(), f);
    for (const Aircraft& a : m.aircraft) {
        const QString name = a.folder + ".skr";
        const QString target = existing.value(name.toUpper(), name);
        moveInto(work.filePath(QString(kPictureFolderName) + '/' + name),
                 out.filePath(QString(kPictureFolderName) + '/' + target));
    }
    moveInto(work.filePath(kUserFileName), out.filePath(kUserFileName));
    moveInto(work.filePath(kStaticFileName), out.filePath(kStaticFileName));
    return report;
}

} // namespace sky::catalog
