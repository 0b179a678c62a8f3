#pragma once

#include <QString>
#include <QStringList>

class MSongSettings;
struct IMAGE_STRUCT;

// The ranges and rules of the song's style settings, kept apart from the widgets that edit them:
// the lines per page allowed by the performance and the lyrics graphic, the sweep advance, the
// font sizes and face names, and the display time of the title and credits pages.
class MSongSettingsRules {
public:
    struct Range {
        int low;
        int high;
        int Clamp(int n) const { return n < low ? low : (n > high ? high : n); }
    };

    static constexpr int kMaxFaceNameChars = 31;
    static constexpr int kMaxSizeDigits = 2;
    static constexpr int kMaxHoldChars = 7;
    // advanceSweep in hundredths of a second, stored negative: 0.00 to 5.00 s.
    static constexpr int kAdvanceLowest = -500;
    static constexpr int kAdvanceStep = 5;
    // The title and credits pages hold at most nine lines of text.
    static constexpr int kMaxPageTextLines = 9;

    // 2 (Solo) or 3 (Duet) up to 6, or up to 3 while the lyrics page has a graphic.
    static Range LinesRange(const MSongSettings& song);
    // Clamps the song's lines per page into the range; true when it changed.
    static bool ClampLinesPerPage(MSongSettings& song);

    static QStringList SizeChoices();
    // A typed font size: a whole number of one or two digits above 0; -1 otherwise.
    static int ParseSize(const QString& text);
    static QString FaceName(const QString& name) { return name.left(kMaxFaceNameChars); }

    // The advance as the dialog shows it (seconds, positive) and back.
    static double AdvanceSeconds(int advanceSweep);
    static int AdvanceFromSeconds(double seconds);

    // Display time: shown as seconds with two decimals, typed as a decimal of at most seven
    // characters and stored in hundredths; -1 for text that is not such a number.
    static QString HoldText(int displayTime);
    static int ParseHold(const QString& text);

    // Transitions the lyrics graphic offers, and those of the title and credits pages.
    static QList<int> LyricsTransitions() { return {0, 1, 2, 3, 8}; }
    static QList<int> PageTransitions() { return {0, 1, 2, 3, 4, 5, 6, 7, 8}; }
};
