// The Captain's Challenge certificate: the bytes written into the template,
// safe texts for the PDF string and the file name, the viewer started, the
// user-details dialog, and the success panel of the results screen.
#include "game/certificate.h"
#include "game/frmSkyrendelResults.h"
#include "game/frmUserDetails.h"
#include "game/gamesettings.h"
#include "quiz/records.h"
#include "settingsdir.h"
#include "shell/appstate.h"
#include "shell/errors.h"
#include "shell/settings.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace sky;
using namespace sky::game;

static gametest::SettingsDir g_settings;

namespace {

// A small valid PDF whose two fields (spaces, inside literal strings of an
// uncompressed content stream) sit at the certificate's byte positions.
QByteArray FixtureTemplate() {
    QByteArray pdf = "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n";
    QVector<int> offsets(6, 0);
    const auto object = [&](int n, const QByteArray& body) {
        offsets[n] = static_cast<int>(pdf.size());
        pdf += QByteArray::number(n) + " 0 obj\n" + body + "\nendobj\n";
    };
    object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    object(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 792 612] /Resources << /Font << /F1 5 0 R >> >> "
              "/Contents 4 0 R >>");
    object(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding /WinAnsiEncoding >>");

    const QByteArray dateLead = "BT /F1 14 Tf 250 200 Td (";
    QByteArray between = ") Tj ET\nBT /F1 24 Tf 180 300 Td (";
    const int gap = kCertificateNameAt - (kCertificateDateAt + kCertificateDateWidth);
    between.insert(8, QByteArray(gap - between.size(), ' '));
    const QByteArray tail = ") Tj ET\n";

    offsets[4] = static_cast<int>(pdf.size());
    QByteArray head = "4 0 obj\n<< /Length ";
    // The stream's length has a fixed width of 10 digits so the positions
    // can be worked out before it is known.
    const int streamStart = static_cast<int>(pdf.size() + head.size() + 10 + QByteArray(" >>\nstream\n").size());
    const int padding = kCertificateDateAt - streamStart - static_cast<int>(dateLead.size());
    QByteArray filler;
    while (filler.size() < padding) {
        const int room = padding - static_cast<int>(filler.size());
        const int line = qMin(100, room);
        filler += line >= 2 ? "%" + QByteArray(line - 2, 'x') + "\n" : QByteArray(line, '\n');
    }
    const QByteArray content = filler + dateLead + QByteArray(kCertificateDateWidth, ' ') + between +
                               QByteArray(kCertificateNameWidth, ' ') + tail;
    pdf += head + QByteArray::number(content.size()).rightJustified(10, '0') + " >>\nstream\n" + content +
           "endstream\nendobj\n";
    const int xref = static_cast<int>(pdf.size());
    pdf += "xref\n0 6\n0000000000 65535 f \n";
    for (int n = 1; n <= 5; ++n) pdf += QByteArray::number(offsets[n]).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size 6 /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

QString BuiltTemplatePath() { return qEnvironmentVariable("SKY_BINARY_DIR") + "/app/skrcert.fdp"; }

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString Centred(const QString& text, int width) {
    const int before = (width - static_cast<int>(text.size()) + 1) / 2;
    return (QString(before, ' ') + text).leftJustified(width, ' ');
}

// Runs `fill` on the dialog called `name` as soon as it is open.
QTimer* WhenDialogOpens(const QString& name, std::function<void(QDialog*)> fill) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, fill, name] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == name && w->isVisible()) {
                timer->stop();
                timer->deleteLater();
                fill(qobject_cast<QDialog*>(w));
                return;
            }
    });
    timer->start();
    return timer;
}

void WhenDetailsDialogOpens(std::function<void(QDialog*)> fill) { WhenDialogOpens("frmUserDetails", fill); }

void FillDetails(QDialog* d, const QString& first, const QString& last, const QString& email) {
    d->findChild<QLineEdit*>("txtFirstName")->setText(first);
    d->findChild<QLineEdit*>("txtLastName")->setText(last);
    d->findChild<QLineEdit*>("txtEmail")->setText(email);
}

quiz::QuestionRecords PassedChallenge() {
    quiz::QuestionRecords r;
    for (int k = 0; k < 50; ++k) {
        r.lstAnswerA << "NONE!0";
        r.lstAnswerB << "NONE!0";
        r.lstAnswerC << "NONE!0";
        r.lstCorrectAnswer << "A!0";
        r.lstUsersInput << (k < 46 ? "A" : "B");
    }
    r.CorrectCount = 46;
    r.AnsweredCount = 50;
    return r;
}

} // namespace

class TestGameCertificate : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void writesFieldsIntoTemplate_data();
    void writesFieldsIntoTemplate();
    void safeTexts_data();
    void safeTexts();
    void overlongFileNameIsShortened();
    void missingOrShortTemplateIsAnError_data();
    void missingOrShortTemplateIsAnError();
    void detailsDialogStoresAndChecks();
    void detailsDialogCancelKeepsStored();
    void ensureAsksOnlyWithoutAName();
    void successPanelAsksThenWritesAndOpens();
    void successPanelReportsAFailure();
    void monthIsTheStandaloneName_data();
    void monthIsTheStandaloneName();
    void missingDocumentsFolderIsMade();
    void refusedFolderOffersAnotherPlace_data();
    void refusedFolderOffersAnotherPlace();

private:
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<fixtures::DataFolder> data_;
    QString templatePath_;
};

void TestGameCertificate::initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

void TestGameCertificate::init() {
    gametest::SettingsDir::clear();
    fake_ = std::make_unique<FakePlatform>();
    data_ = std::make_unique<fixtures::DataFolder>();
    data_->createStaticAndUser();
    templatePath_ = data_->path() + "/skrcert.fdp";
    QVERIFY(WriteAll(templatePath_, FixtureTemplate()));
    UserFirstName.clear();
    UserLastName.clear();
    UserEmail.clear();
    game::IsCaptainsChallenge = true;
}

void TestGameCertificate::cleanup() {
    data_.reset();
    fake_.reset();
}

void TestGameCertificate::writesFieldsIntoTemplate_data() {
    QTest::addColumn<QString>("templateFile"); // empty: the fixture
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("nameField");
    QTest::addColumn<QString>("dateField");
    QTest::addColumn<QString>("fileName");

    QStringList templates{QString()};
    if (QFile::exists(BuiltTemplatePath())) templates << BuiltTemplatePath();
    for (const QString& t : templates) {
        const QString tag = t.isEmpty() ? "fixture: " : "built template: ";
        QTest::newRow(qPrintable(tag + "four and three letters"))
            << t << "Anna" << "Lee" << QDate(2024, 3, 7) << QString(11, ' ') + "Anna Lee" + QString(11, ' ')
            << "    March 7, 2024   " << "Certificate_Anna_Lee.pdf";
        QTest::newRow(qPrintable(tag + "21 characters: 5 before, 4 after"))
            << t << "Bartholomew" << "Fairweath" << QDate(2025, 12, 25)
            << "     Bartholomew Fairweath    " << "  December 25, 2025 " << "Certificate_Bartholomew_Fairweath.pdf";
        QTest::newRow(qPrintable(tag + "longer than the field is cut"))
            << t << "Maximiliana-Theodora" << "Montgomery-Smythe" << QDate(2024, 1, 31)
            << "Maximiliana-Theodora Montgomer" << "  January 31, 2024  "
            << "Certificate_Maximiliana-Theodora_Montgomery-Smythe.pdf";
        QTest::newRow(qPrintable(tag + "empty names"))
            << t << "" << "" << QDate(2024, 5, 1) << QString(30, ' ') << "     May 1, 2024    " << "Certificate__.pdf";
        QTest::newRow(qPrintable(tag + "brackets and backslashes"))
            << t << "(Bob)" << "O'Neil\\Jr)" << QDate(2024, 3, 7) << Centred("[Bob] O'Neil/Jr]", 30)
            << "    March 7, 2024   " << "Certificate_(Bob)_O'Neil_Jr).pdf";
        QTest::newRow(qPrintable(tag + "a name of nothing but brackets"))
            << t << QString(14, '(') << QString(15, ')') << QDate(2024, 3, 7)
            << QString(14, '[') + " " + QString(15, ']') << "    March 7, 2024   "
            << "Certificate_" + QString(14, '(') + "_" + QString(15, ')') + ".pdf";
        QTest::newRow(qPrintable(tag + "outside Latin-1"))
            << t << QString::fromUtf8("Łukasz") << QString::fromUtf8("Żółć") << QDate(2024, 3, 7)
            << Centred(QString::fromUtf8("?ukasz ?ó??"), 30) << "    March 7, 2024   "
            << QString::fromUtf8("Certificate_Łukasz_Żółć.pdf");
        QTest::newRow(qPrintable(tag + "a character beyond the basic plane is one ?"))
            << t << QString::fromUtf8("Ann\U0001F600") << "Lee" << QDate(2024, 3, 7) << Centred("Ann? Lee", 30)
            << "    March 7, 2024   " << QString::fromUtf8("Certificate_Ann\U0001F600_Lee.pdf");
        QTest::newRow(qPrintable(tag + "slash, tab and the field separator"))
            << t << "A/B" << "C\tD@#$%E" << QDate(2024, 3, 7) << Centred("A/B C?D@#$?E", 30)
            << "    March 7, 2024   " << "Certificate_A_B_C_D@#$%E.pdf";
    }
}

void TestGameCertificate::writesFieldsIntoTemplate() {
    QFETCH(QString, templateFile);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QDate, date);
    QFETCH(QString, nameField);
    QFETCH(QString, dateField);
    QFETCH(QString, fileName);
    if (!templateFile.isEmpty()) {
        QFile::remove(templatePath_);
        QVERIFY(QFile::copy(templateFile, templatePath_));
    }
    const QByteArray original = ReadAll(templatePath_);
    QVERIFY(original.size() >= kCertificateNameAt + kCertificateNameWidth);

    UserFirstName = first;
    UserLastName = last;
    const QString written = WriteCertificate(date);
    const QString expectedPath = fake_->folders.documentsPath + "/" + fileName;
    QCOMPARE(written, expectedPath);
    QCOMPARE(fake_->shell.opened, QStringList{expectedPath});

    const QByteArray out = ReadAll(expectedPath);
    QCOMPARE(out.size(), original.size());
    QCOMPARE(out.mid(kCertificateNameAt, kCertificateNameWidth), nameField.toLatin1());
    QCOMPARE(out.mid(kCertificateDateAt, kCertificateDateWidth), dateField.toLatin1());
    QByteArray rest = out;
    rest.replace(kCertificateNameAt, kCertificateNameWidth, original.mid(kCertificateNameAt, kCertificateNameWidth));
    rest.replace(kCertificateDateAt, kCertificateDateWidth, original.mid(kCertificateDateAt, kCertificateDateWidth));
    QVERIFY2(rest == original, "a byte outside the two fields changed");

    // The file stays a valid PDF that shows the name.
    QProcess check;
    check.start("qpdf", {"--check", expectedPath});
    QVERIFY(check.waitForFinished(60000));
    QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput() + check.readAllStandardError());
    QProcess text;
    text.start("pdftotext", {expectedPath, "-"});
    QVERIFY(text.waitForFinished(60000));
    QCOMPARE(text.exitCode(), 0);
    const QString shown = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    QVERIFY2(shown.contains(nameField.simplified()), qPrintable(shown));
    QVERIFY2(shown.contains(dateField.simplified()), qPrintable(shown));

    // A second writing replaces the file and opens it again.
    WriteCertificate(date);
    QCOMPARE(fake_->shell.opened.size(), 2);
    QCOMPARE(ReadAll(expectedPath), out);
}

void TestGameCertificate::safeTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pdf");
    QTest::addColumn<QString>("file");
    QTest::newRow("plain") << "Anne-Marie O'Hara" << "Anne-Marie O'Hara" << "Anne-Marie O'Hara";
    QTest::newRow("brackets") << "(a)\\b" << "[a]/b" << "(a)_b";
    QTest::newRow("Latin-1 kept") << QString::fromUtf8("Zoë Müller") << QString::fromUtf8("Zoë Müller")
                                  << QString::fromUtf8("Zoë Müller");
    QTest::newRow("controls") << QString("a") + QChar(0) + "b\nc" + QChar(0x7f) + QChar(0x85)
                              << "a?b?c??" << "a_b_c__";
    QTest::newRow("CJK") << QString::fromUtf8("山田") << "??" << QString::fromUtf8("山田");
}

void TestGameCertificate::safeTexts() {
    QFETCH(QString, text);
    QFETCH(QString, pdf);
    QFETCH(QString, file);
    QCOMPARE(CertificateSafeText(text), pdf);
    QCOMPARE(FileNameSafe(text), file);
}

void TestGameCertificate::overlongFileNameIsShortened() {
    const QString longName = QString::fromUtf8("山").repeated(200);
    const QString name = CertificateFileName(longName, "Lee");
    QVERIFY(name.toUtf8().size() <= 255);
    QVERIFY(name.startsWith("Certificate_" + QString::fromUtf8("山")));
    QVERIFY(name.endsWith("_Lee.pdf"));
    // And it can be written.
    UserFirstName = longName;
    UserLastName = "Lee";
    QVERIFY(QFile::exists(WriteCertificate(QDate(2024, 3, 7))));
}

void TestGameCertificate::missingOrShortTemplateIsAnError_data() {
    QTest::addColumn<int>("templateSize"); // -1: no template
    QTest::newRow("missing") << -1;
    QTest::newRow("shorter than the name field's end") << kCertificateNameAt + kCertificateNameWidth - 1;
}

void TestGameCertificate::missingOrShortTemplateIsAnError() {
    QFETCH(int, templateSize);
    QFile::remove(templatePath_);
    if (templateSize >= 0) QVERIFY(WriteAll(templatePath_, QByteArray(templateSize, ' ')));
    UserFirstName = "Anna";
    QVERIFY_THROWS_EXCEPTION(SkyError, WriteCertificate(QDate(2024, 3, 7)));
    QVERIFY(fake_->shell.opened.isEmpty());
}

void TestGameCertificate::detailsDialogStoresAndChecks() {
    frmUserDetails d;
    d.show();
    FillDetails(&d, "  Anna ", "Lee", "not an address");
    QTest::mouseClick(d.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    // A bad address: a clear message, the dialog stays, nothing is lost.
    QCOMPARE(fake_->messageBox.shown.size(), 1);
    QVERIFY(fake_->messageBox.shown[0].text.contains("not an address"));
    QVERIFY(d.isVisible());
    QCOMPARE(d.findChild<QLineEdit*>("txtFirstName")->text(), QString("  Anna "));
    QVERIFY(gametest::SettingsDir::stored("UserFirstName").isNull());

    d.findChild<QLineEdit*>("txtEmail")->setText("anna@example.com");
    QTest::mouseClick(d.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(gametest::SettingsDir::stored("UserFirstName"), QString("Anna"));
    QCOMPARE(gametest::SettingsDir::stored("UserLastName"), QString("Lee"));
    QCOMPARE(gametest::SettingsDir::stored("UserEmail"), QString("anna@example.com"));
    QCOMPARE(UserFirstName, QString("Anna"));
    QCOMPARE(UserEmail, QString("anna@example.com"));
}

void TestGameCertificate::detailsDialogCancelKeepsStored() {
    SaveAppSetting("UserFirstName", "Anna");
    SaveAppSetting("UserLastName", "Lee");
    WhenDetailsDialogOpens([](QDialog* d) {
        // The dialog shows what is stored, so it can be changed.
        QCOMPARE(d->findChild<QLineEdit*>("txtFirstName")->text(), QString("Anna"));
        FillDetails(d, "Other", "Name", "");
        QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
    });
    QVERIFY(!EditUserDetails(nullptr));
    QCOMPARE(gametest::SettingsDir::stored("UserFirstName"), QString("Anna"));
    QCOMPARE(UserFirstName, QString("Anna"));
}

void TestGameCertificate::ensureAsksOnlyWithoutAName() {
    int opened = 0;
    WhenDetailsDialogOpens([&opened](QDialog* d) {
        ++opened;
        FillDetails(d, "", "Lee", "");
        QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    });
    QVERIFY(EnsureUserDetails(nullptr));
    QCOMPARE(opened, 1);
    QCOMPARE(UserLastName, QString("Lee"));
    // A stored name: no dialog; the stored values are read.
    UserLastName.clear();
    QVERIFY(EnsureUserDetails(nullptr));
    QCOMPARE(UserLastName, QString("Lee"));
    QTest::qWait(50);
    QCOMPARE(opened, 1);
}

void TestGameCertificate::successPanelAsksThenWritesAndOpens() {
    const quiz::QuestionRecords records = PassedChallenge();
    frmSkyrendelResults w(records);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget* panel = w.findChild<QWidget*>("picCaptainsChallnege_1");
    QVERIFY(panel && panel->isVisible());

    // The first click asks for the name; cancelling writes nothing.
    WhenDetailsDialogOpens([](QDialog* d) { QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton); });
    QTest::mouseClick(panel, Qt::LeftButton);
    QVERIFY(fake_->shell.opened.isEmpty());

    WhenDetailsDialogOpens([](QDialog* d) {
        FillDetails(d, "Anna", "Lee", "");
        QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    });
    QTest::mouseClick(panel, Qt::LeftButton);
    const QString path = fake_->folders.documentsPath + "/Certificate_Anna_Lee.pdf";
    QCOMPARE(fake_->shell.opened, QStringList{path});
    QCOMPARE(ReadAll(path).mid(kCertificateNameAt, kCertificateNameWidth),
             (QString(11, ' ') + "Anna Lee" + QString(11, ' ')).toLatin1());

    // The name is kept: the next click writes again without asking.
    QTest::mouseClick(panel, Qt::LeftButton);
    QCOMPARE(fake_->shell.opened.size(), 2);
    QVERIFY(fake_->messageBox.shown.isEmpty());

    // The name can be changed from the results screen.
    WhenDetailsDialogOpens([](QDialog* d) {
        FillDetails(d, "Anna", "Smith", "");
        QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    });
    QTest::mouseClick(w.findChild<QPushButton*>("cmdChangeName"), Qt::LeftButton);
    QTest::mouseClick(panel, Qt::LeftButton);
    QCOMPARE(fake_->shell.opened.last(), fake_->folders.documentsPath + "/Certificate_Anna_Smith.pdf");
}

void TestGameCertificate::successPanelReportsAFailure() {
    SaveAppSetting("UserFirstName", "Anna");
    QFile::remove(templatePath_);
    const quiz::QuestionRecords records = PassedChallenge();
    frmSkyrendelResults w(records);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.findChild<QWidget*>("picCaptainsChallnege_1"), Qt::LeftButton);
    QCOMPARE(fake_->messageBox.shown.size(), 1);
    QVERIFY(fake_->messageBox.shown[0].text.startsWith("Your certificate could not be written."));
    QVERIFY(fake_->shell.opened.isEmpty());
    QVERIFY(w.isVisible());
}

// The month as a calendar names it, not the form used inside a date
// ("maaliskuuta", "marca"), so the certificate reads "maaliskuu 7, 2024".
void TestGameCertificate::monthIsTheStandaloneName_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << QDate(2024, 3, 7)
                             << "March 7, 2024";
    QTest::newRow("Finnish") << QLocale(QLocale::Finnish, QLocale::Finland) << QDate(2024, 3, 7)
                             << "maaliskuu 7, 2024";
    QTest::newRow("Polish") << QLocale(QLocale::Polish, QLocale::Poland) << QDate(2024, 3, 7) << "marzec 7, 2024";
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << QDate(2025, 12, 25)
                            << "Dezember 25, 2025";
}

void TestGameCertificate::monthIsTheStandaloneName() {
    QFETCH(QLocale, locale);
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QLocale::setDefault(locale);
    const QString got = CertificateDateText(date);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(got, text);

    // And so it is written into the file.
    QLocale::setDefault(locale);
    UserFirstName = "Anna";
    const QString path = WriteCertificate(date);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(QString::fromLatin1(ReadAll(path).mid(kCertificateDateAt, kCertificateDateWidth)).trimmed(), text);
}

// A user who has never had a documents folder still gets the certificate.
void TestGameCertificate::missingDocumentsFolderIsMade() {
    fake_->folders.documentsPath = fake_->root.path() + "/home/Documents";
    SaveAppSetting("UserFirstName", "Anna");
    SaveAppSetting("UserLastName", "Lee");
    // Had it failed, the user would be offered another place: say no.
    fake_->messageBox.setNextAnswer(MsgResult::Cancel);
    bool askedElsewhere = false;
    QPointer<QTimer> watch =
        WhenDialogOpens("dlgSaveCertificate", [&](QDialog* d) { askedElsewhere = true; d->reject(); });
    const quiz::QuestionRecords records = PassedChallenge();
    frmSkyrendelResults w(records);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.findChild<QWidget*>("picCaptainsChallnege_1"), Qt::LeftButton);
    delete watch.data();
    QVERIFY(!askedElsewhere);
    const QString path = fake_->folders.documentsPath + "/Certificate_Anna_Lee.pdf";
    QVERIFY(fake_->messageBox.shown.isEmpty());
    QCOMPARE(fake_->shell.opened, QStringList{path});
    QCOMPARE(ReadAll(path).size(), ReadAll(templatePath_).size());
}

// When the documents folder cannot take the file, the user is offered a
// save dialog; what the user chooses there decides where it goes.
void TestGameCertificate::refusedFolderOffersAnotherPlace_data() {
    QTest::addColumn<QString>("boxAnswer");  // "ok" or "cancel" for the warning
    QTest::addColumn<QString>("dialog");     // "save", "cancel", "bad then save", or "" when none opens
    QTest::addColumn<int>("warnings");
    QTest::addColumn<bool>("written");
    QTest::newRow("saved elsewhere") << "ok" << "save" << 1 << true;
    QTest::newRow("warning cancelled: no dialog") << "cancel" << "" << 1 << false;
    QTest::newRow("dialog cancelled") << "ok" << "cancel" << 1 << false;
    QTest::newRow("second place also refused, third taken") << "ok" << "bad then save" << 2 << true;
}

void TestGameCertificate::refusedFolderOffersAnotherPlace() {
    QFETCH(QString, boxAnswer);
    QFETCH(QString, dialog);
    QFETCH(int, warnings);
    QFETCH(bool, written);
    // The documents "folder" lies under a plain file: it cannot be made.
    const QString blocker = fake_->root.path() + "/blocker";
    QVERIFY(WriteAll(blocker, "not a folder"));
    fake_->folders.documentsPath = blocker + "/Documents";
    const QString chosenFolder = fake_->root.path() + "/elsewhere";
    QVERIFY(QDir().mkpath(chosenFolder));
    const QString chosen = chosenFolder + "/My certificate.pdf";
    // A place the dialog accepts but that cannot be written: a folder sits
    // where the file is first written.
    const QString refusedFolder = fake_->root.path() + "/refused";
    const QString refused = refusedFolder + "/Refused.pdf";
    QVERIFY(QDir().mkpath(refusedFolder + "/.certificate-being-written.partial"));
    SaveAppSetting("UserFirstName", "Anna");
    SaveAppSetting("UserLastName", "Lee");
    for (int k = 0; k < warnings; ++k) fake_->messageBox.setNextAnswer(boxAnswer == "ok" ? MsgResult::Ok : MsgResult::Cancel);

    int dialogs = 0;
    // Puts a file name into the open save dialog, as a user pasting it, and
    // clicks Save; or presses Escape.
    std::function<void(QDialog*)> answer = [&](QDialog* d) {
        ++dialogs;
        auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
        QVERIFY(edit);
        const bool bad = dialog == "bad then save" && dialogs == 1;
        if (dialog == "cancel") {
            QTest::keyClick(edit, Qt::Key_Escape);
            return;
        }
        edit->setText(bad ? refused : chosen);
        QPushButton* save = nullptr;
        for (QPushButton* b : d->findChildren<QPushButton*>())
            if (b->isVisible() && b->isEnabled() && (b->text().contains("Save") || b->text().contains("save"))) save = b;
        QVERIFY(save);
        QTest::mouseClick(save, Qt::LeftButton);
        if (bad) WhenDialogOpens("dlgSaveCertificate", answer);
    };
    if (!dialog.isEmpty()) WhenDialogOpens("dlgSaveCertificate", answer);

    const quiz::QuestionRecords records = PassedChallenge();
    frmSkyrendelResults w(records);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.findChild<QWidget*>("picCaptainsChallnege_1"), Qt::LeftButton);

    QCOMPARE(fake_->messageBox.shown.size(), warnings);
    for (const ShownMessage& m : fake_->messageBox.shown) {
        QVERIFY2(m.text.startsWith("Your certificate could not be written to "), qPrintable(m.text));
        QCOMPARE(m.icon, MsgIcon::Exclamation);
        QCOMPARE(m.buttons, MsgButtons::OkCancel);
    }
    QVERIFY(fake_->messageBox.shown[0].text.contains(QDir::toNativeSeparators(fake_->folders.documentsPath)));
    QCOMPARE(dialogs, dialog.isEmpty() ? 0 : dialog == "bad then save" ? 2 : 1);
    QCOMPARE(QFile::exists(chosen), written);
    QCOMPARE(fake_->shell.opened, written ? QStringList{chosen} : QStringList{});
    if (written) {
        QCOMPARE(ReadAll(chosen).mid(kCertificateNameAt, kCertificateNameWidth),
                 (QString(11, ' ') + "Anna Lee" + QString(11, ' ')).toLatin1());
        // Nothing half-written is left beside it.
        QCOMPARE(QDir(chosenFolder).entryList(QDir::Files | QDir::Hidden), QStringList{"My certificate.pdf"});
        QVERIFY(!QFile::exists(refused));
    }
    QVERIFY(w.isVisible());
}

QTEST_MAIN(TestGameCertificate)
#include "tst_gamecertificate.moc"
