#include "lyrics/LyricImport.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <memory>

#include "log/MEventLog.h"
#include "log/MTextMsgLog.h"
#include "lyrics/LyricFileReader.h"
#include "lyrics/LyricImportSettings.h"
#include "song/MProjectSanity.h"
#include "song/MSongSettings.h"

namespace {

// A word's time of 0 means "not timed yet" in the song, so a word sung at the very start of
// the file is timed one frame in, or it would lose its time and be swept before it is drawn.
int32_t Frames(int hundredths) {
    return std::max(1, LrcDocument::FramesFromHundredths(
                           std::clamp(hundredths, 0, LrcDocument::kMaxHundredths)));
}

// A line of the imported text that holds "^" is a page break in the line list and has no
// karaoke line of its own.
bool IsPageBreak(const LrcLine& line) {
    return std::any_of(line.elements.begin(), line.elements.end(),
                       [](const LrcElement& e) { return e.text.contains(u'^'); });
}

// Times the words of one karaoke line from the elements of its LRC line. Each element's text
// is looked up in the line's text, searching on from where the previous one was found, and the
// element times the word that holds it: normally one element per word, but several syllables
// of one word (text without "*" marks) give that word the start of the first and the end of
// the last. An element whose text is not in the line (the line was edited, or lost a leading
// "&") times the next word that has no time yet. A word left without an element takes the
// end of the word before it as a zero-length time, as the line list does with new words.
void MergeLine(MKaraokeLine& line, const LrcLine& lrc, int32_t& lastEnd) {
    line.placed = true;
    const QString& text = line.text;
    const int count = line.WordCount();
    int current = -1;  // the word the last element went to
    qsizetype searchFrom = 0;
    auto giveRestTheLastEnd = [&](int upTo) {
        for (int k = current + 1; k < upTo; ++k) {
            line.words[static_cast<size_t>(k)]->startTime = lastEnd;
            line.words[static_cast<size_t>(k)]->endTime = lastEnd;
        }
    };
    for (const LrcElement& e : lrc.elements) {
        if (e.text.isEmpty()) {
            continue;
        }
        const qsizetype at = text.indexOf(e.text, searchFrom);
        int target = -1;
        if (at >= 0) {
            searchFrom = at + e.text.size();
            int w = std::max(current, 0);
            while (w < count && line.words[static_cast<size_t>(w)]->lastChar < at) {
                ++w;
            }
            if (w < count && line.words[static_cast<size_t>(w)]->firstChar < searchFrom) {
                target = w;
            }
        } else if (current + 1 < count) {
            target = current + 1;
            searchFrom = std::max<qsizetype>(searchFrom,
                                             line.words[static_cast<size_t>(target)]->lastChar + 1);
        }
        if (target < 0) {
            continue;
        }
        MKaraokeWord& word = *line.words[static_cast<size_t>(target)];
        const int32_t start = Frames(e.startHundredths);
        const int32_t end = Frames(e.endHundredths);
        if (target == current) {
            word.endTime = std::max({word.endTime, end, word.startTime});
        } else {
            giveRestTheLastEnd(target);
            word.startTime = start;
            word.endTime = std::max(start, end);
            current = target;
        }
        lastEnd = word.endTime;
    }
    giveRestTheLastEnd(count);
}

}  // namespace

std::vector<LyricImport::FileFilter> LyricImport::LyricFileFilters() {
    return {{QStringLiteral("All File Types (*.txt,*.lrc,*.kar,*.midi)"),
             QStringLiteral("*.txt;*.lrc;*.kar;*.mid;*.midi")},
            {QStringLiteral("Text Files (*.txt)"), QStringLiteral("*.txt")},
            {QStringLiteral("Lyric Files (*.lrc)"), QStringLiteral("*.lrc")},
            {QStringLiteral("MIDI Karaoke Files (*.kar,*.midi)"),
             QStringLiteral("*.kar;*.mid;*.midi")}};
}

void LyricImport::RememberChoice(const QString& path, int filterIndex) {
    if (settings_ == nullptr) {
        return;
    }
    settings_->SetLyricFileIndex(filterIndex);
    const QString folder = QFileInfo(path).absolutePath();
    settings_->SetLyricsFolder(folder.endsWith(u'/') ? folder : folder + u'/');
}

MStatus LyricImport::ImportLyricFile(const QString& path, LrcDocument& document,
                                     const QString& encoding) {
    LyricFileReader::LogMessage log;
    if (MEventLog::Global().IsActive()) {
        log = [](const QString& title, const QString& text) {
            MEventLog::Global().Queue(std::make_unique<MTextMsgLog>(text, title));
        };
    }
    QString lyrics;
    const MStatus status = LyricFileReader::Read(path, lyrics, document, log, encoding);
    if (!status) {
        return status;
    }
    if (MStatus fits = MProjectSanity::CheckLyrics(lyrics); !fits) {
        return fits;
    }
    song_.SetRawLyrics(lyrics);
    song_.InstallLines({});
    return status;
}

bool LyricImport::MergeLrcTimings(const LrcDocument& document, const ConfirmReplace& confirm) {
    if (!document.HasLines()) {
        return false;
    }
    if (song_.LyricsPlaced() &&
        !(confirm && confirm(QString::fromLatin1(kReplaceTimingsQuestion)))) {
        return false;
    }
    // Karaoke line b takes LRC line b; a page-break line of the text has no karaoke line, so
    // its LRC line is passed over. Lines beyond either list stay as they are.
    int32_t lastEnd = 0;
    qsizetype next = 0;
    for (const auto& line : song_.lineList) {
        while (next < document.lines.size() && IsPageBreak(document.lines[next])) {
            ++next;
        }
        if (next >= document.lines.size()) {
            break;
        }
        MergeLine(*line, document.lines[next++], lastEnd);
    }
    song_.SetModified(true);
    return true;
}
