#include "options/frmSkyrendelOptions.h"

#include "shell/application.h"

#include "data/catalog.h"
#include "data/pictures.h"
#include "learning/learningartwork.h"
#include "learning/reports.h"
#include "options/optionsartwork.h"
#include "shell/appstate.h"
#include "shell/artwork.h"
#include "shell/errors.h"
#include "shell/helpers.h"
#include "shell/picturebox.h"
#include "shell/platform.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

namespace sky::options {

namespace {

constexpr QSize kWindowSize{980, 700};
constexpr QRect kPanelRect{16, 104, 948, 530};
constexpr QSize kTabSize{260, 40};
constexpr int kTabTop = 64;
constexpr QSize kExitSize{110, 38};

// The grid's geometry inside picGrid.
constexpr int kHeaderHeight = 90;
constexpr int kRowHeight = 46;
constexpr int kNameWidth = 240;
constexpr int kCellWidth = 90;
constexpr int kRowsWidth = kNameWidth + 3 * kCellWidth;

const char* const kHardCaption = "Particularly Quiz Against This Aircraft (easily confusable aircraft)";
const char* const kNeutralCaption = "Can quiz against this aircraft, but no particular link";
const char* const kNeverCaption = "Don't Ever Quiz Against This Aircraft (difference is not important)";

QString title() { return AppTitle.isEmpty() ? QString::fromLatin1(kApplicationTitle) : AppTitle; }

void setBackground(QWidget* w, const QColor& color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, color);
    pal.setColor(QPalette::Base, color);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

PictureBox* picture(QWidget* parent, const QString& name, const QRect& rect, const QImage& face) {
    auto* p = new PictureBox(parent, name);
    p->setStretch(true);
    p->setGeometry(rect);
    if (!face.isNull()) p->setPicture(face);
    return p;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, const QRect& rect, int pixelSize,
              bool bold, const QColor& color, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(rect);
    l->setFont(artwork::TitleFont(pixelSize, bold));
    l->setAlignment(align);
    l->setWordWrap(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, color);
    l->setPalette(pal);
    return l;
}

} // namespace

void GridOption::nextCheckState() {
    if (!isChecked()) setChecked(true);
}

frmSkyrendelOptions::frmSkyrendelOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSkyrendelOptions"));
    UseProgramStyle(this);
    setWindowTitle(QString::fromLatin1(kApplicationTitle) + QStringLiteral(" - Aircraft Options"));
    setModal(true);
    setFixedSize(kWindowSize);
    setBackground(this, art::WindowBackground());

    imgHeading_ = picture(this, QStringLiteral("imgOptionsHeading"), QRect(16, 8, 420, 48),
                          art::OptionsHeading(QSize(420, 48)));
    buildTabs();
    buildListsPage();
    buildAircraftPage();

    cmdExit_ = picture(this, QStringLiteral("cmdExit"),
                       QRect(QPoint(kWindowSize.width() - 16 - kExitSize.width(),
                                    kWindowSize.height() - 14 - kExitSize.height()),
                             kExitSize),
                       learning::art::ExitFace(kExitSize, QStringLiteral("Exit")));
    cmdExit_->setCursor(Qt::PointingHandCursor);
    cmdExit_->setToolTip(QStringLiteral("Close the options (Esc)"));
    connect(cmdExit_, &PictureBox::clicked, this, &frmSkyrendelOptions::cmdExit_Click);

    // Keys reach the window whichever control has the focus.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);

    Form_Load();
}

void frmSkyrendelOptions::buildTabs() {
    static const char* const captions[2] = {"Individual Aircraft Settings", "Which Aircraft To Learn?"};
    for (int i = 0; i < 2; ++i) {
        auto* page = new QWidget(this);
        page->setObjectName(QStringLiteral("picPanel_%1").arg(i));
        page->setGeometry(kPanelRect);
        page->setAttribute(Qt::WA_StyledBackground);
        page->setStyleSheet(QStringLiteral("#picPanel_%1 { background: white; border: 1px solid #6f8fb8; }").arg(i));
        picPanel_[i] = page;

        const QRect tabRect(QPoint(16 + i * (kTabSize.width() + 4), kTabTop), kTabSize);
        TopTab_[i] = picture(this, QStringLiteral("TopTab_%1").arg(i), tabRect, art::TabFace(kTabSize, false));
        TopTab_[i]->setCursor(Qt::PointingHandCursor);
        connect(TopTab_[i], &PictureBox::clicked, this, [this, i] { SetTab(i); });

        lblTopTabCaption_[i] = label(this, QStringLiteral("lblTopTabCaption_%1").arg(i), QString::fromLatin1(captions[i]),
                                     tabRect.adjusted(4, 4, -4, 0), 14, true, artwork::kNavy, Qt::AlignCenter);
        lblTopTabCaption_[i]->setCursor(Qt::PointingHandCursor);

        auto* cover = new QWidget(this);
        cover->setObjectName(QStringLiteral("TabCover_%1").arg(i));
        cover->setGeometry(tabRect.left() + 1, kPanelRect.top() - 2, kTabSize.width() - 2, 4);
        TabCover_[i] = cover;
    }
}

void frmSkyrendelOptions::buildListsPage() {
    QWidget* page = picPanel_[1];
    const QColor ink = artwork::kNavy;
    label(page, QStringLiteral("lblInactiveHeading"), QStringLiteral("Inactive Aircraft"), QRect(16, 8, 300, 22), 14,
          true, ink);
    label(page, QStringLiteral("lblActiveHeading"), QStringLiteral("Active Aircraft (quizzes and learning)"),
          QRect(632, 8, 300, 22), 14, true, ink);
    label(page, QStringLiteral("lblRemoveHeading"), QStringLiteral("Remove"), QRect(324, 8, 68, 22), 12, true,
          QColor(0xb0, 0x3a, 0x2e), Qt::AlignCenter);
    label(page, QStringLiteral("lblAddHeading"), QStringLiteral("Add"), QRect(556, 8, 68, 22), 12, true,
          QColor(0x2e, 0x8b, 0x57), Qt::AlignCenter);

    auto makeList = [&](const QString& name, int x) {
        auto* list = new QListWidget(page);
        list->setObjectName(name);
        list->setGeometry(x, 34, 300, 450);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setFont(artwork::TitleFont(13, false));
        list->setAlternatingRowColors(true);
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, list](QListWidgetItem* item) { moveOnDoubleClick(list, list->row(item)); });
        return list;
    };
    lstInactive_ = makeList(QStringLiteral("lstInactive"), 16);
    lstActive_ = makeList(QStringLiteral("lstActive"), 632);
    lstInactive_->setToolTip(QStringLiteral("Insert or double-click: make the aircraft active"));
    lstActive_->setToolTip(QStringLiteral("Delete or double-click: make the aircraft inactive"));

    const QSize arrow(52, 33);
    for (int k = 0; k < 10; ++k) {
        const int y = 34 + 45 * k;
        const QString caption = k == 0 ? QStringLiteral("Selected Aircraft")
                                : k == 1 ? QStringLiteral("All Aircraft")
                                         : SetCaption(k - 2);
        cmdRemove_[k] = picture(page, QStringLiteral("cmdRemove_%1").arg(k), QRect(QPoint(332, y + 6), arrow), QImage());
        cmdAdd_[k] = picture(page, QStringLiteral("cmdAdd_%1").arg(k), QRect(QPoint(564, y + 6), arrow), QImage());
        label(page, QStringLiteral("lblMoveRow_%1").arg(k), caption, QRect(388, y, 172, 45), 12, k < 2, ink,
              Qt::AlignCenter);
        for (PictureBox* b : {cmdRemove_[k], cmdAdd_[k]}) b->setCursor(Qt::PointingHandCursor);
        cmdRemove_[k]->setToolTip(QStringLiteral("Remove: ") + caption);
        cmdAdd_[k]->setToolTip(QStringLiteral("Add: ") + caption);
        connect(cmdAdd_[k], &PictureBox::clicked, this, [this, k] { MoveAircraft(k, true); });
        connect(cmdRemove_[k], &PictureBox::clicked, this, [this, k] { MoveAircraft(k, false); });
    }
    // The faces of element 1, given to every element when the window opens.
    cmdAdd_[1]->setPicture(art::MoveArrowFace(arrow, true));
    cmdRemove_[1]->setPicture(art::MoveArrowFace(arrow, false));

    lblFewActive_ = label(page, QStringLiteral("lblFewActiveHint"),
                          QStringLiteral("Fewer than three aircraft are active: a quiz needs at least three."),
                          QRect(16, 494, 916, 24), 13, true, QColor(0xb0, 0x3a, 0x2e), Qt::AlignCenter);
    lblFewActive_->hide();
}

void frmSkyrendelOptions::buildAircraftPage() {
    QWidget* page = picPanel_[0];
    const QColor ink = artwork::kNavy;
    const QSize change(48, 48);
    cmdChangeAircraft_[0] = picture(page, QStringLiteral("cmdChangeAircraft_0"), QRect(QPoint(16, 14), change),
                                    art::ChangeAircraftFace(change, false));
    cmdChangeAircraft_[1] = picture(page, QStringLiteral("cmdChangeAircraft_1"), QRect(QPoint(320, 14), change),
                                    art::ChangeAircraftFace(change, true));
    cmdChangeAircraft_[0]->setToolTip(QStringLiteral("Previous aircraft (Left arrow)"));
    cmdChangeAircraft_[1]->setToolTip(QStringLiteral("Next aircraft (Right arrow)"));
    for (int i = 0; i < 2; ++i) {
        cmdChangeAircraft_[i]->setCursor(Qt::PointingHandCursor);
        connect(cmdChangeAircraft_[i], &PictureBox::clicked, this, [this, i] { cmdChangeAircraft_Click(i); });
    }
    imgAircraftName_ = picture(page, QStringLiteral("imgAircraftName"), QRect(72, 12, 240, 52), QImage());
    lblAircraftType_ = label(page, QStringLiteral("lblAircraftType"), QString(), QRect(16, 68, 352, 40), 15, true, ink,
                             Qt::AlignCenter);

    label(page, QStringLiteral("lblClassification"), QStringLiteral("Classification:"), QRect(16, 114, 352, 22), 14,
          true, ink);
    for (int s = 0; s < kSetCount; ++s) {
        auto* box = new QCheckBox(SetCaption(s), page);
        box->setObjectName(QStringLiteral("chkBelongsToset_%1").arg(s));
        box->setGeometry(24, 140 + 26 * s, 340, 24);
        box->setFont(artwork::TitleFont(13, false));
        chkBelongsToset_[s] = box;
        connect(box, &QCheckBox::toggled, this, [this, s] { chkBelongsToset_Click(s); });
    }

    const QSize restore(352, 36);
    cmdRestoreDefaults_[0] = picture(page, QStringLiteral("cmdRestoreDefaults_0"), QRect(QPoint(16, 362), restore),
                                     art::ButtonFace(restore, QStringLiteral("Restore Defaults (This Aircraft)")));
    cmdRestoreDefaults_[1] = picture(page, QStringLiteral("cmdRestoreDefaults_1"), QRect(QPoint(16, 404), restore),
                                     art::ButtonFace(restore, QStringLiteral("Restore Defaults (All Aircraft)")));
    for (int i = 0; i < 2; ++i) {
        cmdRestoreDefaults_[i]->setCursor(Qt::PointingHandCursor);
        connect(cmdRestoreDefaults_[i], &PictureBox::clicked, this, [this, i] { cmdRestoreDefaults_Click(i); });
    }

    const QString reportText = QString::fromLatin1(learning::art::kReportAircraftText);
    Image3_ = learning::MakeReportLink(page, QStringLiteral("Image3"), reportText, false);
    Image3_->setGeometry(16, 456, 352, 20);
    Image3_->setPicture(learning::art::ReportLinkFace(Image3_->size(), reportText, false));
    connect(Image3_, &PictureBox::clicked, this, &frmSkyrendelOptions::Image3_Click);

    buildGrid(page);
}

void frmSkyrendelOptions::buildGrid(QWidget* page) {
    picGrid_ = new QWidget(page);
    picGrid_->setObjectName(QStringLiteral("picGrid"));
    picGrid_->setGeometry(392, 14, kRowsWidth + 28, kHeaderHeight + kGridRows * kRowHeight);

    // The stepped header: the larger bands behind the smaller ones.
    const int step = kHeaderHeight / 3;
    const QColor bandColors[3] = {art::kHardCell, art::kNeutralCell, art::kNeverCell};
    for (int b = 0; b < 3; ++b) {
        const QRect r(0, step * b, kRowsWidth - kCellWidth * b, kHeaderHeight - step * b);
        picGridTop_[b] = picture(picGrid_, QStringLiteral("picGridTop_%1").arg(b), r,
                                 art::HeaderBand(r.size(), bandColors[b]));
    }
    // Captions in each band's visible top strip, ending over its column.
    struct Caption {
        int index;
        const char* text;
        int band;
        QColor color;
    };
    const Caption captions[3] = {{0, kHardCaption, 0, artwork::kWhite},
                                 {2, kNeutralCaption, 1, art::kHardCell},
                                 {3, kNeverCaption, 2, art::kHardCell}};
    for (const Caption& c : captions)
        label(picGrid_, QStringLiteral("Label2_%1").arg(c.index), QString::fromLatin1(c.text),
              QRect(8, step * c.band, kRowsWidth - kCellWidth * c.band - 14, step), 11, true, c.color,
              Qt::AlignRight | Qt::AlignVCenter);

    for (int i = 0; i < kGridRows; ++i) {
        auto* line = new QWidget(picGrid_);
        line->setObjectName(QStringLiteral("picLine_%1").arg(i));
        line->setGeometry(0, kHeaderHeight + i * kRowHeight, kRowsWidth, kRowHeight);
        picLine_[i] = line;
        auto* rule = new QWidget(line);
        rule->setGeometry(0, kRowHeight - 1, kRowsWidth, 1);
        setBackground(rule, QColor(0xc8, 0xd2, 0xe0));

        lblTableAircraftName_[i] = label(line, QStringLiteral("lblTableAircraftName_%1").arg(i), QString(),
                                         QRect(8, 0, kNameWidth - 12, kRowHeight - 1), 13, false, artwork::kNavy);
        auto cell = [&](const QString& cellName, const QString& optName, int column, const QColor& color,
                        std::array<QWidget*, kGridRows>& cells, std::array<GridOption*, kGridRows>& opts, int status) {
            auto* bg = new QWidget(line);
            bg->setObjectName(cellName);
            bg->setGeometry(kNameWidth + column * kCellWidth, 0, kCellWidth, kRowHeight - 1);
            setBackground(bg, color);
            auto* opt = new GridOption(bg);
            opt->setObjectName(optName);
            opt->setAutoExclusive(false);
            // Just the round indicator, centred in the cell.
            const int iw = opt->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, opt);
            const int ih = opt->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, opt);
            opt->setGeometry((kCellWidth - iw) / 2, (kRowHeight - ih) / 2, iw, ih);
            // The button stands on its cell's colour; its round indicator
            // keeps the light face, so that on and off read the same in
            // every column.
            QPalette pal = opt->palette();
            pal.setColor(QPalette::Window, color);
            opt->setPalette(pal);
            opt->setAutoFillBackground(true);
            opt->setCursor(Qt::PointingHandCursor);
            cells[i] = bg;
            opts[i] = opt;
            connect(opt, &QAbstractButton::toggled, this, [this, i, status](bool on) {
                if (on) GridOption_Click(i, status);
            });
        };
        cell(QStringLiteral("picNeverBG_%1").arg(i), QStringLiteral("optNever_%1").arg(i), 0, art::kNeverCell,
             picNeverBG_, optNever_, kNever);
        cell(QStringLiteral("picNeutralBG_%1").arg(i), QStringLiteral("optNeutral_%1").arg(i), 1, art::kNeutralCell,
             picNeutralBG_, optNeutral_, kNeutral);
        cell(QStringLiteral("picHardBG_%1").arg(i), QStringLiteral("optHard_%1").arg(i), 2, art::kHardCell,
             picHardBG_, optHard_, kHard);
    }
    VScroll1_ = new QScrollBar(Qt::Vertical, picGrid_);
    VScroll1_->setObjectName(QStringLiteral("VScroll1"));
    VScroll1_->setGeometry(kRowsWidth + 8, kHeaderHeight, 18, kGridRows * kRowHeight);
    connect(VScroll1_, &QScrollBar::valueChanged, this, &frmSkyrendelOptions::VScroll1_Change);
}

void frmSkyrendelOptions::Form_Load() {
    CenterForm(this);
    for (QWidget* w : TabCover_) setBackground(w, Qt::white);
    for (QWidget* w : picLine_) setBackground(w, Qt::white);
    for (int k = 0; k < 10; ++k) {
        cmdAdd_[k]->setPicture(cmdAdd_[1]->picture());
        cmdRemove_[k]->setPicture(cmdRemove_[1]->picture());
    }
    SetupSimilarityGrid();
    FillAircraftLists();
    CurrentAircraftIndex = 0;
    LoadSpecificAircraft(CurrentAircraftIndex);
    SetTab(1);
}

void frmSkyrendelOptions::SetTab(int tab) {
    tab_ = tab;
    for (int i = 0; i < 2; ++i) {
        picPanel_[i]->setVisible(i == tab);
        TopTab_[i]->setPicture(art::TabFace(kTabSize, i == tab));
        QPalette pal = lblTopTabCaption_[i]->palette();
        pal.setColor(QPalette::WindowText, i == tab ? artwork::kNavy : artwork::kNavy.lighter(170));
        lblTopTabCaption_[i]->setPalette(pal);
    }
    picPanel_[tab]->raise();
    TopTab_[tab]->raise();
    TabCover_[tab]->raise();
    for (QLabel* l : lblTopTabCaption_) l->raise();
    if (isVisible()) picPanel_[tab]->setFocus();
}

bool frmSkyrendelOptions::tryWrite(const QString& what, const std::function<void()>& write) {
    try {
        write();
        return true;
    } catch (const SkyError& e) {
        platform().messageBox->show(this, title(), what + QStringLiteral("\n\n") + e.description(),
                                    MsgIcon::Exclamation, MsgButtons::OkOnly);
    } catch (const std::exception& e) {
        platform().messageBox->show(this, title(), what + QStringLiteral("\n\n") + QString::fromLocal8Bit(e.what()),
                                    MsgIcon::Exclamation, MsgButtons::OkOnly);
    }
    return false;
}

void frmSkyrendelOptions::FillAircraftLists() {
    AircraftLists fresh;
    if (!tryWrite(QStringLiteral("The list of aircraft could not be read."),
                  [&] { fresh = options::FillAircraftLists(); }))
        return;
    lists_ = fresh;
    lstActive_->clear();
    lstInactive_->clear();
    lstActive_->addItems(lists_.lstActive);
    lstInactive_->addItems(lists_.lstInactive);
    updateHint();
}

void frmSkyrendelOptions::updateHint() { lblFewActive_->setVisible(lists_.lstActive.size() < 3); }

void frmSkyrendelOptions::MoveAircraft(int buttonIndex, bool makeActive) {
    QListWidget* source = makeActive ? lstInactive_ : lstActive_;
    QStringList entries;
    QList<int> selected;
    for (int i = 0; i < source->count(); ++i) {
        entries << source->item(i)->text();
        if (source->item(i)->isSelected()) selected << i;
    }
    tryWrite(QStringLiteral("The choice of active aircraft could not be saved; the lists show what is stored."),
             [&] { options::MoveAircraft(buttonIndex, makeActive, entries, selected); });
    FillAircraftLists();
}

void frmSkyrendelOptions::moveOnDoubleClick(QListWidget* list, int row) {
    if (row < 0) return;
    const bool makeActive = list == lstInactive_;
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) entries << list->item(i)->text();
    tryWrite(QStringLiteral("The choice of active aircraft could not be saved; the lists show what is stored."),
             [&] { options::MoveAircraft(0, makeActive, entries, {row}); });
    FillAircraftLists();
}

void frmSkyrendelOptions::showLoadedSets(const std::array<bool, kSetCount>& sets) {
    const bool was = LoadingAircraft;
    LoadingAircraft = true;
    for (int s = 0; s < kSetCount; ++s) chkBelongsToset_[s]->setChecked(sets[s]);
    LoadingAircraft = was;
}

void frmSkyrendelOptions::LoadSpecificAircraft(int& index) {
    LoadingAircraft = true;
    const int n = lists_.lstAllAircraft.size();
    if (index > n - 1 || index < 0) index = 0;
    const QString name = index < n ? lists_.lstAllAircraft[index] : QString();
    if (name.trimmed().isEmpty()) {
        lblAircraftType_->setText(n == 0 ? QStringLiteral("No aircraft in the catalogue") : QString());
        return;
    }
    AircraftRecord row;
    if (!tryWrite(QStringLiteral("The aircraft \"%1\" could not be read.").arg(name),
                  [&] { row = ReadAircraftByName(name, lists_.lstAllAircraftIDs.value(index)); })) {
        LoadingAircraft = false;
        return;
    }
    if (row.found) {
        imgAircraftName_->clearPicture();
        try {
            data::LoadAircraftNameLogo(row.folder, imgAircraftName_);
        } catch (const std::exception&) {
            // A logo that cannot be read leaves the box empty; the name is
            // still shown below it.
        }
        imgAircraftName_->setToolTip(data::TrimBlanks(row.type));
        lblAircraftType_->setText(data::TrimBlanks(row.type));
        CurrentAircraftFolder = row.folder;
        CurrentAircraftID = row.id;
        for (QCheckBox* box : chkBelongsToset_) box->setChecked(false);
        for (int s = 0; s < kSetCount; ++s)
            if (row.sets[s]) chkBelongsToset_[s]->setChecked(true);
        savedSets_ = row.sets;
    }
    loadGrid();
    LoadingAircraft = false;
}

void frmSkyrendelOptions::cmdChangeAircraft_Click(int index) {
    const int n = lists_.lstAllAircraft.size();
    CurrentAircraftIndex += index == 1 ? 1 : -1;
    if (CurrentAircraftIndex > n - 1)
        CurrentAircraftIndex = 0;
    else if (CurrentAircraftIndex < 0)
        CurrentAircraftIndex = n - 1;
    LoadSpecificAircraft(CurrentAircraftIndex);
}

void frmSkyrendelOptions::chkBelongsToset_Click(int) {
    if (LoadingAircraft) return;
    SaveSetMemberships();
}

void frmSkyrendelOptions::SaveSetMemberships() {
    std::array<bool, kSetCount> sets{};
    for (int s = 0; s < kSetCount; ++s) sets[s] = chkBelongsToset_[s]->isChecked();
    const int id = CurrentAircraftID;
    if (tryWrite(QStringLiteral("The aircraft sets of \"%1\" could not be saved.").arg(lblAircraftType_->text()),
                 [&] { options::SaveSetMemberships(id, sets); }))
        savedSets_ = sets;
    else
        showLoadedSets(savedSets_);
}

void frmSkyrendelOptions::cmdRestoreDefaults_Click(int index) {
    const QString question =
        index == 0 ? QStringLiteral("Are you sure that you want to restore this aircraft to its default settings?")
                   : QStringLiteral("Are you sure that you want to restore all the aircraft to their default settings?");
    if (platform().messageBox->show(this, QStringLiteral("Restore Defaults?"), question, MsgIcon::Exclamation,
                                    MsgButtons::YesNo) != MsgResult::Yes)
        return;
    bool done;
    if (index == 0) {
        const QString folder = CurrentAircraftFolder;
        done = tryWrite(QStringLiteral("The defaults of \"%1\" could not be restored; nothing was changed.")
                            .arg(lblAircraftType_->text()),
                        [&] { RestoreAircraftDefaults(folder); });
    } else {
        done = tryWrite(QStringLiteral("The defaults of the aircraft could not be restored; nothing was changed."),
                        [&] { RestoreAllAircraftDefaults(); });
    }
    LoadSpecificAircraft(CurrentAircraftIndex);
    if (done)
        platform().messageBox->show(this, QStringLiteral("Defaults Restored."),
                                    QStringLiteral("Defaults Successfully Restored!"), MsgIcon::Information,
                                    MsgButtons::OkOnly);
}

void frmSkyrendelOptions::Image3_Click() {
    tryWrite(QStringLiteral("The problem report could not be prepared."),
             [&] { learning::ReportIssue(CurrentAircraftFolder, -1, this); });
}

void frmSkyrendelOptions::cmdExit_Click() { accept(); }

// --- Similarity grid -----------------------------------------------------

void frmSkyrendelOptions::loadGrid() {
    SimilarityLists fresh;
    const int id = CurrentAircraftID;
    const QString folder = CurrentAircraftFolder;
    if (!tryWrite(QStringLiteral("The similar aircraft of \"%1\" could not be read.").arg(lblAircraftType_->text()),
                  [&] { fresh = LoadSimilarityLists(id, folder); }))
        fresh = SimilarityLists();
    grid_ = fresh;
    SetupSimilarityGrid();
    RedrawSimilarityGrid(0);
}

void frmSkyrendelOptions::SetupSimilarityGrid() {
    const GridSetup g = options::SetupSimilarityGrid(grid_.lstOtherAircraft.size());
    for (int i = 0; i < kGridRows; ++i) picLine_[i]->setVisible(i < g.visibleRows);
    VScroll1_->setVisible(g.scrollVisible);
    if (g.scrollVisible) {
        VScroll1_->setRange(0, g.scrollMax);
        VScroll1_->setPageStep(kGridRows);
        VScroll1_->setSingleStep(1);
        VScroll1_->setValue(0);
    }
}

void frmSkyrendelOptions::RedrawSimilarityGrid(int start) {
    RedrawingGrid = true;
    firstShown_ = start;
    const int n = grid_.lstOtherAircraft.size();
    for (int i = 0; i < kGridRows; ++i) {
        const int d = start + i;
        if (d >= n) continue;
        lblTableAircraftName_[i]->setText(grid_.lstOtherAircraft[d]);
        lblTableAircraftName_[i]->setProperty("Tag", grid_.lstOtherAircraftIDs[d]);
        optHard_[i]->setChecked(false);
        optNever_[i]->setChecked(false);
        optNeutral_[i]->setChecked(false);
        const int status = grid_.lstAskStatus[d].toInt();
        if (status == kHard)
            optHard_[i]->setChecked(true);
        else if (status == kNever)
            optNever_[i]->setChecked(true);
        else
            optNeutral_[i]->setChecked(true);
    }
    RedrawingGrid = false;
}

void frmSkyrendelOptions::VScroll1_Change() { RedrawSimilarityGrid(VScroll1_->value()); }

void frmSkyrendelOptions::scrollGridBy(int rows) {
    if (VScroll1_->isHidden()) return;
    VScroll1_->setValue(VScroll1_->value() + rows);
}

void frmSkyrendelOptions::GridOption_Click(int row, int status) {
    if (RedrawingGrid) return;
    RedrawingGrid = true;
    if (status != kHard) optHard_[row]->setChecked(false);
    if (status != kNever) optNever_[row]->setChecked(false);
    if (status != kNeutral) optNeutral_[row]->setChecked(false);
    RedrawingGrid = false;

    const int other = lblTableAircraftName_[row]->property("Tag").toString().toInt();
    const int current = CurrentAircraftID;
    const QString what = QStringLiteral("The pairing of \"%1\" with \"%2\" could not be saved.")
                             .arg(lblAircraftType_->text(), lblTableAircraftName_[row]->text().trimmed());
    const bool saved = tryWrite(what, [&] {
        if (status == kHard)
            SetSimilarityHARD(other, current);
        else if (status == kNever)
            SetSimilarityNEVER(other, current);
        else
            DeleteSimilarity(other, current);
    });
    const int position = firstShown_ + row;
    if (saved && position < grid_.lstAskStatus.size()) grid_.lstAskStatus[position] = QString::number(status);
    // After a failure the row shows again what is stored.
    if (!saved) RedrawSimilarityGrid(firstShown_);
}

bool frmSkyrendelOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        for (int i = 0; i < 2; ++i)
            if (watched == lblTopTabCaption_[i] &&
                static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                SetTab(i);
                return true;
            }
    }
    // The wheel anywhere over the grid scrolls it, whichever part of a row
    // the event reached first.
    if (event->type() == QEvent::Wheel && watched->isWidgetType() &&
        (watched == picGrid_ || picGrid_->isAncestorOf(static_cast<QWidget*>(watched)))) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const int steps = wheel->angleDelta().y() / 120;
        if (steps != 0) scrollGridBy(-steps * 3);
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == lstActive_ && key->key() == Qt::Key_Delete) {
            MoveAircraft(0, false);
            return true;
        }
        if (watched == lstInactive_ && key->key() == Qt::Key_Insert) {
            MoveAircraft(0, true);
            return true;
        }
        if (tab_ == 0) {
            switch (key->key()) {
            case Qt::Key_Left:
                cmdChangeAircraft_Click(0);
                return true;
            case Qt::Key_Right:
                cmdChangeAircraft_Click(1);
                return true;
            case Qt::Key_Up:
                scrollGridBy(-1);
                return true;
            case Qt::Key_Down:
                scrollGridBy(1);
                return true;
            case Qt::Key_PageUp:
                scrollGridBy(-kGridRows);
                return true;
            case Qt::Key_PageDown:
                scrollGridBy(kGridRows);
                return true;
            default:
                break;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace sky::options
