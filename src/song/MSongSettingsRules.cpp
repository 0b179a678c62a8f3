#include "song/MSongSettingsRules.h"

#include <QRegularExpression>
#include <cmath>

#include "song/MSongSettings.h"

MSongSettingsRules::Range MSongSettingsRules::LinesRange(const MSongSettings& song) {
    const IMAGE_STRUCT* lyrics = song.FindPage(IMAGE_STRUCT::kLyricsPage);
    const bool graphic = lyrics != nullptr && lyrics->textArea != 0;
    const int low = song.header.performance == SongHeader::kDuet ? 3 : 2;
    return Range{low, graphic ? 3 : 6};
}

bool MSongSettingsRules::ClampLinesPerPage(MSongSettings& song) {
    const int clamped = LinesRange(song).Clamp(song.header.linesPerPage);
    if (clamped == song.header.linesPerPage) {
        return false;
    }
    song.SetLinesPerPage(clamped);
    return true;
}

QStringList MSongSettingsRules::SizeChoices() {
    return {QStringLiteral("14"), QStringLiteral("16"), QStringLiteral("18"), QStringLiteral("20"),
            QStringLiteral("22"), QStringLiteral("24"), QStringLiteral("26"), QStringLiteral("28"),
            QStringLiteral("36"), QStringLiteral("48"), QStringLiteral("72")};
}

int MSongSettingsRules::ParseSize(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,2}$"));
    const QString t = text.trimmed();
    if (!digits.match(t).hasMatch()) {
        return -1;
    }
    const int n = t.toInt();
    return n > 0 ? n : -1;
}

double MSongSettingsRules::AdvanceSeconds(int advanceSweep) {
    return std::abs(advanceSweep) / 100.0;
}

int MSongSettingsRules::AdvanceFromSeconds(double seconds) {
    const int hundredths = static_cast<int>(std::lround(seconds * 100.0));
    return std::clamp(-hundredths, kAdvanceLowest, 0);
}

QString MSongSettingsRules::HoldText(int displayTime) {
    return QString::number(displayTime / 100.0, 'f', 2);
}

int MSongSettingsRules::ParseHold(const QString& text) {
    static const QRegularExpression decimal(QStringLiteral("^[0-9]*(\\.[0-9]{0,2})?$"));
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > kMaxHoldChars || t == QLatin1String(".") ||
        !decimal.match(t).hasMatch()) {
        return -1;
    }
    return static_cast<int>(std::lround(t.toDouble() * 100.0));
}
