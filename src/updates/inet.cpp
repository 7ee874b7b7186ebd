#include "updates/inet.h"

#include "shell/folders.h"
#include "shell/helpers.h"
#include "shell/http.h"
#include "shell/platform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace sky::updates {

bool CancelDownload = false;

namespace {

int g_stallLimitMs = 30000;
int g_lastHttpStatus = 0;

constexpr qint64 kChunkBytes = 256 * 1024;
constexpr qint64 kFlushBytes = 1048576;
constexpr int kHeadBytes = 4096;
// The progress bar shows the received fraction in thousandths.
constexpr int kProgressScale = 1000;

class WaitCursor {
public:
    WaitCursor() {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            set_ = true;
        }
    }
    ~WaitCursor() {
        if (set_) QGuiApplication::restoreOverrideCursor();
    }

private:
    bool set_ = false;
};

bool syncToDisk(QFile& f) {
    if (!f.flush()) return false;
    return ::fsync(f.handle()) == 0;
}

} // namespace

int DownloadStallLimitMs() { return g_stallLimitMs; }
void SetDownloadStallLimitMs(int ms) { g_stallLimitMs = ms; }
int LastHttpStatus() { return g_lastHttpStatus; }

QString PartFileName(const QString& fileName) { return fileName + QStringLiteral(".part"); }

bool CommitPartFile(const QString& fileName) {
    const QString part = PartFileName(fileName);
    if (!QFile::exists(part)) return false;
    // rename(2) replaces the target in one step: it is either the old file
    // or the new one, never a mixture.
    return std::rename(QFile::encodeName(part).constData(), QFile::encodeName(fileName).constData()) == 0;
}

QString ProgressText(qint64 received, qint64 total) {
    if (total <= 0) return QString::number(received) + QStringLiteral(" bytes ");
    const long long pct = RoundHalfEven(100.0 * double(received) / double(total));
    return QString::number(pct) + QStringLiteral("%  ") + QString::number(received) + QStringLiteral(" / ") +
           QString::number(total) + QStringLiteral(" bytes ");
}

namespace {
// True when the reply announced a plain (not content-encoded) length and
// fewer bytes than that arrived.
bool ShorterThanAnnounced(const HttpReply& reply, qint64 received) {
    const QVariant length = reply.contentLength();
    const QByteArray encoding = reply.rawHeader("Content-Encoding").trimmed().toLower();
    if (!length.isValid() || !(encoding.isEmpty() || encoding == "identity")) return false;
    return received < length.toLongLong();
}
} // namespace

QByteArray DownloadUrl(const QString& url, int& status, const QString& fileName, QProgressBar* progressBar,
                       QLabel* progressLabel, qint64 expectedSize, const DownloadOptions& options) {
    CancelDownload = false;
    WaitCursor cursor;
    status = kDownloadOk;
    g_lastHttpStatus = 0;

    const QUrl address(url.trimmed());
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || address.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        status = kDownloadNoConnection;
        return {};
    }
    QUrl target = address;
    if (target.path().isEmpty()) target.setPath(QStringLiteral("/"));

    const bool temporary = fileName.isEmpty();
    const QString finalName = temporary ? ProgramFolderWithSlash() + QStringLiteral("tmp.tmp") : fileName;
    const QString partName = PartFileName(finalName);

    HttpClient* const client = Http();
    if (!client) {
        // The program's network part is not installed.
        status = kDownloadNoConnection;
        return {};
    }
    HttpRequest request;
    request.url = target;
    request.alwaysNetwork = true;
    request.followSafeRedirects = true;
    request.userAgent = QStringLiteral("Internet Explorer");
    request.readBufferSize = 0;
    std::unique_ptr<HttpReply> reply(client->get(request));

    QEventLoop loop;
    QTimer tick;
    tick.setInterval(50);
    reply->onReadyRead = [&loop] { loop.quit(); };
    reply->onFinished = [&loop] { loop.quit(); };
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start();

    QFile out(partName);
    bool fileOpen = false;
    QByteArray pending;
    QByteArray head;
    qint64 received = 0;
    qint64 total = expectedSize > 0 ? expectedSize : -1;
    bool totalKnown = expectedSize > 0;
    if (progressBar) {
        progressBar->setRange(0, kProgressScale);
        progressBar->setValue(0);
    }
    QElapsedTimer sinceData;
    sinceData.start();

    auto fail = [&](int code) {
        if (reply) {
            reply->onReadyRead = nullptr;
            reply->onFinished = nullptr;
            reply->abort();
            reply.reset();
        }
        if (out.isOpen()) out.close();
        QFile::remove(partName);
        status = code;
        return QByteArray();
    };

    auto httpStatus = [&]() { return reply->httpStatus(); };

    for (;;) {
        if (reply->bytesAvailable() <= 0 && !reply->isFinished()) loop.exec();
        if (!reply) return fail(kDownloadNoConnection);

        const int http = httpStatus();
        if (http != 0) g_lastHttpStatus = http;
        if (http >= 400) return fail(kDownloadWrongSize);

        if (!fileOpen && (reply->bytesAvailable() > 0 || reply->isFinished())) {
            if (reply->isFinished() && reply->failed()) return fail(kDownloadNoConnection);
            if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return fail(kDownloadNoConnection);
            fileOpen = true;
            if (!totalKnown) {
                const QVariant length = reply->contentLength();
                if (length.isValid()) total = length.toLongLong();
                totalKnown = true;
            }
        }

        bool gotData = false;
        while (reply->bytesAvailable() > 0) {
            const QByteArray chunk = reply->read(kChunkBytes);
            if (chunk.isEmpty()) break;
            gotData = true;
            sinceData.restart();
            if (head.size() < kHeadBytes) head.append(chunk.left(kHeadBytes - head.size()));
            pending.append(chunk);
            received += chunk.size();
            if (expectedSize >= 1 && received > expectedSize) {
                // More than announced: the size check can only fail, so a
                // server that sends without end fills nothing.
                const QByteArray kept = head;
                fail(kDownloadWrongSize);
                return kept;
            }
            if (pending.size() >= kFlushBytes) {
                if (out.write(pending) != pending.size()) return fail(kDownloadNoConnection);
                pending.clear();
            }
            if (progressBar) {
                if (total > 0)
                    progressBar->setValue(int(qMin<qint64>(kProgressScale, received * kProgressScale / total)));
                if (progressLabel) progressLabel->setText(ProgressText(received, total));
            }
            platform().clock->processEvents();
            if (!reply) return fail(kDownloadNoConnection);
            if (CancelDownload) return fail(kDownloadCancelled);
        }
        if (CancelDownload) return fail(kDownloadCancelled);

        if (reply->isFinished() && reply->bytesAvailable() <= 0) {
            if (reply->failed()) return fail(httpStatus() >= 400 ? kDownloadWrongSize : kDownloadNoConnection);
            // A connection closed before the announced length arrived does
            // not always come back as an error: the body is cut short, so
            // the read failed.
            if (ShorterThanAnnounced(*reply, received)) return fail(kDownloadNoConnection);
            break;
        }
        if (!gotData && sinceData.elapsed() > g_stallLimitMs) return fail(kDownloadNoConnection);
    }

    reply.reset();
    if (!pending.isEmpty() && out.write(pending) != pending.size()) return fail(kDownloadNoConnection);
    if (!syncToDisk(out)) return fail(kDownloadNoConnection);
    out.close();

    if (expectedSize >= 1 && received != expectedSize) {
        QFile::remove(partName);
        status = kDownloadWrongSize;
        return head;
    }
    if (temporary) {
        QFile::remove(partName);
        return head;
    }
    if (options.commit && !CommitPartFile(finalName)) {
        QFile::remove(partName);
        status = kDownloadNoConnection;
        return {};
    }
    return head;
}

} // namespace sky::updates
