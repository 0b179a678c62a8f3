#include "song/MProjectSanity.h"

#include <algorithm>

#include "cdg/IMAGE_STRUCT.h"
#include "song/MSongSettings.h"

namespace {

bool Within(int64_t value, int64_t low, int64_t high) {
    return value >= low && value <= high;
}

QString PageName(int id) {
    switch (id) {
        case IMAGE_STRUCT::kTitlePage:
            return QStringLiteral("title page");
        case IMAGE_STRUCT::kCreditsPage:
            return QStringLiteral("credits page");
        default:
            return QStringLiteral("lyrics page");
    }
}

}  // namespace

QString MProjectSanity::LyricsProblem(const QString& rawLyrics) {
    // A line break ends a line; text after the last one is a line too.
    qsizetype lines = !rawLyrics.isEmpty() && !rawLyrics.endsWith(u'\n') ? 1 : 0;
    qsizetype words = 0;
    bool inWord = false;
    for (const QChar c : rawLyrics) {
        const char16_t u = c.unicode();
        const bool gap = u == u' ' || u == u'\n' || u == u'\r' || u == u'\t' || u == u'*';
        lines += u == u'\n' ? 1 : 0;
        words += !gap && !inWord ? 1 : 0;
        inWord = !gap;
    }
    QStringList problems;
    if (lines > kMaxLines) {
        problems << QStringLiteral("%1 lines (at most %2)").arg(lines).arg(kMaxLines);
    }
    if (words > kMaxWords) {
        problems << QStringLiteral("%1 words (at most %2)").arg(words).arg(kMaxWords);
    }
    return problems.join(QStringLiteral(", "));
}

MStatus MProjectSanity::CheckLyrics(const QString& rawLyrics) {
    const QString tooLong = LyricsProblem(rawLyrics);
    return tooLong.isEmpty()
               ? MStatus::Ok()
               : MStatus::Failure(
                     QStringLiteral("The lyrics are too long for a song: %1.").arg(tooLong),
                     MStatus::Icon::Error);
}

QStringList MProjectSanity::Problems(const MSongSettings& song) {
    QStringList problems;
    if (const QString lyrics = LyricsProblem(song.rawLyrics); !lyrics.isEmpty()) {
        problems << QStringLiteral("the lyrics have ") + lyrics;
    } else if (song.lineList.size() > static_cast<size_t>(kMaxLines) ||
               song.wordList.size() > static_cast<size_t>(kMaxWords)) {
        problems << QStringLiteral("the line list has %1 lines and %2 words (at most %3 and %4)")
                        .arg(song.lineList.size())
                        .arg(song.wordList.size())
                        .arg(kMaxLines)
                        .arg(kMaxWords);
    }
    const SongHeader& h = song.header;
    if (!Within(h.linesPerPage, kMinLinesPerPage, kMaxLinesPerPage)) {
        problems << QStringLiteral("lines per page is %1 (%2 to %3)")
                        .arg(h.linesPerPage)
                        .arg(kMinLinesPerPage)
                        .arg(kMaxLinesPerPage);
    }
    if (!Within(h.advanceSweep, -kMaxAdvanceSweep, kMaxAdvanceSweep)) {
        problems << QStringLiteral("the sweep advance is %1 hundredths of a second (at most %2)")
                        .arg(h.advanceSweep)
                        .arg(kMaxAdvanceSweep);
    }
    for (const auto& page : song.pages) {
        if (!Within(page->displayTime, 0, kMaxDisplayTime)) {
            problems << QStringLiteral("the %1 shows for %2 hundredths of a second (at most %3)")
                            .arg(PageName(page->pageId))
                            .arg(page->displayTime)
                            .arg(kMaxDisplayTime);
        }
        bool fontOk = Within(page->textType.fontHeight, -kMaxFontHeight, kMaxFontHeight);
        for (const auto& e : page->perLineTypes.elements) {
            fontOk = fontOk && Within(e.fontHeight, -kMaxFontHeight, kMaxFontHeight);
        }
        if (!fontOk) {
            problems << QStringLiteral("the %1 has a font height beyond %2 pixels")
                            .arg(PageName(page->pageId))
                            .arg(kMaxFontHeight);
        }
    }
    const int64_t musicFrames =
        song.workWavBlockAlign > 0 ? song.initialAudioBytes / song.workWavBlockAlign : 0;
    const int64_t lastFrame =
        musicFrames > 0 ? std::min(kMaxSongFrames, musicFrames + kPastMusicFrames) : kMaxSongFrames;
    int wrong = 0;
    for (const MKaraokeWord* w : song.wordList) {
        wrong += Within(w->startTime, 0, lastFrame) && Within(w->endTime, 0, lastFrame) ? 0 : 1;
    }
    if (wrong > 0) {
        problems << QStringLiteral("%1 word times lie outside the song (0 to %2 s)")
                        .arg(wrong)
                        .arg(lastFrame / 44100);
    }
    return problems;
}

MStatus MProjectSanity::Check(const MSongSettings& song) {
    const QStringList problems = Problems(song);
    if (problems.isEmpty()) {
        return MStatus::Ok();
    }
    return MStatus::Failure(QStringLiteral("%1: the project is damaged: %2.")
                                .arg(song.projectPath, problems.join(QStringLiteral("; "))));
}
