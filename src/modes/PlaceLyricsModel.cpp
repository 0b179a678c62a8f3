#include "modes/PlaceLyricsModel.h"

#include "cdg/MRwGenerator.h"
#include "log/MEventLog.h"
#include "log/MLogEvents.h"
#include "log/MUserActionLog.h"
#include "song/MSongDumps.h"
#include "song/MSongSettings.h"

namespace {

void LogAction(uint8_t code, const QString& text) {
    MEventLog& log = MEventLog::Global();
    if (log.IsActive()) {
        log.Queue(std::make_unique<MUserActionLog>(code, text));
    }
}

}  // namespace

PlaceLyricsModel::PlaceLyricsModel(MSongSettings& song, MRwRenderer* renderer)
    : song_(song), renderer_(renderer) {}

bool PlaceLyricsModel::IsDuet() const {
    return song_.header.performance == SongHeader::kDuet;
}

bool PlaceLyricsModel::AtEnd() const {
    return cursor_ >= song_.WordCount();
}

void PlaceLyricsModel::Open() {
    song_.GenerateKaraokeLineList(true, true);
    for (MKaraokeWord* w : song_.wordList) {
        w->flags &= ~MKaraokeWord::kSelected;
    }
    cursor_ = 0;
    previous_ = -1;
    DrawCursorPage();
}

void PlaceLyricsModel::Start() {
    LogAction(MLogEvents::kActionStartPlacement,
              QString::fromLatin1(MLogEvents::kStartPlacementMusic));
    cursor_ = 0;
    previous_ = -1;
    DrawCursorPage();
}

QString PlaceLyricsModel::WordText(int i) const {
    return TextOf(song_.GetWord(i));
}

QString PlaceLyricsModel::TextOf(const MKaraokeWord* w) {
    if (w == nullptr || w->line == nullptr) {
        return QString();
    }
    return w->line->text.mid(w->firstChar, w->lastChar - w->firstChar + 1);
}

PlaceLyricsModel::Redraw PlaceLyricsModel::Place(int32_t position) {
    if (AtEnd()) {
        song_.SetModified(true);
        return Redraw::None;
    }
    const int stamped = cursor_;
    MKaraokeWord* word = song_.GetWord(stamped);
    word->startTime = position;
    word->line->placed = true;
    if (MKaraokeWord* open = song_.GetWord(previous_)) {
        open->endTime = position;
    }
    previous_ = stamped;
    ++cursor_;
    // A duet line answers the line before it: it is not tapped, and takes that line's span at
    // the end of the run.
    if (MKaraokeWord* next = song_.GetWord(cursor_);
        next != nullptr && next->line != word->line && IsDuet() && next->line->duet) {
        next->line->placed = true;
        cursor_ += next->line->WordCount();
    }
    LogAction(kActionPlacedWord,
              QStringLiteral("Placed word '%1' at %2").arg(WordText(stamped)).arg(position));

    Redraw redraw = Redraw::WordSwept;
    const int sweep = song_.header.sweepColour;
    if (AtEnd()) {
        DrawWord(stamped, sweep);
    } else if (song_.GetWord(cursor_)->line->page == word->line->page) {
        DrawWord(stamped, sweep);
        DrawWord(cursor_, song_.LyricColour(*song_.GetWord(cursor_)->line));
        redraw = Redraw::CursorMoved;
    } else {
        DrawCursorPage();
        redraw = Redraw::NewPage;
    }
    song_.SetModified(true);
    return redraw;
}

bool PlaceLyricsModel::Pause(int32_t position) {
    LogAction(kActionPausedSweep,
              QStringLiteral("--Paused sweep at ") +
                  (previous_ >= 0 ? QString::number(position) : QStringLiteral("<none>")));
    MKaraokeWord* open = song_.GetWord(previous_);
    if (open == nullptr) {
        return false;
    }
    open->endTime = position;
    previous_ = -1;
    return true;
}

void PlaceLyricsModel::Finish() {
    LogAction(MLogEvents::kActionEndPlaceLyrics, QString::fromLatin1(MLogEvents::kEndPlaceLyrics));
    if (MKaraokeWord* open = song_.GetWord(previous_)) {
        open->endTime = open->startTime + kOpenWordFrames;
    }
    previous_ = -1;
    if (IsDuet()) {
        SpreadDuetLines(song_);
    }
    MSongDumps::LogLineList(song_, MLogEvents::kEndPlaceLyricsLineList);
}

void PlaceLyricsModel::SpreadDuetLines(MSongSettings& song) {
    const MKaraokeLine* reference = nullptr;
    for (const auto& line : song.lineList) {
        if (line->duet && reference != nullptr) {
            const int64_t m = reference->words.front()->startTime;
            const int64_t g = reference->words.back()->endTime;
            const int64_t n = line->WordCount();
            line->drawTime = static_cast<int32_t>(m);
            for (int64_t i = 0; i < n; ++i) {
                // Truncating toward zero, as a backwards span (a word nudged out of order) does.
                line->words[i]->startTime = static_cast<int32_t>(m + (i * (g - m)) / n);
                line->words[i]->endTime = static_cast<int32_t>(m + ((i + 1) * (g - m)) / n);
            }
        }
        if (line->HasWords()) {
            reference = line.get();
        }
    }
}

void PlaceLyricsModel::DrawCursorPage() {
    const MKaraokeWord* w = song_.GetWord(cursor_);
    if (w == nullptr || renderer_ == nullptr) {
        return;
    }
    song_.RenderPage(renderer_, w->line->page);
    DrawWord(cursor_, song_.LyricColour(*w->line));
}

void PlaceLyricsModel::DrawWord(int i, int colourIndex) {
    const MKaraokeWord* w = song_.GetWord(i);
    const IMAGE_STRUCT* lyrics = song_.FindPage(IMAGE_STRUCT::kLyricsPage);
    if (w == nullptr || lyrics == nullptr || renderer_ == nullptr) {
        return;
    }
    MRwGenerator gen(renderer_);
    MTextType type = lyrics->textType;
    type.colorIndex = song_.LyricColour(*w->line);
    const auto [slotCount, slot] = song_.SlotOfRow(w->line->row);
    gen.SweepWord(slotCount, slot, w->line->text, w->firstChar, w->lastChar, type,
                  lyrics->backgroundColorIndex, colourIndex, song_.header.sweepMode == 1, 0, 0,
                  nullptr);
}
