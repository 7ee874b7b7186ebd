// The publishing tool: turns a built catalogue folder (skyrendel.skr and
// DATA/*.skr) and optionally a signed program archive into a publish folder
// the update server and nginx serve, and switches it in at the end.
//
//   ROOT/publish-YYYYmmdd-HHMMSS-N/   each publish, written whole first
//   ROOT/current -> publish-...       swapped in one rename
//
// The manifest and folder layout are described in server/publication.h.
#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

namespace sky::publish {

class PublishError : public std::runtime_error {
public:
    explicit PublishError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

struct PublishOptions {
    QString catalogDir;     // holds skyrendel.skr and DATA/
    QString root;           // the server's folder
    QString programArchive; // NAME.zip, optional
    QString programVersion; // dotted numbers, with the archive
    QString secretKeyFile;  // Ed25519 secret key, with the archive
    int keep = 3;           // earlier publishes kept beside the current one
};

struct PublishResult {
    QString dir; // the new publish folder
    QString lastMod;
    int aircraft = 0;
    int pictureDatabases = 0;
    qint64 bytes = 0;
};

// Throws PublishError with a message for the maker; ROOT/current is then
// what it was.
PublishResult Publish(const PublishOptions& options);

// Key files written by keygen.
inline constexpr const char* kSecretKeyName = "skyrendel-sign.key";
inline constexpr const char* kPublicKeyName = "skyrendel-sign.pub";

// Writes DIR/skyrendel-sign.key (secret, owner-only) and DIR/skyrendel-sign.pub;
// never overwrites a key. Returns the public key as hex.
QString GenerateKeyPair(const QString& dir);

// The raw 64-byte detached signature of `data`.
QByteArray Sign(const QByteArray& data, const QByteArray& secretKey);
bool Verify(const QByteArray& data, const QByteArray& signature, const QByteArray& publicKey);

} // namespace sky::publish
