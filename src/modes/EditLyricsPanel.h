#pragma once

#include <memory>

#include "modes/ModePanel.h"

class MRwRenderer;
class MSongDocument;
class MRwViewerWindow;
class QLabel;
class QPlainTextEdit;

// Edit Lyrics: the lyric box, the music name, and a live preview of the lyrics laid out on CD+G
// pages. Every change of the text goes to the song document; every change of the lyrics (typed
// or imported) regenerates the line list (keeping the timings that still match), and every
// change of the lines redraws the page at once.
class EditLyricsPanel : public ModePanel {
    Q_OBJECT

public:
    EditLyricsPanel(ModeHost& host, MSongDocument& document, QWidget* parent = nullptr);
    ~EditLyricsPanel() override;

    // False when the song has no lyrics page: the project cannot be edited.
    bool IsUsable() const { return usable_; }
    int CurrentPage() const { return currentPage_; }
    int LastPage() const { return lastPage_; }
    QPlainTextEdit* LyricBox() const { return lyricBox_; }
    QLabel* PageNumber() const { return pageNumber_; }
    QLabel* MusicName() const { return musicName_; }
    CColorButton* PreviousPageButton() const { return previousPage_; }
    CColorButton* NextPageButton() const { return nextPage_; }
    MRwRenderer* Renderer() const { return renderer_.get(); }
    MRwViewerWindow* Viewer() const { return viewer_; }

    void SetSplit(double split);

protected:
    bool HasMusicAndLyrics() const override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The box's text becomes the song's lyrics when it fits a song.
    void TextTyped();
    // The song's lyrics changed: the box shows them, the line list is generated again.
    void LyricsChanged();
    // Draws the current page of the line list as it stands.
    void DrawPage();
    // Shows the music file name (every "&" doubled so that it shows as written).
    void ShowMusicName();
    void ImportLyrics();
    void AddMusic();
    void TurnPage(int delta);
    void Layout();
    QRect SplitterRect() const;

    MSongDocument& document_;
    std::unique_ptr<MRwRenderer> renderer_;
    MRwViewerWindow* viewer_ = nullptr;
    CColorButton* importButton_ = nullptr;
    CColorButton* addMusicButton_ = nullptr;
    QLabel* musicName_ = nullptr;
    QPlainTextEdit* lyricBox_ = nullptr;
    QWidget* previewFrame_ = nullptr;
    CColorButton* previousPage_ = nullptr;
    CColorButton* nextPage_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    QLabel* pageNumber_ = nullptr;
    double split_ = 0.5;
    bool dragging_ = false;
    bool usable_ = true;
    bool tooLong_ = false;  // the box holds more than a song's lyrics can
    int currentPage_ = 0;
    int lastPage_ = 0;
};
