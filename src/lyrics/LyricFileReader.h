#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>

#include "base/MStatus.h"
#include "lyrics/LrcDocument.h"

// Reads a lyric file the user chose for import and turns it into the lyrics text the program
// edits: plain text (".txt"), LRC (".lrc", whose times also go into an LrcDocument) or MIDI
// karaoke (".kar", ".mid", ".midi").
class LyricFileReader {
public:
    enum class FileType { Unknown, Text, Lrc, Midi };

    // Receives the message-log entries of an import (title, text). Pass one only while message
    // logging is on.
    using LogMessage = std::function<void(const QString& title, const QString& text)>;

    // Lyric files are small (karaoke MIDI files with all their music rarely pass 1 MiB);
    // anything bigger is not one and is not read. The bound also bounds the line list: every
    // character of lyrics can become a word of its own.
    static constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

    static constexpr const char* kLogTitle = "Import Lyrics";
    static constexpr const char* kUnableToOpenText = "Error: Unable to open lyric file.";
    static constexpr const char* kMemoryAllocationText = "Error: Memory Allocation failed.";
    static constexpr const char* kTooLargeText = "Error: The lyric file is larger than 4 MB.";
    static constexpr const char* kNoLyricsText =
        "There was an error opening or reading the Lyrics file,\nor the Lyrics file contained no "
        "Lyrics.\n\nPlease check the file and try again.";
    static constexpr const char* kNoLyricsLogText = "Error opening/reading Lyric file.\n";

    // By the file name's extension, letter case ignored and cut to three letters, so ".midi"
    // and ".MID" are MIDI.
    static FileType TypeFromPath(const QString& path);

    // Reads the file into lyrics (lines separated by "\n"). The document is cleared, and filled
    // when the file is an LRC file. An unknown file type fails with an empty message: the import
    // ends without a word to the user. Every other failure carries the message to show.
    // encoding names the file's text encoding; empty finds it out. The document's encoding
    // tells which was used, whatever the file type.
    static MStatus Read(const QString& path, QString& lyrics, LrcDocument& document,
                        const LogMessage& log = LogMessage(), const QString& encoding = QString());

    // The lyrics text of a file's bytes, by type. An LRC file fills the document with its lines
    // and a MIDI file with its timed syllables.
    static QString Convert(FileType type, QByteArrayView bytes, LrcDocument& document,
                           const QString& encoding = QString());
};
