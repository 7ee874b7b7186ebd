// HTTP and HTTPS GETs through the network module, loaded on the first
// request: the program starts without Qt Network and the libraries it
// brings. Everything here runs on the GUI thread; the callbacks are called
// from the event loop.
//
//   HttpRequest request;
//   request.url = QUrl("https://updates.example/catalog");
//   std::unique_ptr<HttpReply> reply(Http() ? Http()->get(request) : nullptr);
//   reply->onFinished = [&] { ... reply->readAll() ... };
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <functional>

namespace sky {

struct HttpRequest {
    QUrl url;
    QString userAgent;
    // Never answered from a cache.
    bool alwaysNetwork = false;
    // Follows redirects that do not go from https to http.
    bool followSafeRedirects = true;
    // Gives up after this long without a byte (0: never).
    int transferTimeoutMs = 0;
    // Keeps no more than this many bytes unread (0: no limit).
    qint64 readBufferSize = 0;
};

// One GET under way. Deleting it aborts the transfer; it may be deleted
// from inside its own callbacks.
class HttpReply {
public:
    virtual ~HttpReply() = default;

    std::function<void()> onReadyRead;
    std::function<void()> onFinished;
    std::function<void(qint64 received, qint64 total)> onProgress;

    virtual qint64 bytesAvailable() const = 0;
    virtual QByteArray read(qint64 maxSize) = 0;
    virtual QByteArray readAll() = 0;
    virtual bool isFinished() const = 0;
    // True when the transfer failed (no connection, cut short, an HTTP
    // error status, aborted).
    virtual bool failed() const = 0;
    virtual QString errorString() const = 0;
    // The response's HTTP status, 0 before one arrived.
    virtual int httpStatus() const = 0;
    // The announced Content-Length, invalid when none was announced.
    virtual QVariant contentLength() const = 0;
    virtual QString contentType() const = 0;
    virtual QByteArray rawHeader(const QByteArray& name) const = 0;
    // The address answered, after redirects.
    virtual QUrl url() const = 0;
    virtual void abort() = 0;
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    // Starts a GET; the caller owns the reply.
    virtual HttpReply* get(const HttpRequest& request) = 0;
};

// The client of the network module, or nullptr when the module cannot be
// loaded (not installed).
HttpClient* Http();

} // namespace sky
