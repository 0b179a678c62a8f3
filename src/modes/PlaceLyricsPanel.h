#pragma once

#include <cstdint>

#include "base/MEvent.h"
#include "modes/ModePanel.h"
#include "modes/PlaceLyricsModel.h"

class MCdgPlayer;
class MSongDocument;
class ModePreview;
class QLabel;
class QLineEdit;
class QSpinBox;

// Place Lyrics: the music plays from the start and the user taps once per word; each tap stamps
// the position of the audio heard at the moment of the key press into the next word. Home
// starts, Space places, Ctrl pauses the open sweep, End stops.
class PlaceLyricsPanel : public ModePanel {
    Q_OBJECT

public:
    enum class State { Ready, Placing, Finished };

    PlaceLyricsPanel(ModeHost& host, MSongDocument& document, QWidget* parent = nullptr);
    ~PlaceLyricsPanel() override;

    State CurrentState() const { return state_; }
    const PlaceLyricsModel& Model() const { return model_; }
    ModePreview* Preview() const { return preview_; }
    QPushButton* StartButton() const { return startButton_; }
    QPushButton* PlaceButton() const { return placeButton_; }
    QPushButton* PauseButton() const { return pauseButton_; }
    QPushButton* StopButton() const { return stopButton_; }
    int Tempo() const { return tempo_; }

    void StartPlacement();
    // event, when given, is the key press whose moment is stamped.
    void PlaceWord(const QKeyEvent* event = nullptr);
    void PauseSweep(const QKeyEvent* event = nullptr);
    void FinishPlacement();

    // The song position heard when a key was pressed: the player's position less the time the
    // event waited before it was handled, when the event carries the time of the press.
    static int32_t PositionAtPress(uint32_t position, const QKeyEvent* event, uint64_t nowMs);

protected:
    bool ModeButtonAllowed(Button which) const override;
    bool KeyHook(QKeyEvent* event) override;
    void OnTimer() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int32_t StampPosition(const QKeyEvent* event) const;
    void UpdatePlacingControls();
    void DescribeCursor();
    void ChangeTempo(int step);

    MSongDocument& document_;
    ModePreview* preview_ = nullptr;
    PlaceLyricsModel model_;
    QPushButton* startButton_ = nullptr;
    QPushButton* placeButton_ = nullptr;
    QPushButton* pauseButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QLabel* tempoLabel_ = nullptr;
    int rowEnd_ = 0;  // x just right of the placement buttons
    QLineEdit* tempoField_ = nullptr;
    QSpinBox* tempoSpinner_ = nullptr;
    MCdgPlayer* player_ = nullptr;
    MEvent endOfPlay_;
    State state_ = State::Ready;
    bool placeHeld_ = false;
    bool pauseHeld_ = false;
    int tempo_ = 100;
};
