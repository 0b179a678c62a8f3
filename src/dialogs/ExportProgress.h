#pragma once

#include <QDialog>
#include <QElapsedTimer>

#include "base/MProgress.h"

class QProgressBar;
class QPushButton;

// The progress window of long work (export, music decoding): a titled window with a progress bar
// and, where the work can be cancelled, a push-like "&Cancel" toggle. It blocks input to the
// other windows while shown and keeps them painted: every report lets pending events run (at
// most every 20 ms, so the work is not slowed down).
//
// The shell passes one to the exporters and to MMusicImport::LoadMusic:
//     ExportProgress progress(mainWindow);
//     MBinExport(song, &progress).Run(path);
class ExportProgress : public QDialog, public MProgress {
    Q_OBJECT

public:
    explicit ExportProgress(QWidget* parent = nullptr);

    void Begin(const QString& title, bool canCancel) override;
    void SetTitle(const QString& title) override;
    void SetPercent(int percent) override;
    bool IsCancelled() override;
    void End() override;

    int Percent() const;
    QPushButton* CancelButton() const { return cancel_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void Pump(bool force);

    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QElapsedTimer sincePump_;
    bool canCancel_ = false;
};
