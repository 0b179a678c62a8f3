#include "modes/AdjustLyricsModel.h"

#include <algorithm>
#include <cmath>

#include "modes/PlaceLyricsModel.h"
#include "song/MSongDocument.h"
#include "song/MSongSettings.h"

namespace {

constexpr int kScreenWidth = 300;
constexpr int kScreenHeight = 216;
constexpr int kScreenLeft = 6;
constexpr int kScreenTop = 12;

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

int32_t SecondsFrames(int32_t thousandths) {
    return static_cast<int32_t>(std::trunc(thousandths / 1000.0 * 44100.0));
}

}  // namespace

AdjustLyricsModel::AdjustLyricsModel(MSongDocument& document, MRwRenderer* renderer)
    : document_(document), renderer_(renderer) {}

MSongSettings& AdjustLyricsModel::Song() const {
    return document_.Song();
}

void AdjustLyricsModel::Open() {
    document_.GenerateKaraokeLineList(true, true);
    // Every word's box on the screen, for clicks.
    Song().LayoutWords();
    ClearMarks();
    page_ = 0;
    Select(Song().FirstWordOnPage(page_));
    if (Song().header.loopPlay != 1) {
        // Adjust Play always plays with context; opening the mode is not a change of the song.
        const bool modified = document_.IsModified();
        document_.Edit(MSongDocument::kSettingsChange,
                       [](MSongSettings& edited) { edited.header.loopPlay = 1; });
        document_.SetModified(modified);
    }
    DrawPage();
}

MKaraokeWord* AdjustLyricsModel::SelectedWord() const {
    return Song().GetWord(first_);
}

void AdjustLyricsModel::ClearMarks() {
    for (MKaraokeWord* w : Song().wordList) {
        w->flags &= ~MKaraokeWord::kSelected;
    }
}

void AdjustLyricsModel::Select(int i) {
    ClearMarks();
    if (Song().GetWord(i) == nullptr) {
        i = -1;
    }
    anchor_ = first_ = last_ = cursor_ = i;
    Song().SelectWord(i, true);
}

void AdjustLyricsModel::SetPage(int page) {
    page_ = std::clamp(page, 0, Song().LastPage());
}

bool AdjustLyricsModel::SelectAtPoint(int x, int y, int width, int height, bool shift) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    const int sx = x * kScreenWidth / width - kScreenLeft;
    const int sy = y * kScreenHeight / height - kScreenTop;
    const int hit = Song().WordAtPoint(sx, sy, page_);
    if (hit >= 0) {
        Select(hit);
    } else if (!shift) {
        Select(-1);
    }
    DrawPage();
    return hit >= 0;
}

void AdjustLyricsModel::MoveLeft() {
    const int f = Song().FirstWordOnPage(page_);
    const int l = Song().LastWordOnPage(page_);
    const int target = cursor_ < f || cursor_ > l ? f : std::max(cursor_ - 1, 0);
    if (const MKaraokeWord* w = Song().GetWord(target)) {
        Select(target);
        SetPage(w->line->page);
        DrawPage();
    }
}

void AdjustLyricsModel::MoveRight() {
    const int f = Song().FirstWordOnPage(page_);
    const int l = Song().LastWordOnPage(page_);
    const int target =
        cursor_ < f || cursor_ > l ? f : std::min(cursor_ + 1, Song().WordCount() - 1);
    if (const MKaraokeWord* w = Song().GetWord(target)) {
        Select(target);
        SetPage(w->line->page);
        DrawPage();
    }
}

void AdjustLyricsModel::PreviousPage() {
    SetPage(page_ - 1);
    Select(Song().FirstWordOnPage(page_));
    DrawPage();
}

void AdjustLyricsModel::NextPage() {
    SetPage(page_ + 1);
    Select(Song().FirstWordOnPage(page_));
    DrawPage();
}

bool AdjustLyricsModel::SelectWordAt(int32_t position) {
    const int i = Song().WordAtTime(position);
    if (i >= 0) {
        Select(i);
        SetPage(Song().GetWord(i)->line->page);
    }
    DrawPage();
    return i >= 0;
}

int32_t AdjustLyricsModel::StepFrames(int adjustStepMs) {
    // The step is kept in single precision before it is scaled: 0.35 s is 15,434 frames.
    const float seconds = static_cast<float>(adjustStepMs / 1000.0);
    return static_cast<int32_t>(static_cast<double>(seconds) * 44100.0);
}

bool AdjustLyricsModel::Apply(Nudge nudge) {
    if (SelectedWord() == nullptr) {
        return false;
    }
    const int i = first_;
    const int64_t a = StepFrames(Song().header.adjustStepMs);
    document_.Edit(MSongDocument::kLinesChange, [&](MSongSettings& edited) {
        MKaraokeWord* w = edited.GetWord(i);
        MKaraokeWord* p = edited.GetWord(i - 1);
        MKaraokeWord* q = edited.GetWord(i + 1);
        switch (nudge) {
            case kStartEarlier:
                w->startTime = Clamp32(std::max<int64_t>(w->startTime - a, p ? p->startTime : 0));
                if (p != nullptr) {
                    p->endTime = std::min(p->endTime, w->startTime);
                }
                break;
            case kStartLater: {
                const int32_t old = w->startTime;
                w->startTime = Clamp32(std::min<int64_t>(w->startTime + a, w->endTime));
                if (p != nullptr) {
                    // Words that were joined stay joined.
                    p->endTime =
                        p->endTime == old ? w->startTime : std::min(p->endTime, w->startTime);
                }
                break;
            }
            case kEndEarlier:
                w->endTime = Clamp32(std::max<int64_t>(w->endTime - a, w->startTime));
                break;
            case kEndLater:
                w->endTime =
                    Clamp32(q ? std::min<int64_t>(w->endTime + a, q->endTime) : w->endTime + a);
                if (q != nullptr) {
                    q->startTime = std::max(q->startTime, w->endTime);
                }
                break;
        }
    });
    return true;
}

bool AdjustLyricsModel::AssignSinger(Singer singer) {
    const MKaraokeWord* w = SelectedWord();
    const IMAGE_STRUCT* lyrics = Song().FindPage(IMAGE_STRUCT::kLyricsPage);
    if (w == nullptr || lyrics == nullptr) {
        return false;
    }
    const MTextTypeVer5& c = lyrics->singerColors;
    const int colour = singer == kSinger1 ? c.singer1 : singer == kSinger2 ? c.singer2 : c.both;
    const int i = first_;
    document_.Edit(MSongDocument::kLinesChange,
                   [&](MSongSettings& edited) { edited.GetWord(i)->line->singerColour = colour; });
    DrawPage();
    return true;
}

int AdjustLyricsModel::SelectedSinger() const {
    const MKaraokeWord* w = SelectedWord();
    if (w == nullptr) {
        return -1;
    }
    switch (w->line->singerColour) {
        case MKaraokeLine::kSinger1:
            return kSinger1;
        case MKaraokeLine::kSinger2:
            return kSinger2;
        case MKaraokeLine::kBothSingers:
            return kBothSingers;
        default:
            return -1;
    }
}

int32_t AdjustLyricsModel::ContextBefore(int32_t start) const {
    const SongHeader& h = Song().header;
    if (h.loopBeforeIsSeconds) {
        return std::max<int32_t>(0, Clamp32(int64_t{start} - SecondsFrames(h.loopBefore)));
    }
    const int k = std::min(h.loopBefore / 1000, Song().WordCount() + 1);
    const MKaraokeWord* selected = SelectedWord();
    int n = first_ - (selected && selected->line->duet ? selected->line->WordCount() : 0);
    for (int counted = 0; counted < k;) {
        --n;
        // The first parts of a word split with "*" count with its last part.
        const MKaraokeWord* w = Song().GetWord(n);
        if (w != nullptr && (w->flags & MKaraokeWord::kJoinedToNext) != 0) {
            continue;
        }
        ++counted;
    }
    const MKaraokeWord* from = Song().GetWord(std::max(n, 0));
    if (from != nullptr && from->line->duet) {
        from = Song().GetWord(std::max(n - from->line->WordCount(), 0));
    }
    return from != nullptr ? from->startTime : start;
}

int32_t AdjustLyricsModel::ContextAfter(int32_t end) const {
    const SongHeader& h = Song().header;
    if (h.loopAfterIsSeconds) {
        return std::max<int32_t>(0, Clamp32(int64_t{end} + SecondsFrames(h.loopAfter)));
    }
    const int k = h.loopAfter / 1000;
    const int count = Song().WordCount();
    const MKaraokeWord* selected = SelectedWord();
    int m = last_ + (selected && selected->line->duet ? selected->line->WordCount() : 0);
    for (int i = 0; i < k && m < count; ++i) {
        ++m;
        // The later parts of a word split with "*" go with its first part.
        while (m < count && (Song().GetWord(m)->flags & MKaraokeWord::kJoinedToPrevious) != 0) {
            ++m;
        }
    }
    const MKaraokeWord* to = Song().GetWord(std::min(count - 1, m));
    if (to != nullptr && to->line->duet) {
        to = Song().GetWord(std::min(count - 1, m + to->line->WordCount()));
    }
    return to != nullptr ? to->endTime : end;
}

AdjustLyricsModel::Stretch AdjustLyricsModel::PlayStretch(bool context) const {
    Stretch s;
    const MKaraokeWord* w = SelectedWord();
    s.start = w ? w->startTime : 0;
    if (!context) {
        return s;
    }
    s.toTheEnd = false;
    const MKaraokeWord* lastWord = Song().GetWord(last_);
    s.end = ContextAfter(lastWord ? lastWord->endTime : 0);
    s.start = ContextBefore(s.start);
    return s;
}

void AdjustLyricsModel::DrawPage() {
    if (renderer_ != nullptr) {
        Song().RenderPage(renderer_, page_);
    }
}

QString AdjustLyricsModel::PageLabel() const {
    return QStringLiteral("%1 of %2").arg(page_ + 1).arg(Song().LastPage() + 1);
}

QString AdjustLyricsModel::SelectedWordText() const {
    return PlaceLyricsModel::TextOf(SelectedWord());
}
