#pragma once

#include <QString>

// Where long audio work (decoding, encoding) reports how far it is. Implementations in the user
// interface show a progress bar and keep the window responsive in IsCancelled, which the work
// calls often, also when the percentage does not change.
class MProgress {
public:
    virtual ~MProgress() = default;

    // A titled progress display is wanted; canCancel tells whether to offer cancelling.
    virtual void Begin(const QString& title, bool canCancel) {}
    // A new title for the display shown (e.g. when the work was cancelled).
    virtual void SetTitle(const QString& title) {}
    // 0 to 100.
    virtual void SetPercent(int percent) = 0;
    // True when the user asked to stop.
    virtual bool IsCancelled() { return false; }
    virtual void End() {}
};
