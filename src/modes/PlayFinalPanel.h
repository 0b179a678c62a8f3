#pragma once

#include <cstdint>
#include <memory>

#include "base/MEvent.h"
#include "modes/ModePanel.h"
#include "song/MSongStream.h"

class MCdgPlayer;
class MRwRenderer;
class MRwViewerWindow;
class MSongDocument;
class QProgressBar;
class QThread;

// Play Final: the whole song rendered as it will be exported and played with its music, the
// graphics shown in the preview as the audio plays. Play always starts at the beginning.
// The song is rendered on a thread of its own while the window stays live, a busy bar showing;
// until it is done the song belongs to that thread: the host asks IsRendering() before it
// touches the song (a panel destroyed meanwhile waits for the render to end).
class PlayFinalPanel : public ModePanel {
    Q_OBJECT

public:
    PlayFinalPanel(ModeHost& host, MSongDocument& document, QWidget* parent = nullptr);
    ~PlayFinalPanel() override;

    bool IsPlaying() const { return playing_; }
    bool IsRendering() const { return renderThread_ != nullptr; }
    // Runs the event loop until the render is done; false after timeoutMs.
    bool WaitForRender(int timeoutMs);
    CColorButton* PlayButton() const { return playButton_; }
    MRwRenderer* Renderer() const { return renderer_.get(); }
    MRwViewerWindow* Viewer() const { return viewer_; }
    // The lead-in of the rendered stream, in sample frames.
    int32_t LeadInFrames() const { return leadInFrames_; }
    QProgressBar* RenderProgress() const { return renderProgress_; }
    // The stream rendered last (in the song's stream buffer).
    const MSongStream& Stream() const { return stream_; }
    // Starts rendering the whole song into its stream buffer; when done it goes to the player.
    void Render();
    void TogglePlayback();

protected:
    bool ModeButtonAllowed(Button which) const override;
    bool SongInUse() const override { return IsRendering(); }
    bool KeyHook(QKeyEvent* event) override;
    void OnTimer() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RenderDone();

    MSongDocument& document_;
    std::unique_ptr<MRwRenderer> renderer_;
    MRwViewerWindow* viewer_ = nullptr;
    QWidget* previewFrame_ = nullptr;
    CColorButton* playButton_ = nullptr;
    QProgressBar* renderProgress_ = nullptr;
    QThread* renderThread_ = nullptr;
    // Written by the render thread, read once it has ended.
    MSongStream stream_;
    MCdgPlayer* player_ = nullptr;
    MEvent endOfPlay_;
    bool playing_ = false;
    int32_t leadInFrames_ = 0;
    uint32_t endFrame_ = 0;
};
