#include "quiz/frmSkyrendelMainMenu.h"

#include "shell/application.h"
#include "data/catalog.h"
#include "data/databases.h"
#include "data/pictures.h"
#include "game/frmSkyrendelAircraftMissing.h"
#include "game/frmSkyrendelGameSelector.h"
#include "game/frmSkyrendelResults.h"
#include "learning/frmSkyrendelFAQ.h"
#include "learning/learningartwork.h"
#include "learning/reports.h"
#include "game/gamesettings.h"
#include "quiz/quizartwork.h"
#include "quiz/scoring.h"
#include "shell/appstate.h"
#include "shell/artwork.h"
#include "shell/designscale.h"
#include "shell/errors.h"
#include "shell/facecache.h"
#include "shell/helpers.h"
#include "shell/picturebox.h"
#include "shell/platform.h"
#include "shell/settings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <cstdlib>

namespace sky::quiz {

using game::GameMode;
using game::GradeImmediately;
using game::IsCaptainsChallenge;
using game::IsHardDifficulty;
using game::QuestionLimit;
using game::TimeLimitSeconds;

// A circle mark or one line of a cross, drawn over an answer picture; the
// mouse passes through it to the picture.
class MarkShape : public QWidget {
public:
    enum Kind { Circle, LineDown, LineUp };
    MarkShape(QWidget* parent, const QString& name, Kind kind) : QWidget(parent), kind_(kind) {
        setObjectName(name);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }
    Kind kind() const { return kind_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        // Pens in proportion to the mark, which grows with the window.
        const qreal w = 12 * height() / 180.0;
        const QRectF r = QRectF(rect()).adjusted(w, w, -w, -w);
        if (kind_ == Circle) {
            p.setPen(QPen(QColor(255, 255, 255, 190), w + 6));
            p.drawEllipse(r);
            p.setPen(QPen(art::kGreen, w));
            p.drawEllipse(r);
            return;
        }
        const QPointF a = kind_ == LineDown ? r.topLeft() : r.bottomLeft();
        const QPointF b = kind_ == LineDown ? r.bottomRight() : r.topRight();
        p.setPen(QPen(QColor(255, 255, 255, 190), w + 6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a, b);
        p.setPen(QPen(art::kRed, w, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a, b);
    }

private:
    Kind kind_;
};

namespace {

const char* kMenuCaptions[5] = {"Frequently Asked Questions", "Aircraft Options", "Check for Updates",
                                "Start Training", "Exit"};
// The sixth item, My Progress, and its two face stores.
constexpr int kProgressItem = 15;
const char* kProgressCaption = "My Progress";

bool IsMenuItem(int i) { return (i >= 0 && i < 5) || i == kProgressItem; }
int HoverStore(int i) { return i == kProgressItem ? kProgressItem + 1 : i + 5; }
int NormalStore(int i) { return i == kProgressItem ? kProgressItem + 2 : i + 10; }
// The visible items from the top of the column down.
constexpr int kMenuOrder[6] = {0, 1, 2, 3, kProgressItem, 4};
constexpr QSize kWindowSize(1000, 700);
constexpr QSize kMenuItemSize(380, 58);
constexpr QSize kPanelSize(kWindowSize.width() - 16, kWindowSize.height() - 16);
const QColor kBlack(0, 0, 0);
const QColor kNavyText(0x0f, 0x1f, 0x3a);

// A quiz panel: white, reports its keys and the mouse over its background.
class QuizPanel : public QWidget {
public:
    QuizPanel(QWidget* parent, const QString& name) : QWidget(parent) {
        setObjectName(name);
        setAutoFillBackground(true);
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, art::kPanelWhite);
        pal.setColor(QPalette::WindowText, kNavyText);
        setPalette(pal);
    }
    std::function<void(QKeyEvent*)> onKey;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (onKey) onKey(e);
        else QWidget::keyPressEvent(e);
    }
};

QLabel* makeLabel(QWidget* parent, const QString& name, const QRect& r, int pixelSize, bool bold,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(r);
    l->setFont(artwork::TitleFont(pixelSize, bold));
    l->setAlignment(align);
    l->setMouseTracking(true);
    return l;
}

// Shrinks a one-line caption's type, from the size it was designed with,
// until the whole text fits its label; a name too long even at the smallest
// size wraps onto a second line.
void FitText(QLabel* l) {
    const int designed = l->property("DesignPixelSize").toInt() > 0 ? l->property("DesignPixelSize").toInt()
                                                                    : l->font().pixelSize();
    if (designed <= 0) return;
    l->setProperty("DesignPixelSize", designed);
    const double scale = l->window()->property("DesignScale").isValid() ? l->window()->property("DesignScale").toDouble()
                                                                        : 1.0;
    const int design = qMax(1, qRound(designed * scale));
    QFont f = l->font();
    const int room = l->width() - 4;
    int size = design;
    constexpr int kSmallest = 11;
    for (; size > kSmallest; --size) {
        f.setPixelSize(size);
        if (QFontMetrics(f).horizontalAdvance(l->text()) <= room) break;
    }
    f.setPixelSize(size);
    l->setFont(f);
    l->setWordWrap(QFontMetrics(f).horizontalAdvance(l->text()) > room);
}

void setTextColour(QLabel* l, const QColor& c) {
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, c);
    l->setPalette(pal);
}

PictureBox* makePicture(QWidget* parent, const QString& name, const QRect& r, bool stretch = false) {
    auto* p = new PictureBox(parent, name);
    p->setGeometry(r);
    p->setStretch(stretch);
    return p;
}

// Runs a function when it leaves scope, also through an exception.
template <typename F>
struct Finally {
    F f;
    ~Finally() { f(); }
};
template <typename F>
Finally(F) -> Finally<F>;

// Shows a face held by a hidden element; the face is drawn when first shown.
void showStoredFace(PictureBox* element, const PictureBox* store) {
    element->setPictureSource([store] { return store->picture(); });
}

} // namespace

frmSkyrendelMainMenu::frmSkyrendelMainMenu(QWidget* parent) : QWidget(parent), generator_(lists_) {
    setObjectName(QStringLiteral("frmSkyrendelMainMenu"));
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    // Designed at 1000x700; any larger size shows the design scaled as a whole.
    resize(kWindowSize);
    setMinimumSize(kWindowSize * 4 / 5);
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, artwork::kNavy);
    setPalette(pal);
    SetMainWindowWidget(this);

    // Drawn (or read from the face cache) when first shown.
    auto* emblem = new PictureBox(this, QStringLiteral("imgEmblem"));
    emblem->setGeometry((width() - 520) / 2, 36, 520, 160);
    emblem->setPictureSource([emblem] { return artwork::SplashFace(emblem->size()); });
    emblem->setMouseTracking(true);
    emblem->installEventFilter(this);

    buildMenu();
    buildFaceStores();
    buildLearningPanel();
    buildPicturesPanel();
    buildNamesPanel();
    buildListsPanel();

    Timer1_ = new QTimer(this);
    Timer1_->setObjectName(QStringLiteral("Timer1"));
    Timer1_->setInterval(200);
    connect(Timer1_, &QTimer::timeout, this, [this] { Timer1_Timer(); });

    for (QWidget* w : {picLearningMode_, picChallengeMode_, picChallengeMode2_}) {
        w->setGeometry(QRect(QPoint(8, 8), kPanelSize));
        w->hide();
    }

    // Learning mode fills the learning panel's pages; it is made when
    // learning mode first starts, so nothing of it is drawn before.
    onStartLearning = [this] {
        if (!learning_) learning_ = new learning::LearningMode(picLearningMode_, lists_, this);
        learning_->SetupLearningMode();
    };

    // The advice on reporting a problem, on both quiz panels.
    const QRect seeProblem[2] = {QRect(20, 440, 460, 20), QRect(20, 440, 460, 20)};
    for (int i = 0; i < 2; ++i) {
        imgSeeProblem_[i] = learning::MakeReportLink(quizPanel(i), QStringLiteral("imgSeeProblem_%1").arg(i),
                                                     QString::fromLatin1(learning::art::kSeeProblemText), false);
        imgSeeProblem_[i]->setGeometry(seeProblem[i]);
        imgSeeProblem_[i]->setPictureSource([size = imgSeeProblem_[i]->size()] {
            return learning::art::ReportLinkFace(size, QString::fromLatin1(learning::art::kSeeProblemText), false);
        });
        connect(imgSeeProblem_[i], &PictureBox::clicked, this, [this, i] { learning::imgSeeProblem_Click(i, this); });
    }

    // The learning panel lays out its own pages at any size; the lists
    // panel is a diagnostic view. Everything else scales with the window.
    scaler_ = new DesignScaler(this, kWindowSize);
    scaler_->leaveContents(picLearningMode_);
    scaler_->leaveContents(picLists_);
    scaler_->capture();
    scaler_->onScaled = [this](double) { redrawFaces(); };
}

void frmSkyrendelMainMenu::redrawFaces() {
    // Every face is drawn again for its control's new size, when it is next
    // needed.
    if (auto* emblem = findChild<PictureBox*>(QStringLiteral("imgEmblem")))
        emblem->setPictureSource([emblem] { return artwork::SplashFace(emblem->size()); });
    for (int i : kMenuOrder) updateMenuItem(i);
    PictureBox* const next = picNextQuestion_[0];
    PictureBox* const grade = imgGrade_[0];
    PictureBox* const review = imgReviewQuestion_[0];
    for (int i = 2; i < 4; ++i)
        picNextQuestion_[i]->setPictureSource([next, i] { return art::NextQuestionFace(next->size(), i == 3); });
    for (int i = 2; i < 6; ++i)
        imgGrade_[i]->setPictureSource([grade, i] { return art::GradeFace(grade->size(), i < 4, i % 2 == 1); });
    for (int i = 2; i < 5; ++i)
        imgReviewQuestion_[i]->setPictureSource([review, i] { return art::ReviewFace(review->size(), i - 2); });
    for (int c = 0; c < 2; ++c) {
        auto* band = static_cast<PictureBox*>(picControlBox_[c]);
        band->setPictureSource([band] { return art::ControlBand(band->size()); });
        PictureBox* const badge = imgCaptainsChallenge_[c];
        badge->setPictureSource([badge] { return art::CaptainsChallengeBadge(badge->size()); });
        PictureBox* const link = imgSeeProblem_[c];
        link->setPictureSource([link] {
            return learning::art::ReportLinkFace(link->size(), QString::fromLatin1(learning::art::kSeeProblemText),
                                                 false);
        });
        // The buttons show their faces again, at the new size.
        showStoredFace(picNextQuestion_[c], picNextQuestion_[2]);
        showGradeFace(c, false);
        showStoredFace(imgReviewQuestion_[c], imgReviewQuestion_[2]);
    }
    PictureBox* const mark = imgQuestionMark_;
    mark->setPictureSource([mark] { return art::QuestionMark(mark->size()); });
    for (QLabel* l : lblAircraftLabel_) FitText(l);
}

void frmSkyrendelMainMenu::RestoreWindowPlacement() {
    const int w = GetAppSetting(QStringLiteral("WindowWidth"), QString()).toInt();
    const int h = GetAppSetting(QStringLiteral("WindowHeight"), QString()).toInt();
    const QRect room = screen() ? screen()->availableGeometry() : QRect();
    if (w >= minimumWidth() && h >= minimumHeight() && (room.isEmpty() || (w <= room.width() && h <= room.height())))
        resize(w, h);
    if (GetAppSetting(QStringLiteral("WindowState"), QString()) == QLatin1String("Maximized"))
        setWindowState(windowState() | Qt::WindowMaximized);
    placementRestored_ = true;
}

void frmSkyrendelMainMenu::rememberPlacement() {
    if (!placementRestored_) return;
    const bool maximised = windowState() & Qt::WindowMaximized;
    SaveAppSetting(QStringLiteral("WindowState"), maximised ? QStringLiteral("Maximized") : QStringLiteral("Normal"));
    // The normal size is kept while maximised, for the next restore.
    if (!maximised && !(windowState() & (Qt::WindowMinimized | Qt::WindowFullScreen))) {
        SaveAppSetting(QStringLiteral("WindowWidth"), QString::number(width()));
        SaveAppSetting(QStringLiteral("WindowHeight"), QString::number(height()));
    }
}

void frmSkyrendelMainMenu::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    rememberPlacement();
}

void frmSkyrendelMainMenu::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) rememberPlacement();
}

frmSkyrendelMainMenu::~frmSkyrendelMainMenu() {
    if (MainWindowWidget() == this) SetMainWindowWidget(nullptr);
}

// ------------------------------------------------------------------ building

void frmSkyrendelMainMenu::buildMenu() {
    for (int i = 0; i < int(imgMenuItem_.size()); ++i) {
        auto* item = new PictureBox(this, QStringLiteral("imgMenuItem_%1").arg(i));
        item->setStretch(true);
        imgMenuItem_[i] = item;
        if (!IsMenuItem(i)) {
            item->hide();
            continue;
        }
        item->setAccessibleName(QString::fromLatin1(i == kProgressItem ? kProgressCaption : kMenuCaptions[i]));
        connect(item, &PictureBox::clicked, this, [this, i] { imgMenuItem_Click(i); });
        connect(item, &PictureBox::mouseMoved, this, [this, i] { imgMenuItem_MouseMove(i); });
        // Tab, the arrow keys and Enter work the menu as the mouse does.
        item->setKeyboardActivation(true);
        item->installEventFilter(this);
    }
    placeMenuItems();
    for (int i : kMenuOrder) updateMenuItem(i);
}

void frmSkyrendelMainMenu::placeMenuItems() {
    const bool progress = bool(menuItemActions_[kProgressItem]);
    imgMenuItem_[kProgressItem]->setVisible(progress);
    // Five items as designed; with a sixth the column closes up a little.
    const int gap = progress ? 10 : 16;
    const int left = (kWindowSize.width() - kMenuItemSize.width()) / 2;
    int slot = 0;
    for (int i : kMenuOrder) {
        if (i == kProgressItem && !progress) continue;
        const QRect design(left, 232 + slot++ * (kMenuItemSize.height() + gap), kMenuItemSize.width(),
                           kMenuItemSize.height());
        if (scaler_) scaler_->setDesignGeometry(imgMenuItem_[i], design);
        else imgMenuItem_[i]->setGeometry(design);
    }
    // Tab follows the column.
    for (int k = 0; k + 1 < int(std::size(kMenuOrder)); ++k)
        setTabOrder(imgMenuItem_[kMenuOrder[k]], imgMenuItem_[kMenuOrder[k + 1]]);
}

void frmSkyrendelMainMenu::updateMenuItem(int i) {
    static const art::MenuSymbol symbols[5] = {art::MenuSymbol::Questions, art::MenuSymbol::Options,
                                               art::MenuSymbol::Updates, art::MenuSymbol::Play,
                                               art::MenuSymbol::Exit};
    const bool available = isMenuItemAvailable(i);
    const art::MenuSymbol symbol = i == kProgressItem ? art::MenuSymbol::Progress : symbols[i];
    const QString caption = QString::fromLatin1(i == kProgressItem ? kProgressCaption : kMenuCaptions[i]);
    for (int store : {HoverStore(i), NormalStore(i)}) {
        const bool hover = store == HoverStore(i);
        PictureBox* shown = imgMenuItem_[i];
        imgMenuItem_[store]->setPictureSource([shown, symbol, caption, lit = hover && available, available] {
            const QSize size = shown->size();
            const QString recipe = QStringLiteral("menu-item|%1|%2|%3|%4|%5x%6")
                                       .arg(int(symbol))
                                       .arg(caption)
                                       .arg(int(lit))
                                       .arg(int(!available))
                                       .arg(size.width())
                                       .arg(size.height());
            return CachedFace(recipe, [=] { return art::MenuItemFace(size, symbol, caption, lit, !available); });
        });
    }
    PictureBox* item = imgMenuItem_[i];
    item->setEnabled(available);
    item->setToolTip(available ? QString() : QStringLiteral("Not available in this version"));
    if (available) item->setCursor(Qt::PointingHandCursor);
    else item->unsetCursor();
    showFace(i, NormalStore(i));
}

void frmSkyrendelMainMenu::SetMenuItemAction(int index, std::function<void()> action) {
    if (index != 1 && index != 2 && index != kProgressItem) return;
    menuItemActions_[index] = std::move(action);
    if (index == kProgressItem) placeMenuItems();
    updateMenuItem(index);
}

void frmSkyrendelMainMenu::buildFaceStores() {
    // The faces of the buttons that exist on both quiz panels, held by hidden
    // elements 2 and up, as the on-screen elements 0 and 1 show them.
    const QSize next(220, 56), grade(180, 56), review(180, 56);
    // Each face is drawn the first time it is shown.
    for (int i = 2; i < 4; ++i) {
        picNextQuestion_[i] = makePicture(this, QStringLiteral("picNextQuestion_%1").arg(i), QRect(), true);
        picNextQuestion_[i]->setPictureSource([next, i] { return art::NextQuestionFace(next, i == 3); });
        picNextQuestion_[i]->hide();
    }
    for (int i = 2; i < 6; ++i) {
        imgGrade_[i] = makePicture(this, QStringLiteral("imgGrade_%1").arg(i), QRect(), true);
        imgGrade_[i]->setPictureSource([grade, i] { return art::GradeFace(grade, i < 4, i % 2 == 1); });
        imgGrade_[i]->hide();
    }
    for (int i = 2; i < 5; ++i) {
        imgReviewQuestion_[i] = makePicture(this, QStringLiteral("imgReviewQuestion_%1").arg(i), QRect(), true);
        imgReviewQuestion_[i]->setPictureSource([review, i] { return art::ReviewFace(review, i - 2); });
        imgReviewQuestion_[i]->hide();
    }
}

void frmSkyrendelMainMenu::buildLearningPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("picLearningMode"));
    panel->resize(kPanelSize);
    panel->setMouseTracking(true);
    picLearningMode_ = panel;

    imgLearningMode_ = makePicture(panel, QStringLiteral("imgLearningMode"), QRect(QPoint(0, 0), kPanelSize), true);
    imgLearningMode_->setPictureSource([] { return art::LearningBackground(kPanelSize); });

    cmdExit_ = new QPushButton(QStringLiteral("Back to Menu"), panel);
    UseProgramStyle(cmdExit_);
    cmdExit_->setObjectName(QStringLiteral("cmdExit"));
    cmdExit_->setGeometry(kPanelSize.width() - 160, 14, 140, 36);
    connect(cmdExit_, &QPushButton::clicked, this, [this] { cmdExit_Click(); });

    const char* captions[2] = {"Compare With Another", "About this Aircraft"};
    const QRect pageRect(20, 100, kPanelSize.width() - 40, kPanelSize.height() - 120);
    for (int i = 0; i < 2; ++i) {
        auto* page = new QWidget(panel);
        page->setObjectName(QStringLiteral("picPanel_%1").arg(i));
        page->setGeometry(pageRect);
        page->setAutoFillBackground(true);
        QPalette pal = page->palette();
        pal.setColor(QPalette::Window, art::kPanelWhite);
        page->setPalette(pal);
        picPanel_[i] = page;

        const QRect headRect(20 + i * 226, 64, 230, 37);
        TopTab_[i] = makePicture(panel, QStringLiteral("TopTab_%1").arg(i), headRect, true);
        TopTab_[i]->setPictureSource([size = headRect.size()] { return art::TabHead(size, false); });
        TopTab_[i]->setCursor(Qt::PointingHandCursor);
        connect(TopTab_[i], &PictureBox::clicked, this, [this, i] { SetTab(i); });

        lblTopTabCaption_[i] = makeLabel(TopTab_[i], QStringLiteral("lblTopTabCaption_%1").arg(i),
                                         QRect(QPoint(0, 2), headRect.size()), 14, true, Qt::AlignCenter);
        lblTopTabCaption_[i]->setText(QString::fromLatin1(captions[i]));
        lblTopTabCaption_[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
        setTextColour(lblTopTabCaption_[i], kNavyText);

        // Hides the page's top edge under the chosen head, joining the two.
        TabCover_[i] = new QWidget(panel);
        TabCover_[i]->setObjectName(QStringLiteral("TabCover_%1").arg(i));
        TabCover_[i]->setGeometry(headRect.left() + 1, pageRect.top() - 1, headRect.width() - 2, 3);
        TabCover_[i]->setAutoFillBackground(true);
    }

    SetTab(0);
}

void frmSkyrendelMainMenu::buildPicturesPanel() {
    auto* panel = new QuizPanel(this, QStringLiteral("picChallengeMode"));
    panel->resize(kPanelSize);
    panel->onKey = [this](QKeyEvent* e) { onPanelKey(0, e->key()), e->accept(); };
    panel->installEventFilter(this);
    picChallengeMode_ = panel;

    imgQuestionMark_ = makePicture(panel, QStringLiteral("imgQuestionMark"), QRect(24, 30, 72, 72), true);
    imgQuestionMark_->setPictureSource([] { return art::QuestionMark(QSize(72, 72)); });
    imgAircraftNameForPicSelection_ =
        makePicture(panel, QStringLiteral("imgAircraftNameForPicSelection"), QRect(112, 26, 400, 80));
    auto* prompt = makeLabel(panel, QStringLiteral("lblPicturesPrompt"), QRect(530, 40, 300, 52), 15, false);
    prompt->setWordWrap(true);
    prompt->setText(QStringLiteral("Which picture shows this aircraft?\nClick it, or press 1, 2 or 3."));
    setTextColour(prompt, kNavyText);
    prompt->installEventFilter(this);

    imgCaptainsChallenge_[0] =
        makePicture(panel, QStringLiteral("imgCaptainsChallenge_0"), QRect(836, 22, 128, 84), true);
    imgCaptainsChallenge_[0]->setPictureSource([] { return art::CaptainsChallengeBadge(QSize(128, 84)); });
    imgCaptainsChallenge_[0]->hide();

    for (int i = 0; i < 3; ++i) {
        const QRect frame(20 + i * 320, 146, 304, 208);
        picOuterChoice_[i] = makePicture(panel, QStringLiteral("picOuterChoice_%1").arg(i), frame);
        picOuterChoice_[i]->setBackColor(art::kPanelWhite);
        picAircraftSelection_[i] =
            makePicture(picOuterChoice_[i], QStringLiteral("picAircraftSelection_%1").arg(i), QRect(8, 8, 288, 192));
        picAircraftSelection_[i]->setCursor(Qt::PointingHandCursor);
        // The marks: the same place in every frame (ArrangePanels copies
        // element 0's place to the others).
        shpO_[i] = new MarkShape(picOuterChoice_[i], QStringLiteral("shpO_%1").arg(i), MarkShape::Circle);
        shpX1_[i] = new MarkShape(picOuterChoice_[i], QStringLiteral("shpX1_%1").arg(i), MarkShape::LineDown);
        shpX2_[i] = new MarkShape(picOuterChoice_[i], QStringLiteral("shpX2_%1").arg(i), MarkShape::LineUp);
        // Every frame's marks have the design place of element 0's.
        shpO_[i]->setGeometry(72, 14, 160, 180);
        shpX1_[i]->setGeometry(52, 14, 200, 180);
        shpX2_[i]->setGeometry(52, 14, 200, 180);
        lblAircraftLabel_[i] = makeLabel(panel, QStringLiteral("lblAircraftLabel_%1").arg(i),
                                         QRect(20 + i * 320, 362, 304, 32), 17, true, Qt::AlignCenter);
        setTextColour(lblAircraftLabel_[i], kNavyText);
        lblAircraftLabel_[i]->hide();
        connect(picAircraftSelection_[i], &PictureBox::clicked, this, [this, i] { ClickABC(i); });
        connect(picAircraftSelection_[i], &PictureBox::mouseMoved, this,
                [this, i] { picAircraftSelection_MouseMove(i); });
    }
    buildControlBox(panel, 0, QRect(12, 468, kPanelSize.width() - 24, 204));
}

void frmSkyrendelMainMenu::buildNamesPanel() {
    auto* panel = new QuizPanel(this, QStringLiteral("picChallengeMode2"));
    panel->resize(kPanelSize);
    panel->onKey = [this](QKeyEvent* e) { onPanelKey(1, e->key()), e->accept(); };
    panel->installEventFilter(this);
    picChallengeMode2_ = panel;

    picAircraftSelection_[3] = makePicture(panel, QStringLiteral("picAircraftSelection_3"), QRect(20, 20, 576, 384));
    picAircraftSelection_[3]->setBackColor(QColor(0xf0, 0xf2, 0xf5));
    connect(picAircraftSelection_[3], &PictureBox::clicked, this, [this] { ClickABC(3); });
    connect(picAircraftSelection_[3], &PictureBox::mouseMoved, this, [this] { picAircraftSelection_MouseMove(3); });
    lblAircraftLabel_[3] = makeLabel(panel, QStringLiteral("lblAircraftLabel_3"), QRect(20, 410, 576, 34), 18, true,
                                     Qt::AlignCenter);
    setTextColour(lblAircraftLabel_[3], kNavyText);
    lblAircraftLabel_[3]->hide();

    auto* prompt = makeLabel(panel, QStringLiteral("lblNamesPrompt"), QRect(620, 4, 344, 40), 15, false);
    prompt->setText(QStringLiteral("Which aircraft is this? Click its name, or press 1, 2 or 3."));
    prompt->setWordWrap(true);
    setTextColour(prompt, kNavyText);
    prompt->installEventFilter(this);

    for (int i = 0; i < 3; ++i) {
        picSelectedName_[i] =
            makePicture(panel, QStringLiteral("picSelectedName_%1").arg(i), QRect(620, 50 + i * 100, 344, 88));
        picSelectedName_[i]->setBackColor(art::kPanelWhite);
        cmdNameSelector_[i] =
            makePicture(picSelectedName_[i], QStringLiteral("cmdNameSelector_%1").arg(i), QRect(12, 10, 320, 68));
        cmdNameSelector_[i]->setCursor(Qt::PointingHandCursor);
        connect(cmdNameSelector_[i], &PictureBox::clicked, this, [this, i] { ClickABC(i); });
        connect(cmdNameSelector_[i], &PictureBox::mouseMoved, this, [this, i] { cmdNameSelector_MouseMove(i); });
    }
    imgCaptainsChallenge_[1] =
        makePicture(panel, QStringLiteral("imgCaptainsChallenge_1"), QRect(728, 356, 128, 84), true);
    imgCaptainsChallenge_[1]->setPictureSource([] { return art::CaptainsChallengeBadge(QSize(128, 84)); });
    imgCaptainsChallenge_[1]->hide();
    buildControlBox(panel, 1, QRect(12, 468, kPanelSize.width() - 24, 204));
}

void frmSkyrendelMainMenu::buildControlBox(QWidget* panel, int c, const QRect& geometry) {
    auto* box = makePicture(panel, QStringLiteral("picControlBox_%1").arg(c), geometry, true);
    box->setPictureSource([size = geometry.size()] { return art::ControlBand(size); });
    box->installEventFilter(this);
    picControlBox_[c] = box;

    lblCorrectOrIncorrect_[c] =
        makeLabel(box, QStringLiteral("lblCorrectOrIncorrect_%1").arg(c), QRect(16, 10, 500, 56), 34, true);
    lblCorrectOrIncorrect_[c]->hide();

    picNextQuestion_[c] = makePicture(box, QStringLiteral("picNextQuestion_%1").arg(c), QRect(532, 10, 220, 56), true);
    showStoredFace(picNextQuestion_[c], picNextQuestion_[2]);
    picNextQuestion_[c]->setCursor(Qt::PointingHandCursor);
    picNextQuestion_[c]->hide();
    connect(picNextQuestion_[c], &PictureBox::clicked, this, [this, c] { picNextQuestion_Click(c); });
    connect(picNextQuestion_[c], &PictureBox::mouseMoved, this, [this, c] { picNextQuestion_MouseMove(c); });

    imgReviewQuestion_[c] =
        makePicture(box, QStringLiteral("imgReviewQuestion_%1").arg(c), QRect(766, 10, 180, 56), true);
    showStoredFace(imgReviewQuestion_[c], imgReviewQuestion_[2]);
    imgReviewQuestion_[c]->setCursor(Qt::PointingHandCursor);
    imgReviewQuestion_[c]->setToolTip(QStringLiteral("Hold the mouse button down to see the last question again"));
    imgReviewQuestion_[c]->hide();
    connect(imgReviewQuestion_[c], &PictureBox::mouseDown, this, [this, c] { imgReviewQuestion_MouseDown(c); });
    connect(imgReviewQuestion_[c], &PictureBox::mouseUp, this, [this, c] { imgReviewQuestion_MouseUp(c); });
    connect(imgReviewQuestion_[c], &PictureBox::mouseMoved, this, [this, c] { imgReviewQuestion_MouseMove(c); });

    imgGrade_[c] = makePicture(box, QStringLiteral("imgGrade_%1").arg(c), QRect(766, 80, 180, 56), true);
    imgGrade_[c]->setCursor(Qt::PointingHandCursor);
    setTag(imgGrade_[c], QStringLiteral("EXIT"));
    showStoredFace(imgGrade_[c], imgGrade_[2]);
    connect(imgGrade_[c], &PictureBox::clicked, this, [this, c] { imgGrade_Click(c); });
    connect(imgGrade_[c], &PictureBox::mouseMoved, this, [this, c] { imgGrade_MouseMove(c); });

    lblQuestionNofN_[c] = makeLabel(box, QStringLiteral("lblQuestionNofN_%1").arg(c), QRect(16, 80, 300, 30), 20, true);
    setTextColour(lblQuestionNofN_[c], kNavyText);
    lblQuestionNofN_[c]->installEventFilter(this);
    lblTimeLeft_[c] = makeLabel(box, QStringLiteral("lblTimeLeft_%1").arg(c), QRect(330, 80, 300, 30), 20, true);
    setTextColour(lblTimeLeft_[c], kBlack);
    lblCurrentScore_[c] = makeLabel(box, QStringLiteral("lblCurrentScore_%1").arg(c), QRect(16, 116, 730, 28), 16, false);
    setTextColour(lblCurrentScore_[c], kNavyText);
    lblCurrentScore_[c]->installEventFilter(this);

    chkAutoAdvance_[c] = new QCheckBox(QStringLiteral("Auto Advance to Next Question"), box);
    chkAutoAdvance_[c]->setObjectName(QStringLiteral("chkAutoAdvance_%1").arg(c));
    chkAutoAdvance_[c]->setGeometry(16, 158, 300, 28);
    chkAutoAdvance_[c]->setFocusPolicy(Qt::TabFocus);
    chkAutoAdvance_[c]->setMouseTracking(true);
    chkAutoAdvance_[c]->installEventFilter(this);
    connect(chkAutoAdvance_[c], &QCheckBox::clicked, this, [this, c] { chkAutoAdvance_Click(c); });

    chkPlaySound_[c] = new QCheckBox(QStringLiteral("Play Sound"), box);
    chkPlaySound_[c]->setObjectName(QStringLiteral("chkPlaySound_%1").arg(c));
    chkPlaySound_[c]->setGeometry(330, 158, 200, 28);
    chkPlaySound_[c]->setFocusPolicy(Qt::TabFocus);
    connect(chkPlaySound_[c], &QCheckBox::clicked, this, [this, c] { chkPlaySound_Click(c); });
    for (QCheckBox* box2 : {chkAutoAdvance_[c], chkPlaySound_[c]}) {
        QPalette pal = box2->palette();
        pal.setColor(QPalette::WindowText, kNavyText);
        box2->setPalette(pal);
        box2->setFont(artwork::TitleFont(14, false));
    }
}

void frmSkyrendelMainMenu::buildListsPanel() {
    picLists_ = new QWidget(this);
    picLists_->setObjectName(QStringLiteral("picLists"));
    picLists_->setGeometry(QRect(QPoint(0, 0), kWindowSize));
    picLists_->setAutoFillBackground(true);
    QPalette pal = picLists_->palette();
    pal.setColor(QPalette::Window, QColor(0xf4, 0xf4, 0xf4));
    pal.setColor(QPalette::WindowText, kBlack);
    picLists_->setPalette(pal);
    picLists_->hide();

    Command1_ = new QPushButton(QStringLiteral("debug see lists"), this);
    UseProgramStyle(Command1_);
    Command1_->setObjectName(QStringLiteral("Command1"));
    Command1_->setGeometry(width() - 130, height() - 34, 120, 26);
    connect(Command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });
#ifdef NDEBUG
    // A release build keeps the lists behind a key chord only.
    Command1_->hide();
#endif
    auto* chord = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), this);
    chord->setObjectName(QStringLiteral("shortcutLists"));
    chord->setContext(Qt::WindowShortcut);
    connect(chord, &QShortcut::activated, this, [this] { Command1_Click(); });
}

void frmSkyrendelMainMenu::fillListsPanel() {
    // The lists and their captions are made the first time the panel shows:
    // a start that never asks for them never measures their text.
    if (!listViews_.isEmpty()) return;
    auto* heading = new QLabel(
        QStringLiteral("DONT ASK                HARD                              EASY                                      "
                       "ACTIVE                                    ALL"),
        picLists_);
    heading->setObjectName(QStringLiteral("lblListsHeading"));
    heading->setGeometry(10, 4, 980, 20);
    auto* hint = new QLabel(QStringLiteral("Working lists of the current question. Ctrl+Shift+D hides them."), picLists_);
    hint->setObjectName(QStringLiteral("lblListsHint"));
    hint->setGeometry(10, 676, 600, 20);

    struct View {
        const char* name;
        std::function<QStringList()> content;
    };
    const PartnerLists& pl = generator_.partners();
    // Top row: under the heading's five words; bottom row: the rest.
    const QVector<View> top = {
        {"lstDontAskPartners", [&pl] { return pl.lstDontAskPartners; }},
        {"lstHardPartners", [&pl] { return pl.lstHardPartners; }},
        {"lstEasyPartners", [&pl] { return pl.lstEasyPartners; }},
        {"lstActiveFolders", [this] { return lists_.lstActiveFolders; }},
        {"lstAircraftFolders", [this] { return lists_.lstAircraftFolders; }},
    };
    const QVector<View> bottom = {
        {"lstSameCharacteristicPartnersClose", [&pl] { return pl.lstSameCharacteristicPartnersClose; }},
        {"lstSameCharacteristicPartnersFAr", [&pl] { return pl.lstSameCharacteristicPartnersFAr; }},
        {"lstActiveLessDontAsk", [&pl] { return pl.lstActiveLessDontAsk; }},
        {"lstAircraftNames", [this] { return lists_.lstAircraftNames; }},
        {"lstAircraftIsActive", [this] { return lists_.lstAircraftIsActive; }},
        {"lstAnswerA", [this] { return records_.lstAnswerA; }},
        {"lstAnswerB", [this] { return records_.lstAnswerB; }},
        {"lstAnswerC", [this] { return records_.lstAnswerC; }},
        {"lstCorrectAnswer", [this] { return records_.lstCorrectAnswer; }},
        {"lstUsersInput", [this] { return records_.lstUsersInput; }},
    };
    auto add = [this](const View& v, const QRect& r) {
        QString text = QString::fromLatin1(v.name).mid(3);
        text.replace(QStringLiteral("SameCharacteristicPartners"), QStringLiteral("Sets "));
        auto* caption = new QLabel(text, picLists_);
        caption->setGeometry(r.left(), r.top() - 16, r.width(), 16);
        caption->setFont(artwork::TitleFont(10, false));
        auto* list = new QListWidget(picLists_);
        list->setObjectName(QString::fromLatin1(v.name));
        list->setGeometry(r);
        list->setFont(artwork::TitleFont(10, false));
        list->setAutoFillBackground(true);
        listViews_.push_back({list, v.content});
        return list;
    };
    for (int i = 0; i < top.size(); ++i) add(top[i], QRect(10 + i * 196, 44, 190, 300));
    for (int i = 0; i < bottom.size(); ++i) add(bottom[i], QRect(10 + i * 98, 380, 94, 290));
    const char* sources[kDistractorSourceCount] = {"lstHardPartners",      "lstSameCharacteristicPartnersClose",
                                                   "lstSameCharacteristicPartnersFAr", "lstEasyPartners",
                                                   "lstActiveLessDontAsk", "lstActiveFolders",
                                                   "lstAircraftFolders"};
    for (int k = 0; k < kDistractorSourceCount; ++k)
        sourceLists_[k] = picLists_->findChild<QListWidget*>(QString::fromLatin1(sources[k]));
    for (QWidget* w : picLists_->findChildren<QWidget*>()) w->show();
}

// ----------------------------------------------------------------- start-up

void frmSkyrendelMainMenu::Form_Load(const QStringList& arguments) {
    try {
        RunStartup(*this, arguments);
        RestoreWindowPlacement();
        CenterForm(this);
    } catch (const ProcessExited&) {
        throw;
    } catch (const SkyError& e) {
        CloseSplash();
        EndWithUnhandledError(e.number(), e.description());
    }
}

void frmSkyrendelMainMenu::MatchPanelHeights() {
    picPanel_[0]->resize(picPanel_[0]->width(), picPanel_[1]->height());
}

void frmSkyrendelMainMenu::InitMainWindow() {
    for (PictureBox* p : picAircraftSelection_) p->clearPicture();
    imgAircraftNameForPicSelection_->clearPicture();
    for (PictureBox* p : cmdNameSelector_) p->clearPicture();

    const bool autoAdvance = GetAppSetting(QStringLiteral("AutoAdvance"), QStringLiteral("TRUE")) == QLatin1String("TRUE");
    const bool playSound = GetAppSetting(QStringLiteral("PlaySound"), QStringLiteral("TRUE")) == QLatin1String("TRUE");
    for (int c = 0; c < 2; ++c) {
        chkAutoAdvance_[c]->setChecked(autoAdvance);
        chkPlaySound_[c]->setChecked(playSound);
    }

    imgLearningMode_->move(0, 0);
    picLearningMode_->hide();
    for (QWidget* cover : TabCover_) {
        QPalette pal = cover->palette();
        pal.setColor(QPalette::Window, art::kPanelWhite);
        cover->setPalette(pal);
    }
}

void frmSkyrendelMainMenu::ArrangePanels() {
    // 120 twips (8 pixels) from the top and left, 240 twips smaller than
    // the inner area.
    const int m = 120 / 15;
    const QRect design(m, m, kWindowSize.width() - 2 * m, kWindowSize.height() - 2 * m);
    for (QWidget* w : {picLearningMode_, picChallengeMode_, picChallengeMode2_}) {
        w->setGeometry(scaler_ ? scaler_->mapFromDesign(design) : design);
        w->hide();
    }
    for (int i = 0; i < 3; ++i) {
        shpO_[i]->hide();
        shpO_[i]->setGeometry(shpO_[0]->geometry());
        shpX1_[i]->hide();
        shpX1_[i]->setGeometry(shpX1_[0]->geometry());
        shpX2_[i]->hide();
        shpX2_[i]->setGeometry(shpX2_[0]->geometry());
    }
    for (QLabel* l : lblAircraftLabel_) l->hide();
}

// --------------------------------------------------------------------- menu

bool frmSkyrendelMainMenu::isMenuItemAvailable(int index) const {
    // The options, updates and progress windows live above the quiz and are
    // handed in by the program's wiring; without them their items lead nowhere.
    if (index == 1 || index == 2 || index == kProgressItem) return bool(menuItemActions_[index]);
    return index == 0 || index == 3 || index == 4;
}

void frmSkyrendelMainMenu::showFace(int item, int store) {
    showStoredFace(imgMenuItem_[item], imgMenuItem_[store]);
}

void frmSkyrendelMainMenu::imgMenuItem_MouseMove(int index) {
    for (int i : kMenuOrder) showFace(i, i == index ? HoverStore(i) : NormalStore(i));
}

void frmSkyrendelMainMenu::imgMenuItem_Click(int index) {
    if (!IsMenuItem(index) || !isMenuItemAvailable(index)) return;
    if (index == 4) ExitProgram();
    if (index == 1 || index == 2 || index == kProgressItem) menuItemActions_[index]();
    if (index == 0) {
        learning::frmSkyrendelFAQ faq(this);
        faq.exec();
    }
    if (index == 3) {
        if (data::IsAnyAircraftDataMissing()) {
            {
                game::frmSkyrendelAircraftMissing notice(this);
                notice.exec();
            }
            if (game::GoToUpdates) {
                if (menuItemActions_[2]) menuItemActions_[2]();
                return;
            }
        }
        GameMode = 0;
        for (QWidget* w : {picLearningMode_, picChallengeMode_, picChallengeMode2_}) w->hide();
        {
            game::frmSkyrendelGameSelector selector(this);
            selector.exec();
        }
        if (GameMode != 0) StartGame();
    }
}

bool frmSkyrendelMainMenu::isQuizInProgress() const {
    return !picChallengeMode_->isHidden() || !picChallengeMode2_->isHidden();
}

void frmSkyrendelMainMenu::ExitProgram() {
    // Everything was saved when it changed: release the databases and end.
    db::CloseDatabases();
    platform().process->exitProcess(0);
    std::abort();
}

void frmSkyrendelMainMenu::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (isQuizInProgress()) {
        imgGrade_Click(0);
        return;
    }
    imgMenuItem_Click(4);
}

void frmSkyrendelMainMenu::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The keyboard starts on the menu's play item.
    if (!focusWidget() && !isQuizInProgress() && picLearningMode_->isHidden())
        imgMenuItem_[3]->setFocus(Qt::OtherFocusReason);
}

void frmSkyrendelMainMenu::mouseMoveEvent(QMouseEvent*) { ResetRollovers(); }

bool frmSkyrendelMainMenu::eventFilter(QObject* watched, QEvent* event) {
    const int n = int(std::size(kMenuOrder));
    for (int slot = 0; slot < n; ++slot) {
        const int i = kMenuOrder[slot];
        if (watched != imgMenuItem_[i]) continue;
        if (event->type() == QEvent::FocusIn) {
            // The item with the focus wears the face under the mouse.
            imgMenuItem_MouseMove(i);
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            const int step = (key == Qt::Key_Down || key == Qt::Key_Right) ? 1
                             : (key == Qt::Key_Up || key == Qt::Key_Left) ? -1
                                                                           : 0;
            if (step != 0) {
                // The next item down the column that leads somewhere, round
                // the column.
                for (int k = 1; k <= n; ++k) {
                    PictureBox* next = imgMenuItem_[kMenuOrder[(slot + step * k + 2 * n) % n]];
                    if (next->isEnabled() && !next->isHidden()) {
                        next->setFocus(Qt::TabFocusReason);
                        break;
                    }
                }
                return true;
            }
        }
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseMove) ResetRollovers();
    return QWidget::eventFilter(watched, event);
}

// ----------------------------------------------------------- learning panel

void frmSkyrendelMainMenu::SetTab(int t) {
    for (int i = 0; i < 2; ++i) {
        picPanel_[i]->setVisible(i == t);
        TopTab_[i]->setPictureSource([size = TopTab_[i]->size(), chosen = i == t] { return art::TabHead(size, chosen); });
        if (i == t) {
            picPanel_[i]->raise();
            TopTab_[i]->raise();
            TabCover_[i]->raise();
        }
    }
    cmdExit_->raise();
}

void frmSkyrendelMainMenu::cmdExit_Click() { picLearningMode_->hide(); }

// --------------------------------------------------------------- start game

void frmSkyrendelMainMenu::ClearQuestionRecords() { records_.ClearQuestionRecords(); }

void frmSkyrendelMainMenu::StartGame() {
    const int n = lists_.resetLstAircraftNamesAndFolders(IsCaptainsChallenge);
    if (n < 3 && (GameMode == 2 || GameMode == 3)) {
        Timer1_->stop();
        platform().messageBox->show(
            this, QStringLiteral("Not Enough Active Aircraft."),
            QStringLiteral("Sorry - you don't have enough active Aircraft to make a meaningful quiz.  Please visit the "
                           "options screen and ") +
                QStringLiteral("set more aircraft to active."),
            MsgIcon::Exclamation, MsgButtons::OkOnly);
        return;
    }
    if (GameMode == 1) {
        if (onStartLearning) onStartLearning();
        SetTab(0);
        picLearningMode_->show();
        picLearningMode_->raise();
        return;
    }
    if (GameMode != 2 && GameMode != 3) return;
    ++gameSerial_;
    QWidget* panel = GameMode == 2 ? picChallengeMode_ : picChallengeMode2_;
    panel->show();
    panel->raise();
    panel->setFocus();
    for (PictureBox* badge : imgCaptainsChallenge_) badge->setVisible(IsCaptainsChallenge);
    ClearQuestionRecords();
    if (TimeLimitSeconds == -1) {
        Timer1_->stop();
        for (QLabel* l : lblTimeLeft_) {
            l->setText(QStringLiteral("No Time Limit"));
            setTextColour(l, kBlack);
        }
    } else {
        for (QLabel* l : lblTimeLeft_) l->clear();
        QuizStartTick = platform().clock->tickCount();
        Timer1_->start();
    }
    NewQuestion();
}

void frmSkyrendelMainMenu::Timer1_Timer() {
    if (TimeLimitSeconds < 1) return;
    const std::uint32_t now = platform().clock->tickCount();
    const qint64 elapsed = static_cast<std::int32_t>(now - QuizStartTick);
    const Countdown c = ComputeCountdown(TimeLimitSeconds, elapsed);
    for (QLabel* l : lblTimeLeft_) {
        l->setText(c.text);
        setTextColour(l, c.red ? art::kRed : kBlack);
    }
    if (c.timeUp) {
        Timer1_->stop();
        platform().messageBox->show(this, QStringLiteral("Time Limit Reached"), QStringLiteral("Time Limit Reached!"),
                                    MsgIcon::Information, MsgButtons::OkOnly);
        endQuiz(true);
    }
}

void frmSkyrendelMainMenu::imgGrade_Click(int) { endQuiz(false); }

void frmSkyrendelMainMenu::endQuiz(bool timeUp) {
    const int a = records_.lstUsersInput.size();
    // When the time is up there is nothing left to go on with, so the
    // warning is only for a challenge the user stops early.
    if (!timeUp && IsCaptainsChallenge && a > 0 && a < 50) {
        const MsgResult answer = platform().messageBox->show(
            this, QStringLiteral("Captain's Challenge Warning"),
            QStringLiteral("Warning: you are undertaking the Captain's Challenge.  However, I show that you have not "
                           "yet completed the ") +
                QStringLiteral("necessary 50 questions.  Are you sure you want to stop working on this challenge now "
                               "and continue to the 'grade' screen?"),
            MsgIcon::Exclamation, MsgButtons::YesNo);
        if (answer == MsgResult::No) return;
    }
    Timer1_->stop();
    picChallengeMode_->hide();
    picChallengeMode2_->hide();
    ++gameSerial_;
    if (a >= 1) {
        game::frmSkyrendelResults results(records_, this);
        learning::AttachResultsReportLink(&results);
        results.exec();
    }
}

// ---------------------------------------------------------------- questions

QString frmSkyrendelMainMenu::RandomAircraftFolder() { return generator_.RandomAircraftFolder(); }

void frmSkyrendelMainMenu::LoadHardAndDontAskPartners(const QString& folder, bool useStaticDatabase) {
    generator_.LoadHardAndDontAskPartners(folder, useStaticDatabase);
}

void frmSkyrendelMainMenu::NewQuestion() {
    for (int s = 0; s < 3; ++s) {
        shpO_[s]->hide();
        shpX1_[s]->hide();
        shpX2_[s]->hide();
        picSelectedName_[s]->setBackColor(art::kPanelWhite);
    }
    const int a = records_.lstUsersInput.size();
    for (int c = 0; c < 2; ++c) {
        imgReviewQuestion_[c]->setVisible(a >= 1 && GradeImmediately);
        lblCorrectOrIncorrect_[c]->hide();
        picNextQuestion_[c]->hide();
        setTag(imgGrade_[c], a == 0 ? QStringLiteral("EXIT") : QStringLiteral("GRADE"));
        showStoredFace(imgGrade_[c], imgGrade_[a == 0 ? 2 : 4]);
        chkAutoAdvance_[c]->setVisible(GradeImmediately);
    }
    for (QLabel* l : lblAircraftLabel_) l->hide();
    UpdateCurrentScore();

    if (QuestionLimit >= 1 && a >= QuestionLimit) {
        imgGrade_Click(0);
        return;
    }
    if (a > 20000) {
        platform().messageBox->show(this, AppTitle, QStringLiteral("Question Limit Reached!"), MsgIcon::Information,
                                    MsgButtons::OkOnly);
        imgGrade_Click(0);
        return;
    }

    // Every read of this question under one lock of each database.
    ReadScope userReads(db::UserDB());
    ReadScope staticReads(IsCaptainsChallenge ? db::StaticDB() : nullptr);
    const QuestionDraw q = generator_.draw(IsHardDifficulty, IsCaptainsChallenge);
    lastSourceIndex_ = static_cast<int>(generator_.lastSecondSource());

    // Keep the previous question for review.
    for (int i = 0; i < 4; ++i) {
        imgStorageAircraftSelectionPrevious_[i] = imgStorageAircraftSelectionCurrent_[i];
        imgAircraftNameForPicSelectionCurrentPast_[i] = imgAircraftNameForPicSelectionCurrent_[i];
        setTag(lblAircraftLabel_[i], lblAircraftLabel_[i]->text());
    }

    QString correctRecord;
    QStringList* answerLists[3] = {&records_.lstAnswerA, &records_.lstAnswerB, &records_.lstAnswerC};
    for (int slot = 0; slot < 3; ++slot) {
        const QString& folder = q.slotFolder[slot];
        data::LoadAircraftNameLogo(folder, cmdNameSelector_[slot]);
        const int n = data::LoadAircraftPicture(folder, -1, picAircraftSelection_[slot]);
        lblAircraftLabel_[slot]->setText(lists_.GetAircraftName(folder));
        FitText(lblAircraftLabel_[slot]);
        if (slot == q.correctIndex) {
            imgAircraftNameForPicSelection_->setPicture(cmdNameSelector_[slot]->picture());
            imgAircraftNameForPicSelectionCurrent_[3] = cmdNameSelector_[slot]->picture();
            picAircraftSelection_[3]->setPicture(picAircraftSelection_[slot]->picture());
            lblAircraftLabel_[3]->setText(lists_.GetAircraftName(folder));
            FitText(lblAircraftLabel_[3]);
            correctRecord = q.correctLetter() + QStringLiteral("!") + QString::number(n);
        }
        *answerLists[slot] << folder + QStringLiteral("!") + QString::number(n);
    }
    for (int i = 0; i < 3; ++i) imgAircraftNameForPicSelectionCurrent_[i] = cmdNameSelector_[i]->picture();
    for (int i = 0; i < 4; ++i) imgStorageAircraftSelectionCurrent_[i] = picAircraftSelection_[i]->picture();
    records_.lstCorrectAnswer << correctRecord;
    if (!picLists_->isHidden()) refreshLists();
}

// ------------------------------------------------------------------ answers

void frmSkyrendelMainMenu::ClickABC(int index) {
    if (index < 0 || index > 3) return;
    if (index == 3 || !picNextQuestion_[0]->isHidden() || !picNextQuestion_[1]->isHidden() || AnswerInProgress)
        return;
    // An answer needs an open question.
    if (!isQuizInProgress() || records_.lstCorrectAnswer.size() <= records_.lstUsersInput.size()) return;
    AnswerInProgress = true;
    Finally done{[this] { AnswerInProgress = false; }};
    const int serial = gameSerial_;

    records_.lstUsersInput << QString(QChar('A' + index));
    AnswerGiven(records_, records_.lstUsersInput.size() - 1);
    UpdateCurrentScore();

    const bool playSound = chkPlaySound_[0]->isChecked();
    if (GradeImmediately) {
        for (QLabel* l : lblAircraftLabel_) l->show();
        const bool ok = isCorrect(records_.lstUsersInput.size() - 1);
        if (ok) {
            if (playSound) PlayCorrectSound();
            shpO_[index]->show();
            shpO_[index]->raise();
            picSelectedName_[index]->setBackColor(art::kGreen);
        } else {
            if (playSound) PlayWrongSound();
            shpX1_[index]->show();
            shpX2_[index]->show();
            shpX1_[index]->raise();
            shpX2_[index]->raise();
            picSelectedName_[index]->setBackColor(art::kRed);
        }
        const bool autoAdvance = chkAutoAdvance_[0]->isChecked();
        for (int c = 0; c < 2; ++c) {
            QLabel* l = lblCorrectOrIncorrect_[c];
            setTextColour(l, ok ? art::kGreen : art::kRed);
            l->setText(ok ? QStringLiteral("Correct!") : QStringLiteral("Incorrect"));
            const QRect next = picNextQuestion_[c]->geometry();
            const int width = autoAdvance ? next.left() + next.width() - l->x() : next.left() - l->x();
            l->resize(width, l->height());
            l->show();
        }
        if (autoAdvance) {
            WaitInPlace(500);
            // The quiz may have ended during the pause (grade, close, time).
            if (serial == gameSerial_ && isQuizInProgress()) picNextQuestion_Click(0);
        } else {
            for (int c = 0; c < 2; ++c) picNextQuestion_[c]->show();
        }
    } else {
        if (playSound) PlayProjectorSound();
        WaitInPlace(150);
        if (serial == gameSerial_ && isQuizInProgress()) NewQuestion();
    }
    if (!picLists_->isHidden()) refreshLists();
}

void frmSkyrendelMainMenu::UpdateCurrentScore() {
    const ScoreSummary s = ComputeScore(records_, QuestionLimit);
    for (QLabel* l : lblQuestionNofN_) l->setText(s.questionNofN);
    setTag(lblCurrentScore_[0], s.percentTag);
    setTag(lblCurrentScore_[1], s.countTag);
    for (QLabel* l : lblCurrentScore_) l->setText(GradeImmediately ? s.scoreText : QString());
    records_.scorePercentTag = s.percentTag;
    records_.scoreCountTag = s.countTag;
    records_.CorrectCount = s.correct;
    records_.AnsweredCount = s.answered;
}

void frmSkyrendelMainMenu::PlayCorrectSound() {
    platform().sound->playAsync(GetSoundPath(QStringLiteral("correct.wav")));
}
void frmSkyrendelMainMenu::PlayWrongSound() { platform().sound->playAsync(GetSoundPath(QStringLiteral("wrong.wav"))); }
void frmSkyrendelMainMenu::PlayProjectorSound() {
    platform().sound->playAsync(GetSoundPath(QStringLiteral("projctor.wav")));
}

void frmSkyrendelMainMenu::picNextQuestion_Click(int) { NewQuestion(); }

void frmSkyrendelMainMenu::chkAutoAdvance_Click(int index) {
    const bool on = chkAutoAdvance_[index]->isChecked();
    chkAutoAdvance_[1 - index]->setChecked(on);
    SaveAppSetting(QStringLiteral("AutoAdvance"), on ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
}

void frmSkyrendelMainMenu::chkPlaySound_Click(int index) {
    const bool on = chkPlaySound_[index]->isChecked();
    chkPlaySound_[1 - index]->setChecked(on);
    SaveAppSetting(QStringLiteral("PlaySound"), on ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
}

void frmSkyrendelMainMenu::onPanelKey(int copy, int key) {
    if (!isQuizInProgress()) return;
    int slot = -1;
    switch (key) {
    case Qt::Key_1:
    case Qt::Key_A: slot = 0; break;
    case Qt::Key_2:
    case Qt::Key_B: slot = 1; break;
    case Qt::Key_3:
    case Qt::Key_C: slot = 2; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!picNextQuestion_[copy]->isHidden()) picNextQuestion_Click(copy);
        return;
    default: return;
    }
    ClickABC(slot);
}

// ------------------------------------------------------------------- review

void frmSkyrendelMainMenu::MakeOuterRed(const QString& letter) {
    int slot = 0;
    if (letter == QLatin1String("B")) slot = 1;
    else if (letter == QLatin1String("C")) slot = 2;
    picOuterChoice_[slot]->setBackColor(art::kRed);
}

void frmSkyrendelMainMenu::setPanelColour(const QColor& colour) {
    for (QWidget* panel : {picChallengeMode_, picChallengeMode2_}) {
        QPalette pal = panel->palette();
        pal.setColor(QPalette::Window, colour);
        panel->setPalette(pal);
    }
}

void frmSkyrendelMainMenu::imgReviewQuestion_MouseDown(int index) {
    const int q = records_.lstCorrectAnswer.size();
    if (q < 2 || records_.lstUsersInput.size() < q - 1) return;
    showStoredFace(imgReviewQuestion_[index], imgReviewQuestion_[4]);
    for (int i = 0; i < 4; ++i) picAircraftSelection_[i]->setPicture(imgStorageAircraftSelectionPrevious_[i]);
    for (int i = 0; i < 3; ++i) cmdNameSelector_[i]->setPicture(imgAircraftNameForPicSelectionCurrentPast_[i]);
    imgAircraftNameForPicSelection_->setPicture(imgAircraftNameForPicSelectionCurrentPast_[3]);
    for (QLabel* l : lblCorrectOrIncorrect_) l->show();
    for (QLabel* l : lblAircraftLabel_) {
        const QString caption = l->text();
        l->setText(tag(l));
        FitText(l);
        setTag(l, caption);
        l->show();
    }
    const QString c = records_.lstCorrectAnswer.at(q - 2).left(1).toUpper();
    const QString u = records_.lstUsersInput.at(q - 2).left(1).toUpper();
    MakeOuterRed(u);
    const int correctSlot = c == QLatin1String("A") ? 0 : (c == QLatin1String("B") ? 1 : 2);
    picOuterChoice_[correctSlot]->setBackColor(art::kGreen);
    for (int i = 0; i < 3; ++i) {
        if (picOuterChoice_[i]->backColor() == art::kPanelWhite) picOuterChoice_[i]->setBackColor(art::kReviewGrey);
        picSelectedName_[i]->setBackColor(picOuterChoice_[i]->backColor());
    }
    setPanelColour(art::kReviewGrey);
    imgQuestionMark_->hide();
}

void frmSkyrendelMainMenu::imgReviewQuestion_MouseUp(int index) {
    const int q = records_.lstCorrectAnswer.size();
    if (q < 2 || records_.lstUsersInput.size() < q - 1) return;
    for (int i = 0; i < 4; ++i) picAircraftSelection_[i]->setPicture(imgStorageAircraftSelectionCurrent_[i]);
    for (int i = 0; i < 3; ++i) {
        cmdNameSelector_[i]->setPicture(imgAircraftNameForPicSelectionCurrent_[i]);
        picOuterChoice_[i]->setBackColor(art::kPanelWhite);
        picSelectedName_[i]->setBackColor(art::kPanelWhite);
    }
    for (QLabel* l : lblCorrectOrIncorrect_) l->hide();
    for (QLabel* l : lblAircraftLabel_) {
        const QString caption = l->text();
        l->setText(tag(l));
        FitText(l);
        setTag(l, caption);
        l->hide();
    }
    imgAircraftNameForPicSelection_->setPicture(imgAircraftNameForPicSelectionCurrent_[3]);
    setPanelColour(art::kPanelWhite);
    imgQuestionMark_->show();
    showStoredFace(imgReviewQuestion_[index], imgReviewQuestion_[3]);
}

void frmSkyrendelMainMenu::imgReviewQuestion_MouseMove(int index) {
    showStoredFace(imgReviewQuestion_[index], imgReviewQuestion_[3]);
    for (int c = 0; c < 2; ++c) showGradeFace(c, false);
}

void frmSkyrendelMainMenu::showGradeFace(int copy, bool hover) {
    const bool grade = tag(imgGrade_[copy]) == QLatin1String("GRADE");
    showStoredFace(imgGrade_[copy], imgGrade_[(grade ? 4 : 2) + (hover ? 1 : 0)]);
}

void frmSkyrendelMainMenu::imgGrade_MouseMove(int index) {
    showGradeFace(index, true);
    for (int c = 0; c < 2; ++c) showStoredFace(imgReviewQuestion_[c], imgReviewQuestion_[2]);
}

// ---------------------------------------------------------------- rollovers

void frmSkyrendelMainMenu::ResetRollovers() {
    for (int i : kMenuOrder) showFace(i, NormalStore(i));
    for (PictureBox* p : picSelectedName_) {
        const QColor c = p->backColor();
        if (c == artwork::kYellow || c == art::kPanelWhite) p->setBackColor(art::kPanelWhite);
    }
    for (PictureBox* p : picOuterChoice_) p->setBackColor(art::kPanelWhite);
    for (int c = 0; c < 2; ++c) {
        showStoredFace(picNextQuestion_[c], picNextQuestion_[2]);
        showGradeFace(c, false);
        showStoredFace(imgReviewQuestion_[c], imgReviewQuestion_[2]);
    }
}

void frmSkyrendelMainMenu::cmdNameSelector_MouseMove(int index) {
    for (PictureBox* p : picSelectedName_) {
        const QColor c = p->backColor();
        if (c == art::kGreen || c == art::kRed) return;
    }
    for (int i = 0; i < 3; ++i) picSelectedName_[i]->setBackColor(i == index ? artwork::kYellow : art::kPanelWhite);
}

void frmSkyrendelMainMenu::picAircraftSelection_MouseMove(int index) {
    for (int i = 0; i < 3; ++i) picOuterChoice_[i]->setBackColor(i == index ? artwork::kYellow : art::kPanelWhite);
}

void frmSkyrendelMainMenu::picNextQuestion_MouseMove(int index) {
    showStoredFace(picNextQuestion_[index], picNextQuestion_[3]);
}

// ---------------------------------------------------------- diagnostic lists

void frmSkyrendelMainMenu::Command1_Click() {
    fillListsPanel();
    picLists_->move(0, 0);
    picLists_->setVisible(picLists_->isHidden());
    if (!picLists_->isHidden()) {
        picLists_->raise();
        if (!Command1_->isHidden()) Command1_->raise();
        refreshLists();
    }
}

void frmSkyrendelMainMenu::refreshLists() {
    for (auto& [list, content] : listViews_) {
        list->clear();
        list->addItems(content());
    }
    for (int k = 0; k < kDistractorSourceCount; ++k) {
        QListWidget* list = sourceLists_[k];
        if (!list) continue;
        QPalette pal = list->palette();
        pal.setColor(QPalette::Base, k == lastSourceIndex_ ? artwork::kYellow : art::kPanelWhite);
        list->setPalette(pal);
    }
}

// --------------------------------------------------------------------- tags

void frmSkyrendelMainMenu::setTag(QWidget* w, const QString& text) { w->setProperty("Tag", text); }

QString frmSkyrendelMainMenu::tag(const QWidget* w) const { return w->property("Tag").toString(); }

} // namespace sky::quiz
