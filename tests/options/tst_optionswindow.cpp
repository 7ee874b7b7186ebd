// The options window driven offscreen as a user drives it: tabs, the two
// lists with their buttons, keys and double-clicks, walking the aircraft,
// the set checkboxes, the restore questions, the similarity grid with its
// scroll bar, wheel and keys, failures that must be reported, and the main
// window's menu item that opens it.
#include "app/wiring.h"
#include "data/databases.h"
#include "data/db.h"
#include "game/gamesettings.h"
#include "game/settingsdir.h"
#include "options/frmSkyrendelOptions.h"
#include "optionsfixture.h"
#include "quiz/frmSkyrendelMainMenu.h"
#include "shell/appstate.h"
#include "shell/picturebox.h"
#include "shell/settings.h"
#include "shell/testdoubles.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

#include <memory>

using namespace sky;
using namespace optionstest;
using options::frmSkyrendelOptions;

static gametest::SettingsDir g_settings;

namespace {

// Ids 1..12 in name order; the catalogue's ids are 100 higher.
QVector<Plane> planes() {
    return {{1, QStringLiteral("Airbus A300"), QStringLiteral("A300"), true, {0, 3}, 101},
            {2, QStringLiteral("Airbus A320"), QStringLiteral("A320"), true, {0, 1, 4}, 102},
            {3, QStringLiteral("ATR 72"), QStringLiteral("ATR72"), false, {1, 6}, 103},
            {4, QStringLiteral("Boeing 707"), QStringLiteral("B707"), false, {3}, 104},
            {5, QStringLiteral("Boeing 737"), QStringLiteral("B737"), true, {0, 4}, 105},
            {6, QStringLiteral("Boeing 747"), QStringLiteral("B747"), true, {0, 3}, 106},
            {7, QStringLiteral("Cessna 172"), QStringLiteral("C172"), false, {7}, 107},
            {8, QStringLiteral("Dash 8"), QStringLiteral("DH8"), true, {6}, 108},
            {9, QStringLiteral("Fokker F.27 'Friendship'"), QStringLiteral("F27"), true, {1, 6}, 109},
            {10, QStringLiteral("Ilyushin Il-62"), QStringLiteral("IL62"), false, {2, 3}, 110},
            {11, QStringLiteral("Learjet 35"), QStringLiteral("LJ35"), true, {5}, 111},
            {12, QStringLiteral("Tupolev Tu-154"), QStringLiteral("TU154"), false, {2, 3}, 112}};
}

QStringList allNames() {
    QStringList out;
    for (const Plane& p : planes()) out << p.type.toString();
    return out;
}

QStringList itemsOf(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

QSet<QString> activeNames() {
    QSet<QString> out;
    for (const Plane& p : planes())
        if (ActiveOf(p.id) == QLatin1String("1")) out << p.type.toString();
    return out;
}

void click(QWidget* w) {
    QVERIFY(w);
    QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

// Radio buttons and checkboxes are clicked on their indicator at the left.
void clickOption(QWidget* w) {
    QVERIFY(w);
    QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(7, w->height() / 2));
}

} // namespace

class TestOptionsWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<fixtures::DataFolder> data_;
    std::unique_ptr<frmSkyrendelOptions> window_;

    template <typename T = QWidget>
    T* w(const QString& name) const {
        T* found = window_->findChild<T*>(name);
        if (!found) qWarning("no control %s", qPrintable(name));
        return found;
    }
    QString shownName() const { return w<QLabel>(QStringLiteral("lblAircraftType"))->text(); }
    QString shownSets() const {
        QString out;
        for (int s = 0; s < 8; ++s)
            out += w<QCheckBox>(QStringLiteral("chkBelongsToset_%1").arg(s))->isChecked() ? QLatin1Char('1')
                                                                                           : QLatin1Char('0');
        return out;
    }
    QString rowName(int i) const { return w<QLabel>(QStringLiteral("lblTableAircraftName_%1").arg(i))->text(); }
    // "H", "U" (neutral) or "N" for a row with exactly one button on.
    QString rowStatus(int i) const {
        const bool h = w<QRadioButton>(QStringLiteral("optHard_%1").arg(i))->isChecked();
        const bool u = w<QRadioButton>(QStringLiteral("optNeutral_%1").arg(i))->isChecked();
        const bool n = w<QRadioButton>(QStringLiteral("optNever_%1").arg(i))->isChecked();
        if (h + u + n != 1) return QStringLiteral("?");
        return h ? QStringLiteral("H") : u ? QStringLiteral("U") : QStringLiteral("N");
    }
    int visibleRows() const {
        int n = 0;
        for (int i = 0; i < 8; ++i) n += w(QStringLiteral("picLine_%1").arg(i))->isVisible();
        return n;
    }
    void openWindow() {
        window_ = std::make_unique<frmSkyrendelOptions>();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void showAircraftTab() {
        click(w(QStringLiteral("TopTab_0")));
        QVERIFY(w(QStringLiteral("picPanel_0"))->isVisible());
    }
    void key(int k, Qt::KeyboardModifiers mods = {}) {
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != window_.get()) target = w(QStringLiteral("picPanel_0"));
        QTest::keyClick(target, Qt::Key(k), mods);
    }

private slots:
    void initTestCase() {
        SetAppTitleLive(QStringLiteral("SkyrendelOptionsTest"));
        AppTitle = QStringLiteral("SkyrendelOptionsTest");
    }
    void init() {
        gametest::SettingsDir::clear();
        SaveAppSetting(QStringLiteral("UserFirstName"), QStringLiteral("Ann"));
        SaveAppSetting(QStringLiteral("UserLastName"), QStringLiteral("Lee"));
        SaveAppSetting(QStringLiteral("UserEmail"), QStringLiteral("ann@example.org"));
        fake_ = std::make_unique<FakePlatform>();
        data_ = std::make_unique<fixtures::DataFolder>();
        data_->createStaticAndUser();
        Build(planes());
    }
    void cleanup() {
        db::Connection::SetStatementHook(nullptr);
        window_.reset();
        data_.reset();
        fake_.reset();
    }

    // ------------------------------------------------------------ opening

    void opensOnTheListsWithTheFirstAircraftLoaded() {
        openWindow();
        QVERIFY(w(QStringLiteral("picPanel_1"))->isVisible());
        QVERIFY(!w(QStringLiteral("picPanel_0"))->isVisible());
        QCOMPARE(itemsOf(w<QListWidget>(QStringLiteral("lstActive"))),
                 QStringList({"Airbus A300", "Airbus A320", "Boeing 737", "Boeing 747", "Dash 8",
                              "Fokker F.27 'Friendship'", "Learjet 35"}));
        QCOMPARE(itemsOf(w<QListWidget>(QStringLiteral("lstInactive"))),
                 QStringList({"ATR 72", "Boeing 707", "Cessna 172", "Ilyushin Il-62", "Tupolev Tu-154"}));
        QCOMPARE(w<QLabel>(QStringLiteral("lblTopTabCaption_0"))->text(), QStringLiteral("Individual Aircraft Settings"));
        QCOMPARE(w<QLabel>(QStringLiteral("lblTopTabCaption_1"))->text(), QStringLiteral("Which Aircraft To Learn?"));
        // Tab 0 already shows the first aircraft.
        showAircraftTab();
        QVERIFY(!w(QStringLiteral("picPanel_1"))->isVisible());
        QCOMPARE(shownName(), QStringLiteral("Airbus A300"));
        QCOMPARE(shownSets(), QStringLiteral("10010000"));
        QVERIFY(w<PictureBox>(QStringLiteral("imgAircraftName"))->hasPicture());
        QCOMPARE(rowName(0), QStringLiteral("Airbus A320"));
        // The caption of the other tab leads back.
        click(w(QStringLiteral("lblTopTabCaption_1")));
        QVERIFY(w(QStringLiteral("picPanel_1"))->isVisible());
        QVERIFY(!w(QStringLiteral("picPanel_0"))->isVisible());
    }

    void rowsAndCaptionsAreThoseOfTheSets() {
        openWindow();
        const QStringList captions = {"Selected Aircraft",      "All Aircraft",          "USA Airport Typical",
                                      "Europe Airport Typical", "ex-USSR Aircraft",      "Larger Jet Airliners",
                                      "Smaller Jet Airliners",  "Corporate Jets",        "Propeller Airliners",
                                      "Propeller Other"};
        for (int k = 0; k < 10; ++k) {
            QCOMPARE(w<QLabel>(QStringLiteral("lblMoveRow_%1").arg(k))->text(), captions[k]);
            auto* add = w<PictureBox>(QStringLiteral("cmdAdd_%1").arg(k));
            auto* remove = w<PictureBox>(QStringLiteral("cmdRemove_%1").arg(k));
            QVERIFY(remove->geometry().right() < add->geometry().left());
            QVERIFY(add->picture() == w<PictureBox>(QStringLiteral("cmdAdd_1"))->picture());
            QVERIFY(add->picture() != remove->picture());
        }
        for (int s = 0; s < 8; ++s)
            QCOMPARE(w<QCheckBox>(QStringLiteral("chkBelongsToset_%1").arg(s))->text(), captions[s + 2]);
        QCOMPARE(w<QLabel>(QStringLiteral("Label2_0"))->text(),
                 QStringLiteral("Particularly Quiz Against This Aircraft (easily confusable aircraft)"));
        QCOMPARE(w<QLabel>(QStringLiteral("Label2_2"))->text(),
                 QStringLiteral("Can quiz against this aircraft, but no particular link"));
        QCOMPARE(w<QLabel>(QStringLiteral("Label2_3"))->text(),
                 QStringLiteral("Don't Ever Quiz Against This Aircraft (difference is not important)"));
        // The stepped header: every band ends on the rows, the smaller in front.
        const QRect rows = w(QStringLiteral("picLine_0"))->geometry();
        for (int b = 0; b < 3; ++b) {
            const QRect band = w(QStringLiteral("picGridTop_%1").arg(b))->geometry();
            QCOMPARE(band.bottom() + 1, rows.top());
            QCOMPARE(band.left(), rows.left());
        }
        QVERIFY(w(QStringLiteral("picGridTop_0"))->height() > w(QStringLiteral("picGridTop_1"))->height());
        QVERIFY(w(QStringLiteral("picGridTop_1"))->height() > w(QStringLiteral("picGridTop_2"))->height());
        QCOMPARE(w(QStringLiteral("picGridTop_0"))->geometry().right(),
                 w(QStringLiteral("picHardBG_0"))->geometry().right());
        QCOMPARE(w(QStringLiteral("picGridTop_2"))->geometry().right(),
                 w(QStringLiteral("picNeverBG_0"))->geometry().right());
    }

    // ---------------------------------------------------- walking aircraft

    void walkingWrapsAround_data() {
        QTest::addColumn<QString>("steps"); // p = previous, n = next
        QTest::addColumn<int>("keys"); // 0 buttons, 1 arrow keys, 2 Alt+arrow keys
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("sets");
        QTest::newRow("previous on the first") << "p" << 0 << "Tupolev Tu-154" << "00110000";
        QTest::newRow("and back") << "pn" << 0 << "Airbus A300" << "10010000";
        QTest::newRow("two on") << "nn" << 0 << "ATR 72" << "01000010";
        QTest::newRow("once round") << "nnnnnnnnnnnn" << 0 << "Airbus A300" << "10010000";
        QTest::newRow("left key on the first") << "p" << 1 << "Tupolev Tu-154" << "00110000";
        QTest::newRow("right key twice") << "nn" << 1 << "ATR 72" << "01000010";
        QTest::newRow("alt keys") << "pnnn" << 2 << "ATR 72" << "01000010";
        QTest::newRow("apostrophe") << "pppp" << 0 << "Fokker F.27 'Friendship'" << "01000010";
    }
    void walkingWrapsAround() {
        QFETCH(QString, steps);
        QFETCH(int, keys);
        QFETCH(QString, name);
        QFETCH(QString, sets);
        openWindow();
        showAircraftTab();
        for (QChar c : steps) {
            const bool next = c == QLatin1Char('n');
            if (keys)
                key(next ? Qt::Key_Right : Qt::Key_Left, keys == 2 ? Qt::AltModifier : Qt::NoModifier);
            else
                click(w(QStringLiteral("cmdChangeAircraft_%1").arg(next ? 1 : 0)));
        }
        QCOMPARE(shownName(), name);
        QCOMPARE(shownSets(), sets);
        QCOMPARE(rowName(0), name == QLatin1String("Airbus A300") ? QStringLiteral("Airbus A320")
                                                                  : QStringLiteral("Airbus A300"));
    }

    // ---------------------------------------------------------- the lists

    void addSelectedWithNothingSelectedRefillsTheLists() {
        openWindow();
        // Changed behind the window's back: the lists show it after the click.
        db::UserDB()->Execute(QStringLiteral("UPDATE AIRCRAFT SET ISACTIVE=TRUE WHERE AirplaneID=3"));
        const QSet<QString> before = activeNames();
        click(w(QStringLiteral("cmdAdd_0")));
        QCOMPARE(activeNames(), before);
        QVERIFY(itemsOf(w<QListWidget>(QStringLiteral("lstActive"))).contains(QStringLiteral("ATR 72")));
        QVERIFY(!itemsOf(w<QListWidget>(QStringLiteral("lstInactive"))).contains(QStringLiteral("ATR 72")));
    }

    void selectedAircraftMove_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QList<int>>("rows");  // ctrl-clicked rows
        QTest::addColumn<QString>("how");      // button, key or double
        QTest::addColumn<QStringList>("moved");
        QTest::newRow("add two") << "lstInactive" << QList<int>{0, 3} << "button"
                                 << QStringList{"ATR 72", "Ilyushin Il-62"};
        QTest::newRow("remove two") << "lstActive" << QList<int>{1, 5} << "button"
                                    << QStringList{"Airbus A320", "Fokker F.27 'Friendship'"};
        QTest::newRow("insert key") << "lstInactive" << QList<int>{4} << "key" << QStringList{"Tupolev Tu-154"};
        QTest::newRow("delete key") << "lstActive" << QList<int>{0, 6} << "key"
                                    << QStringList{"Airbus A300", "Learjet 35"};
        QTest::newRow("double-click inactive") << "lstInactive" << QList<int>{2} << "double"
                                               << QStringList{"Cessna 172"};
        QTest::newRow("double-click active") << "lstActive" << QList<int>{5} << "double"
                                             << QStringList{"Fokker F.27 'Friendship'"};
    }
    void selectedAircraftMove() {
        QFETCH(QString, list);
        QFETCH(QList<int>, rows);
        QFETCH(QString, how);
        QFETCH(QStringList, moved);
        openWindow();
        auto* source = w<QListWidget>(list);
        const bool toActive = list == QLatin1String("lstInactive");
        QSet<QString> expected = activeNames();
        for (const QString& m : moved) {
            if (toActive)
                expected << m;
            else
                expected.remove(m);
        }
        for (int r : rows) {
            const QRect rect = source->visualItemRect(source->item(r));
            if (how == QLatin1String("double")) {
                // A double-click: a click, then the second press.
                QTest::mouseClick(source->viewport(), Qt::LeftButton, {}, rect.center());
                QTest::mouseDClick(source->viewport(), Qt::LeftButton, {}, rect.center());
            } else
                QTest::mouseClick(source->viewport(), Qt::LeftButton, Qt::ControlModifier, rect.center());
        }
        if (how == QLatin1String("button")) click(w(toActive ? QStringLiteral("cmdAdd_0") : QStringLiteral("cmdRemove_0")));
        if (how == QLatin1String("key")) QTest::keyClick(source, toActive ? Qt::Key_Insert : Qt::Key_Delete);
        QCOMPARE(activeNames(), expected);
        QStringList shown = itemsOf(w<QListWidget>(QStringLiteral("lstActive")));
        QCOMPARE(QSet<QString>(shown.begin(), shown.end()), expected);
        QVERIFY(w<QListWidget>(QStringLiteral("lstActive"))->selectedItems().isEmpty());
    }

    void setRowsActOnEveryMemberWhicheverList_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<QStringList>("members");
        QTest::newRow("larger jets") << 3
                                     << QStringList{"Airbus A300", "Boeing 707", "Boeing 747", "Ilyushin Il-62",
                                                    "Tupolev Tu-154"};
        QTest::newRow("propeller airliners") << 6 << QStringList{"ATR 72", "Dash 8", "Fokker F.27 'Friendship'"};
    }
    void setRowsActOnEveryMemberWhicheverList() {
        QFETCH(int, set);
        QFETCH(QStringList, members);
        openWindow();
        const QSet<QString> before = activeNames();
        click(w(QStringLiteral("cmdAdd_%1").arg(set + 2)));
        QCOMPARE(activeNames(), before + QSet<QString>(members.begin(), members.end()));
        click(w(QStringLiteral("cmdRemove_%1").arg(set + 2)));
        QCOMPARE(activeNames(), before - QSet<QString>(members.begin(), members.end()));
        const QStringList inactive = itemsOf(w<QListWidget>(QStringLiteral("lstInactive")));
        for (const QString& m : members) QVERIFY2(inactive.contains(m), qPrintable(m));
    }

    void allAircraftAndTheFewActiveHint() {
        openWindow();
        QLabel* hint = w<QLabel>(QStringLiteral("lblFewActiveHint"));
        QVERIFY(!hint->isVisible());
        click(w(QStringLiteral("cmdRemove_1")));
        QVERIFY(activeNames().isEmpty());
        QCOMPARE(w<QListWidget>(QStringLiteral("lstInactive"))->count(), 12);
        QVERIFY(hint->isVisible());
        QVERIFY(hint->text().contains(QStringLiteral("three")));
        auto* inactive = w<QListWidget>(QStringLiteral("lstInactive"));
        for (int r : {0, 1}) QTest::mouseClick(inactive->viewport(), Qt::LeftButton, Qt::ControlModifier,
                                               inactive->visualItemRect(inactive->item(r)).center());
        click(w(QStringLiteral("cmdAdd_0")));
        QCOMPARE(activeNames().size(), 2);
        QVERIFY(hint->isVisible());
        click(w(QStringLiteral("cmdAdd_1")));
        QCOMPARE(activeNames().size(), 12);
        QVERIFY(!hint->isVisible());
    }

    // ------------------------------------------------------ set checkboxes

    void oneCheckboxClickRewritesAllEightColumns() {
        openWindow();
        showAircraftTab();
        for (int i = 0; i < 4; ++i) click(w(QStringLiteral("cmdChangeAircraft_0")));
        QCOMPARE(shownName(), QStringLiteral("Fokker F.27 'Friendship'"));
        // The database changed behind the window: the click writes what the
        // boxes show, all eight of them.
        SetColumns(9, QStringLiteral("10111101"));
        clickOption(w(QStringLiteral("chkBelongsToset_3")));
        QCOMPARE(shownSets(), QStringLiteral("01010010"));
        QCOMPARE(SetsOf(9), QStringLiteral("01010010"));
        clickOption(w(QStringLiteral("chkBelongsToset_6")));
        QCOMPARE(SetsOf(9), QStringLiteral("01010000"));
        QCOMPARE(SetsOf(8), QStringLiteral("00000010"));
    }

    // ------------------------------------------------------------- restore

    void restoreQuestions_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("yes");
        QTest::newRow("this aircraft, yes") << 0 << true;
        QTest::newRow("this aircraft, no") << 0 << false;
        QTest::newRow("all aircraft, yes") << 1 << true;
        QTest::newRow("all aircraft, no") << 1 << false;
    }
    void restoreQuestions() {
        QFETCH(int, button);
        QFETCH(bool, yes);
        // The catalogue pairs A300 hard with A320 (one direction only) and
        // B707 never with B747; the user paired A300 with ATR 72 and B737.
        fixtures::InsertPairs(*db::StaticDB(), {{102, 101, true}, {104, 106, false}});
        fixtures::InsertPairs(*db::UserDB(), {{1, 3, true}, {3, 1, true}, {1, 5, false}, {5, 1, false},
                                              {4, 6, true}, {6, 4, true}});
        SetColumns(1, QStringLiteral("01100001"));
        SetColumns(6, QStringLiteral("11111111"));
        db::UserDB()->Execute(QStringLiteral("UPDATE AIRCRAFT SET ISACTIVE=FALSE WHERE AirplaneID=1"));
        openWindow();
        showAircraftTab();
        QCOMPARE(shownSets(), QStringLiteral("01100001"));
        const QSet<QString> pairsBefore = UserPairs();
        fake_->messageBox.setNextAnswer(yes ? MsgResult::Yes : MsgResult::No);
        click(w(QStringLiteral("cmdRestoreDefaults_%1").arg(button)));

        const ShownMessage& q = fake_->messageBox.shown.value(0);
        QCOMPARE(q.title, QStringLiteral("Restore Defaults?"));
        QCOMPARE(q.text, button == 0
                             ? QStringLiteral("Are you sure that you want to restore this aircraft to its default settings?")
                             : QStringLiteral("Are you sure that you want to restore all the aircraft to their default settings?"));
        QCOMPARE(q.icon, MsgIcon::Exclamation);
        QCOMPARE(q.buttons, MsgButtons::YesNo);
        if (!yes) {
            QCOMPARE(fake_->messageBox.shown.size(), 1);
            QCOMPARE(UserPairs(), pairsBefore);
            QCOMPARE(SetsOf(1), QStringLiteral("01100001"));
            QCOMPARE(shownSets(), QStringLiteral("01100001"));
            return;
        }
        QCOMPARE(fake_->messageBox.shown.size(), 2);
        QCOMPARE(fake_->messageBox.shown[1].title, QStringLiteral("Defaults Restored."));
        QCOMPARE(fake_->messageBox.shown[1].text, QStringLiteral("Defaults Successfully Restored!"));
        QCOMPARE(fake_->messageBox.shown[1].icon, MsgIcon::Information);
        QCOMPARE(fake_->messageBox.shown[1].buttons, MsgButtons::OkOnly);
        QCOMPARE(SetsOf(1), QStringLiteral("10010000"));
        QCOMPARE(shownSets(), QStringLiteral("10010000"));
        QCOMPARE(ActiveOf(1), QStringLiteral("0"));
        // A320 (row 0) is now shown as hard; ATR 72 and B737 as neutral.
        QCOMPARE(rowStatus(0), QStringLiteral("H"));
        QCOMPARE(rowStatus(1), QStringLiteral("U"));
        QCOMPARE(rowStatus(3), QStringLiteral("U"));
        if (button == 0) {
            QCOMPARE(UserPairs(), QSet<QString>({"1,2,1", "2,1,1", "4,6,1", "6,4,1"}));
            QCOMPARE(SetsOf(6), QStringLiteral("11111111"));
        } else {
            QCOMPARE(UserPairs(), QSet<QString>({"1,2,1", "2,1,1", "4,6,0", "6,4,0"}));
            QCOMPARE(SetsOf(6), QStringLiteral("10010000"));
        }
    }

    // ---------------------------------------------------------------- grid

    void gridListsEveryOtherAircraftOnceInOrder_data() {
        QTest::addColumn<int>("steps"); // next-aircraft clicks
        QTest::newRow("first") << 0;
        QTest::newRow("middle") << 5;
        QTest::newRow("last") << 11;
    }
    void gridListsEveryOtherAircraftOnceInOrder() {
        QFETCH(int, steps);
        openWindow();
        showAircraftTab();
        for (int i = 0; i < steps; ++i) click(w(QStringLiteral("cmdChangeAircraft_1")));
        QStringList expected = allNames();
        expected.removeAt(steps);
        QCOMPARE(shownName(), allNames()[steps]);
        auto* bar = w<QScrollBar>(QStringLiteral("VScroll1"));
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->maximum(), 3);
        QCOMPARE(bar->pageStep(), 8);
        // Walk down with the arrow key, reading row 0 each time.
        QStringList seen;
        for (int p = 0; p <= bar->maximum(); ++p) {
            if (p > 0) key(Qt::Key_Down);
            QCOMPARE(bar->value(), p);
            seen << rowName(0);
        }
        for (int i = 1; i < 8; ++i) seen << rowName(i);
        QCOMPARE(seen, expected);
        // Page Up goes back to the top.
        key(Qt::Key_PageUp);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(rowName(0), expected[0]);
        key(Qt::Key_PageDown);
        QCOMPARE(rowName(7), expected.last());
    }

    void fewOthersHideTheScrollBarAndEmptyRows_data() {
        QTest::addColumn<int>("aircraft");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("scroll");
        QTest::newRow("one") << 1 << 0 << false;
        QTest::newRow("five") << 5 << 4 << false;
        QTest::newRow("nine") << 9 << 8 << false;
        QTest::newRow("ten") << 10 << 8 << true;
    }
    void fewOthersHideTheScrollBarAndEmptyRows() {
        QFETCH(int, aircraft);
        QFETCH(int, rows);
        QFETCH(bool, scroll);
        db::UserDB()->Execute(QStringLiteral("DELETE * FROM AIRCRAFT WHERE AirplaneID>") + QString::number(aircraft));
        openWindow();
        showAircraftTab();
        QCOMPARE(visibleRows(), rows);
        QCOMPARE(w(QStringLiteral("VScroll1"))->isVisible(), scroll);
        for (int i = 0; i < rows; ++i) QCOMPARE(rowName(i), allNames()[i + 1]);
        // Keys scroll only a grid that scrolls.
        key(Qt::Key_PageDown);
        if (rows > 0) QCOMPARE(rowName(0), scroll ? allNames()[2] : allNames()[1]);
    }

    void hardNeverNeutralWriteBothDirections() {
        openWindow();
        showAircraftTab();
        QCOMPARE(rowName(1), QStringLiteral("ATR 72"));
        QCOMPARE(rowStatus(1), QStringLiteral("U"));
        clickOption(w(QStringLiteral("optHard_1")));
        QCOMPARE(rowStatus(1), QStringLiteral("H"));
        QCOMPARE(UserPairs(), QSet<QString>({"1,3,1", "3,1,1"}));
        // ATR 72 shows A300 as hard.
        click(w(QStringLiteral("cmdChangeAircraft_1")));
        click(w(QStringLiteral("cmdChangeAircraft_1")));
        QCOMPARE(shownName(), QStringLiteral("ATR 72"));
        QCOMPARE(rowName(0), QStringLiteral("Airbus A300"));
        QCOMPARE(rowStatus(0), QStringLiteral("H"));
        clickOption(w(QStringLiteral("optNever_0")));
        QCOMPARE(rowStatus(0), QStringLiteral("N"));
        QCOMPARE(UserPairs(), QSet<QString>({"1,3,0", "3,1,0"}));
        // A click on the button already on changes nothing.
        clickOption(w(QStringLiteral("optNever_0")));
        QCOMPARE(rowStatus(0), QStringLiteral("N"));
        clickOption(w(QStringLiteral("optNeutral_0")));
        QCOMPARE(rowStatus(0), QStringLiteral("U"));
        QVERIFY(UserPairs().isEmpty());
    }

    void aStatusSurvivesScrollingAwayAndBack() {
        openWindow();
        showAircraftTab();
        clickOption(w(QStringLiteral("optNever_0"))); // Airbus A320
        key(Qt::Key_PageDown);
        QCOMPARE(rowName(0), QStringLiteral("Boeing 737"));
        QCOMPARE(rowStatus(0), QStringLiteral("U"));
        // A click after scrolling pairs the aircraft that row shows.
        clickOption(w(QStringLiteral("optHard_0")));
        QCOMPARE(UserPairs(), QSet<QString>({"1,2,0", "2,1,0", "1,5,1", "5,1,1"}));
        key(Qt::Key_PageUp);
        QCOMPARE(rowName(0), QStringLiteral("Airbus A320"));
        QCOMPARE(rowStatus(0), QStringLiteral("N"));
        QCOMPARE(rowStatus(3), QStringLiteral("H"));
    }

    void theWheelScrollsTheGrid() {
        openWindow();
        showAircraftTab();
        QWidget* over = w(QStringLiteral("lblTableAircraftName_2"));
        const QPoint at = over->rect().center();
        QWheelEvent down(at, over->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                         Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &down);
        QCOMPARE(w<QScrollBar>(QStringLiteral("VScroll1"))->value(), 3);
        QCOMPARE(rowName(0), QStringLiteral("Boeing 737"));
        QWheelEvent up(at, over->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &up);
        QCOMPARE(rowName(0), QStringLiteral("Airbus A320"));
    }

    void loadingAndScrollingWriteNothing() {
        // Hard and never pairs and ticked sets, so that loading turns
        // buttons and boxes on from code.
        fixtures::InsertPairs(*db::UserDB(), {{1, 2, true}, {2, 1, true}, {1, 3, false}, {3, 1, false},
                                              {2, 12, false}, {12, 2, false}});
        const int before = UserChanges();
        openWindow();
        showAircraftTab();
        QCOMPARE(rowStatus(0), QStringLiteral("H"));
        QCOMPARE(rowStatus(1), QStringLiteral("N"));
        for (int i = 0; i < 3; ++i) click(w(QStringLiteral("cmdChangeAircraft_1")));
        click(w(QStringLiteral("cmdChangeAircraft_0")));
        click(w(QStringLiteral("cmdChangeAircraft_0")));
        QCOMPARE(shownName(), QStringLiteral("Airbus A320"));
        key(Qt::Key_PageDown);
        QCOMPARE(rowStatus(7), QStringLiteral("N"));
        key(Qt::Key_Up);
        key(Qt::Key_Left);
        click(w(QStringLiteral("TopTab_1")));
        QCOMPARE(UserChanges(), before);
    }

    // ---------------------------------------------------------- odd states

    void anEmptyCatalogueOpensAndDoesNothing() {
        db::UserDB()->Execute(QStringLiteral("DELETE * FROM AIRCRAFT"));
        const int before = UserChanges();
        openWindow();
        QCOMPARE(w<QListWidget>(QStringLiteral("lstActive"))->count(), 0);
        QCOMPARE(w<QListWidget>(QStringLiteral("lstInactive"))->count(), 0);
        click(w(QStringLiteral("cmdAdd_1")));
        click(w(QStringLiteral("cmdRemove_2")));
        showAircraftTab();
        QCOMPARE(visibleRows(), 0);
        QVERIFY(!w(QStringLiteral("VScroll1"))->isVisible());
        click(w(QStringLiteral("cmdChangeAircraft_1")));
        click(w(QStringLiteral("cmdChangeAircraft_0")));
        clickOption(w(QStringLiteral("chkBelongsToset_2")));
        QCOMPARE(UserChanges(), before);
        QVERIFY(fake_->messageBox.shown.isEmpty());
    }

    void aFailedWriteIsReportedAndTheWindowStaysUsable_data() {
        QTest::addColumn<QString>("what"); // checkbox, grid, list
        QTest::newRow("checkbox") << "checkbox";
        QTest::newRow("grid") << "grid";
        QTest::newRow("list") << "list";
    }
    void aFailedWriteIsReportedAndTheWindowStaysUsable() {
        QFETCH(QString, what);
        openWindow();
        if (what != QLatin1String("list")) showAircraftTab();
        const QStringList aircraft = fixtures::DumpTable(*db::UserDB(), QStringLiteral("AIRCRAFT"));
        db::Connection::SetStatementHook([](const QString& sql) {
            if (sql.startsWith(QLatin1String("UPDATE")) || sql.startsWith(QLatin1String("INSERT")))
                throw SkyError(3051, QStringLiteral("The file is read-only."));
        });
        auto act = [&] {
            if (what == QLatin1String("checkbox")) clickOption(w(QStringLiteral("chkBelongsToset_2")));
            if (what == QLatin1String("grid")) clickOption(w(QStringLiteral("optHard_1")));
            if (what == QLatin1String("list")) click(w(QStringLiteral("cmdRemove_1")));
        };
        act();
        QCOMPARE(fake_->messageBox.shown.size(), 1);
        const ShownMessage m = fake_->messageBox.shown[0];
        QCOMPARE(m.icon, MsgIcon::Exclamation);
        QVERIFY2(m.text.contains(QStringLiteral("could not be saved")), qPrintable(m.text));
        QVERIFY2(m.text.contains(QStringLiteral("read-only")), qPrintable(m.text));
        if (what != QLatin1String("list")) QVERIFY2(m.text.contains(QStringLiteral("Airbus A300")), qPrintable(m.text));
        if (what == QLatin1String("grid")) QVERIFY2(m.text.contains(QStringLiteral("ATR 72")), qPrintable(m.text));
        QCOMPARE(fixtures::DumpTable(*db::UserDB(), QStringLiteral("AIRCRAFT")), aircraft);
        QVERIFY(UserPairs().isEmpty());
        // The window shows what is stored.
        if (what == QLatin1String("checkbox")) QCOMPARE(shownSets(), QStringLiteral("10010000"));
        if (what == QLatin1String("grid")) QCOMPARE(rowStatus(1), QStringLiteral("U"));
        if (what == QLatin1String("list")) QCOMPARE(w<QListWidget>(QStringLiteral("lstActive"))->count(), 7);
        // Once the database takes writes again, the same action works.
        db::Connection::SetStatementHook(nullptr);
        act();
        if (what == QLatin1String("checkbox")) QCOMPARE(SetsOf(1), QStringLiteral("10110000"));
        if (what == QLatin1String("grid")) QCOMPARE(UserPairs(), QSet<QString>({"1,3,1", "3,1,1"}));
        if (what == QLatin1String("list")) QVERIFY(activeNames().isEmpty());
        QCOMPARE(fake_->messageBox.shown.size(), 1);
    }

    void aRemovedUserDatabaseIsReported() {
        openWindow();
        showAircraftTab();
        const QString path = db::UserDatabasePath();
        QVERIFY(QFile::rename(path, path + QStringLiteral(".moved")));
        clickOption(w(QStringLiteral("optNever_0")));
        QCOMPARE(fake_->messageBox.shown.size(), 1);
        QVERIFY2(fake_->messageBox.shown[0].text.contains(QStringLiteral("no longer there")),
                 qPrintable(fake_->messageBox.shown[0].text));
        QCOMPARE(rowStatus(0), QStringLiteral("U"));
        QVERIFY(QFile::rename(path + QStringLiteral(".moved"), path));
        QVERIFY(UserPairs().isEmpty());
        clickOption(w(QStringLiteral("optNever_0")));
        QCOMPARE(UserPairs(), QSet<QString>({"1,2,0", "2,1,0"}));
    }

    void theReportLinkReportsTheShownAircraft() {
        openWindow();
        showAircraftTab();
        click(w(QStringLiteral("cmdChangeAircraft_0")));
        click(w(QStringLiteral("Image3")));
        QCOMPARE(fake_->shell.opened.size(), 1);
        QVERIFY2(fake_->shell.opened[0].contains(QStringLiteral("/quillan/issue.asp?id=112&imageid=0&user=Ann")),
                 qPrintable(fake_->shell.opened[0]));
    }

    void theMenuItemOpensTheWindowModally() {
        quiz::frmSkyrendelMainMenu main;
        main.InitMainWindow();
        main.ArrangePanels();
        main.ResetRollovers();
        app::WireMainWindow(main);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QString seen, shownTab;
        bool modal = false, closedByExit = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            seen = dialog->objectName();
            modal = dialog->isModal() && dialog->isVisible();
            auto* lists = dialog->findChild<QWidget*>(QStringLiteral("picPanel_1"));
            shownTab = lists && lists->isVisible() ? QStringLiteral("lists") : QStringLiteral("other");
            auto* exit = dialog->findChild<QWidget*>(QStringLiteral("cmdExit"));
            if (exit) QTest::mouseClick(exit, Qt::LeftButton, {}, exit->rect().center());
            closedByExit = !dialog->isVisible();
            if (dialog->isVisible()) dialog->reject();
        });
        auto* item = main.findChild<PictureBox*>(QStringLiteral("imgMenuItem_1"));
        QVERIFY(item && item->isEnabled());
        QTest::mouseClick(item, Qt::LeftButton, {}, item->rect().center());
        QCOMPARE(seen, QStringLiteral("frmSkyrendelOptions"));
        QVERIFY(modal);
        QCOMPARE(shownTab, QStringLiteral("lists"));
        QVERIFY(closedByExit);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // Choices made through the menu's window reach the next quiz: only the
    // active aircraft are asked, and a Never pair is never offered with
    // either of its aircraft as the answer.
    void theChoicesReachTheNextQuiz() {
        for (const Plane& p : planes())
            fixtures::CreatePictureDatabase(p.folder, {fixtures::MakeJpeg(40, 30, Qt::gray)});
        quiz::frmSkyrendelMainMenu main;
        main.InitMainWindow();
        main.ArrangePanels();
        main.ResetRollovers();
        app::WireMainWindow(main);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        bool edited = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<frmSkyrendelOptions*>(QApplication::activeModalWidget());
            if (!dialog) return;
            auto in = [dialog](const char* name) { return dialog->findChild<QWidget*>(QLatin1String(name)); };
            click(in("cmdAdd_1"));    // every aircraft active
            click(in("cmdRemove_4")); // but not the ex-USSR ones
            click(in("TopTab_0"));
            clickOption(in("optNever_0")); // Airbus A300 never with Airbus A320
            click(in("cmdExit"));
            edited = !dialog->isVisible();
        });
        auto* item = main.findChild<PictureBox*>(QStringLiteral("imgMenuItem_1"));
        QTest::mouseClick(item, Qt::LeftButton, {}, item->rect().center());
        QVERIFY(edited);

        game::GameMode = 2;
        game::TimeLimitSeconds = -1;
        game::QuestionLimit = -1;
        game::IsHardDifficulty = false;
        game::GradeImmediately = false;
        game::IsCaptainsChallenge = false;
        main.StartGame();
        QVERIFY(main.isQuizInProgress());
        QCOMPARE(main.catalogLists().lstActiveFolders.size(), 10);
        int aboutPair = 0;
        for (int q = 0; q < 400; ++q) {
            if (q > 0) main.NewQuestion();
            const quiz::QuestionRecords& r = main.records();
            QStringList shown;
            for (const QStringList* list : {&r.lstAnswerA, &r.lstAnswerB, &r.lstAnswerC})
                shown << list->last().section(QLatin1Char('!'), 0, 0);
            const QString correct = shown[r.lstCorrectAnswer.last().at(0).unicode() - 'A'];
            QVERIFY2(correct != QLatin1String("IL62") && correct != QLatin1String("TU154"), qPrintable(correct));
            if (correct == QLatin1String("A300") || correct == QLatin1String("A320")) {
                ++aboutPair;
                QVERIFY2(!(shown.contains(QStringLiteral("A300")) && shown.contains(QStringLiteral("A320"))),
                         qPrintable(shown.join(',')));
            }
        }
        QVERIFY(aboutPair > 30);
    }
};

QTEST_MAIN(TestOptionsWindow)
#include "tst_optionswindow.moc"
