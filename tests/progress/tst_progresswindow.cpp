// The "My Progress" window driven offscreen: "No answers yet" for an empty
// or missing history; charts, aircraft worst first and confusions with
// their pictures for a made-up one; marking a pair Hard; the CSV export.
#include "data/databases.h"
#include "data/db.h"
#include "progress/frmSkyrendelProgress.h"
#include "progress/history.h"
#include "quiz/quizfixture.h"
#include "shell/picturebox.h"
#include "shell/testdoubles.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace sky;
using namespace sky::progress;
using quiztest::Plane;

namespace {

AnswerRecord Row(qint64 quiz, const QString& correct, const QString& chosen) {
    AnswerRecord r;
    r.quizId = quiz;
    r.answeredAt = QDateTime::fromMSecsSinceEpoch(quiz, Qt::UTC);
    r.gameMode = 2;
    r.correct = correct;
    r.chosen = chosen;
    r.right = correct == chosen;
    return r;
}

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }

void ClickRow(QListWidget* list, int row) {
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

} // namespace

class tst_progresswindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void noAnswersYet_data();
    void noAnswersYet();
    void showsAccuracyWorstAircraftAndConfusions();
    void pairOfAnAircraftThatLeftCannotBeMarked();
    void markPairHard();
    void exportCsv();
    void exportToAMissingFolderSaysSo();

private:
    template <typename T = QWidget> T* child(QWidget* w, const QString& name) {
        T* c = w->findChild<T*>(name);
        if (!c) qWarning("no control %s", qPrintable(name));
        return c;
    }
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<quiztest::Catalogue> catalogue_;
};

void tst_progresswindow::init() {
    fake_ = std::make_unique<FakePlatform>();
    fake_->folders.documentsPath = fake_->root.path();
    // Sets: 3 Larger Jet Airliners, 6 Propeller Airliners.
    catalogue_ = std::make_unique<quiztest::Catalogue>(
        QVector<Plane>{{"A", {3}}, {"B", {3}}, {"C", {6}}, {"D", {6}}});
}

void tst_progresswindow::cleanup() {
    catalogue_.reset();
    fake_.reset();
}

void tst_progresswindow::noAnswersYet_data() {
    QTest::addColumn<bool>("withTable");
    QTest::newRow("user database from before the history") << false;
    QTest::newRow("empty history") << true;
}

void tst_progresswindow::noAnswersYet() {
    QFETCH(bool, withTable);
    if (withTable) AppendAnswers(*db::UserDB(), {});
    frmSkyrendelProgress w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(child<QLabel>(&w, "lblNoAnswers")->isVisible());
    QCOMPARE(child<QLabel>(&w, "lblNoAnswers")->text(), QString("No answers yet"));
    QVERIFY(!child(&w, "picQuizChart")->isVisible());
    QVERIFY(!child(&w, "lstAircraft")->isVisible());
    QVERIFY(!child<QPushButton>(&w, "cmdExportCsv")->isEnabled());
    Click(child<QPushButton>(&w, "cmdExit"));
    QVERIFY(!w.isVisible());
    QVERIFY(fake_->messageBox.shown.isEmpty());
}

void tst_progresswindow::showsAccuracyWorstAircraftAndConfusions() {
    AppendAnswers(*db::UserDB(), {Row(100, "A", "B"), Row(100, "A", "B"), Row(100, "C", "C"), Row(100, "B", "B"),
                                  Row(200, "A", "B"), Row(200, "A", "A"), Row(200, "GONE", "D"), Row(200, "C", "D"),
                                  Row(300, "A", "A"), Row(300, "C", "C"), Row(300, "D", "D")});
    frmSkyrendelProgress w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!child<QLabel>(&w, "lblNoAnswers")->isVisible());

    auto* quizChart = child<ProgressChart>(&w, "picQuizChart");
    QVERIFY(quizChart->isVisible());
    QCOMPARE(quizChart->values(), QVector<double>({0.5, 0.25, 1.0}));
    auto* setChart = child<ProgressChart>(&w, "picSetChart");
    // Larger jets: A 2 of 5, B 1 of 1; propeller airliners: C 2 of 3, D 1 of 1.
    QCOMPARE(setChart->values().size(), 8);
    QCOMPARE(setChart->values()[3], 0.5);
    QCOMPARE(setChart->values()[6], 0.75);
    QCOMPARE(setChart->values()[0], -1.0);
    QCOMPARE(setChart->captions()[3], QString("Larger Jet Airliners"));

    auto* aircraft = child<QTreeWidget>(&w, "lstAircraft");
    QStringList rows;
    for (int i = 0; i < aircraft->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* it = aircraft->topLevelItem(i);
        rows << it->text(0) + "|" + it->text(1) + "|" + it->text(2) + "|" + it->text(3);
    }
    QCOMPARE(rows, QStringList({"GONE (no longer in the catalogue)|1|0|", "Type A|5|40%|+100%",
                                "Type C|3|67%|+50%", "Type B|1|100%|", "Type D|1|100%|"})
                       .replaceInStrings("|0|", "|0%|"));

    auto* confusions = child<QListWidget>(&w, "lstConfusions");
    QCOMPARE(confusions->count(), 3);
    QCOMPARE(confusions->item(0)->text(), QString("You took the Type A for a Type B 3 times"));
    QCOMPARE(confusions->item(1)->text(), QString("You took the Type C for a Type D once"));
    QCOMPARE(confusions->item(2)->text(),
             QString("You took the GONE (no longer in the catalogue) for a Type D once"));
    // The top pair is shown side by side.
    QCOMPARE(catalogue_->folderShownBy(child<PictureBox>(&w, "picPair_0")->picture()), QString("A"));
    QCOMPARE(catalogue_->folderShownBy(child<PictureBox>(&w, "picPair_1")->picture()), QString("B"));
    QCOMPARE(child<QLabel>(&w, "lblPair_0")->text(), QString("Type A"));
    ClickRow(confusions, 1);
    QCOMPARE(catalogue_->folderShownBy(child<PictureBox>(&w, "picPair_0")->picture()), QString("C"));
    QCOMPARE(catalogue_->folderShownBy(child<PictureBox>(&w, "picPair_1")->picture()), QString("D"));
    QCOMPARE(child<QLabel>(&w, "lblPair_1")->text(), QString("Type D"));
}

void tst_progresswindow::pairOfAnAircraftThatLeftCannotBeMarked() {
    AppendAnswers(*db::UserDB(), {Row(1, "GONE", "D"), Row(1, "A", "B")});
    frmSkyrendelProgress w;
    w.show();
    auto* confusions = child<QListWidget>(&w, "lstConfusions");
    QVERIFY(child<QPushButton>(&w, "cmdMarkHard")->isEnabled()); // A and B, first
    ClickRow(confusions, 1);
    QCOMPARE(child<QLabel>(&w, "lblPair_0")->text(), QString("GONE (no longer in the catalogue)"));
    QVERIFY(!child<PictureBox>(&w, "picPair_0")->hasPicture());
    QCOMPARE(catalogue_->folderShownBy(child<PictureBox>(&w, "picPair_1")->picture()), QString("D"));
    QVERIFY(!child<QPushButton>(&w, "cmdMarkHard")->isEnabled());
}

void tst_progresswindow::markPairHard() {
    AppendAnswers(*db::UserDB(), {Row(1, "C", "D"), Row(1, "A", "B"), Row(1, "A", "B")});
    // C and D start as a never pair: marking them Hard is the user's choice.
    db::UserDB()->Execute("INSERT INTO SIMILARAIRCRAFT (AIRCRAFTID, SIMILARAIRCRAFTID, ASK) VALUES (3, 4, FALSE)");
    frmSkyrendelProgress w;
    w.show();
    ClickRow(child<QListWidget>(&w, "lstConfusions"), 1);
    auto* mark = child<QPushButton>(&w, "cmdMarkHard");
    QVERIFY(mark->isEnabled());
    Click(mark);
    QCOMPARE(mark->text(), QString("Marked Hard"));
    QVERIFY(!mark->isEnabled());
    QCOMPARE(fixtures::DumpTable(*db::UserDB(), "SIMILARAIRCRAFT").size(), 2);
    db::Recordset rs;
    rs.Open("SELECT AIRCRAFTID, SIMILARAIRCRAFTID, ASK FROM SIMILARAIRCRAFT ORDER BY AIRCRAFTID", *db::UserDB());
    QStringList pairs;
    for (; !rs.eof(); rs.moveNext())
        pairs << rs.fields(0).text() + ">" + rs.fields(1).text() + ":" + (rs.fields(2).value().toBool() ? "hard" : "never");
    QCOMPARE(pairs, QStringList({"3>4:hard", "4>3:hard"}));
    // Another pair's button is ready again.
    ClickRow(child<QListWidget>(&w, "lstConfusions"), 0);
    QVERIFY(mark->isEnabled());
    QCOMPARE(mark->text(), QString("Mark this pair Hard"));
}

void tst_progresswindow::exportCsv() {
    const QVector<AnswerRecord> rows = {Row(5, "A", "B"), Row(6, "C", "C")};
    AppendAnswers(*db::UserDB(), rows);
    const QString path = frmSkyrendelProgress::ExportPath();
    QVERIFY(path.startsWith(fake_->root.path()));
    frmSkyrendelProgress w;
    w.show();
    Click(child<QPushButton>(&w, "cmdExportCsv"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()), HistoryCsv(ReadHistory(*db::UserDB())));
    QCOMPARE(fake_->messageBox.shown.size(), 1);
    QCOMPARE(fake_->messageBox.shown[0].text, "Your answer history was saved to " + path);
}

void tst_progresswindow::exportToAMissingFolderSaysSo() {
    AppendAnswers(*db::UserDB(), {Row(5, "A", "B")});
    fake_->folders.documentsPath = fake_->root.path() + "/no/such/folder";
    frmSkyrendelProgress w;
    w.show();
    Click(child<QPushButton>(&w, "cmdExportCsv"));
    QCOMPARE(fake_->messageBox.shown.size(), 1);
    QVERIFY(fake_->messageBox.shown[0].text.startsWith("Your answer history could not be saved to "));
    QCOMPARE(fake_->messageBox.shown[0].icon, MsgIcon::Exclamation);
    QVERIFY(!QFile::exists(frmSkyrendelProgress::ExportPath()));
}

QTEST_MAIN(tst_progresswindow)
#include "tst_progresswindow.moc"
