#pragma once

#include <cstdint>
#include <memory>

#include "base/MEvent.h"
#include "modes/ModePanel.h"

class MCdgPlayer;
class MRwRenderer;
class MRwViewerWindow;

// Play Final: the whole song rendered as it will be exported and played with its music, the
// graphics shown in the preview as the audio plays. Play always starts at the beginning.
class PlayFinalPanel : public ModePanel {
    Q_OBJECT

public:
    PlayFinalPanel(ModeHost& host, MSongSettings& song, QWidget* parent = nullptr);
    ~PlayFinalPanel() override;

    bool IsPlaying() const { return playing_; }
    CColorButton* PlayButton() const { return playButton_; }
    MRwRenderer* Renderer() const { return renderer_.get(); }
    MRwViewerWindow* Viewer() const { return viewer_; }
    // The lead-in of the rendered stream, in sample frames.
    int32_t LeadInFrames() const { return leadInFrames_; }
    // Renders the whole song into its stream buffer and hands it to the player.
    void Render();
    void TogglePlayback();

protected:
    bool ModeButtonAllowed(Button which) const override;
    bool KeyHook(QKeyEvent* event) override;
    void OnTimer() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<MRwRenderer> renderer_;
    MRwViewerWindow* viewer_ = nullptr;
    QWidget* previewFrame_ = nullptr;
    CColorButton* playButton_ = nullptr;
    MCdgPlayer* player_ = nullptr;
    MEvent endOfPlay_;
    bool playing_ = false;
    int32_t leadInFrames_ = 0;
    uint32_t endFrame_ = 0;
};
