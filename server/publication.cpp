#include "publication.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <cctype>

namespace sky::server {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

std::string Str(const QJsonValue& v) { return v.toString().toStdString(); }

QString Q(const std::string& s) { return QString::fromStdString(s); }

} // namespace

void Publication::Index() {
    fileByLowerName_.clear();
    aircraftById_.clear();
    for (size_t i = 0; i < files.size(); ++i) fileByLowerName_[Lower(files[i].name)] = i;
    for (size_t i = 0; i < aircraft.size(); ++i) aircraftById_[aircraft[i].id] = i;
}

const PublishedFile* Publication::findFile(const std::string& name) const {
    auto it = fileByLowerName_.find(Lower(name));
    return it == fileByLowerName_.end() ? nullptr : &files[it->second];
}

const PublishedAircraft* Publication::findAircraft(int id) const {
    auto it = aircraftById_.find(id);
    return it == aircraftById_.end() ? nullptr : &aircraft[it->second];
}

std::string PhotoFileName(int airplaneId, int pictureId) {
    return std::to_string(airplaneId) + "-" + std::to_string(pictureId) + ".jpg";
}

std::string Publication::filePath(const PublishedFile& f) const {
    return dir + "/" + kFilesFolder + "/" + f.name;
}

std::shared_ptr<const Publication> LoadPublication(const std::string& dir, std::string* error) {
    QFile file(Q(dir) + "/" + kManifestName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = "cannot read " + file.fileName().toStdString() + ": " + file.errorString().toStdString();
        return nullptr;
    }
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &pe);
    if (!doc.isObject()) {
        if (error) *error = file.fileName().toStdString() + ": not a manifest (" + pe.errorString().toStdString() + ")";
        return nullptr;
    }
    const QJsonObject o = doc.object();
    auto pub = std::make_shared<Publication>();
    pub->dir = QFileInfo(Q(dir)).canonicalFilePath().toStdString();
    pub->lastMod = Str(o.value("lastMod"));
    for (const QJsonValue& v : o.value("files").toArray()) {
        const QJsonObject f = v.toObject();
        PublishedFile pf{Str(f.value("name")), f.value("size").toInteger(), Str(f.value("sha256"))};
        // Only plain names: a manifest can never lead the server out of its folder.
        const QString n = Q(pf.name);
        if (n.isEmpty() || n.contains('/') || n.contains('\\') || n.startsWith('.')) {
            if (error) *error = "manifest names a file that is not a plain name: " + pf.name;
            return nullptr;
        }
        pub->files.push_back(pf);
    }
    for (const QJsonValue& v : o.value("aircraft").toArray()) {
        const QJsonObject a = v.toObject();
        PublishedAircraft pa;
        pa.id = a.value("id").toInt();
        pa.folder = Str(a.value("folder"));
        pa.name = Str(a.value("name"));
        pa.file = Str(a.value("file"));
        for (const QJsonValue& p : a.value("pictures").toArray()) pa.pictureIds.push_back(p.toInt());
        pub->aircraft.push_back(pa);
    }
    const QJsonObject prog = o.value("program").toObject();
    if (!prog.isEmpty())
        pub->program = PublishedProgram{Str(prog.value("file")), Str(prog.value("version")), Str(prog.value("signature"))};
    const QJsonObject known = o.value("knownIds").toObject();
    for (auto it = known.begin(); it != known.end(); ++it) pub->knownIds[it.key().toStdString()] = it.value().toInt();
    const QJsonObject cats = o.value("catalogues").toObject();
    for (auto it = cats.begin(); it != cats.end(); ++it) {
        std::vector<int>& ids = pub->catalogues[it.key().toStdString()];
        for (const QJsonValue& v : it.value().toArray()) ids.push_back(v.toInt());
    }
    pub->Index();
    // Every named file must be listed.
    for (const PublishedAircraft& a : pub->aircraft)
        if (!a.file.empty() && !pub->findFile(a.file)) {
            if (error) *error = "manifest: picture database " + a.file + " is not among the files";
            return nullptr;
        }
    if (pub->program && !pub->findFile(pub->program->file)) {
        if (error) *error = "manifest: program archive " + pub->program->file + " is not among the files";
        return nullptr;
    }
    return pub;
}

bool SavePublication(const Publication& p, std::string* error) {
    QJsonObject o;
    o["lastMod"] = Q(p.lastMod);
    QJsonArray files;
    for (const PublishedFile& f : p.files)
        files.append(QJsonObject{{"name", Q(f.name)}, {"size", qint64(f.size)}, {"sha256", Q(f.sha256)}});
    o["files"] = files;
    QJsonArray aircraft;
    for (const PublishedAircraft& a : p.aircraft) {
        QJsonArray pics;
        for (int id : a.pictureIds) pics.append(id);
        aircraft.append(QJsonObject{{"id", a.id}, {"folder", Q(a.folder)}, {"name", Q(a.name)},
                                    {"file", Q(a.file)}, {"pictures", pics}});
    }
    o["aircraft"] = aircraft;
    if (p.program)
        o["program"] = QJsonObject{{"file", Q(p.program->file)}, {"version", Q(p.program->version)},
                                   {"signature", Q(p.program->signature)}};
    QJsonObject known;
    for (const auto& [folder, id] : p.knownIds) known[Q(folder)] = id;
    o["knownIds"] = known;
    QJsonObject cats;
    for (const auto& [stamp, ids] : p.catalogues) {
        QJsonArray a;
        for (int id : ids) a.append(id);
        cats[Q(stamp)] = a;
    }
    o["catalogues"] = cats;

    QSaveFile out(Q(p.dir) + "/" + kManifestName);
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(o).toJson()) < 0 || !out.commit()) {
        if (error) *error = "cannot write " + out.fileName().toStdString() + ": " + out.errorString().toStdString();
        return false;
    }
    return true;
}

std::string ResolvePublishDir(const std::string& root) {
    const QString r = Q(root);
    const QFileInfo current(r + "/" + kCurrentLink);
    if (current.exists()) return current.canonicalFilePath().toStdString();
    if (QFileInfo::exists(r + "/" + kManifestName)) return QFileInfo(r).canonicalFilePath().toStdString();
    return {};
}

} // namespace sky::server
