// The lock that marks the running copy: taken when free, also when a copy
// that was killed left its file behind; while another copy holds it, a
// start waits for that copy and takes over when it ends; the file goes at
// the end of the run.
#include "shell/appstate.h"
#include "shell/singleinstance.h"
#include "shell/testdoubles.h"

#include <QFile>
#include <QSysInfo>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

using namespace sky;

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class tst_instancelock : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { ReleaseInstance(); }

    void takenWhenFreeOrLeftBehind_data() {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("leftBehind");
        QTest::newRow("no file") << false << QByteArray();
        QTest::newRow("file of a killed copy") << true << QByteArray("999999\nskyrendel\n") + QSysInfo::machineHostName().toUtf8() + "\n";
        // A home folder brought from another machine (or a renamed one):
        // nobody holds the file, whatever host it names.
        QTest::newRow("file naming another host") << true << QByteArray("4242\nskyrendel\nanother-host\n");
        QTest::newRow("empty file") << true << QByteArray();
    }
    void takenWhenFreeOrLeftBehind() {
        QFETCH(bool, present);
        QFETCH(QByteArray, leftBehind);
        FakePlatform fake;
        const QString lock = InstanceLockPath(AppTitleLive(), fake.folders.appDataPath);
        if (present) {
            QFile f(lock);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(leftBehind);
        }
        ActivatePreviousInstance();
        QVERIFY(HoldsInstanceLock());
        QVERIFY(fake.process.exitCodes.isEmpty());
        QVERIFY(readAll(lock).startsWith(QByteArray::number(qint64(getpid())) + "\n"));
        ReleaseInstance();
        QVERIFY(!HoldsInstanceLock());
        QVERIFY(!QFile::exists(lock));
    }

    // Another copy holds the lock and ends a moment later without
    // answering: this start takes over and runs.
    void takesOverWhenTheHolderEnds() {
        FakePlatform fake;
        const QString lock = InstanceLockPath(AppTitleLive(), fake.folders.appDataPath);
        const QByteArray name = QFile::encodeName(lock);
        const int other = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        QVERIFY(other >= 0);
        QCOMPARE(::flock(other, LOCK_EX | LOCK_NB), 0);
        std::thread holder([other, name] {
            ::usleep(400 * 1000);
            ::unlink(name.constData());
            ::close(other);
        });
        ActivatePreviousInstance();
        holder.join();
        QVERIFY(HoldsInstanceLock());
        QVERIFY(fake.process.exitCodes.isEmpty());
        // The lock is on the file the name leads to now.
        QVERIFY(QFile::exists(lock));
        const int probe = ::open(name.constData(), O_RDWR | O_CLOEXEC);
        QVERIFY(probe >= 0);
        QCOMPARE(::flock(probe, LOCK_EX | LOCK_NB), -1);
        ::close(probe);
    }

    // While the lock is held here, another open of the file cannot take it.
    void heldAgainstOthers() {
        FakePlatform fake;
        ActivatePreviousInstance();
        QVERIFY(HoldsInstanceLock());
        const QString lock = InstanceLockPath(AppTitleLive(), fake.folders.appDataPath);
        const int probe = ::open(QFile::encodeName(lock).constData(), O_RDWR | O_CLOEXEC);
        QVERIFY(probe >= 0);
        QCOMPARE(::flock(probe, LOCK_EX | LOCK_NB), -1);
        ::close(probe);
    }
};

QTEST_MAIN(tst_instancelock)
#include "tst_instancelock.moc"
