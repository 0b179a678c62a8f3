#pragma once

#include <QString>
#include <vector>

class MSongSettings;

// Whether the lines of a song fit across the lyrics page at the song's font, measured as the
// generator draws them (the text as shown, its outline and the extra character of width every
// line box gets), and breaking those that do not.
class MLineFit {
public:
    // Width in pixels of a line of the line list (with its "*" and "_" marks) as drawn.
    static int DrawnWidth(const MSongSettings& song, const QString& lineText);
    // The indices of the lines of the song's line list that are wider than the page.
    static std::vector<int> OverflowingLines(const MSongSettings& song);
    // Breaks every line that does not fit at spaces, so that each part fits (a single word wider
    // than the page stays whole on its own line), and regenerates the line list. Every word keeps
    // its times and every part its line's placed flag. Returns the number of lines broken.
    static int WrapOverflowingLines(MSongSettings& song);
};
