// The results screen: the modal window that ends a quiz. It shows the score,
// lets the user page through the answered questions (each the photograph
// and name logo of the right aircraft, framed green when answered right and
// red when wrong), filters the paging to the wrong or the right answers,
// and after a Captain's Challenge shows whether the user passed; the
// success panel writes and opens the certificate.
//
//   sky::game::frmSkyrendelResults results(records, mainWindow);
//   results.exec(); // returns when the user closes it
//
// It only reads the records; nothing is handed back.
#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QRadioButton;
class QButtonGroup;

namespace sky {
class DesignScaler;
class PictureBox;
}
namespace sky::quiz {
struct QuestionRecords;
}

namespace sky::game {

class frmSkyrendelResults : public QDialog {
    Q_OBJECT
public:
    explicit frmSkyrendelResults(const quiz::QuestionRecords& records, QWidget* parent = nullptr);

    // Shows question i (0-based), corrected in place when outside the list.
    void LoadQuestion(int& i);
    void optReview_Click(int index);
    void cmdChangeAircraft_Click(int index);
    void picCaptainsChallnege_Click(int index);
    // The save dialog offered when the documents folder refuses the
    // certificate; an empty result when the user cancels.
    static QString AskCertificatePath(QWidget* parent, const QString& suggested);
    void cmdChangeName_Click();
    void cmdExit_Click();

    // Opens the user's answer history over the given window. The program's
    // wiring hands it in; without it the screen offers no "My Progress" button.
    static std::function<void(QWidget* parent)> OpenProgress;

    // The current question and what it shows, for a problem report.
    int currentQuestion() const { return current_; }
    QString currentFolder() const { return currentFolder_; }
    int currentPictureNumber() const { return currentNumber_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    int questionCount() const;
    bool correct(int i) const;
    // True when question i passes the chosen filter.
    bool matchesFilter(int i) const;
    int chosenFilter() const;

    const quiz::QuestionRecords& records_;
    int current_ = 0;
    QString currentFolder_;
    int currentNumber_ = 0;

    PictureBox* imgTopHeader_ = nullptr;
    PictureBox* Image1_ = nullptr;
    QLabel* lblPercent_ = nullptr;
    QLabel* lblNofNCorrect_ = nullptr;
    QLabel* Label2_ = nullptr;
    QRadioButton* optReview_[3] = {};
    QButtonGroup* grpReview_ = nullptr;
    PictureBox* cmdChangeAircraft_[2] = {};
    PictureBox* Picture1_ = nullptr;
    PictureBox* picAircraft_ = nullptr;
    PictureBox* imgAircraftName_ = nullptr;
    QLabel* lblQuestioN_ = nullptr;
    PictureBox* picCaptainsChallnege_[2] = {};
    QPushButton* cmdChangeName_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
    QPushButton* cmdMyProgress_ = nullptr;
    DesignScaler* scaler_ = nullptr;
};

// The digits of text, in their order. A text of 32,767 characters or more
// is reported and gives an empty result.
QString RemoveNonDigits(const QString& text);

} // namespace sky::game
