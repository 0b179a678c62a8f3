#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/MStatus.h"
#include "cdg/IMAGE_STRUCT.h"
#include "song/MKaraokeLine.h"
#include "song/MKaraokeWord.h"
#include "song/MRwBuffer.h"
#include "song/MSongStream.h"
#include "song/SongHeader.h"

class MRwRenderer;
class MSongHost;

// The song project: its settings header, the raw lyrics, the karaoke line list with every
// word's time, the three page records and the R-W subcode buffer. The operations that build
// the line list, write the stream, draw previews and read and write project files live in their
// own classes and are reached through the members below.
class MSongSettings {
public:
    static constexpr uint32_t kRwBufferMarginBytes = 1297344;  // 13,514 sectors, about 180 s

    // A song project for the given project file (may be empty); host may be null (no music).
    explicit MSongSettings(const QString& path = QString(), MSongHost* host = nullptr);
    virtual ~MSongSettings();
    MSongSettings(const MSongSettings&) = delete;
    MSongSettings& operator=(const MSongSettings&) = delete;

    MSongHost* Host() const { return host_; }
    void SetHost(MSongHost* host) { host_ = host; }

    // --- Lifetime ----------------------------------------------------------------------------
    void ResetToNewProject();
    // A copy of the settings: path, modified state, header, lyrics, music file, artist, title and
    // pages; without lines, words, stream buffer or voice descriptions.
    std::unique_ptr<MSongSettings> CopySettings() const;
    // Takes those settings (and pages) from another project, keeping its own lines, whose pages
    // are then recomputed.
    void AssignSettings(const MSongSettings& other);
    // Loads the project file. A project that loads but holds values out of range (see
    // MProjectSanity) is refused with the list of what is wrong and the song reset to a new
    // project, unless acceptDamaged, which leaves the check to the caller (to show or mend it).
    MStatus LoadProject(bool acceptDamaged = false);
    MStatus SaveProject();

    // --- Setters that mark the project modified ----------------------------------------------
    void SetRawLyrics(const QString& text);
    // Sets the music file and measures the work WAV the host holds for it (AttachWorkWav); the
    // music is kept even when the work WAV cannot be read, and the reason is returned.
    MStatus SetMusicFile(const QString& path);
    void SetLinesPerPage(int n);
    void SetArtist(const QString& text);
    void SetTitle(const QString& text);
    void SetModified(bool flag);

    // --- Queries ------------------------------------------------------------------------------
    int LineCount() const { return static_cast<int>(lineList.size()); }
    MKaraokeLine* GetLine(int i) const;
    int PageCount() const { return static_cast<int>(pages.size()); }
    IMAGE_STRUCT* GetPage(int i) const;
    IMAGE_STRUCT* FindPage(int id) const;
    int LastPage() const;
    int WordCount() const { return static_cast<int>(wordList.size()); }
    MKaraokeWord* GetWord(int i) const;
    int FirstWordOnPage(int page) const;
    int LastWordOnPage(int page) const;
    int WordAtTime(int32_t time) const;
    int WordAtPoint(int x, int y, int page) const;
    MKaraokeWord* SelectWord(int i, bool on);
    bool HasPlacedWords() const;
    // Lyrics count as placed once music and lyrics are there and a word has a time.
    bool LyricsPlaced() const;
    // The colour index a line is drawn in: 12 in Solo, the line's singer colour in Duet.
    int LyricColour(const MKaraokeLine& line) const;
    // The line slot of a row: (slots on the screen, slot), after the lyrics page's text area.
    std::pair<int, int> SlotOfRow(int row) const;

    // --- Line list ----------------------------------------------------------------------------
    void GenerateKaraokeLineList(bool keepTimings, bool convertMarks);
    void CalcLineAndPageNumbers();
    // Replaces the line list; rebuilds the flat word list.
    void InstallLines(std::vector<std::unique_ptr<MKaraokeLine>> lines);

    // --- Previews -----------------------------------------------------------------------------
    void RenderPage(MRwRenderer* renderer, int page);
    void RenderAtTime(MRwRenderer* renderer, int32_t time);
    void LayoutWords();

    // --- Work WAV and stream ------------------------------------------------------------------
    // Measures the host's work WAV and sizes the stream buffer for it (no buffer without music).
    // Fails when the work WAV cannot be read.
    MStatus AttachWorkWav(bool keepAsInitial);
    // Sizes and clears the stream buffer for audioDataBytes bytes of the work WAV.
    void SizeRwBuffer(uint32_t audioDataBytes);
    // Data bytes of the work WAV that play as long as a stream of the given length.
    uint32_t AudioBytesForStream(uint32_t streamBytes) const;
    // Makes the work WAV hold exactly bytes of sample data and measures it again; the stream
    // already rendered survives. The status is also kept for the render that asked for it.
    MStatus PadWorkWav(const QString& path, uint32_t bytes);
    // Renders the whole song into buffer; returns the lead-in in sample frames.
    int32_t WriteRwMemory(uint8_t* buffer, uint32_t size, uint32_t* streamLength, int32_t fromTime,
                          int reserved = 0);
    // Below every time: export and Play Final render everything. The value is the one callers
    // have always passed, -9,999,999,999 cut to 32 bits (-1,410,065,407).
    static constexpr int32_t kFromTheStart = static_cast<int32_t>(-9'999'999'999LL);
    // Renders the whole song into the stream buffer (sized as for no music when it has none
    // yet), as export and Play Final do. The line list is used as it stands.
    MSongStream RenderWholeStream();

    // --- Data ---------------------------------------------------------------------------------
    std::vector<std::unique_ptr<MKaraokeLine>> lineList;
    std::vector<MKaraokeWord*> wordList;
    QString projectPath;
    bool modified = false;
    SongHeader header;
    QString rawLyrics;
    QString musicFile;
    std::vector<std::unique_ptr<IMAGE_STRUCT>> pages;
    MRwBuffer rwBuffer;
    uint32_t audioBytes = 0;
    uint32_t initialAudioBytes = 0;
    // Bytes per sample frame of the work WAV (4 for 16-bit stereo; a user's own WAV may also be
    // 8-bit or mono, and its lengths are counted in its own bytes).
    uint16_t workWavBlockAlign = 4;
    int32_t creditsFrames = 0;
    QString artist;
    QString title;
    std::array<QString, 3> voiceDescriptions;

private:
    void CopySettingsFrom(const MSongSettings& other);

    MSongHost* host_;
    // What the last PadWorkWav returned.
    MStatus padStatus_;
};
