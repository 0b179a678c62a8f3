#include "modes/ModePreview.h"

#include "cdg/MRwRenderer.h"
#include "song/MSongSettings.h"
#include "widgets/MRwViewerWindow.h"

ModePreview::ModePreview(MSongSettings& song, QWidget* parent)
    : QFrame(parent), renderer_(std::make_unique<MRwRenderer>()) {
    setAccessibleName(tr("CD+G preview"));
    viewer_ = new MRwViewerWindow(this);
    viewer_->setAccessibleName(tr("CD+G preview"));
    viewer_->Create(this, QString(), true, kInset, kInset, 100, 75);
    renderer_->AttachWindow(viewer_);
    viewer_->SetRenderer(renderer_.get());
    ResetScreen(song);
}

ModePreview::~ModePreview() {
    renderer_->DetachAllWindows();
    viewer_->SetRenderer(nullptr);
}

void ModePreview::ResetScreen(const MSongSettings& song) {
    if (const IMAGE_STRUCT* lyrics = song.FindPage(IMAGE_STRUCT::kLyricsPage)) {
        const auto colours = lyrics->Colors();
        renderer_->LoadColors(0, 16, colours.data());
        renderer_->SetBorderColor(lyrics->borderColorIndex);
        renderer_->ClearScreen(lyrics->backgroundColorIndex);
    }
}

void ModePreview::Place(const QRect& rect) {
    setGeometry(rect);
    viewer_->setGeometry(kInset, kInset, std::max(0, rect.width() - 2 * kInset),
                         std::max(0, rect.height() - 2 * kInset));
}
