#include "song/MLineListGenerator.h"

#include <QStringList>

#include "log/MEventLog.h"
#include "log/MLogEvents.h"
#include "log/MTextMsgLog.h"
#include "song/MSongDumps.h"
#include "song/MSongHost.h"
#include "song/MSongSettings.h"

const char* const MLineListGenerator::kDuetWarning =
    "You have included \"Duet\" indicators (\"&\") in your lyrics.\n"
    "However in your project settings, on the \"Lyrics\" tab,\n"
    "you have selected \"Solo\" performance.\n\n"
    "Open the \"Settings\" and select \"Duet\" in your project settings,\n"
    "or remove all of the ampersands.";

namespace {

void ReplaceAll(QString& text, const QString& from, const QString& to) {
    while (text.contains(from)) {
        text.replace(from, to);
    }
}

}  // namespace

QString MLineListGenerator::NormalizeRawLyrics(QString text) {
    text.remove(QLatin1Char('\r'));
    ReplaceAll(text, QStringLiteral("  "), QStringLiteral(" "));
    ReplaceAll(text, QStringLiteral("\n "), QStringLiteral("\n"));
    ReplaceAll(text, QStringLiteral(" \n"), QStringLiteral("\n"));
    ReplaceAll(text, QStringLiteral("* "), QStringLiteral("*"));
    ReplaceAll(text, QStringLiteral(" *"), QStringLiteral("*"));
    qsizetype a = 0;
    while (a < text.size() && text[a] == QLatin1Char(' ')) {
        ++a;
    }
    qsizetype b = text.size();
    while (b > a && text[b - 1] == QLatin1Char(' ')) {
        --b;
    }
    return text.mid(a, b - a);
}

void MLineListGenerator::GenerateKaraokeLineList(bool keepTimings, bool convertMarks) {
    std::vector<std::unique_ptr<MKaraokeLine>> lines;
    const bool hadOldList = !song_.lineList.empty();
    size_t oldIndex = 0;

    const QString text = NormalizeRawLyrics(song_.rawLyrics);
    if (!text.isEmpty()) {
        if (MEventLog::Global().IsActive()) {
            MEventLog::Global().Queue(std::make_unique<MTextMsgLog>(
                text, QString::fromLatin1(MLogEvents::kGenerateInputRawString)));
        }
        const int linesPerPage = std::max(1, static_cast<int>(song_.header.linesPerPage));
        const IMAGE_STRUCT* firstPage = song_.GetPage(0);
        const int defaultColour =
            firstPage ? firstPage->textType.colorIndex : MKaraokeLine::kSinger1;
        int page = 0;
        int row = 0;
        bool pendingBreak = false;
        for (const QString& segment : text.split(QLatin1Char('\n'))) {
            if (segment.contains(QLatin1Char('^'))) {
                pendingBreak = true;
                continue;
            }
            if (pendingBreak && row > 0) {
                ++page;
                row = 0;
            }
            auto line = std::make_unique<MKaraokeLine>();
            line->text = segment;
            line->singerColour = defaultColour;
            if (hadOldList && oldIndex < song_.lineList.size()) {
                line->singerColour = song_.lineList[oldIndex]->singerColour;
                ++oldIndex;
            }
            line->page = page;
            line->row = row;
            line->newPageBefore = pendingBreak;
            pendingBreak = false;
            lines.push_back(std::move(line));
            if (++row >= linesPerPage) {
                row = 0;
                ++page;
            }
        }

        const bool placed = song_.LyricsPlaced();
        bool warned = false;
        for (auto& line : lines) {
            line->duet = false;
            if (line->text.size() >= 1 && line->text[0] == QLatin1Char('&') &&
                !(line->text.size() >= 2 && line->text[1] == QLatin1Char('&'))) {
                if (song_.header.performance == SongHeader::kDuet) {
                    line->duet = true;
                    if (!placed) {
                        line->singerColour = MKaraokeLine::kSinger2;
                    }
                } else if (!warned) {
                    warned = true;
                    if (song_.Host()) {
                        song_.Host()->Report(MStatus::Failure(QString::fromUtf8(kDuetWarning),
                                                              MStatus::Icon::Warning));
                    }
                }
                line->text.remove(0, 1);
            }
            // Words: each runs to the next space or "*"; "*" joins it to the next one. For final
            // output the text is rebuilt as it goes, without the "*" and with "_" as spaces.
            const QString& t = line->text;
            QString shown;
            if (convertMarks) {
                shown.reserve(t.size());
            }
            int start = 0;
            bool joined = false;
            while (start < t.size()) {
                int end = start;
                while (end < t.size() && t[end] != QLatin1Char(' ') && t[end] != QLatin1Char('*')) {
                    ++end;
                }
                const int shownStart = convertMarks ? static_cast<int>(shown.size()) : start;
                MKaraokeWord word;
                word.firstChar = shownStart;
                word.lastChar = shownStart + (end - start) - 1;
                if (joined) {
                    word.flags |= MKaraokeWord::kJoinedToPrevious;
                }
                joined = false;
                if (convertMarks) {
                    for (int i = start; i < end; ++i) {
                        shown.append(t[i] == QLatin1Char('_') ? QChar(u' ') : t[i]);
                    }
                }
                if (end < t.size() && t[end] == QLatin1Char('*')) {
                    word.flags |= MKaraokeWord::kJoinedToNext;
                    joined = true;
                } else if (convertMarks && end < t.size()) {
                    shown.append(t[end]);
                }
                start = end + 1;
                if (word.lastChar >= word.firstChar) {
                    line->AddWord(word);
                }
            }
            if (convertMarks) {
                line->text = std::move(shown);
            }
        }

        if (keepTimings && hadOldList) {
            int32_t lastEnd = 0;
            const size_t n = std::min(lines.size(), song_.lineList.size());
            for (size_t i = 0; i < n; ++i) {
                MKaraokeLine& fresh = *lines[i];
                const MKaraokeLine& old = *song_.lineList[i];
                fresh.placed = old.placed;
                for (size_t w = 0; w < fresh.words.size(); ++w) {
                    if (w < old.words.size()) {
                        fresh.words[w]->startTime = old.words[w]->startTime;
                        fresh.words[w]->endTime = old.words[w]->endTime;
                        lastEnd = old.words[w]->endTime;
                    } else {
                        fresh.words[w]->startTime = lastEnd;
                        fresh.words[w]->endTime = lastEnd;
                    }
                }
            }
        }
    }
    song_.InstallLines(std::move(lines));
    MSongDumps::LogLineList(song_, MLogEvents::kGenerateOutputLineList);
    CalcLineAndPageNumbers();
}

void MLineListGenerator::CalcLineAndPageNumbers() {
    const int linesPerPage = std::max(1, static_cast<int>(song_.header.linesPerPage));
    int page = 0;
    int row = 0;
    for (auto& line : song_.lineList) {
        if (line->newPageBefore && row > 0) {
            row = 0;
            ++page;
        }
        line->row = row;
        line->page = page;
        if (row + 1 >= linesPerPage) {
            ++page;
            row = 0;
        } else {
            ++row;
        }
    }
    MSongDumps::LogLineList(song_, MLogEvents::kCalcLineAndPageNumbers);
}
