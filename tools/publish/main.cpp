// skyrendel-publish keygen DIR
// skyrendel-publish publish CATALOG ROOT [--program NAME.zip --version V --key SECRET] [--keep N]
// skyrendel-publish verify FILE SIGNATURE PUBLIC-KEY
//
// publish: CATALOG is what skyrendel-catalog build wrote (skyrendel.skr and
// DATA/); ROOT is the update server's folder. The new publish is switched in
// only when it is complete.
#include "publish.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

using namespace sky::publish;

static int Usage() {
    std::fprintf(stderr,
                 "usage: skyrendel-publish keygen DIR\n"
                 "       skyrendel-publish publish CATALOG ROOT [--program NAME.zip --version V --key SECRET] [--keep N]\n"
                 "       skyrendel-publish verify FILE SIGNATURE PUBLIC-KEY\n");
    return 2;
}

static QByteArray Read(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw PublishError(path + ": cannot be read: " + f.errorString());
    return f.readAll();
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) return Usage();
    const QString command = args.takeFirst();
    try {
        if (command == "keygen") {
            if (args.size() != 1) return Usage();
            const QString hex = GenerateKeyPair(args[0]);
            std::printf("public key %s\n", qPrintable(hex));
            std::printf("wrote %s/%s (keep it secret) and %s/%s\n", qPrintable(args[0]), kSecretKeyName,
                        qPrintable(args[0]), kPublicKeyName);
            return 0;
        }
        if (command == "verify") {
            if (args.size() != 3) return Usage();
            const bool ok = Verify(Read(args[0]), Read(args[1]), Read(args[2]));
            std::printf("%s\n", ok ? "signature good" : "signature BAD");
            return ok ? 0 : 1;
        }
        if (command == "publish") {
            PublishOptions o;
            QStringList positional;
            for (int i = 0; i < args.size(); ++i) {
                const QString& a = args[i];
                auto value = [&](QString* v) {
                    if (i + 1 >= args.size()) return false;
                    *v = args[++i];
                    return true;
                };
                QString keep;
                if (a == "--program") { if (!value(&o.programArchive)) return Usage(); }
                else if (a == "--version") { if (!value(&o.programVersion)) return Usage(); }
                else if (a == "--key") { if (!value(&o.secretKeyFile)) return Usage(); }
                else if (a == "--keep") {
                    bool ok = false;
                    if (!value(&keep) || (o.keep = keep.toInt(&ok), !ok) || o.keep < 0) return Usage();
                } else if (a.startsWith("--")) return Usage();
                else positional << a;
            }
            if (positional.size() != 2) return Usage();
            if (!o.programArchive.isEmpty() && o.programVersion.isEmpty()) {
                std::fprintf(stderr, "skyrendel-publish: --program needs --version\n");
                return 2;
            }
            o.catalogDir = positional[0];
            o.root = positional[1];
            const PublishResult r = Publish(o);
            std::printf("published %s: catalogue %s, %d aircraft, %d picture databases, %lld bytes\n",
                        qPrintable(r.dir), qPrintable(r.lastMod), r.aircraft, r.pictureDatabases,
                        static_cast<long long>(r.bytes));
            return 0;
        }
    } catch (const PublishError& e) {
        std::fprintf(stderr, "skyrendel-publish: %s\n", e.what());
        return 1;
    }
    return Usage();
}
