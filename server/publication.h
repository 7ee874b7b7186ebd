// A publish folder as the update server reads it: the catalogue's stamp, the
// files it may hand out with their sizes and digests, each aircraft's
// AirplaneID with its picture database, and the program archive on offer.
//
// Layout of one publish (written by skyrendel-publish):
//   PUBLISH/manifest.json     what this file reads
//   PUBLISH/files/NAME        every file a client may download
//   PUBLISH/photos/AIRPLANEID-ID.jpg  each photograph (for the problem-report page)
// and of the folder a server is given:
//   ROOT/current -> publish-...   the publish in force (a symbolic link)
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace sky::server {

inline constexpr const char* kManifestName = "manifest.json";
inline constexpr const char* kFilesFolder = "files";
inline constexpr const char* kPhotosFolder = "photos";
inline constexpr const char* kCurrentLink = "current";

struct PublishedFile {
    std::string name;   // as announced in the change list
    long long size = 0; // exact length in bytes
    std::string sha256; // lower-case hex
};

struct PublishedAircraft {
    int id = 0;
    std::string folder;
    std::string name;            // AIRPLANETYPE
    std::string file;            // FOLDER.skr, empty when no picture database is published
    std::vector<int> pictureIds; // IMAGES.ID in the table's order
};

struct PublishedProgram {
    std::string file; // NAME.zip
    std::string version;
    std::string signature; // NAME.zip.sig
};

struct Publication {
    std::string dir; // the publish folder itself (not the "current" link)
    std::string lastMod;
    std::vector<PublishedFile> files;
    std::vector<PublishedAircraft> aircraft;
    std::optional<PublishedProgram> program;
    // Every FOLDER ever published with its AirplaneID, carried from publish
    // to publish so an identifier never moves to another aircraft.
    std::map<std::string, int> knownIds;
    // The AirplaneIDs of every catalogue published so far, by its LastMod_0
    // stamp: a client reporting an older stamp is sent the picture databases
    // of the aircraft its new catalogue adds, in the same update.
    std::map<std::string, std::vector<int>> catalogues;

    // Lookups, filled by Index().
    const PublishedFile* findFile(const std::string& name) const; // case-insensitive
    const PublishedAircraft* findAircraft(int id) const;
    std::string filePath(const PublishedFile& f) const;
    void Index();

private:
    std::unordered_map<std::string, size_t> fileByLowerName_;
    std::unordered_map<int, size_t> aircraftById_;
};

// "AIRPLANEID-PICTUREID.jpg": a photograph's file in PUBLISH/photos.
std::string PhotoFileName(int airplaneId, int pictureId);

// Reads PUBLISH/manifest.json; nullptr and *error on failure.
std::shared_ptr<const Publication> LoadPublication(const std::string& dir, std::string* error);
// Writes PUBLISH/manifest.json (beside, then renamed).
bool SavePublication(const Publication& publication, std::string* error);

// The publish folder "current" in ROOT names, or ROOT itself when it holds a
// manifest; empty when neither.
std::string ResolvePublishDir(const std::string& root);

} // namespace sky::server
