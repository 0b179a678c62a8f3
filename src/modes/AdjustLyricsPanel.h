#pragma once

#include <QIcon>
#include <array>
#include <cstdint>
#include <functional>

#include "base/MEvent.h"
#include "modes/AdjustLyricsModel.h"
#include "modes/ModePanel.h"
#include "widgets/CColorRadio.h"

class MCdgPlayer;
class MSongDocument;
class ModePreview;
class QCheckBox;
class QGroupBox;
class QLabel;

// Adjust Lyrics: select a word on the preview, hear it in context and move its start or end in
// steps; in a duet, give lines to singers. Audition Play plays from the selected word to the end
// and selects the word being sung when stopped; Adjust Play loops a stretch around the selected
// word, rendering each pass afresh so that a nudge is heard on the next pass.
class AdjustLyricsPanel : public ModePanel {
    Q_OBJECT

public:
    enum Audition { kIdle = 0, kAuditionPlay = 1, kAdjustPlay = 2 };

    AdjustLyricsPanel(ModeHost& host, MSongDocument& document, QWidget* parent = nullptr);
    ~AdjustLyricsPanel() override;

    AdjustLyricsModel& Model() { return model_; }
    ModePreview* Preview() const { return preview_; }
    int AuditionMode() const { return audition_; }
    int Tempo() const { return tempo_; }
    QPushButton* AuditionButton() const { return auditionButton_; }
    QPushButton* AdjustButton() const { return adjustButton_; }
    QPushButton* AreaButton() const { return areaButton_; }
    CColorRadio* SingerButton(int singer) const { return singerButtons_[singer]; }
    QGroupBox* SingerGroup() const { return singerGroup_; }
    QLabel* PageLabel() const { return pageLabel_; }
    QPushButton* PreviousPageButton() const { return previousPage_; }
    QPushButton* NextPageButton() const { return nextPage_; }
    QPushButton* NudgeButton(AdjustLyricsModel::Nudge nudge) const { return nudgeButtons_[nudge]; }

    // Adjust Play passes started since the panel opened, the stream and lead-in of the latest.
    int PassCount() const { return passCount_; }
    int32_t LeadInFrames() const { return leadInFrames_; }
    uint32_t StreamBytes() const { return streamBytes_; }
    int32_t AuditionStart() const { return auditionStart_; }

    void ToggleAuditionPlay();
    void ToggleAdjustPlay();
    void Nudge(AdjustLyricsModel::Nudge nudge);
    void AssignSinger(AdjustLyricsModel::Singer singer);
    void ChangePage(bool next);
    // A left click at a point of the viewer.
    void ClickPreview(const QPoint& at, bool shift);
    // The Adjust Play Area Controls dialog.
    void OpenAreaDialog();

signals:
    // An Adjust Play pass has been rendered and started.
    void PassStarted(int pass);

protected:
    bool ModeButtonAllowed(Button which) const override;
    bool KeyHook(QKeyEvent* event) override;
    void OnTimer() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void StartPlayback(bool context);
    void StopPlayer();
    // On the user-interface thread, after the player ended the pass of generation.
    void PassEnded(uint64_t generation);
    void UpdateControls();
    void AfterSelection();
    bool HandleHeldKey(QKeyEvent* event, bool& held, bool acts, const std::function<void()>& act);

    MSongDocument& document_;
    ModePreview* preview_ = nullptr;
    AdjustLyricsModel model_;
    MCdgPlayer* player_ = nullptr;
    MEvent endOfPlay_;
    int audition_ = kIdle;
    int tempo_ = 100;
    int32_t auditionStart_ = 0;
    int32_t leadInFrames_ = 0;
    uint32_t streamBytes_ = 0;
    int passCount_ = 0;
    // Counts the runs; a pass-end notice of an earlier run is stale.
    uint64_t generation_ = 0;
    bool spaceHeld_ = false;
    bool nHeld_ = false;
    bool commaHeld_ = false;
    bool periodHeld_ = false;

    QGroupBox* auditionGroup_ = nullptr;
    QPushButton* auditionButton_ = nullptr;
    QLabel* selectHint_ = nullptr;
    QGroupBox* adjustGroup_ = nullptr;
    QPushButton* adjustButton_ = nullptr;
    CColorButton* areaButton_ = nullptr;
    QLabel* legend_ = nullptr;
    QGroupBox* singerGroup_ = nullptr;
    std::array<CColorRadio*, 3> singerButtons_{};
    QLabel* singerHint_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    CColorButton* previousPage_ = nullptr;
    CColorButton* nextPage_ = nullptr;
    QCheckBox* loopBox_ = nullptr;
    std::array<QPushButton*, 4> nudgeButtons_{};
    std::array<QIcon, 6> images_;
};
