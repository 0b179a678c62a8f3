#include "song/MRwStreamWriter.h"

#include <QString>
#include <algorithm>
#include <cstring>

#include "cdg/CdgTimeBase.h"
#include "cdg/MRwGenerator.h"
#include "log/MDataDumpLog.h"
#include "log/MEventLog.h"
#include "log/MLogEvents.h"
#include "song/MSongDumps.h"
#include "song/MSongHost.h"
#include "song/MSongSettings.h"

namespace {

constexpr int32_t kTwoSeconds = 2 * CdgTimeBase::kSampleRateHz;
constexpr int32_t kFourSeconds = 4 * CdgTimeBase::kSampleRateHz;
constexpr uint32_t kSetupMinimumBytes = 720;
constexpr uint32_t kCreditsTailBytes = 2 * CdgTimeBase::kStreamBytesPerSecond;
constexpr uint32_t kNotStored = UINT32_MAX;  // a position past every buffer

void LogTable(const std::vector<int32_t>& values, const char* message) {
    MEventLog& log = MEventLog::Global();
    if (log.IsActive()) {
        log.Queue(std::make_unique<MDataDumpLog>(MSongDumps::Int32Table(values),
                                                 QString::fromLatin1(message)));
    }
}

}  // namespace

uint32_t MRwStreamWriter::PageSetup(MRwGenerator& gen, const IMAGE_STRUCT& page,
                                    uint32_t position) {
    uint32_t total = gen.WriteColorTable(page.Colors(), position);
    // The Border Preset after the Memory Preset, which clears the border too in every player.
    total += gen.WriteMemoryPreset(page.backgroundColorIndex, position + total);
    total += gen.WriteBorderPreset(page.borderColorIndex, position + total);
    return total;
}

std::vector<int32_t> MRwStreamWriter::EraseTimes(const std::vector<int32_t>& hiliteEnd, int pages,
                                                 int linesPerPage) {
    const int L = linesPerPage;
    std::vector<int32_t> erase(static_cast<size_t>(pages) * L, 0);
    for (int q = 0; q < pages; ++q) {
        const int32_t* H = hiliteEnd.data() + static_cast<size_t>(q) * L;
        int32_t* E = erase.data() + static_cast<size_t>(q) * L;
        int r1 = L - 1;
        while (r1 >= 0 && H[r1] == 0) {
            --r1;
        }
        if (r1 < 0) {
            if (q > 0) {
                const int32_t previous = erase[static_cast<size_t>(q) * L - 1];
                std::fill(E, E + L, previous);
            }
            continue;
        }
        for (int r = r1; r < L; ++r) {
            E[r] = H[r1];
        }
        int r = r1 - 1;
        while (r >= 0 && H[r] == 0) {
            E[r] = H[r1];
            --r;
        }
        if (r >= 0) {  // r is r2, the sung row above
            for (int k = 0; k <= r; ++k) {
                E[k] = H[r];
            }
        }
    }
    return erase;
}

void MRwStreamWriter::OrderRowTimes(std::vector<MKaraokeLine*>& drawnLines, int linesPerPage) {
    std::vector<MKaraokeLine*> previous(static_cast<size_t>(std::max(1, linesPerPage)), nullptr);
    for (MKaraokeLine* line : drawnLines) {
        if (line->row < 0 || line->row >= static_cast<int>(previous.size())) {
            continue;
        }
        int32_t lastSung = 0;
        for (const auto& w : line->words) {
            if (w->startTime != 0) {
                lastSung = std::max(lastSung, w->endTime);
            }
        }
        MKaraokeLine*& before = previous[static_cast<size_t>(line->row)];
        if (before != nullptr) {
            // The line before in this row must have gone: an erase time of 0 means none.
            before->eraseTime = std::max(before->eraseTime, 1);
            line->drawTime = std::max(line->drawTime, before->eraseTime);
        }
        line->eraseTime = std::max({line->eraseTime, line->drawTime, lastSung});
        before = line;
    }
}

std::pair<int32_t, int32_t> MRwStreamWriter::SweepSpan(const MKaraokeLine& line,
                                                       const MKaraokeWord& word) {
    if (word.startTime == 0) {
        return {word.startTime, word.endTime};
    }
    const int32_t start = std::clamp(word.startTime, line.drawTime, line.eraseTime);
    return {start, std::clamp(word.endTime, start, line.eraseTime)};
}

int32_t MRwStreamWriter::WriteRwMemory(uint8_t* buffer, uint32_t size, uint32_t* streamLength,
                                       int32_t fromTime) {
    if (buffer != nullptr && size > 0) {
        std::memset(buffer, 0, size);
    }
    int32_t leadIn = 0;
    MRwGenerator gen(buffer, buffer != nullptr ? size : 0);
    uint32_t p = 0;
    const auto setupRepeatedly = [&gen, &p](const IMAGE_STRUCT& page) {
        int runs = 0;
        do {
            p += PageSetup(gen, page, p);
            ++runs;
        } while (runs < 2 || p < kSetupMinimumBytes);
    };

    // Title page.
    bool titleWritten = false;
    IMAGE_STRUCT* title = song_.FindPage(IMAGE_STRUCT::kTitlePage);
    if (title != nullptr && title->enabled) {
        setupRepeatedly(*title);
        p += gen.DrawPage(*title, true, p);
        titleWritten = true;
    }
    const int32_t titleShift = titleWritten ? kFourSeconds : 0;

    // Lyrics.
    IMAGE_STRUCT* lyrics = song_.FindPage(IMAGE_STRUCT::kLyricsPage);
    if (!song_.lineList.empty() && lyrics != nullptr) {
        // Pages and rows as stored in a damaged file could be anything; numbered afresh they
        // never exceed the line count.
        const auto& last = song_.lineList.back();
        if (last->page < 0 || last->page >= static_cast<int>(song_.lineList.size()) ||
            last->row < 0 ||
            last->row >= std::max(1, static_cast<int>(song_.header.linesPerPage))) {
            song_.CalcLineAndPageNumbers();
        }
        setupRepeatedly(*lyrics);

        int32_t firstStart = -1;
        int32_t lastEnd = 0;
        int lastPage = -1;
        int firstPage = -1;
        for (const auto& line : song_.lineList) {
            if (!line->placed) {
                continue;
            }
            for (const auto& w : line->words) {
                if (w->startTime == 0 || w->endTime == 0) {
                    continue;
                }
                if (firstStart < 0 || w->startTime < firstStart) {
                    firstStart = w->startTime;
                }
                lastEnd = std::max(lastEnd, w->endTime);
                lastPage = std::max(lastPage, static_cast<int>(line->page));
                if (firstPage < 0) {
                    firstPage = line->page;
                }
            }
        }
        const int32_t lead = firstStart > kTwoSeconds ? firstStart - kTwoSeconds : 0;
        // The stream applies half the displayed sweep advance.
        int64_t offset = static_cast<int64_t>(song_.header.advanceSweep) * 441 / 2;
        const int64_t slack = offset - static_cast<int64_t>(p) * 147 / 24 + lead - titleShift;
        if (slack < 0) {
            leadIn = static_cast<int32_t>(-slack);
            offset += -slack;
        }
        const auto at = [&offset](int64_t time) -> uint32_t {
            const int64_t position = CdgTimeBase::StreamBytesFromFrames(time + offset);
            return position < 0 || position > UINT32_MAX ? kNotStored
                                                         : static_cast<uint32_t>(position);
        };

        // When each row of each page is erased (and the next page's row drawn).
        const int L = std::max(1, static_cast<int>(song_.header.linesPerPage));
        const int P = std::max(0, static_cast<int>(song_.lineList.back()->page) + 1);
        std::vector<int32_t> hiliteEnd(static_cast<size_t>(P) * L, 0);
        for (const auto& line : song_.lineList) {
            if (line->HasWords() && line->page >= 0 && line->page < P && line->row >= 0 &&
                line->row < L) {
                hiliteEnd[static_cast<size_t>(line->page) * L + line->row] =
                    line->words.back()->endTime;
            }
        }
        const std::vector<int32_t> eraseTimes = EraseTimes(hiliteEnd, P, L);
        const auto eraseOf = [&](int page, int row) -> int32_t {
            if (page < 0 || page >= P || row < 0 || row >= L) {
                return 0;
            }
            return eraseTimes[static_cast<size_t>(page) * L + row];
        };
        for (auto& line : song_.lineList) {
            line->eraseTime = eraseOf(line->page, line->row);
            if (line->page > 0) {
                line->drawTime = eraseOf(line->page - 1, line->row);
            }
        }
        for (auto& line : song_.lineList) {
            if (line->page == firstPage) {
                line->drawTime = lead - titleShift;
            }
            if (line->page == lastPage) {
                line->eraseTime = lastEnd + kTwoSeconds;
            }
        }

        std::vector<MKaraokeLine*> drawn;
        for (auto& line : song_.lineList) {
            if (line->placed && line->HasWords()) {
                drawn.push_back(line.get());
            }
        }
        OrderRowTimes(drawn, L);

        for (int run = 0; run < 2; ++run) {
            p += PageSetup(gen, *lyrics, p);
        }

        MTextType type = lyrics->textType;
        const int background = lyrics->backgroundColorIndex;
        // Sweeps first: they keep their exact times; everything else fills the slots around them.
        for (const auto& line : song_.lineList) {
            if (!line->HasWords() || !line->placed) {
                continue;
            }
            const auto [slotCount, slot] = song_.SlotOfRow(line->row);
            type.colorIndex = song_.LyricColour(*line);
            for (const auto& w : line->words) {
                const auto [start, end] = SweepSpan(*line, *w);
                if (start < fromTime) {
                    continue;
                }
                gen.SweepWord(slotCount, slot, line->text, w->firstChar, w->lastChar, type,
                              background, song_.header.sweepColour, song_.header.sweepMode == 1,
                              at(start), at(end), nullptr);
            }
        }
        // Then, page by page and row by row, the erasing of a row and the drawing of the next
        // page's line in it.
        std::vector<std::vector<const MKaraokeLine*>> byPageRow(static_cast<size_t>(P) * L);
        for (const auto& line : song_.lineList) {
            if (line->page >= 0 && line->page < P && line->row >= 0 && line->row < L) {
                byPageRow[static_cast<size_t>(line->page) * L + line->row].push_back(line.get());
            }
        }
        const auto linesAt = [&](int page, int row) -> const std::vector<const MKaraokeLine*>* {
            if (page < 0 || page >= P) {
                return nullptr;
            }
            return &byPageRow[static_cast<size_t>(page) * L + row];
        };
        for (int q = -1; q <= lastPage; ++q) {
            for (int r = 0; r < L; ++r) {
                const auto [slotCount, slot] = song_.SlotOfRow(r);
                if (const auto* erase = linesAt(q, r)) {
                    for (const MKaraokeLine* line : *erase) {
                        if (line->placed && line->HasWords() && line->eraseTime > 0 &&
                            line->eraseTime >= fromTime) {
                            type.colorIndex = song_.LyricColour(*line);
                            gen.EraseTextBlock(slotCount, slot, line->text, type, background,
                                               at(line->eraseTime));
                        }
                    }
                }
                if (const auto* draw = linesAt(q + 1, r)) {
                    for (const MKaraokeLine* line : *draw) {
                        if (line->placed && line->HasWords() && line->drawTime >= fromTime) {
                            type.colorIndex = song_.LyricColour(*line);
                            gen.DrawTextBlock(slotCount, slot, line->text, type, background,
                                              at(line->drawTime));
                        }
                    }
                }
            }
        }

        if (lyrics->hasGraphic) {
            gen.SetPictureHeight(lyrics->textArea);
            gen.SeedRandom(lyrics->RandomSeed());
            if (const auto bitmap = lyrics->picture.ToDib(lyrics->ditherAmount)) {
                gen.DrawImagePage(*bitmap, lyrics->placement, lyrics->drawTransition,
                                  lyrics->Colors(), background, p);
            }
            gen.SetPictureHeight(MRwGenerator::kWholePicturePercent);
        }
        p = at(static_cast<int64_t>(lastEnd) + kFourSeconds);
        if (p == kNotStored) {
            p = 0;
        }
        LogTable(hiliteEnd, MLogEvents::kWriteRwHiliteEnd);
        LogTable(eraseTimes, MLogEvents::kWriteRwEraseTimes);
    }

    // Credits page.
    const uint32_t beforeCredits = p;
    song_.creditsFrames = 0;
    IMAGE_STRUCT* credits = song_.FindPage(IMAGE_STRUCT::kCreditsPage);
    if (credits != nullptr && credits->enabled) {
        setupRepeatedly(*credits);
        p += gen.DrawPage(*credits, false, p);
        p += kCreditsTailBytes;
        song_.creditsFrames =
            static_cast<int32_t>(CdgTimeBase::FramesFromStreamBytes(p - beforeCredits));
    }
    if (streamLength) {
        *streamLength = p;
    }
    MEventLog& log = MEventLog::Global();
    if (log.IsActive() && buffer != nullptr) {
        log.Queue(std::make_unique<MDataDumpLog>(buffer, static_cast<qsizetype>(std::min(p, size)),
                                                 QString::fromLatin1(MLogEvents::kWriteRwData)));
    }

    // The music must be at least as long as the stream, and never shorter than it was.
    uint32_t needed = song_.AudioBytesForStream(p);
    if (needed <= song_.initialAudioBytes) {
        needed = song_.initialAudioBytes;
    }
    const QString workWav = song_.Host() ? song_.Host()->WorkWavPath() : QString();
    if (!workWav.isEmpty() && needed != song_.audioBytes) {
        song_.PadWorkWav(workWav, needed);
    }
    return leadIn;
}
