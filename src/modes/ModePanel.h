#pragma once

#include <QTimer>
#include <QWidget>
#include <array>

#include "modes/ModeHost.h"
#include "widgets/CColorButton.h"

class MSongSettings;
class QKeyEvent;

// The frame shared by the work-mode panels: the row of mode buttons at the bottom (the current
// mode's button green), their enabled rules, the shared resize rule for a preview above one row
// of the mode's own buttons, a 100 ms timer, and a key hook that sees the keys typed anywhere in
// the panel after the main window's shortcuts.
class ModePanel : public QWidget {
    Q_OBJECT

public:
    enum Button { kEditButton, kPlaceButton, kAdjustButton, kPlayButton, kSettingsButton };
    static constexpr int kMargin = 11;
    static constexpr int kGap = 7;
    static constexpr int kButtonHeight = 25;

    ModePanel(ModeHost& host, MSongSettings& song, int mode, QWidget* parent = nullptr);
    ~ModePanel() override;

    int Mode() const { return mode_; }
    CColorButton* ModeButton(Button which) const { return modeButtons_[which]; }
    // Enables the mode buttons by the rules of the song and the host's state.
    void UpdateModeButtons();

protected:
    ModeHost& Host() const { return host_; }
    MSongSettings& Song() const { return song_; }

    // The panel's own conditions on top of the shared rules (e.g. none while playing).
    virtual bool ModeButtonAllowed(Button which) const { return true; }
    // Work of the panel's own is using the song: the buttons keep their state meanwhile.
    virtual bool SongInUse() const { return false; }
    // Whether the song has what Place Lyrics needs (music and lyrics).
    virtual bool HasMusicAndLyrics() const;
    // A key press or release inside the panel; true consumes it.
    virtual bool KeyHook(QKeyEvent* event) { return false; }
    // Every 100 ms while the timer runs.
    virtual void OnTimer() {}
    void StartTimer() { timer_.start(); }
    void StopTimer() { timer_.stop(); }

    // Places the mode buttons with their bottom edge 11 pixels above the bottom; returns their
    // top edge.
    int LayoutModeButtons();
    // The shared rule: mode buttons, then the row of widgets above them, then the preview frame
    // in the rest, 4:3 at most. Returns the preview frame's rectangle.
    QRect LayoutPreviewAbove(const QList<QWidget*>& row);
    // A button of the panel's own (its caption is also its accessible name).
    CColorButton* MakeButton(const QString& caption, int x, int width);
    // Sets a row of buttons side by side from the left margin, all as wide as minWidth or as the
    // widest caption needs in the user's font, and keeps the panel at least as wide as the row.
    // Returns the x just right of the row.
    int LayOutButtonRow(const QList<QPushButton*>& row, int minWidth);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ModeHost& host_;
    MSongSettings& song_;
    int mode_;
    std::array<CColorButton*, 5> modeButtons_{};
    QTimer timer_;
};

// Gives a button the green face of the current mode or of the page arrows.
void PaintGreen(CColorButton* button);
