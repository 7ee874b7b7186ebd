// The results screen, driven through its controls over hand-made question
// records: paging with wrap-around, the three filters, the question shown,
// the score texts and the Captain's Challenge panels.
#include "data/databases.h"
#include "data/pictures.h"
#include "game/frmSkyrendelResults.h"
#include "game/gamesettings.h"
#include "quiz/records.h"
#include "settingsdir.h"
#include "shell/picturebox.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace sky;
using sky::game::frmSkyrendelResults;

static gametest::SettingsDir g_settings;

namespace {

template <typename T>
T* child(QWidget& w, const QString& name) {
    T* c = w.findChild<T*>(name);
    if (!c) qFatal("no control %s", qPrintable(name));
    return c;
}

// Records of one answered question per letter of `pattern`: "R" answered
// right, "W" wrong. The right answer moves round the slots A, B, C; the
// right slot of question k holds FOLDER "Q<k>".
quiz::QuestionRecords Records(const QString& pattern) {
    quiz::QuestionRecords r;
    const QString letters = "ABC";
    for (int k = 0; k < pattern.size(); ++k) {
        const QChar right = letters[k % 3];
        const QChar other = letters[(k + 1) % 3];
        const QString folder = "Q" + QString::number(k + 1);
        r.lstAnswerA << (right == 'A' ? folder : "OTHER") + "!0";
        r.lstAnswerB << (right == 'B' ? folder : "OTHER") + "!0";
        r.lstAnswerC << (right == 'C' ? folder : "OTHER") + "!0";
        r.lstCorrectAnswer << QString(right) + "!0";
        r.lstUsersInput << QString(pattern[k] == 'R' ? right : other);
        if (pattern[k] == 'R') ++r.CorrectCount;
    }
    r.AnsweredCount = static_cast<int>(pattern.size());
    return r;
}

int shownQuestion(frmSkyrendelResults& w) {
    const QString text = child<QLabel>(w, "lblQuestioN")->text();
    if (!text.startsWith("Question #")) return -1;
    return text.mid(10).toInt();
}

void click(QWidget* c) { QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(8, c->height() / 2)); }

bool near(QRgb a, const QColor& b) {
    return qAbs(qRed(a) - b.red()) < 40 && qAbs(qGreen(a) - b.green()) < 40 && qAbs(qBlue(a) - b.blue()) < 40;
}

} // namespace

class TestGameResults : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void pagingAndFilters_data();
    void pagingAndFilters();
    void filterAvailability_data();
    void filterAvailability();
    void showsTheRightAircraft_data();
    void showsTheRightAircraft();
    void reviewOfUndecodablePhotograph();
    void captainsChallengePanels_data();
    void captainsChallengePanels();
    void noAnsweredQuestions();
    void exitCloses();
    void myProgressButton_data();
    void myProgressButton();
    void enlargedScreenScalesAsAWhole();
    void removeNonDigits_data();
    void removeNonDigits();
    void removeNonDigitsOfAnOverlongText();

private:
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<fixtures::DataFolder> data_;
};

void TestGameResults::init() {
    gametest::SettingsDir::clear();
    fake_ = std::make_unique<FakePlatform>();
    data_ = std::make_unique<fixtures::DataFolder>();
    data_->createStaticAndUser();
    game::IsCaptainsChallenge = false;
}

void TestGameResults::cleanup() {
    data_.reset();
    fake_.reset();
}

// Actions: "n" next, "p" previous, "f0"/"f1"/"f2" a click on the filter
// Incorrect, Correct or Both, "R"/"L" the Right or Left key on whatever has
// the focus (after a filter click, that filter button). After each, the
// question number shown.
void TestGameResults::pagingAndFilters_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QList<int>>("shown");

    const QString twelve = "RRWRWRRWRRWR"; // wrong: 3, 5, 8, 11
    QTest::newRow("both: previous from 1 wraps to 12, next wraps back")
        << twelve << QStringList{"p", "n", "n"} << QList<int>{12, 1, 2};
    QTest::newRow("both: round the whole list")
        << "RWR" << QStringList{"n", "n", "n", "p", "p", "p"} << QList<int>{2, 3, 1, 3, 2, 1};
    QTest::newRow("incorrect skips right answers and wraps")
        << twelve << QStringList{"f0", "n", "n", "n", "n", "p", "p"} << QList<int>{3, 5, 8, 11, 3, 11, 8};
    QTest::newRow("correct skips wrong answers and wraps")
        << twelve << QStringList{"f1", "p", "p", "n", "n"} << QList<int>{2, 1, 12, 1, 2};
    QTest::newRow("a single wrong answer keeps showing")
        << "RRRWRR" << QStringList{"f0", "n", "p", "n"} << QList<int>{4, 4, 4, 4};
    QTest::newRow("correct from question 5, right answers 2 and 9")
        << "WRWWWWWWRWWW" << QStringList{"n", "n", "n", "n", "f1"} << QList<int>{2, 3, 4, 5, 9};
    QTest::newRow("correct from question 5, right answer 2 only")
        << "WRWWWWWWWWWW" << QStringList{"n", "n", "n", "n", "f1"} << QList<int>{2, 3, 4, 5, 2};
    QTest::newRow("the only match is the one on display")
        << "WWRW" << QStringList{"n", "n", "f1", "n", "p"} << QList<int>{2, 3, 3, 3, 3};
    QTest::newRow("both leaves the display where it is")
        << twelve << QStringList{"f0", "n", "f2", "n", "p"} << QList<int>{3, 5, 5, 6, 5};
    QTest::newRow("filter from the last question wraps to the first")
        << "WRRW" << QStringList{"p", "f0"} << QList<int>{4, 1};
    QTest::newRow("keys page with both")
        << twelve << QStringList{"L", "R", "R", "f2", "R"} << QList<int>{12, 1, 2, 2, 3};
    QTest::newRow("keys on the incorrect filter page, the filter stays")
        << twelve << QStringList{"f0", "R", "R", "L", "L", "L"} << QList<int>{3, 5, 8, 5, 3, 11};
    QTest::newRow("keys on the correct filter")
        << twelve << QStringList{"f1", "L", "L", "R"} << QList<int>{2, 1, 12, 1};
    QTest::newRow("one question") << "W" << QStringList{"n", "p", "f0", "n"} << QList<int>{1, 1, 1, 1};
    QTest::newRow("a filter with no matching question cannot be chosen")
        << "RRR" << QStringList{"n", "f0", "n", "f1", "n"} << QList<int>{2, 2, 3, 1, 2};
}

void TestGameResults::pagingAndFilters() {
    QFETCH(QString, pattern);
    QFETCH(QStringList, actions);
    QFETCH(QList<int>, shown);
    const quiz::QuestionRecords records = Records(pattern);
    frmSkyrendelResults w(records);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(shownQuestion(w), 1);
    QVERIFY(child<QRadioButton>(w, "optReview_2")->isChecked());

    QApplication::setActiveWindow(&w);
    int filter = 2;
    for (int a = 0; a < actions.size(); ++a) {
        const QString& act = actions[a];
        if (act.startsWith('f') && child<QRadioButton>(w, "optReview_" + act.mid(1))->isEnabled())
            filter = act.mid(1).toInt();
        if (act == "R" || act == "L") {
            QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &w;
            QTest::keyClick(focus, act == "R" ? Qt::Key_Right : Qt::Key_Left);
        } else if (act == "n")
            QTest::mouseClick(child<QWidget>(w, "cmdChangeAircraft_1"), Qt::LeftButton);
        else if (act == "p")
            QTest::mouseClick(child<QWidget>(w, "cmdChangeAircraft_0"), Qt::LeftButton);
        else
            click(child<QRadioButton>(w, "optReview_" + act.mid(1)));
        const int q = shownQuestion(w);
        QVERIFY2(q == shown[a], qPrintable(QString("after %1 (step %2): question %3, expected %4")
                                               .arg(act).arg(a + 1).arg(q).arg(shown[a])));
        QCOMPARE(w.currentQuestion(), q - 1);
        // The frame tells right from wrong.
        const QColor frame = child<PictureBox>(w, "Picture1_0")->backColor();
        QCOMPARE(frame, pattern[q - 1] == 'R' ? QColor(0x00, 0xc0, 0x00) : QColor(0xff, 0x00, 0x00));
        QCOMPARE(w.currentFolder(), "Q" + QString::number(q));
        // No key moves the filter.
        QVERIFY2(child<QRadioButton>(w, "optReview_" + QString::number(filter))->isChecked(), qPrintable(act));
    }
}

void TestGameResults::filterAvailability_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("incorrect");
    QTest::addColumn<bool>("correct");
    QTest::newRow("mixed") << "RWR" << true << true;
    QTest::newRow("all right") << "RRRR" << false << true;
    QTest::newRow("all wrong") << "WW" << true << false;
}

void TestGameResults::filterAvailability() {
    QFETCH(QString, pattern);
    QFETCH(bool, incorrect);
    QFETCH(bool, correct);
    const quiz::QuestionRecords records = Records(pattern);
    frmSkyrendelResults w(records);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(child<QRadioButton>(w, "optReview_0")->isEnabled(), incorrect);
    QCOMPARE(child<QRadioButton>(w, "optReview_1")->isEnabled(), correct);
    QVERIFY(child<QRadioButton>(w, "optReview_2")->isEnabled());
    QCOMPARE(child<QRadioButton>(w, "optReview_0")->text(), QString("Incorrect"));
    QCOMPARE(child<QRadioButton>(w, "optReview_1")->text(), QString("Correct"));
    QCOMPARE(child<QRadioButton>(w, "optReview_2")->text(), QString("Both"));
    QCOMPARE(child<QLabel>(w, "Label2")->text(), QString("Question Review:"));
    // A disabled filter ignores the click; Both stays chosen.
    for (int f = 0; f < 2; ++f) click(child<QRadioButton>(w, "optReview_" + QString::number(f)));
    QCOMPARE(child<QRadioButton>(w, "optReview_2")->isChecked(), !incorrect && !correct);
    if (!incorrect) QVERIFY(!child<QRadioButton>(w, "optReview_0")->isChecked());
    if (!correct) QVERIFY(!child<QRadioButton>(w, "optReview_1")->isChecked());
}

// The question shown: the right slot's FOLDER and the picture number of the
// correct-answer entry.
void TestGameResults::showsTheRightAircraft_data() {
    QTest::addColumn<QString>("correctEntry");
    QTest::addColumn<QStringList>("slotFolders"); // A, B, C
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("number");
    QTest::addColumn<QColor>("photo"); // invalid: nothing shown
    QTest::addColumn<bool>("logo");

    const QStringList answerSlots{"ALPHA!0", "BRAVO!0", "ALPHA"};
    QTest::newRow("A, photo 1") << "A!1" << answerSlots << "ALPHA" << 1 << QColor(Qt::green) << true;
    QTest::newRow("lower-case b") << "b!0" << answerSlots << "BRAVO" << 0 << QColor(Qt::yellow) << true;
    QTest::newRow("C without a mark, digits among other text")
        << "C!x2y" << answerSlots << "ALPHA" << 2 << QColor(Qt::blue) << true;
    QTest::newRow("digits of several parts") << "A!0!1" << QStringList{"BRAVO!3", "", ""} << "BRAVO" << 1
                                             << QColor() << true; // BRAVO has one photo: a random one
    QTest::newRow("a letter other than A, B, C") << "D!0" << answerSlots << "" << 0 << QColor() << false;
    QTest::newRow("an empty entry") << "" << answerSlots << "" << 0 << QColor() << false;
}

void TestGameResults::showsTheRightAircraft() {
    QFETCH(QString, correctEntry);
    QFETCH(QStringList, slotFolders);
    QFETCH(QString, folder);
    QFETCH(int, number);
    QFETCH(QColor, photo);
    QFETCH(bool, logo);
    fixtures::InsertAircraft(*db::UserDB(), {{1, "Alpha Jet", "ALPHA", true, QVector<bool>(8, false), {},
                                              fixtures::MakeJpeg(40, 10, Qt::white)},
                                             {2, "Bravo Liner", "BRAVO", true, QVector<bool>(8, false), {},
                                              fixtures::MakeJpeg(40, 10, Qt::white)}});
    fixtures::CreatePictureDatabase("ALPHA", {fixtures::MakeJpeg(30, 20, Qt::red), fixtures::MakeJpeg(30, 20, Qt::green),
                                              fixtures::MakeJpeg(30, 20, Qt::blue)});
    fixtures::CreatePictureDatabase("BRAVO", {fixtures::MakeJpeg(30, 20, Qt::yellow)});

    quiz::QuestionRecords records;
    records.lstAnswerA << slotFolders[0];
    records.lstAnswerB << slotFolders[1];
    records.lstAnswerC << slotFolders[2];
    records.lstCorrectAnswer << correctEntry;
    records.lstUsersInput << "A";
    frmSkyrendelResults w(records);
    QCOMPARE(w.currentFolder(), folder);
    QCOMPARE(w.currentPictureNumber(), number);
    QCOMPARE(child<QLabel>(w, "lblQuestioN")->text(), QString("Question #1"));
    auto* pic = child<PictureBox>(w, "picAircraft_0");
    if (photo.isValid()) {
        QVERIFY(pic->hasPicture());
        QVERIFY(near(pic->picture().pixel(15, 10), photo));
    } else {
        QCOMPARE(pic->hasPicture(), !folder.isEmpty());
    }
    QCOMPARE(child<PictureBox>(w, "imgAircraftName_0")->hasPicture(), logo);
}

// Reviewing a question whose photograph cannot be decoded shows the
// unavailable face, not the previous question's photograph.
void TestGameResults::reviewOfUndecodablePhotograph() {
    fixtures::InsertAircraft(*db::UserDB(), {{1, "Alpha Jet", "ALPHA"}, {2, "Charlie Prop", "CHARLIE"}});
    fixtures::CreatePictureDatabase("ALPHA", {fixtures::MakeJpeg(30, 20, Qt::red)});
    fixtures::CreatePictureDatabase("CHARLIE", {QByteArray("\xff\xd8 not a photograph")});
    quiz::QuestionRecords records;
    for (const char* folder : {"ALPHA", "CHARLIE", "ALPHA"}) {
        records.lstAnswerA << QString(folder) + "!0";
        records.lstAnswerB << "ALPHA!0";
        records.lstAnswerC << "ALPHA!0";
        records.lstCorrectAnswer << "A!0";
        records.lstUsersInput << "A";
    }
    frmSkyrendelResults w(records);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* pic = child<PictureBox>(w, "picAircraft_0");
    QVERIFY(near(pic->picture().pixel(15, 10), Qt::red));
    QTest::mouseClick(child<QWidget>(w, "cmdChangeAircraft_1"), Qt::LeftButton);
    QCOMPARE(shownQuestion(w), 2);
    QCOMPARE(pic->picture(), data::PictureUnavailableFace());
    QTest::mouseClick(child<QWidget>(w, "cmdChangeAircraft_1"), Qt::LeftButton);
    QCOMPARE(shownQuestion(w), 3);
    QVERIFY(near(pic->picture().pixel(15, 10), Qt::red));
}

// The pass mark is 45 right answers, a count.
void TestGameResults::captainsChallengePanels_data() {
    QTest::addColumn<bool>("captain");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("answered");
    QTest::addColumn<int>("panel"); // -1 none
    QTest::newRow("45 of 50 passes") << true << 45 << 50 << 1;
    QTest::newRow("44 of 50 fails") << true << 44 << 50 << 0;
    QTest::newRow("45 of 47, ended early, passes") << true << 45 << 47 << 1;
    QTest::newRow("40 of 40 fails") << true << 40 << 40 << 0;
    QTest::newRow("50 of 50 passes") << true << 50 << 50 << 1;
    QTest::newRow("custom challenge: no panel") << false << 50 << 50 << -1;
}

void TestGameResults::captainsChallengePanels() {
    QFETCH(bool, captain);
    QFETCH(int, right);
    QFETCH(int, answered);
    QFETCH(int, panel);
    game::IsCaptainsChallenge = captain;
    quiz::QuestionRecords records = Records(QString(right, 'R') + QString(answered - right, 'W'));
    records.scorePercentTag = QString::number(qRound(100.0 * right / answered)) + "%";
    records.scoreCountTag = QString("%1 of %2 correct").arg(right).arg(answered);
    frmSkyrendelResults w(records);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(child<QWidget>(w, "picCaptainsChallnege_0")->isVisible(), panel == 0);
    QCOMPARE(child<QWidget>(w, "picCaptainsChallnege_1")->isVisible(), panel == 1);
    QCOMPARE(child<QLabel>(w, "lblPercent")->text(), records.scorePercentTag);
    QCOMPARE(child<QLabel>(w, "lblNofNCorrect")->text(), records.scoreCountTag);
    // The failure panel does nothing when clicked.
    QTest::mouseClick(child<QWidget>(w, "picCaptainsChallnege_0"), Qt::LeftButton);
    QVERIFY(fake_->shell.opened.isEmpty());
    QVERIFY(fake_->messageBox.shown.isEmpty());
    QVERIFY(w.isVisible());
}

void TestGameResults::noAnsweredQuestions() {
    const quiz::QuestionRecords records;
    frmSkyrendelResults w(records);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!child<QRadioButton>(w, "optReview_0")->isEnabled());
    QVERIFY(!child<QRadioButton>(w, "optReview_1")->isEnabled());
    QTest::mouseClick(child<QWidget>(w, "cmdChangeAircraft_1"), Qt::LeftButton);
    QTest::mouseClick(child<QWidget>(w, "cmdChangeAircraft_0"), Qt::LeftButton);
    QCOMPARE(w.currentQuestion(), 0);
    QCOMPARE(child<QLabel>(w, "lblQuestioN")->text(), QString());
    QVERIFY(!child<PictureBox>(w, "picAircraft_0")->hasPicture());
}

void TestGameResults::exitCloses() {
    const quiz::QuestionRecords records = Records("RW");
    frmSkyrendelResults w(records);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(child<QPushButton>(w, "cmdExit"), Qt::LeftButton);
    QVERIFY(!w.isVisible());
    // Opening it again for the same quiz shows the same, from question 1.
    frmSkyrendelResults again(records);
    QCOMPARE(shownQuestion(again), 1);
}

// The "My Progress" button shows only when the program offers the window,
// sits clear of Close, and opens the history over the results screen.
void TestGameResults::myProgressButton_data() {
    QTest::addColumn<bool>("offered");
    QTest::newRow("offered") << true;
    QTest::newRow("not offered") << false;
}

void TestGameResults::myProgressButton() {
    QFETCH(bool, offered);
    QList<QWidget*> parents;
    if (offered) frmSkyrendelResults::OpenProgress = [&](QWidget* parent) { parents << parent; };
    const auto forget = qScopeGuard([] { frmSkyrendelResults::OpenProgress = nullptr; });
    const quiz::QuestionRecords records = Records("RW");
    frmSkyrendelResults w(records);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* button = child<QPushButton>(w, "cmdMyProgress");
    QCOMPARE(button->isVisible(), offered);
    if (!offered) return;
    // Clear of every other control, its text inside it.
    for (QWidget* other : w.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (other != button && other->isVisible())
            QVERIFY2(!button->geometry().intersects(other->geometry()), qPrintable(other->objectName()));
    for (const QString& line : button->text().split('\n'))
        QVERIFY(QFontMetrics(button->font()).horizontalAdvance(line) < button->width());
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(parents, QList<QWidget*>{&w});
    QVERIFY(w.isVisible()); // the results stay open behind it
}

// Resized or maximised, the screen shows its design scaled as a whole: the
// photograph grows, and the arrows and panels are drawn for their new size.
void TestGameResults::enlargedScreenScalesAsAWhole() {
    const quiz::QuestionRecords records = Records("RWR");
    frmSkyrendelResults w(records);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QSize photo = child<QWidget>(w, "picAircraft_0")->size();
    w.resize(1110, 1020);
    QCOMPARE(child<QWidget>(w, "picAircraft_0")->size(), photo * 1.5);
    for (const char* name : {"cmdChangeAircraft_0", "cmdChangeAircraft_1", "imgTopHeader", "Image1"}) {
        auto* b = child<PictureBox>(w, name);
        QVERIFY2(b->picture().deviceIndependentSize().toSize() == b->size(), name);
    }
    QCOMPARE(child<QLabel>(w, "lblPercent")->font().pixelSize(), 78);
    // Still works: the next question.
    QTest::mouseClick(child<QWidget>(w, "cmdChangeAircraft_1"), Qt::LeftButton);
    QCOMPARE(shownQuestion(w), 2);
    w.resize(740, 680);
    QCOMPARE(child<QWidget>(w, "picAircraft_0")->size(), photo);
}

void TestGameResults::removeNonDigits_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("digits");
    QTest::newRow("mark and two digits") << "!17" << "17";
    QTest::newRow("no digits") << "abc!" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("digits apart, in order") << "a0b0c9" << "009";
    QTest::newRow("other scripts' digits are not 0 to 9") << QString::fromUtf8("\u0663\u0664" "5") << "5";
    QTest::newRow("just under the limit") << QString(32765, 'x') + "4" << "4";
}

void TestGameResults::removeNonDigits() {
    QFETCH(QString, text);
    QFETCH(QString, digits);
    QCOMPARE(game::RemoveNonDigits(text), digits);
    QVERIFY(fake_->messageBox.shown.isEmpty());
}

void TestGameResults::removeNonDigitsOfAnOverlongText() {
    QCOMPARE(game::RemoveNonDigits(QString(32766, '1') + "2"), QString());
    QCOMPARE(fake_->messageBox.shown.size(), 1);
    QVERIFY(fake_->messageBox.shown[0].text.endsWith(" in Function RemoveNonDigits of Module GeneralFunctions"));
}

QTEST_MAIN(TestGameResults)
#include "tst_gameresults.moc"
