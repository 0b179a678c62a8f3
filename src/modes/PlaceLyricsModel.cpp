#include "modes/PlaceLyricsModel.h"

#include "cdg/MRwGenerator.h"
#include "log/MEventLog.h"
#include "log/MLogEvents.h"
#include "log/MUserActionLog.h"
#include "song/MSongDocument.h"
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

PlaceLyricsModel::PlaceLyricsModel(MSongDocument& document, MRwRenderer* renderer)
    : document_(document), renderer_(renderer) {}

MSongSettings& PlaceLyricsModel::Song() const {
    return document_.Song();
}

bool PlaceLyricsModel::IsDuet() const {
    return Song().header.performance == SongHeader::kDuet;
}

bool PlaceLyricsModel::AtEnd() const {
    return cursor_ >= Song().WordCount();
}

void PlaceLyricsModel::Open() {
    document_.GenerateKaraokeLineList(true, true);
    for (MKaraokeWord* w : Song().wordList) {
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
    return TextOf(Song().GetWord(i));
}

QString PlaceLyricsModel::TextOf(const MKaraokeWord* w) {
    if (w == nullptr || w->line == nullptr) {
        return QString();
    }
    return w->line->text.mid(w->firstChar, w->lastChar - w->firstChar + 1);
}

PlaceLyricsModel::Redraw PlaceLyricsModel::Place(int32_t position) {
    if (AtEnd()) {
        document_.SetModified(true);
        return Redraw::None;
    }
    const int stamped = cursor_;
    const MSongSettings& song = Song();
    const MKaraokeWord* word = song.GetWord(stamped);
    // A duet line answers the line before it: it is not tapped, and takes that line's span at
    // the end of the run.
    const MKaraokeWord* next = song.GetWord(stamped + 1);
    const bool skipDuet =
        next != nullptr && next->line != word->line && IsDuet() && next->line->duet;
    const int open = previous_;
    document_.Edit(MSongDocument::kLinesChange, [&](MSongSettings& edited) {
        MKaraokeWord* w = edited.GetWord(stamped);
        w->startTime = position;
        w->line->placed = true;
        if (MKaraokeWord* o = edited.GetWord(open)) {
            o->endTime = position;
        }
        if (skipDuet) {
            edited.GetWord(stamped + 1)->line->placed = true;
        }
    });
    previous_ = stamped;
    cursor_ = stamped + 1 + (skipDuet ? next->line->WordCount() : 0);
    LogAction(kActionPlacedWord,
              QStringLiteral("Placed word '%1' at %2").arg(WordText(stamped)).arg(position));

    Redraw redraw = Redraw::WordSwept;
    const int sweep = song.header.sweepColour;
    if (AtEnd()) {
        DrawWord(stamped, sweep);
    } else if (song.GetWord(cursor_)->line->page == word->line->page) {
        DrawWord(stamped, sweep);
        DrawWord(cursor_, song.LyricColour(*song.GetWord(cursor_)->line));
        redraw = Redraw::CursorMoved;
    } else {
        DrawCursorPage();
        redraw = Redraw::NewPage;
    }
    return redraw;
}

bool PlaceLyricsModel::Pause(int32_t position) {
    LogAction(kActionPausedSweep,
              QStringLiteral("--Paused sweep at ") +
                  (previous_ >= 0 ? QString::number(position) : QStringLiteral("<none>")));
    const int open = previous_;
    if (Song().GetWord(open) == nullptr) {
        return false;
    }
    document_.Edit(MSongDocument::kLinesChange,
                   [&](MSongSettings& edited) { edited.GetWord(open)->endTime = position; });
    previous_ = -1;
    return true;
}

void PlaceLyricsModel::Finish() {
    LogAction(MLogEvents::kActionEndPlaceLyrics, QString::fromLatin1(MLogEvents::kEndPlaceLyrics));
    const int open = previous_;
    previous_ = -1;
    const bool duet = IsDuet();
    if (Song().GetWord(open) != nullptr || duet) {
        document_.Edit(MSongDocument::kLinesChange, [&](MSongSettings& edited) {
            if (MKaraokeWord* w = edited.GetWord(open)) {
                w->endTime = w->startTime + kOpenWordFrames;
            }
            if (duet) {
                SpreadDuetLines(edited);
            }
        });
    }
    MSongDumps::LogLineList(Song(), MLogEvents::kEndPlaceLyricsLineList);
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
    const MKaraokeWord* w = Song().GetWord(cursor_);
    if (w == nullptr || renderer_ == nullptr) {
        return;
    }
    Song().RenderPage(renderer_, w->line->page);
    DrawWord(cursor_, Song().LyricColour(*w->line));
}

void PlaceLyricsModel::DrawWord(int i, int colourIndex) {
    const MKaraokeWord* w = Song().GetWord(i);
    const IMAGE_STRUCT* lyrics = Song().FindPage(IMAGE_STRUCT::kLyricsPage);
    if (w == nullptr || lyrics == nullptr || renderer_ == nullptr) {
        return;
    }
    MRwGenerator gen(renderer_);
    MTextType type = lyrics->textType;
    type.colorIndex = Song().LyricColour(*w->line);
    const auto [slotCount, slot] = Song().SlotOfRow(w->line->row);
    gen.SweepWord(slotCount, slot, w->line->text, w->firstChar, w->lastChar, type,
                  lyrics->backgroundColorIndex, colourIndex, Song().header.sweepMode == 1, 0, 0,
                  nullptr);
}
