// The updater's HTTP client: one GET of one address into a file, with
// progress shown on an optional bar and label, cancellation between chunks
// and a check of the number of bytes against an expected size.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QProgressBar;
class QLabel;

namespace sky::updates {

// Download status codes.
constexpr int kDownloadOk = 0;
constexpr int kDownloadNoConnection = 2;
constexpr int kDownloadWrongSize = 3;
constexpr int kDownloadCancelled = 5;

// Set by the progress window's Cancel button; cleared by DownloadUrl when
// it starts and polled between chunks.
extern bool CancelDownload;

// The file being written while a transfer runs: the target + ".part".
QString PartFileName(const QString& fileName);

// Replaces `fileName` by its finished ".part" file in one rename; false
// when there is no such file or the rename fails.
bool CommitPartFile(const QString& fileName);

struct DownloadOptions {
    // When false the finished transfer stays in fileName + ".part" for the
    // caller to check and commit with CommitPartFile; when true it replaces
    // fileName as soon as the transfer and the size check have passed.
    bool commit = true;
};

// Fetches `url` (http:// or https://) into `fileName` (empty: "tmp.tmp" in
// the program folder, deleted before returning). Status: 0 success, 2 no
// connection, a failed read, an HTTP error status (400 or more) with
// nothing kept, or no byte for the stall limit; 3 an expectedSize of 1 or
// more that the received count differs from, or a reply with an HTTP
// status of 400 or more (an error page, whatever its text); 5 cancelled. Returns the first 4096 bytes of what was stored, or an empty
// text after a failure. Window messages run while waiting.
QByteArray DownloadUrl(const QString& url, int& status, const QString& fileName, QProgressBar* progressBar,
                       QLabel* progressLabel, qint64 expectedSize, const DownloadOptions& options = {});

// The progress text: "P%  received / total bytes ".
QString ProgressText(qint64 received, qint64 total);

// How long a transfer may receive nothing before it counts as failed.
int DownloadStallLimitMs();
void SetDownloadStallLimitMs(int ms);

// The HTTP status of the last response DownloadUrl received (0 when none).
int LastHttpStatus();

} // namespace sky::updates
