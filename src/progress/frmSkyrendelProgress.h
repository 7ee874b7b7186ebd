// "My Progress": the user's accuracy per quiz and per aircraft set as
// charts, every aircraft worst first with its trend, the pairs the user
// confuses with their pictures side by side and a button that marks a pair
// Hard, and the export of the history as CSV. Shows "No answers yet" when
// there is no history.
//
// Controls (objectNames): lblNoAnswers, picQuizChart, picSetChart,
// lstAircraft, lstConfusions, picPair_0, picPair_1, lblPair_0, lblPair_1,
// cmdMarkHard, cmdExportCsv, cmdExit.
#pragma once

#include "progress/progressdata.h"

#include <QDialog>
#include <QPointF>

class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace sky {
class PictureBox;
}

namespace sky::progress {

// A chart drawn in the program's colours: a line of points (0 to 1) or a
// row of bars, each with a caption.
class ProgressChart : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Line, Bars };
    ProgressChart(Kind kind, const QString& title, QWidget* parent = nullptr);
    // Values from 0 to 1; a negative value is a bar with no answers.
    void setValues(const QVector<double>& values, const QStringList& captions);
    const QVector<double>& values() const { return values_; }
    const QStringList& captions() const { return captions_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Kind kind_;
    QString title_;
    QVector<double> values_;
    QStringList captions_;
};

class frmSkyrendelProgress : public QDialog {
    Q_OBJECT
public:
    explicit frmSkyrendelProgress(QWidget* parent = nullptr);

    // Reads the history again and fills every control.
    void Reload();
    const ProgressData& data() const { return data_; }

    void lstConfusions_Click(int row);
    void cmdMarkHard_Click();
    void cmdExportCsv_Click();

    // Where the export goes: the user's documents folder.
    static QString ExportPath();

private:
    ProgressData data_;
    QLabel* lblNoAnswers_ = nullptr;
    QWidget* content_ = nullptr;
    ProgressChart* picQuizChart_ = nullptr;
    ProgressChart* picSetChart_ = nullptr;
    QTreeWidget* lstAircraft_ = nullptr;
    QListWidget* lstConfusions_ = nullptr;
    PictureBox* picPair_[2] = {};
    QLabel* lblPair_[2] = {};
    QPushButton* cmdMarkHard_ = nullptr;
    QPushButton* cmdExportCsv_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
};

// Opens the window modally over `parent`.
void OpenMyProgress(QWidget* parent);

} // namespace sky::progress
