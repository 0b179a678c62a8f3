#include "lyrics/LrcDocument.h"

void LrcDocument::Clear() {
    artist.clear();
    album.clear();
    title.clear();
    author.clear();
    lrcBy.clear();
    tool.clear();
    toolVersion.clear();
    lengthHundredths = 0;
    offsetMilliseconds = 0;
    lines.clear();
    unreadableLines = 0;
    unknownTags = 0;
    encoding.clear();
}
