#include "song/MLineFit.h"

#include <QStringList>

#include "cdg/MPicture.h"
#include "cdg/MResolvedFont.h"
#include "cdg/MTextType.h"
#include "song/MSongSettings.h"

namespace {

QString Displayed(const QString& lineText) {
    QString shown = lineText;
    shown.remove(u'*');
    shown.replace(u'_', u' ');
    return shown;
}

struct Measure {
    std::shared_ptr<const MResolvedFont> font;
    int extra = 0;

    explicit Measure(const MSongSettings& song) {
        const IMAGE_STRUCT* lyrics = song.FindPage(IMAGE_STRUCT::kLyricsPage);
        const MTextType type = lyrics != nullptr ? lyrics->textType : MTextType();
        font = MResolvedFont::Resolve(type.faceName, type.fontHeight, type.styleFlags);
        if (type.styleFlags & MTextType::kOutline) {
            extra += 2 * MTextType::OutlineThickness(type.fontHeight);
        }
        extra += font->AverageCharWidth();
    }
    int Width(const QString& lineText) const { return font->Advance(Displayed(lineText)) + extra; }
    bool Fits(const QString& lineText) const { return Width(lineText) <= MPicture::kWidth; }
};

}  // namespace

int MLineFit::DrawnWidth(const MSongSettings& song, const QString& lineText) {
    return Measure(song).Width(lineText);
}

std::vector<int> MLineFit::OverflowingLines(const MSongSettings& song) {
    const Measure measure(song);
    std::vector<int> wide;
    for (size_t i = 0; i < song.lineList.size(); ++i) {
        if (!measure.Fits(song.lineList[i]->text)) {
            wide.push_back(static_cast<int>(i));
        }
    }
    return wide;
}

int MLineFit::WrapOverflowingLines(MSongSettings& song) {
    const Measure measure(song);
    // The raw lyrics line by line: a karaoke line for every line without "^", in order. A leading
    // "&" (second voice) goes on every part of a broken line.
    const QStringList raw = song.rawLyrics.split(u'\n');
    QStringList out;
    std::vector<bool> placed;
    size_t lineIndex = 0;
    int broken = 0;
    for (const QString& rawLine : raw) {
        if (rawLine.contains(u'^') || lineIndex >= song.lineList.size()) {
            out << rawLine;
            continue;
        }
        const MKaraokeLine& line = *song.lineList[lineIndex++];
        if (measure.Fits(line.text)) {
            out << rawLine;
            placed.push_back(line.placed);
            continue;
        }
        QString text = rawLine;
        text.remove(u'\r');
        QString prefix;
        if (text.startsWith(u'&') && !text.startsWith(QLatin1String("&&"))) {
            prefix = QStringLiteral("&");
            text.remove(0, 1);
        }
        const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
        QString part;
        int parts = 0;
        for (const QString& word : words) {
            const QString longer = part.isEmpty() ? word : part + u' ' + word;
            if (!part.isEmpty() && !measure.Fits(longer)) {
                out << prefix + part;
                placed.push_back(line.placed);
                ++parts;
                part = word;
            } else {
                part = longer;
            }
        }
        out << prefix + part;
        placed.push_back(line.placed);
        broken += parts > 0 ? 1 : 0;
    }
    if (broken == 0) {
        return 0;
    }
    // Breaking at spaces keeps the words and their order: times go back by position in the
    // word list.
    std::vector<std::pair<int32_t, int32_t>> times;
    times.reserve(song.wordList.size());
    for (const MKaraokeWord* w : song.wordList) {
        times.emplace_back(w->startTime, w->endTime);
    }
    song.SetRawLyrics(out.join(u'\n'));
    song.InstallLines({});
    song.GenerateKaraokeLineList(true, false);
    for (size_t i = 0; i < song.wordList.size() && i < times.size(); ++i) {
        song.wordList[i]->startTime = times[i].first;
        song.wordList[i]->endTime = times[i].second;
    }
    for (size_t i = 0; i < song.lineList.size() && i < placed.size(); ++i) {
        song.lineList[i]->placed = placed[i];
    }
    return broken;
}
