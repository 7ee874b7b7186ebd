#include "progress/frmSkyrendelProgress.h"

#include "shell/application.h"

#include "data/databases.h"
#include "data/db.h"
#include "data/pictures.h"
#include "data/sync.h"
#include "options/optionsdata.h"
#include "shell/appstate.h"
#include "shell/artwork.h"
#include "shell/errors.h"
#include "shell/helpers.h"
#include "shell/picturebox.h"
#include "shell/platform.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace sky::progress {

// ------------------------------------------------------------------ chart

ProgressChart::ProgressChart(Kind kind, const QString& title, QWidget* parent)
    : QWidget(parent), kind_(kind), title_(title) {
    setMinimumSize(320, 200);
}

void ProgressChart::setValues(const QVector<double>& values, const QStringList& captions) {
    values_ = values;
    captions_ = captions;
    update();
}

void ProgressChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), artwork::kNavy);
    p.setPen(artwork::kWhite);
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(10, 4, width() - 20, 22), Qt::AlignLeft | Qt::AlignVCenter, title_);
    f.setBold(false);
    f.setPointSizeF(f.pointSizeF() * 0.85);
    p.setFont(f);
    const QRect area(44, 32, width() - 58, height() - (kind_ == Kind::Bars ? 96 : 56));
    // Grid: 0, 50 and 100 percent.
    for (int pct : {0, 50, 100}) {
        const int y = area.bottom() - area.height() * pct / 100;
        p.setPen(QPen(artwork::kDim, 1, pct == 0 ? Qt::SolidLine : Qt::DotLine));
        p.drawLine(area.left(), y, area.right(), y);
        p.setPen(artwork::kSkyLight);
        p.drawText(QRect(0, y - 8, area.left() - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(pct) + QStringLiteral("%"));
    }
    const int n = values_.size();
    if (n == 0) return;
    if (kind_ == Kind::Line) {
        QPainterPath path;
        QVector<QPointF> points;
        for (int i = 0; i < n; ++i) {
            const double x = n == 1 ? area.center().x() : area.left() + area.width() * double(i) / (n - 1);
            const double y = area.bottom() - area.height() * std::clamp(values_[i], 0.0, 1.0);
            points << QPointF(x, y);
            if (i == 0) path.moveTo(x, y);
            else path.lineTo(x, y);
        }
        p.setPen(QPen(artwork::kGold, 2));
        if (n > 200) {
            // Hundreds of quizzes: one plain line, as fine as the pixels.
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(QPen(artwork::kGold, 1));
            p.drawPolyline(points.constData(), points.size());
        } else {
            p.drawPath(path);
            p.setBrush(artwork::kGold);
            for (const QPointF& pt : points) p.drawEllipse(pt, 3.5, 3.5);
        }
        p.setPen(artwork::kSkyLight);
        p.drawText(QRect(area.left(), area.bottom() + 4, area.width(), 16), Qt::AlignCenter,
                   n == 1 ? QStringLiteral("1 quiz") : QString::number(n) + QStringLiteral(" quizzes, oldest first"));
        return;
    }
    const double slot = double(area.width()) / n;
    for (int i = 0; i < n; ++i) {
        const QRectF bar(area.left() + slot * i + slot * 0.15, area.top(), slot * 0.7, area.height());
        if (values_[i] >= 0) {
            const double h = area.height() * std::clamp(values_[i], 0.0, 1.0);
            p.fillRect(QRectF(bar.left(), area.bottom() - h, bar.width(), h), artwork::kSky);
            p.setPen(artwork::kWhite);
            p.drawText(QRectF(bar.left() - 10, area.bottom() - h - 16, bar.width() + 20, 14), Qt::AlignCenter,
                       PercentText(values_[i]));
        }
        // Captions wrap under their bar; a set with no answers is dimmed.
        p.setPen(values_[i] >= 0 ? artwork::kSkyLight : artwork::kDim);
        p.drawText(QRectF(area.left() + slot * i + 1, area.bottom() + 4, slot - 2, 52),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, i < captions_.size() ? captions_[i] : QString());
    }
}

// ------------------------------------------------------------------ window

frmSkyrendelProgress::frmSkyrendelProgress(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSkyrendelProgress"));
    UseProgramStyle(this);
    setWindowTitle(QStringLiteral("My Progress"));
    resize(1000, 720);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, artwork::kSkyLight);
    setPalette(pal);
    setAutoFillBackground(true);

    auto* outer = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("My Progress"), this);
    heading->setObjectName(QStringLiteral("lblHeading"));
    QFont hf = heading->font();
    hf.setPointSizeF(hf.pointSizeF() * 1.8);
    hf.setBold(true);
    heading->setFont(hf);
    heading->setStyleSheet(QStringLiteral("color: #0f1f3a;"));
    outer->addWidget(heading);

    lblNoAnswers_ = new QLabel(QStringLiteral("No answers yet"), this);
    lblNoAnswers_->setObjectName(QStringLiteral("lblNoAnswers"));
    lblNoAnswers_->setAlignment(Qt::AlignCenter);
    QFont nf = lblNoAnswers_->font();
    nf.setPointSizeF(nf.pointSizeF() * 1.5);
    lblNoAnswers_->setFont(nf);
    outer->addWidget(lblNoAnswers_, 1);

    content_ = new QWidget(this);
    auto* grid = new QGridLayout(content_);
    grid->setContentsMargins(0, 0, 0, 0);
    picQuizChart_ = new ProgressChart(ProgressChart::Kind::Line, QStringLiteral("Accuracy per quiz"), content_);
    picQuizChart_->setObjectName(QStringLiteral("picQuizChart"));
    picSetChart_ = new ProgressChart(ProgressChart::Kind::Bars, QStringLiteral("Accuracy per aircraft set"), content_);
    picSetChart_->setObjectName(QStringLiteral("picSetChart"));
    grid->addWidget(picQuizChart_, 0, 0);
    grid->addWidget(picSetChart_, 0, 1);

    lstAircraft_ = new QTreeWidget(content_);
    lstAircraft_->setObjectName(QStringLiteral("lstAircraft"));
    lstAircraft_->setHeaderLabels({QStringLiteral("Aircraft, worst first"), QStringLiteral("Answers"),
                                   QStringLiteral("Accuracy"), QStringLiteral("Trend")});
    lstAircraft_->setRootIsDecorated(false);
    lstAircraft_->setUniformRowHeights(true);
    lstAircraft_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstAircraft_->header()->setStretchLastSection(false);
    grid->addWidget(lstAircraft_, 1, 0);

    auto* right = new QWidget(content_);
    auto* rv = new QVBoxLayout(right);
    rv->setContentsMargins(0, 0, 0, 0);
    auto* confusionsCaption = new QLabel(QStringLiteral("The aircraft you confuse"), right);
    rv->addWidget(confusionsCaption);
    lstConfusions_ = new QListWidget(right);
    lstConfusions_->setObjectName(QStringLiteral("lstConfusions"));
    lstConfusions_->setUniformItemSizes(true);
    rv->addWidget(lstConfusions_, 1);
    auto* pair = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        auto* column = new QVBoxLayout;
        picPair_[i] = new PictureBox(right, QStringLiteral("picPair_%1").arg(i));
        picPair_[i]->setMinimumSize(200, 133);
        picPair_[i]->setBackColor(artwork::kNavy);
        lblPair_[i] = new QLabel(right);
        lblPair_[i]->setObjectName(QStringLiteral("lblPair_%1").arg(i));
        lblPair_[i]->setAlignment(Qt::AlignCenter);
        column->addWidget(picPair_[i], 1);
        column->addWidget(lblPair_[i]);
        pair->addLayout(column);
    }
    rv->addLayout(pair, 1);
    cmdMarkHard_ = new QPushButton(QStringLiteral("Mark this pair Hard"), right);
    cmdMarkHard_->setObjectName(QStringLiteral("cmdMarkHard"));
    cmdMarkHard_->setEnabled(false);
    rv->addWidget(cmdMarkHard_);
    grid->addWidget(right, 1, 1);
    grid->setRowStretch(0, 2);
    grid->setRowStretch(1, 3);
    outer->addWidget(content_, 1);

    auto* buttons = new QHBoxLayout;
    cmdExportCsv_ = new QPushButton(QStringLiteral("Export as CSV"), this);
    cmdExportCsv_->setObjectName(QStringLiteral("cmdExportCsv"));
    cmdExit_ = new QPushButton(QStringLiteral("Close"), this);
    cmdExit_->setObjectName(QStringLiteral("cmdExit"));
    buttons->addWidget(cmdExportCsv_);
    buttons->addStretch(1);
    buttons->addWidget(cmdExit_);
    outer->addLayout(buttons);

    connect(lstConfusions_, &QListWidget::currentRowChanged, this, [this](int row) { lstConfusions_Click(row); });
    connect(cmdMarkHard_, &QPushButton::clicked, this, [this] { cmdMarkHard_Click(); });
    connect(cmdExportCsv_, &QPushButton::clicked, this, [this] { cmdExportCsv_Click(); });
    connect(cmdExit_, &QPushButton::clicked, this, &QDialog::accept);

    Reload();
}

void frmSkyrendelProgress::Reload() {
    data_ = ProgressData();
    if (db::Connection* user = db::UserDB(); user && user->isOpen()) {
        try {
            data_ = LoadProgress(*user);
        } catch (const SkyError& e) {
            platform().messageBox->show(this, AppTitle,
                                        QStringLiteral("Your answer history could not be read: ") + e.description(),
                                        MsgIcon::Exclamation, MsgButtons::OkOnly);
        }
    }
    const bool empty = data_.isEmpty();
    lblNoAnswers_->setVisible(empty);
    content_->setVisible(!empty);
    cmdExportCsv_->setEnabled(!empty);

    QVector<double> quizValues;
    QStringList quizCaptions;
    for (const QuizPoint& q : data_.quizzes) {
        quizValues << q.accuracy();
        quizCaptions << QString::number(q.right) + QStringLiteral(" of ") + QString::number(q.answered);
    }
    picQuizChart_->setValues(quizValues, quizCaptions);
    QVector<double> setValues;
    QStringList setCaptions;
    for (const SetAccuracy& s : data_.setAccuracy) {
        setValues << (s.answered > 0 ? s.accuracy() : -1.0);
        setCaptions << options::SetCaption(s.set);
    }
    picSetChart_->setValues(setValues, setCaptions);

    lstAircraft_->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(data_.aircraft.size());
    for (const AircraftStat& a : data_.aircraft) {
        auto* item = new QTreeWidgetItem({data_.nameOf(a.folder), QString::number(a.answered),
                                          PercentText(a.accuracy()), TrendText(a)});
        for (int c = 1; c < 4; ++c) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, Qt::UserRole, a.folder);
        items << item;
    }
    lstAircraft_->addTopLevelItems(items);
    for (int c = 1; c < 4; ++c) lstAircraft_->resizeColumnToContents(c);

    lstConfusions_->blockSignals(true);
    lstConfusions_->clear();
    for (const Confusion& c : data_.confusions)
        lstConfusions_->addItem(ConfusionSentence(data_.nameOf(c.correct), data_.nameOf(c.chosen), c.count));
    lstConfusions_->blockSignals(false);
    for (int i = 0; i < 2; ++i) {
        picPair_[i]->clearPicture();
        lblPair_[i]->clear();
    }
    cmdMarkHard_->setEnabled(false);
    cmdMarkHard_->setText(QStringLiteral("Mark this pair Hard"));
    if (!data_.confusions.isEmpty()) lstConfusions_->setCurrentRow(0);
}

void frmSkyrendelProgress::lstConfusions_Click(int row) {
    if (row < 0 || row >= data_.confusions.size()) return;
    const Confusion& c = data_.confusions[row];
    const QString folders[2] = {c.correct, c.chosen};
    bool bothInCatalogue = true;
    for (int i = 0; i < 2; ++i) {
        lblPair_[i]->setText(data_.nameOf(folders[i]));
        picPair_[i]->clearPicture();
        if (data_.names.contains(folders[i])) {
            try {
                data::LoadAircraftPicture(folders[i], -1, picPair_[i]);
            } catch (const SkyError&) {
                // A picture database that cannot be read leaves the slot empty.
            }
        } else {
            bothInCatalogue = false;
        }
    }
    cmdMarkHard_->setText(QStringLiteral("Mark this pair Hard"));
    cmdMarkHard_->setEnabled(bothInCatalogue);
}

void frmSkyrendelProgress::cmdMarkHard_Click() {
    const int row = lstConfusions_->currentRow();
    if (row < 0 || row >= data_.confusions.size()) return;
    const Confusion& c = data_.confusions[row];
    try {
        data::SetSimilarAircraftPair(c.correct, c.chosen, true);
    } catch (const SkyError& e) {
        platform().messageBox->show(this, AppTitle,
                                    QStringLiteral("The pair could not be marked Hard: ") + e.description(),
                                    MsgIcon::Exclamation, MsgButtons::OkOnly);
        return;
    }
    cmdMarkHard_->setText(QStringLiteral("Marked Hard"));
    cmdMarkHard_->setEnabled(false);
}

QString frmSkyrendelProgress::ExportPath() {
    return platform().folders->documents() + QStringLiteral("/Skyrendel answer history.csv");
}

void frmSkyrendelProgress::cmdExportCsv_Click() {
    const QString path = ExportPath();
    QString error;
    QVector<AnswerRecord> history;
    try {
        if (db::Connection* user = db::UserDB(); user && user->isOpen()) history = ReadHistory(*user);
    } catch (const SkyError& e) {
        platform().messageBox->show(this, AppTitle,
                                    QStringLiteral("Your answer history could not be read: ") + e.description(),
                                    MsgIcon::Exclamation, MsgButtons::OkOnly);
        return;
    }
    if (ExportHistoryCsv(history, path, &error)) {
        platform().messageBox->show(this, AppTitle, QStringLiteral("Your answer history was saved to ") + path,
                                    MsgIcon::Information, MsgButtons::OkOnly);
    } else {
        platform().messageBox->show(this, AppTitle,
                                    QStringLiteral("Your answer history could not be saved to ") + path +
                                        QStringLiteral(": ") + error,
                                    MsgIcon::Exclamation, MsgButtons::OkOnly);
    }
}

void OpenMyProgress(QWidget* parent) {
    frmSkyrendelProgress window(parent);
    CenterForm(&window);
    window.exec();
}

} // namespace sky::progress
