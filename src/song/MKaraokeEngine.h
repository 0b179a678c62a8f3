#pragma once

#include <QString>
#include <map>

// The karaoke engine's start-up for the song settings: the dictionary of installed font
// families, rebuilt each time the settings dialog opens.
class MKaraokeEngine {
public:
    static constexpr int kAnsiCharset = 0;
    static constexpr int kSymbolCharset = 2;
    static constexpr int kOemCharset = 255;

    // Rebuilds the font dictionary and writes the start-up trace lines. Returns true.
    static bool MKaraoke_Initialize();
    // Face name -> character set, in name order, as last built.
    static std::map<QString, int> FontDictionary();
};
