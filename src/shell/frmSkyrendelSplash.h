// The splash window shown while the program starts, with its progress bar.
#pragma once

#include <QWidget>

namespace sky {

class PictureBox;

class frmSkyrendelSplash : public QWidget {
    Q_OBJECT
public:
    frmSkyrendelSplash();

    // Sets the bar to k percent of the track and draws it at once.
    void SetPercent(int k);
    // The bar's width and the track's, for tests.
    int barWidth() const;
    int trackWidth() const;
    int lastPercent() const { return lastPercent_; }

signals:
    void percentSet(int k);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Form_Load();
    PictureBox* Picture1_;
    QWidget* Picture2_;
    QWidget* Shape1_;
    bool loaded_ = false;
    int lastPercent_ = -1;
};

} // namespace sky
