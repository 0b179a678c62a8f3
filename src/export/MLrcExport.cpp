#include "export/MLrcExport.h"

#include <algorithm>

#include "cdg/CdgTimeBase.h"
#include "song/MSongSettings.h"

namespace {

constexpr int64_t kFramesPerHundredth = CdgTimeBase::kSampleRateHz / 100;  // 441

// A tag's value on one line, without the brackets that would end the tag early.
QString TagValue(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('['), QLatin1Char('('));
    text.replace(QLatin1Char(']'), QLatin1Char(')'));
    return text.trimmed();
}

}  // namespace

QString MLrcExport::TimeText(int64_t frames) {
    const int64_t hundredths =
        (std::max<int64_t>(0, frames) + kFramesPerHundredth / 2) / kFramesPerHundredth;
    return QStringLiteral("%1:%2.%3")
        .arg(hundredths / 6000, 2, 10, QLatin1Char('0'))
        .arg(hundredths / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

QString MLrcExport::FormName(int form) {
    return form == kSimple     ? QStringLiteral("simple")
           : form == kEnhanced ? QStringLiteral("enhanced")
                               : QString();
}

QString MLrcExport::Text(const MSongSettings& song, int form, int32_t offsetFrames,
                         int64_t lengthMs) {
    QString out;
    const int64_t seconds = (std::max<int64_t>(0, lengthMs) + 500) / 1000;
    out += QStringLiteral("[ti:%1]\n[ar:%2]\n[length:%3:%4]\n")
               .arg(TagValue(song.title), TagValue(song.artist))
               .arg(seconds / 60, 2, 10, QLatin1Char('0'))
               .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    auto at = [offsetFrames](int32_t time) {
        return QLatin1Char('<') + TimeText(int64_t{time} + offsetFrames) + QLatin1Char('>');
    };
    for (const auto& line : song.lineList) {
        if (!line->HasWords()) {
            continue;
        }
        const QString& text = line->text;
        out += QLatin1Char('[') + TimeText(int64_t{line->words.front()->startTime} + offsetFrames) +
               QLatin1Char(']');
        if (form != kEnhanced) {
            out += text.trimmed() + QLatin1Char('\n');
            continue;
        }
        for (size_t i = 0; i < line->words.size(); ++i) {
            const MKaraokeWord& word = *line->words[i];
            const qsizetype first = std::clamp<qsizetype>(word.firstChar, 0, text.size());
            const qsizetype last = std::clamp<qsizetype>(word.lastChar, first - 1, text.size() - 1);
            // The word and what separates it from the next one (a space, or nothing between the
            // syllables of one word).
            const qsizetype next =
                i + 1 < line->words.size()
                    ? std::clamp<qsizetype>(line->words[i + 1]->firstChar, last + 1, text.size())
                    : last + 1;
            out += at(word.startTime) + text.mid(first, next - first);
        }
        out += at(line->words.back()->endTime) + QLatin1Char('\n');
    }
    return out;
}
