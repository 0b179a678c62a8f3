#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

class MSongSettings;

// The byte blocks that the event log keeps of the song project.
class MSongDumps {
public:
    // Per line: its 40-byte record, an int32 text length, the text, an int32 word count and the
    // 40-byte record of each word. Pointers in the records are written as zeros.
    static QByteArray LineList(const MSongSettings& song);
    // The 52-byte header, the raw lyrics and each page's stored image.
    static QByteArray Settings(const MSongSettings& song);
    static QByteArray Int32Table(const std::vector<int32_t>& values);

    // Queue the line list dump when the event log is active.
    static void LogLineList(const MSongSettings& song, const char* message);
};
