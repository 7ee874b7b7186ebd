// The HTTP client's real implementation over Qt Network, built as a module
// of its own: the program loads it (and with it Qt Network and the
// libraries it needs) on its first request, not at start.
#include "shell/http.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace {

class QtHttpReply : public sky::HttpReply {
public:
    explicit QtHttpReply(QNetworkReply* reply) : reply_(reply) {
        // Each callback is called through a copy and nothing of this object
        // is touched after it: a callback may delete the reply.
        connections_[0] = QObject::connect(reply, &QNetworkReply::readyRead, reply, [this] {
            if (auto f = onReadyRead) f();
        });
        connections_[1] = QObject::connect(reply, &QNetworkReply::finished, reply, [this] {
            if (auto f = onFinished) f();
        });
        connections_[2] =
            QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [this](qint64 received, qint64 total) {
                if (auto f = onProgress) f(received, total);
            });
    }
    ~QtHttpReply() override {
        for (const QMetaObject::Connection& c : connections_) QObject::disconnect(c);
        if (!reply_) return;
        if (!reply_->isFinished()) reply_->abort();
        reply_->deleteLater();
    }

    qint64 bytesAvailable() const override { return reply_ ? reply_->bytesAvailable() : 0; }
    QByteArray read(qint64 maxSize) override { return reply_ ? reply_->read(maxSize) : QByteArray(); }
    QByteArray readAll() override { return reply_ ? reply_->readAll() : QByteArray(); }
    bool isFinished() const override { return !reply_ || reply_->isFinished(); }
    bool failed() const override { return !reply_ || reply_->error() != QNetworkReply::NoError; }
    QString errorString() const override {
        return reply_ ? reply_->errorString() : QStringLiteral("The transfer was ended.");
    }
    int httpStatus() const override {
        return reply_ ? reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() : 0;
    }
    QVariant contentLength() const override {
        return reply_ ? reply_->header(QNetworkRequest::ContentLengthHeader) : QVariant();
    }
    QString contentType() const override {
        return reply_ ? reply_->header(QNetworkRequest::ContentTypeHeader).toString() : QString();
    }
    QByteArray rawHeader(const QByteArray& name) const override {
        return reply_ ? reply_->rawHeader(name) : QByteArray();
    }
    QUrl url() const override { return reply_ ? reply_->url() : QUrl(); }
    void abort() override {
        if (reply_) reply_->abort();
    }

private:
    QPointer<QNetworkReply> reply_;
    QMetaObject::Connection connections_[3];
};

class QtHttpClient : public sky::HttpClient {
public:
    sky::HttpReply* get(const sky::HttpRequest& r) override {
        // Made on first use and kept, so kept-alive connections are reused.
        if (!manager_) manager_ = new QNetworkAccessManager();
        QNetworkRequest request(r.url);
        if (r.alwaysNetwork)
            request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             r.followSafeRedirects ? QNetworkRequest::NoLessSafeRedirectPolicy
                                                   : QNetworkRequest::ManualRedirectPolicy);
        if (!r.userAgent.isEmpty()) request.setHeader(QNetworkRequest::UserAgentHeader, r.userAgent);
        if (r.transferTimeoutMs > 0) request.setTransferTimeout(r.transferTimeoutMs);
        QNetworkReply* reply = manager_->get(request);
        reply->setReadBufferSize(r.readBufferSize);
        return new QtHttpReply(reply);
    }

private:
    QNetworkAccessManager* manager_ = nullptr;
};

} // namespace

extern "C" Q_DECL_EXPORT sky::HttpClient* skyrendel_http_client() {
    static QtHttpClient client;
    return &client;
}
