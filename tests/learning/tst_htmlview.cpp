// The HTML view against a small HTTP server on 127.0.0.1 run by the test
// (a page with a relative image, a plain text, a missing page and one that
// never answers), on local files, and with links clicked inside pages.
#include "learning/htmlview.h"
#include "shell/testdoubles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QAbstractTextDocumentLayout>
#include <QtTest>

using namespace sky;
using sky::learning::HtmlView;

namespace {

QByteArray pngBytes(int w, int h, const QColor& colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Answers GET requests by path; "/silent" is accepted and never answered.
class TinyServer : public QObject {
public:
    TinyServer() {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] { serve(s); });
            }
        });
        if (!server_.listen(QHostAddress::LocalHost)) qFatal("no server");
    }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }
    QStringList requested;

private:
    void serve(QTcpSocket* s) {
        QByteArray& buf = pending_[s];
        buf += s->readAll();
        if (!buf.contains("\r\n\r\n")) return;
        const QByteArray path = buf.split(' ').value(1);
        buf.clear();
        requested << QString::fromLatin1(path);
        if (path == "/silent") return;
        QByteArray status = "200 OK", type = "text/html; charset=utf-8", body;
        if (path == "/page.html") {
            body = "<html><body><h1>Spitfire \xc3\x86</h1><p><img src=\"img/plane.png\"></p>"
                   "<p><a href=\"more.html\">More</a></p></body></html>";
        } else if (path == "/img/plane.png") {
            type = "image/png";
            body = pngBytes(120, 80, Qt::red);
        } else if (path == "/notes.txt") {
            type = "text/plain; charset=utf-8";
            body = "<b>not bold</b> just text";
        } else {
            status = "404 Not Found";
            body = "<html><body>Not here</body></html>";
        }
        s->write("HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: " +
                 QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        s->disconnectFromHost();
    }
    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> pending_;
};

// Clicks the link whose text is `text`.
void clickLink(HtmlView& view, const QString& text) {
    QTextCursor c = view.document()->find(text);
    QVERIFY2(!c.isNull(), qPrintable(text));
    c.setPosition(c.selectionStart() + 1);
    const QPoint at = view.cursorRect(c).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestHtmlView : public QObject {
    Q_OBJECT

private slots:
    void webPageWithRelativeImage() {
        FakePlatform fake;
        TinyServer server;
        HtmlView view;
        view.resize(500, 400);
        QSignalSpy finished(&view, &HtmlView::loadFinished);
        view.Navigate(server.url("/page.html"));
        QCOMPARE(view.state(), HtmlView::State::Loading);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toBool(), true);
        QVERIFY(view.toPlainText().contains(QStringLiteral("Spitfire \u00c6")));
        // The image is asked for relative to the page, and laid out once it arrives.
        view.show();
        QTRY_VERIFY(server.requested.contains(QStringLiteral("/img/plane.png")));
        const QUrl image(server.url("/img/plane.png"));
        QTRY_VERIFY(!view.document()->resource(QTextDocument::ImageResource, image).isNull());
        QImage shown;
        shown.loadFromData(view.document()->resource(QTextDocument::ImageResource, image).toByteArray());
        QCOMPARE(shown.size(), QSize(120, 80));
        QTRY_VERIFY(view.document()->documentLayout()->documentSize().height() > 80);
        QVERIFY(fake.messageBox.shown.isEmpty());

        // A link in it opens in the user's browser, resolved against the page.
        clickLink(view, QStringLiteral("More"));
        QCOMPARE(fake.shell.opened, QStringList{server.url("/more.html")});
        QVERIFY(view.toPlainText().contains(QStringLiteral("Spitfire")));
    }

    void plainTextPageIsShownAsText() {
        FakePlatform fake;
        TinyServer server;
        HtmlView view;
        view.Navigate(server.url("/notes.txt"));
        QTRY_COMPARE(view.state(), HtmlView::State::Loaded);
        QCOMPARE(view.toPlainText(), QStringLiteral("<b>not bold</b> just text"));
    }

    void unreachablePagesShowAMessage_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("never answers") << QStringLiteral("/silent") << QStringLiteral("did not answer within 0.3 seconds");
        QTest::newRow("not found") << QStringLiteral("/missing") << QStringLiteral("Not Found");
        QTest::newRow("closed port") << QStringLiteral("closed") << QStringLiteral("refused");
    }
    void unreachablePagesShowAMessage() {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        FakePlatform fake;
        TinyServer server;
        HtmlView view;
        view.setTimeoutMs(300);
        const QString address = path == "closed" ? QStringLiteral("http://127.0.0.1:9/x") : server.url(path);
        QSignalSpy finished(&view, &HtmlView::loadFinished);
        view.Navigate(address);
        // Navigate hands the page to the event loop and returns before it
        // has an answer: the window keeps running meanwhile.
        QCOMPARE(view.state(), HtmlView::State::Loading);
        QCOMPARE(finished.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 3000);
        QCOMPARE(finished.first().first().toBool(), false);
        QCOMPARE(view.state(), HtmlView::State::Failed);
        QVERIFY2(view.toPlainText().contains(reason, Qt::CaseInsensitive), qPrintable(view.toPlainText()));
        QVERIFY(view.toPlainText().contains(address));
        QVERIFY(fake.messageBox.shown.isEmpty());
    }

    void aNewPageReplacesOneStillLoading() {
        FakePlatform fake;
        TinyServer server;
        HtmlView view;
        view.setTimeoutMs(300);
        QSignalSpy finished(&view, &HtmlView::loadFinished);
        view.Navigate(server.url("/silent"));
        view.Navigate(server.url("/page.html"));
        QTRY_COMPARE(view.state(), HtmlView::State::Loaded);
        QTest::qWait(500); // past the first one's time limit
        QCOMPARE(view.state(), HtmlView::State::Loaded);
        QCOMPARE(finished.size(), 1);
        QVERIFY(view.toPlainText().contains(QStringLiteral("Spitfire")));
    }

    void localFileWithRelativeImageAndLinks_data() {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("opened"); // "" for nothing; <dir> = the folder
        QTest::newRow("relative file") << QStringLiteral("other page.html") << QStringLiteral("<dir>/other page.html");
        QTest::newRow("web address") << QStringLiteral("https://example.org/a?b=c")
                                     << QStringLiteral("https://example.org/a?b=c");
        QTest::newRow("mail") << QStringLiteral("mailto:help@example.org") << QStringLiteral("mailto:help@example.org");
        QTest::newRow("anchor in the page") << QStringLiteral("#end") << QString();
        QTest::newRow("script") << QStringLiteral("javascript:alert(1)") << QString();
    }
    void localFileWithRelativeImageAndLinks() {
        QFETCH(QString, href);
        QFETCH(QString, opened);
        FakePlatform fake;
        QTemporaryDir dir;
        QDir().mkpath(dir.path() + "/pics");
        writeFile(dir.path() + "/pics/p.png", pngBytes(64, 48, Qt::blue));
        writeFile(dir.path() + "/page.html",
                  "<html><body><p><img src=\"pics/p.png\"></p><p><a href=\"" + href.toUtf8() +
                      "\">THELINK</a></p><p><a name=\"end\">End</a></p></body></html>");
        HtmlView view;
        view.resize(400, 300);
        view.Navigate(dir.path() + "/page.html");
        QCOMPARE(view.state(), HtmlView::State::Loaded);
        const QVariant image =
            view.document()->resource(QTextDocument::ImageResource, QUrl::fromLocalFile(dir.path() + "/pics/p.png"));
        QVERIFY(image.isValid());
        view.show();
        clickLink(view, QStringLiteral("THELINK"));
        if (opened.isEmpty()) QVERIFY(fake.shell.opened.isEmpty());
        else QCOMPARE(fake.shell.opened, QStringList{QString(opened).replace(QStringLiteral("<dir>"), dir.path())});
        QCOMPARE(view.state(), HtmlView::State::Loaded);
        QVERIFY(fake.messageBox.shown.isEmpty());
    }

    void blankMissingAndStrangeTargets_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("state");
        QTest::newRow("about:blank") << QStringLiteral("about:blank") << int(HtmlView::State::Blank);
        QTest::newRow("ABOUT:BLANK") << QStringLiteral("ABOUT:BLANK") << int(HtmlView::State::Blank);
        QTest::newRow("missing file") << QStringLiteral("/no/such/folder/page.html") << int(HtmlView::State::Failed);
        QTest::newRow("other scheme") << QStringLiteral("ftp://example.org/x") << int(HtmlView::State::Failed);
        QTest::newRow("address without host") << QStringLiteral("http:///x") << int(HtmlView::State::Failed);
    }
    void blankMissingAndStrangeTargets() {
        QFETCH(QString, target);
        QFETCH(int, state);
        FakePlatform fake;
        HtmlView view;
        view.setHtml(QStringLiteral("<p>old page</p>"));
        view.Navigate(target);
        QCOMPARE(int(view.state()), state);
        QVERIFY(!view.toPlainText().contains(QStringLiteral("old page")));
        if (state == int(HtmlView::State::Blank)) QCOMPARE(view.toPlainText(), QString());
        else QVERIFY(view.toPlainText().startsWith(QStringLiteral("This page could not be shown.")));
        QVERIFY(fake.messageBox.shown.isEmpty());
    }
};

QTEST_MAIN(TestHtmlView)
#include "tst_htmlview.moc"
