#include "learning/htmlview.h"

#include "shell/helpers.h"
#include "shell/http.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTextDocument>
#include <QScrollBar>
#include <QTimer>

namespace sky::learning {

namespace {

bool isWebScheme(const QString& scheme) {
    return scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 ||
           scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

// Bytes of a page as text: UTF-8 when they are valid UTF-8 (our own files
// are written that way), otherwise the encoding the page declares.
QString decodePage(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder declared = QStringDecoder::decoderForHtml(bytes);
    if (declared.isValid()) return declared(bytes);
    return QString::fromLatin1(bytes);
}

HttpRequest requestFor(const QUrl& url) {
    HttpRequest request;
    request.url = url;
    request.followSafeRedirects = true;
    request.userAgent = QStringLiteral("Skyrendel");
    return request;
}

// Resources of one page fetched at most; a page asking for more shows the
// rest as missing images.
constexpr int kMaxResources = 200;

} // namespace

HtmlView::HtmlView(QWidget* parent, const QString& objectName) : QTextBrowser(parent) {
    if (!objectName.isEmpty()) setObjectName(objectName);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    pageTimer_ = new QTimer(this);
    pageTimer_->setSingleShot(true);
    connect(pageTimer_, &QTimer::timeout, this, [this] {
        if (!page_) return;
        HttpReply* reply = page_;
        page_ = nullptr;
        dropReply(reply);
        showFailure(location_, QStringLiteral("The server did not answer within %1 seconds.")
                                   .arg(QString::number(timeoutMs_ / 1000.0, 'g', 3)));
    });
    connect(this, &QTextBrowser::anchorClicked, this, &HtmlView::linkClicked);
}

HtmlView::~HtmlView() { cancelFetches(); }

void HtmlView::dropReply(HttpReply* reply) {
    reply->onFinished = nullptr;
    reply->onReadyRead = nullptr;
    reply->onProgress = nullptr;
    if (!reply->isFinished()) reply->abort();
    QTimer::singleShot(0, [reply] { delete reply; });
}

void HtmlView::cancelFetches() {
    pageTimer_->stop();
    QSet<HttpReply*> replies = resources_;
    if (page_) replies.insert(page_);
    page_ = nullptr;
    resources_.clear();
    for (HttpReply* reply : replies) dropReply(reply);
}

void HtmlView::Navigate(const QString& target) {
    cancelFetches();
    ++generation_;
    fetched_.clear();
    requested_.clear();
    pageText_.clear();
    failure_.clear();
    location_ = target.trimmed();

    if (location_.isEmpty() || location_.compare(QLatin1String("about:blank"), Qt::CaseInsensitive) == 0) {
        clear();
        document()->setBaseUrl(QUrl());
        state_ = State::Blank;
        emit loadFinished(true);
        return;
    }

    const QUrl url(location_);
    if (isWebScheme(url.scheme())) {
        if (!url.isValid() || url.host().isEmpty()) {
            showFailure(location_, QStringLiteral("This is not a valid web address."));
            return;
        }
        state_ = State::Loading;
        document()->setBaseUrl(url);
        setPlainText(QStringLiteral("Loading ") + location_ + QStringLiteral(" ..."));
        HttpClient* const client = Http();
        if (!client) {
            showFailure(location_, QStringLiteral("This copy of the program cannot reach the web: its network "
                                                  "module is missing. Installing the program again adds it."));
            return;
        }
        HttpReply* reply = client->get(requestFor(url));
        page_ = reply;
        reply->onProgress = [this, reply](qint64 received, qint64) {
            if (received <= kMaxPageBytes || reply != page_) return;
            page_ = nullptr;
            pageTimer_->stop();
            dropReply(reply);
            showFailure(location_, QStringLiteral("The page is too large to show."));
        };
        reply->onFinished = [this, reply] { pageFinished(reply); };
        pageTimer_->start(qMax(1, timeoutMs_));
        return;
    }
    if (url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0) {
        showLocalFile(url.toLocalFile());
        return;
    }
    // A drive letter or no scheme at all: a path on this machine.
    if (url.scheme().isEmpty() || url.scheme().size() == 1) {
        showLocalFile(location_);
        return;
    }
    showFailure(location_, QStringLiteral("This kind of address cannot be shown here."));
}

void HtmlView::showLocalFile(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        showFailure(path, QStringLiteral("The file could not be read."));
        return;
    }
    const QByteArray bytes = file.readAll();
    showText(decodePage(bytes), QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

void HtmlView::showText(const QString& text, const QUrl& base) {
    document()->setBaseUrl(base);
    // Text with no mark-up at all is shown as it is, lines and all.
    pageText_.clear();
    if (Qt::mightBeRichText(text)) {
        pageText_ = text;
        setHtml(text);
    } else {
        setPlainText(text);
    }
    document()->setBaseUrl(base);
    state_ = State::Loaded;
    emit loadFinished(true);
}

void HtmlView::showFailure(const QString& where, const QString& reason) {
    failure_ = QStringLiteral("This page could not be shown.\n\n") + where + QStringLiteral("\n\n") + reason;
    document()->setBaseUrl(QUrl());
    setPlainText(failure_);
    state_ = State::Failed;
    emit loadFinished(false);
}

void HtmlView::pageFinished(HttpReply* reply) {
    dropReply(reply);
    if (reply != page_) return;
    page_ = nullptr;
    pageTimer_->stop();
    if (reply->failed()) {
        showFailure(location_, reply->errorString());
        return;
    }
    const QByteArray bytes = reply->readAll();
    const QUrl url = reply->url();
    const QString type = reply->contentType().toLower();
    if (type.startsWith(QLatin1String("image/"))) {
        fetched_.insert(url, bytes);
        showText(QStringLiteral("<img src=\"") + url.toString().toHtmlEscaped() + QStringLiteral("\">"), url);
    } else if (type.startsWith(QLatin1String("text/plain"))) {
        document()->setBaseUrl(url);
        setPlainText(decodePage(bytes));
        state_ = State::Loaded;
        emit loadFinished(true);
    } else {
        showText(decodePage(bytes), url);
    }
}

QVariant HtmlView::loadResource(int type, const QUrl& name) {
    const QUrl url = name.isRelative() ? document()->baseUrl().resolved(name) : name;
    if (!isWebScheme(url.scheme())) return QTextBrowser::loadResource(type, url);
    const auto found = fetched_.constFind(url);
    if (found != fetched_.constEnd()) return *found;
    if (requested_.contains(url) || requested_.size() >= kMaxResources) return QVariant();
    requested_.insert(url);
    HttpClient* const client = Http();
    if (!client) return QVariant();
    HttpRequest request = requestFor(url);
    request.transferTimeoutMs = qMax(1, timeoutMs_);
    HttpReply* reply = client->get(request);
    resources_.insert(reply);
    const quint64 generation = generation_;
    reply->onFinished = [this, reply, type, url, generation] { resourceFinished(reply, type, url, generation); };
    return QVariant();
}

void HtmlView::resourceFinished(HttpReply* reply, int type, const QUrl& url, quint64 generation) {
    dropReply(reply);
    resources_.remove(reply);
    if (generation != generation_) return;
    const QByteArray bytes = reply->failed() ? QByteArray() : reply->readAll();
    fetched_.insert(url, bytes);
    if (bytes.isEmpty()) return;
    document()->addResource(type, url, bytes);
    if (type == QTextDocument::StyleSheetResource && !pageText_.isEmpty()) {
        // Style sheets apply when the page is read: read it again, keeping
        // the place the user scrolled to.
        const int scrolled = verticalScrollBar()->value();
        const QUrl base = document()->baseUrl();
        setHtml(pageText_);
        document()->setBaseUrl(base);
        verticalScrollBar()->setValue(scrolled);
    }
    document()->markContentsDirty(0, document()->characterCount());
    viewport()->update();
    emit resourceArrived(url);
}

void HtmlView::linkClicked(const QUrl& link) {
    if (link.isRelative() && link.path().isEmpty() && link.hasFragment()) {
        scrollToAnchor(link.fragment());
        return;
    }
    const QUrl target = document()->baseUrl().resolved(link);
    const QString scheme = target.scheme().toLower();
    if (isWebScheme(scheme) || scheme == QLatin1String("mailto") || scheme == QLatin1String("ftp")) {
        OpenWithShell(target.toString());
    } else if (scheme == QLatin1String("file")) {
        OpenWithShell(target.toLocalFile());
    }
    // Anything else (script addresses and the like) is not followed.
}

} // namespace sky::learning
