#pragma once

#include <QString>
#include <QStringList>

#include "base/MStatus.h"

class MSongSettings;

// The song's style settings as named text values, the way a headless tool reads and writes
// them: "performance", "linesPerPage", "sweepMode", "sweepColour", "advance", and per page
// ("title.", "lyrics.", "credits.") its font, size, style, alignment, palette colours as
// "#rrggbb", transitions, picture and placement, and for the title and credits pages whether
// they are shown, their text and display time. Values are clamped and checked by the same rules
// as the Song Settings dialog.
class MSongSettingKeys {
public:
    // Every key, in the order they are listed.
    static QStringList Keys();
    // The key's value as Set takes it; empty for an unknown key.
    static QString Value(const MSongSettings& song, const QString& key);
    // Sets one key, clamping numbers into their range; a failure (unknown key, a value that is
    // not of the key's kind, an unreadable picture) leaves the song unchanged.
    static MStatus Set(MSongSettings& song, const QString& key, const QString& value);
};
