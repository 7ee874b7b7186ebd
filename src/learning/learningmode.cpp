#include "learning/learningmode.h"

#include "data/catalog.h"
#include "data/databases.h"
#include "data/db.h"
#include "data/pictures.h"
#include "learning/htmlview.h"
#include "learning/learningartwork.h"
#include "learning/reports.h"
#include "shell/appstate.h"
#include "shell/application.h"
#include "shell/artwork.h"
#include "shell/helpers.h"
#include "shell/picturebox.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace sky::learning {

namespace {

constexpr int kMargin = 12;      // around the pages and inside them
constexpr int kHeadingHeight = 60;
constexpr int kPagesTop = 64;    // below the tab heads
constexpr int kTabHeight = 30;
constexpr int kRow = 28;         // a list with its arrows
constexpr int kNavSize = 36;     // the photograph arrows
constexpr int kLogoHeight = 52;
constexpr int kLinkHeight = 20;
constexpr int kWebMargin = 8;
constexpr int kWiderHeight = 28;

const char* const kWiderCaption = "<< Wider!";
const char* const kNormalCaption = "Normal >>";

QString indexed(const char* name, int i) { return QString::fromLatin1(name) + QLatin1Char('_') + QString::number(i); }

PictureBox* makeArrow(QWidget* parent, const QString& name, bool right, const QString& tip) {
    auto* b = new PictureBox(parent, name);
    b->setStretch(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    b->setProperty("pointsRight", right);
    return b;
}

void placeArrow(PictureBox* b, const QRect& r) {
    b->setGeometry(r);
    b->setPicture(art::ArrowFace(r.size(), b->property("pointsRight").toBool()));
}

void placeLink(PictureBox* link, const QRect& r) {
    link->setGeometry(r);
    link->setPicture(art::ReportLinkFace(r.size(), link->property("faceText").toString(),
                                         link->property("faceOnDark").toBool()));
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QColor& color, int px, bool bold) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setFont(artwork::TitleFont(px, bold));
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, color);
    l->setPalette(p);
    return l;
}

} // namespace

LearningMode::LearningMode(QWidget* picLearningMode, data::CatalogLists& lists, QObject* parent)
    : QObject(parent), panel_(picLearningMode), lists_(lists) {
    QPalette pal = panel_->palette();
    pal.setColor(QPalette::Window, art::PanelBackground());
    panel_->setPalette(pal);
    panel_->setAutoFillBackground(true);

    imgLearningMode_ = panel_->findChild<PictureBox*>(QStringLiteral("imgLearningMode"), Qt::FindDirectChildrenOnly);
    if (!imgLearningMode_) imgLearningMode_ = new PictureBox(panel_, QStringLiteral("imgLearningMode"));
    imgLearningMode_->setStretch(true);

    picPanel_[0] = findOrMakePage(0);
    picPanel_[1] = findOrMakePage(1);

    buildSide(0, panel_, true);
    buildSide(1, picPanel_[0], false);

    web_ = new HtmlView(picPanel_[1], QStringLiteral("webAboutThisAircraft"));
    web_->setFrameShape(QFrame::NoFrame);
    cmdWider_ = new QPushButton(QString::fromLatin1(kWiderCaption), picPanel_[1]);
    UseProgramStyle(cmdWider_);
    cmdWider_->setObjectName(QStringLiteral("cmdWider"));
    cmdWider_->setAutoDefault(false);
    cmdWider_->setCursor(Qt::PointingHandCursor);
    connect(cmdWider_, &QPushButton::clicked, this, &LearningMode::cmdWider_Click);

    panel_->installEventFilter(this);
    ArrangeLearningPanel();
}

QWidget* LearningMode::findOrMakePage(int index) {
    const QString name = indexed("picPanel", index);
    QWidget* page = panel_->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
    if (!page) {
        page = new QWidget(panel_);
        page->setObjectName(name);
        page->setVisible(index == 0);
    }
    QPalette pal = page->palette();
    pal.setColor(QPalette::Window, art::PageBackground());
    pal.setColor(QPalette::WindowText, artwork::kNavy);
    page->setPalette(pal);
    page->setAutoFillBackground(true);
    page->installEventFilter(this);
    return page;
}

void LearningMode::buildSide(int s, QWidget* parent, bool onDark) {
    Side& side = sides_[s];
    const QColor text = onDark ? artwork::kWhite : artwork::kNavy;
    side.lblSelect = makeLabel(parent, indexed("lblSelect", s), QStringLiteral("Select"), text, 14, true);
    side.cmbComparisonAircraft = new QComboBox(parent);
    side.cmbComparisonAircraft->setObjectName(indexed("cmbComparisonAircraft", s));
    side.cmbComparisonAircraft->setEditable(false);
    side.cmbComparisonAircraft->setMaxVisibleItems(20);
    side.cmdLearningPreviousAircraft =
        makeArrow(parent, indexed("cmdLearningPreviousAircraft", s), false, QStringLiteral("Previous aircraft"));
    side.cmdLearningMoveNextAircraft =
        makeArrow(parent, indexed("cmdLearningMoveNextAircraft", s), true, QStringLiteral("Next aircraft"));
    side.picLearningAircraft = new PictureBox(parent, indexed("picLearningAircraft", s));
    side.picLearningAircraft->setBackColor(Qt::black);
    side.cmdComparisonMoveLeft =
        makeArrow(parent, indexed("cmdComparisonMoveLeft", s), false, QStringLiteral("Previous photograph"));
    side.cmdComparisonMoveRight =
        makeArrow(parent, indexed("cmdComparisonMoveRight", s), true, QStringLiteral("Next photograph"));
    side.lblComparisonNofN = makeLabel(parent, indexed("lblComparisonNofN", s), QString(), text, 15, true);
    side.lblComparisonNofN->setAlignment(Qt::AlignCenter);
    side.imgLearningAircraftLogo = new PictureBox(parent, indexed("imgLearningAircraftLogo", s));
    side.imgReportProblemImage = MakeReportLink(parent, indexed("imgReportProblemImage", s),
                                                QString::fromLatin1(art::kReportPictureText), onDark);
    side.imgReportProblemAircraft = MakeReportLink(parent, indexed("imgReportProblemAircraft", s),
                                                   QString::fromLatin1(art::kReportAircraftText), onDark);

    connect(side.cmbComparisonAircraft, &QComboBox::activated, this, [this, s] { cmbComparisonAircraft_Click(s); });
    connect(side.cmdLearningPreviousAircraft, &PictureBox::clicked, this,
            [this, s] { cmdLearningPreviousAircraft_Click(s); });
    connect(side.cmdLearningMoveNextAircraft, &PictureBox::clicked, this,
            [this, s] { cmdLearningMoveNextAircraft_Click(s); });
    connect(side.cmdComparisonMoveLeft, &PictureBox::clicked, this, [this, s] { cmdComparisonMoveLeft_Click(s); });
    connect(side.cmdComparisonMoveRight, &PictureBox::clicked, this, [this, s] { cmdComparisonMoveRight_Click(s); });
    connect(side.imgReportProblemImage, &PictureBox::clicked, this, [this, s] { imgReportProblemImage_Click(s); });
    connect(side.imgReportProblemAircraft, &PictureBox::clicked, this,
            [this, s] { imgReportProblemAircraft_Click(s); });
}

// ------------------------------------------------------------- layout

bool LearningMode::isWideView() const {
    return !cmdWider_->text().toLower().contains(QLatin1String("wide"));
}

void LearningMode::ArrangeLearningPanel() {
    if (arranging_) return;
    arranging_ = true;
    const int W = panel_->width();
    const int H = panel_->height();
    // The panel's design is 984 x 684 (inside a 1000 x 700 window); larger
    // or smaller, its rows, arrows, type and margins grow or shrink with it.
    scale_ = qBound(0.8, qMin(W / 984.0, H / 684.0), 4.0);
    for (Side& side : sides_) {
        side.lblSelect->setFont(artwork::TitleFont(px(14), true));
        side.lblComparisonNofN->setFont(artwork::TitleFont(px(15), true));
        QFont list = side.cmbComparisonAircraft->font();
        list.setPixelSize(px(13));
        side.cmbComparisonAircraft->setFont(list);
    }
    QFont wider = cmdWider_->font();
    wider.setPixelSize(px(12));
    cmdWider_->setFont(wider);
    for (int i = 0; i < 2; ++i)
        if (auto* caption = panel_->findChild<QWidget*>(indexed("lblTopTabCaption", i)))
            caption->setFont(artwork::TitleFont(px(14), true));

    imgLearningMode_->setGeometry(0, 0, qBound(120, W / 2 - px(130), px(380)), px(kHeadingHeight));
    imgLearningMode_->setPicture(art::LearningHeading(imgLearningMode_->size()));
    if (QWidget* exit = panel_->findChild<QWidget*>(QStringLiteral("cmdExit"), Qt::FindDirectChildrenOnly)) {
        exit->resize(px(140), px(36));
        QFont font = exit->font();
        font.setPixelSize(px(13));
        exit->setFont(font);
        exit->move(W / 2 - px(kMargin) / 2 - px(kMargin) - exit->width(),
                   qMax(0, (px(kHeadingHeight) - exit->height()) / 2));
    }

    // Page 0 fills the right half; page 1 lies exactly over it, or spans the
    // panel with the same margins in the wide view.
    const int left0 = W / 2 + px(kMargin) / 2;
    const QRect page0(left0, px(kPagesTop), qMax(0, W - left0 - px(kMargin)), qMax(0, H - px(kPagesTop) - px(kMargin)));
    picPanel_[0]->setGeometry(page0);
    if (isWideView()) {
        const int left1 = W - (page0.width() + page0.left());
        picPanel_[1]->setGeometry(left1, page0.top(), W - 2 * left1, page0.height());
    } else {
        picPanel_[1]->setGeometry(page0);
    }
    const QRect page1 = picPanel_[1]->geometry();
    web_->setGeometry(px(kWebMargin), px(kWebMargin), page1.width() - 2 * px(kWebMargin),
                      qMax(0, page1.height() - 2 * px(kWebMargin) - px(kWiderHeight) - 4));
    cmdWider_->setGeometry(px(kWebMargin), page1.height() - px(kWebMargin) - px(kWiderHeight), px(120),
                          px(kWiderHeight));

    // The tab heads sit on the pages' top edge; the cover of a tab hides
    // the page's border under its head.
    const int tabWidth = qMin(px(210), (page0.width() - px(12)) / 2);
    for (int i = 0; i < 2; ++i) {
        const QRect head(page0.left() + 6 + i * (tabWidth + 4), px(kPagesTop) - px(kTabHeight), tabWidth,
                         px(kTabHeight) + 1);
        QWidget* tab = panel_->findChild<QWidget*>(indexed("TopTab", i), Qt::FindDirectChildrenOnly);
        if (tab) tab->setGeometry(head);
        if (auto* caption = panel_->findChild<QWidget*>(indexed("lblTopTabCaption", i))) {
            if (caption->parentWidget() == panel_) caption->setGeometry(head);
            else if (caption->parentWidget() == tab) caption->setGeometry(QRect(QPoint(0, 0), head.size()));
        }
        if (auto* cover = panel_->findChild<QWidget*>(indexed("TabCover", i), Qt::FindDirectChildrenOnly))
            cover->setGeometry(head.left() + 1, px(kPagesTop) - 1, head.width() - 2, 3);
    }

    const QRect side1(px(kMargin), px(kMargin), page0.width() - 2 * px(kMargin), page0.height() - 2 * px(kMargin));
    placeSide(0, side1.translated(0, page0.top()));
    placeSide(1, side1);
    arranging_ = false;
}

void LearningMode::placeSide(int s, const QRect& a) {
    Side& side = sides_[s];
    const int x = a.left(), y = a.top(), w = a.width();
    side.lblSelect->setGeometry(x, y, px(56), px(kRow));
    placeArrow(side.cmdLearningPreviousAircraft, QRect(x + w - 2 * px(kRow) - 4, y, px(kRow), px(kRow)));
    placeArrow(side.cmdLearningMoveNextAircraft, QRect(x + w - px(kRow), y, px(kRow), px(kRow)));
    side.cmbComparisonAircraft->setGeometry(x + px(60), y, qMax(60, w - px(60) - 2 * px(kRow) - px(12)), px(kRow));

    // Below the list: the photograph (3:2, as the photographs are), its
    // arrows and label, the name logo; the report links at the bottom.
    const int linksTop = a.bottom() + 1 - 2 * px(kLinkHeight) - 2;
    const int fixed = px(kRow) + 10 + 6 + px(kNavSize) + 6 + px(kLogoHeight) + 8;
    const int photoTop = y + px(kRow) + 10;
    const int photoHeight = qMax(40, qMin(w * 2 / 3, linksTop - y - fixed));
    side.picLearningAircraft->setGeometry(x, photoTop, w, photoHeight);
    const int navTop = photoTop + photoHeight + 6;
    placeArrow(side.cmdComparisonMoveLeft, QRect(x, navTop, px(kNavSize), px(kNavSize)));
    placeArrow(side.cmdComparisonMoveRight, QRect(x + w - px(kNavSize), navTop, px(kNavSize), px(kNavSize)));
    side.lblComparisonNofN->setGeometry(x + px(kNavSize) + 8, navTop, w - 2 * px(kNavSize) - 16, px(kNavSize));
    side.imgLearningAircraftLogo->setGeometry(x, navTop + px(kNavSize) + 6, w, px(kLogoHeight));
    placeLink(side.imgReportProblemImage, QRect(x, linksTop, w, px(kLinkHeight)));
    placeLink(side.imgReportProblemAircraft, QRect(x, linksTop + px(kLinkHeight) + 2, w, px(kLinkHeight)));
}

bool LearningMode::eventFilter(QObject* watched, QEvent* event) {
    if (watched == panel_ && event->type() == QEvent::Resize) {
        ArrangeLearningPanel();
    } else if (event->type() == QEvent::Paint && (watched == picPanel_[0] || watched == picPanel_[1])) {
        auto* page = static_cast<QWidget*>(watched);
        QPainter p(page);
        p.setPen(art::PageBorder());
        p.drawRect(page->rect().adjusted(0, 0, -1, -1));
    }
    return QObject::eventFilter(watched, event);
}

void LearningMode::cmdWider_Click() {
    const QRect page0 = picPanel_[0]->geometry();
    QRect page1 = picPanel_[1]->geometry();
    if (cmdWider_->text().toLower().contains(QLatin1String("wide"))) {
        cmdWider_->setText(QString::fromLatin1(kNormalCaption));
        const int left = panel_->width() - (page0.width() + page0.left());
        page1.setRect(left, page1.top(), panel_->width() - 2 * left, page1.height());
    } else {
        cmdWider_->setText(QString::fromLatin1(kWiderCaption));
        page1.setRect(page0.left(), page1.top(), page0.width(), page1.height());
    }
    picPanel_[1]->setGeometry(page1);
    web_->resize(page1.width() - 2 * web_->x(), web_->height());
}

// ------------------------------------------------------- the two sides

QString LearningMode::TempLearningPath() {
    return CatPathA(InstallFolder(), QStringLiteral("tempLearning.html"));
}

void LearningMode::SetupLearningMode() {
    for (Side& side : sides_) side.cmbComparisonAircraft->clear();
    const int count = qMin(lists_.lstAircraftNames.size(), lists_.lstAircraftFolders.size());
    for (int i = 0; i < count; ++i) {
        if (!FileExists(db::PictureDatabasePath(lists_.lstAircraftFolders.at(i)))) continue;
        for (Side& side : sides_) side.cmbComparisonAircraft->addItem(lists_.lstAircraftNames.at(i));
    }
    if (sides_[0].cmbComparisonAircraft->count() >= 1) {
        showEntry(0, 0);
        showEntry(1, 0);
    }
}

void LearningMode::showEntry(int side, int index) {
    sides_[side].cmbComparisonAircraft->setCurrentIndex(index);
    cmbComparisonAircraft_Click(side);
}

void LearningMode::LoadLearningAircraft(const QString& name, bool isLeft) {
    Side& side = sides_[isLeft ? 0 : 1];
    const QString folder = lists_.GetAircraftFolderName(name);
    // A logo left over from the previous aircraft would name the wrong one.
    side.imgLearningAircraftLogo->clearPicture();
    if (!folder.isEmpty()) data::LoadAircraftNameLogo(folder, side.imgLearningAircraftLogo);
    side.folder = folder;
    if (isLeft) LoadLearningHTML(name);
    SetLearningNofM(1, isLeft);
}

void LearningMode::MoveLearningAircraft(int s, bool isNext) {
    QComboBox* list = sides_[s].cmbComparisonAircraft;
    const int count = list->count();
    if (count == 0) return;
    // Entries of the same name show the same aircraft, so they step as one:
    // forwards from the last of them, backwards from the first (stepping
    // back from the last would only reach the other one again).
    const QString shown = list->currentText();
    int c = -1;
    for (int i = 0; i < count; ++i)
        if (list->itemText(i) == shown && (isNext || c < 0)) c = i;
    if (c < 0) c = 0;
    int f = isNext ? c + 1 : c - 1;
    if (f < 0) f = count - 1;
    if (f > count - 1) f = 0;
    showEntry(s, f);
}

void LearningMode::SetLearningNofM(int n, bool isLeft) {
    Side& side = sides_[isLeft ? 0 : 1];
    const QString folder = lists_.GetAircraftFolderName(side.cmbComparisonAircraft->currentText());
    const int m = folder.isEmpty() ? 0 : data::CountAircraftPictures(folder);
    if (n >= 1 && n <= m) data::LoadAircraftPicture(folder, n - 1, side.picLearningAircraft);
    if (m < n) {
        if (m >= 1) data::LoadAircraftPicture(folder, 0, side.picLearningAircraft);
        n = 1;
    }
    // An aircraft without photographs that can be read shows the unavailable
    // face rather than the last one's, and counts none.
    if (m == 0) {
        side.picLearningAircraft->setPicture(data::PictureUnavailableFace());
        n = 0;
    }
    side.n = n;
    side.m = m;
    side.lblComparisonNofN->setText(QStringLiteral("Picture ") + QString::number(n) + QStringLiteral(" of ") +
                                    QString::number(m));
}

void LearningMode::LoadLearningHTML(const QString& name) {
    db::Connection* statics = db::StaticDB();
    if (!statics || !statics->isOpen())
        throw SkyError(db::kErrNotOpen, QStringLiteral("The static database is not open."));
    db::Recordset rs;
    rs.Open(QStringLiteral("SELECT LIBRARYHTML FROM AIRCRAFT WHERE trim(AIRPLANETYPE)='") +
                DoubleSingleQuotes(data::TrimBlanks(name)) + QStringLiteral("'"),
            *statics, db::adOpenForwardOnly, db::adLockOptimistic);
    if (rs.eof()) {
        web_->Navigate(QStringLiteral("about:blank"));
    } else {
        const QString page = data::TrimBlanks(rs.fields(0).text());
        const QString upper = page.toUpper();
        if (upper.startsWith(QLatin1String("HTTP://")) || upper.startsWith(QLatin1String("HTTPS://"))) {
            web_->Navigate(page);
        } else {
            const QString path = TempLearningPath();
            StringToFile(page, path);
            web_->Navigate(path);
        }
    }
    rs.close();
}

void LearningMode::cmbComparisonAircraft_Click(int side) {
    LoadLearningAircraft(sides_[side].cmbComparisonAircraft->currentText(), side == 0);
}

void LearningMode::cmdLearningMoveNextAircraft_Click(int side) { MoveLearningAircraft(side, true); }
void LearningMode::cmdLearningPreviousAircraft_Click(int side) { MoveLearningAircraft(side, false); }

void LearningMode::cmdComparisonMoveRight_Click(int s) {
    const Side& side = sides_[s];
    SetLearningNofM(side.n + 1 > side.m ? 1 : side.n + 1, s == 0);
}

void LearningMode::cmdComparisonMoveLeft_Click(int s) {
    const Side& side = sides_[s];
    SetLearningNofM(side.n >= 2 ? side.n - 1 : side.m, s == 0);
}

void LearningMode::imgReportProblemImage_Click(int s) {
    ReportIssue(sides_[s].folder, sides_[s].n - 1, panel_);
}

void LearningMode::imgReportProblemAircraft_Click(int s) { ReportIssue(sides_[s].folder, -1, panel_); }

} // namespace sky::learning
