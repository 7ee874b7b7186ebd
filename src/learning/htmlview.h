// An embedded HTML view for descriptive pages and the FAQ. It shows a local
// file (its images and links resolved against the file's folder), a web
// page fetched over http or https with its images and style sheets, or
// "about:blank". It never opens a dialog: a page that cannot be read or
// fetched shows a short plain message inside the view instead. A link
// clicked inside a page opens in the user's web browser.
//
//   HtmlView view(parent);
//   view.Navigate(QStringLiteral("/path/to/page.html"));
//   view.Navigate(QStringLiteral("https://example.org/page"));
#pragma once

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTextBrowser>
#include <QUrl>

class QTimer;

namespace sky {
class HttpReply;
}

namespace sky::learning {

class HtmlView : public QTextBrowser {
    Q_OBJECT
public:
    enum class State { Blank, Loading, Loaded, Failed };

    explicit HtmlView(QWidget* parent = nullptr, const QString& objectName = QString());
    ~HtmlView() override;

    // Shows target: "about:blank", an http or https address, a file URL or
    // a local path. A web page arrives later (see loadFinished); the other
    // two are shown before this returns.
    void Navigate(const QString& target);

    // How long a web page may take before the view gives up on it.
    void setTimeoutMs(int ms) { timeoutMs_ = ms; }
    int timeoutMs() const { return timeoutMs_; }

    State state() const { return state_; }
    // The address or file shown (or being fetched).
    QString location() const { return location_; }
    // The short message shown when the page could not be shown.
    QString failureMessage() const { return failure_; }

    // Web pages larger than this are refused.
    static constexpr qint64 kMaxPageBytes = 16 * 1024 * 1024;

signals:
    // A navigation ended: true when the page is shown, false when the
    // message is shown instead.
    void loadFinished(bool ok);
    // A resource of a web page (an image, a style sheet) arrived.
    void resourceArrived(const QUrl& url);

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void cancelFetches();
    void showLocalFile(const QString& path);
    void showText(const QString& text, const QUrl& base);
    void showFailure(const QString& where, const QString& reason);
    void pageFinished(HttpReply* reply);
    void resourceFinished(HttpReply* reply, int type, const QUrl& url, quint64 generation);
    void linkClicked(const QUrl& link);
    // Ends a transfer: it calls nothing more, and is deleted once the event
    // loop is back (it may be the one whose callback is running).
    void dropReply(HttpReply* reply);

    HttpReply* page_ = nullptr;
    QTimer* pageTimer_ = nullptr;
    QSet<HttpReply*> resources_;
    QHash<QUrl, QByteArray> fetched_;
    QSet<QUrl> requested_;
    quint64 generation_ = 0;
    int timeoutMs_ = 10000;
    State state_ = State::Blank;
    QString location_;
    QString failure_;
    QString pageText_; // the mark-up shown, read again when a style sheet arrives
};

} // namespace sky::learning
