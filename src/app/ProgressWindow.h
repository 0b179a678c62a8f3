#pragma once

#include <QProgressDialog>

#include "base/MProgress.h"

// Long work's progress in a window of its own; the window keeps repainting and answering while
// the work runs, since the work calls in here often.
class ProgressWindow : public MProgress {
public:
    explicit ProgressWindow(QWidget* owner);

    void Begin(const QString& title, bool canCancel) override;
    void SetTitle(const QString& title) override;
    void SetPercent(int percent) override;
    bool IsCancelled() override;
    void End() override;

private:
    QProgressDialog dialog_;
};
