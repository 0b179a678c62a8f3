#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

// The update check's status window: what the check is doing, a progress bar that runs up to the
// step's target, and "&Cancel". It is shown only for a check the user asked for, and for a
// download.
class CUpgradeCheckDlg : public QDialog {
    Q_OBJECT

public:
    CUpgradeCheckDlg(const QString& productName, QWidget* owner);

    // A step of the check: its text and the progress it runs up to.
    void SetStep(const QString& text, int targetPercent);
    // A download's progress, shown at once.
    void SetDownload(int percent);
    // Hides the window and empties the bar.
    void Reset();
    bool IsCancelled() const { return cancelled_; }

    QLabel* Status() const { return status_; }
    QProgressBar* Bar() const { return bar_; }
    QPushButton* CancelButton() const { return cancel_; }

signals:
    void cancelled();

protected:
    void reject() override;

private:
    void Cancel();
    void Advance();

    QLabel* status_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer timer_;
    int target_ = 0;
    bool cancelled_ = false;
};
