// A copy of the program without its network module (not installed, or
// removed): a download fails as a failed connection, keeps no file and
// reaches no server; a web page in the HTML view shows why it cannot be
// shown. Everything else of the program is unaffected.
#include "learning/htmlview.h"
#include "shell/testdoubles.h"
#include "updates/inet.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

using namespace sky;

class tst_nonetworkmodule : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Where the build tree's tests find the module: nowhere, here.
        qunsetenv("SKYRENDEL_MODULE_PATH");
        QVERIFY(server_.listen(QHostAddress::LocalHost));
        connect(&server_, &QTcpServer::newConnection, this, [this] { ++connections_; });
    }

    void downloadFailsWithoutReachingTheServer() {
        QTemporaryDir dir;
        const QString target = dir.path() + "/catalog.skr";
        int status = -1;
        const QByteArray head = updates::DownloadUrl(
            QStringLiteral("http://127.0.0.1:%1/catalog.skr").arg(server_.serverPort()), status, target, nullptr,
            nullptr, 0);
        QCOMPARE(status, updates::kDownloadNoConnection);
        QVERIFY(head.isEmpty());
        QVERIFY(!QFile::exists(target));
        QVERIFY(!QFile::exists(updates::PartFileName(target)));
        QTest::qWait(50);
        QCOMPARE(connections_, 0);
    }

    void webPageShowsWhy() {
        learning::HtmlView view;
        QSignalSpy finished(&view, &learning::HtmlView::loadFinished);
        view.Navigate(QStringLiteral("http://127.0.0.1:%1/page.html").arg(server_.serverPort()));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toBool(), false);
        QCOMPARE(view.state(), learning::HtmlView::State::Failed);
        QVERIFY2(view.toPlainText().contains("network module is missing"), qPrintable(view.toPlainText()));
        // A local page still shows.
        QTemporaryDir dir;
        QFile page(dir.path() + "/page.html");
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html><body><p>Wings level</p></body></html>");
        page.close();
        view.Navigate(page.fileName());
        QCOMPARE(view.state(), learning::HtmlView::State::Loaded);
        QVERIFY(view.toPlainText().contains("Wings level"));
        QCOMPARE(connections_, 0);
    }

private:
    QTcpServer server_;
    int connections_ = 0;
};

QTEST_MAIN(tst_nonetworkmodule)
#include "tst_nonetworkmodule.moc"
