#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "cdg/CdgColour.h"
#include "cdg/CdgPacket.h"
#include "cdg/IMAGE_STRUCT.h"
#include "cdg/MBox.h"
#include "cdg/MIndexedPicture.h"
#include "cdg/MPicture.h"
#include "cdg/MRandom.h"
#include "cdg/MTextType.h"
#include "cdg/MTextTypeVer6.h"

class MRwRenderer;
class MTextCanvas;

// Writes CD+G packets: into an in-memory stream (every packet goes to the first free slot at or
// after the position asked for) or, for previews, straight into a renderer's screen. Every
// emitting operation returns the number of stream bytes by which the caller advances its
// position.
class MRwGenerator {
public:
    using ColorTable = MPicture::ColourTable;
    using IMAGE_STRUCT = ::IMAGE_STRUCT;

    MRwGenerator();
    explicit MRwGenerator(MRwRenderer* previewRenderer);
    MRwGenerator(uint8_t* stream, uint32_t streamBytes);
    virtual ~MRwGenerator();
    MRwGenerator(const MRwGenerator&) = delete;
    MRwGenerator& operator=(const MRwGenerator&) = delete;

    MRwRenderer* PreviewRenderer() const { return renderer_; }
    bool HasDestination() const { return stream_ != nullptr && streamBytes_ > 0; }
    uint32_t StreamBytes() const { return streamBytes_; }

    // Percentage of the picture height that page transitions draw.
    static constexpr int kWholePicturePercent = 100;
    int PictureHeight() const { return pictureHeight_; }
    void SetPictureHeight(int percent) { pictureHeight_ = percent; }
    // 1 widens every line box by the font's average character width.
    int ExtraWidth() const { return extraWidth_; }
    void SetExtraWidth(int flag) { extraWidth_ = flag; }

    // --- Packets and the sink ---------------------------------------------------------------
    uint32_t WritePacket(const CdgPacket& packet, uint32_t position);
    uint32_t WriteMemoryPreset(int colour, uint32_t position);
    uint32_t WriteBorderPreset(int colour, uint32_t position);
    uint32_t WriteColorTable(const ColorTable& colours, uint32_t position);
    uint32_t WriteSolidTile(int column, int row, int colour, uint32_t position);
    uint32_t WriteScrollCopy(int hCommand, int hOffset, int vCommand, int vOffset,
                             uint32_t position);
    uint32_t WriteTile(const MPicture& picture, int pictureColumn, int pictureRow, int screenColumn,
                       int screenRow, uint32_t position);
    static std::optional<CdgPacket> MakeXorTile(const MPicture& picture, int pictureColumn,
                                                int pictureRow, int screenColumn, int screenRow,
                                                int matchIndex, int baseIndex);

    // --- Text into pictures -----------------------------------------------------------------
    static std::unique_ptr<MPicture> CreatePicture(int fillIndex, const ColorTable& colours);
    static int FindPictureIndex(const MPicture& picture, MRgb colour);
    MBox LayoutLine(MTextCanvas& canvas, int linesPerPage, int slot, const QString& text,
                    const MTextType& textType, int lineCount, int lineIndex,
                    const MTextTypeVer6* overrides) const;
    MBox RenderLine(MTextCanvas& canvas, int linesPerPage, int slot, const QString& lineText,
                    const MTextType& textType, const ColorTable& colours, int wordFirst,
                    int wordLast) const;
    MBox RenderTextBlock(MTextCanvas& canvas, int linesPerPage, int slot, const QString& text,
                         const MTextType& textType, const ColorTable& colours,
                         const MTextTypeVer6* overrides) const;

    // --- Lyric lines on screen ----------------------------------------------------------------
    uint32_t DrawTextBlock(int linesPerPage, int slot, const QString& text,
                           const MTextType& textType, int backgroundIndex, uint32_t position);
    uint32_t EraseTextBlock(int linesPerPage, int slot, const QString& text,
                            const MTextType& textType, int backgroundIndex, uint32_t position);
    uint32_t SweepWord(int linesPerPage, int slot, const QString& lineText, int wordFirst,
                       int wordLast, const MTextType& textType, int backgroundIndex, int sweepIndex,
                       bool sweepBehind, uint32_t startPosition, uint32_t endPosition,
                       MBox* outBox);

    // --- Pages and transitions ----------------------------------------------------------------
    static std::unique_ptr<MPicture> FitImage(const MIndexedPicture& bitmap, int placement,
                                              int backgroundIndex);
    uint32_t RunTransition(const MPicture& picture, int code, const ColorTable& colours,
                           int backgroundIndex, uint32_t position);
    uint32_t DrawImagePage(const MIndexedPicture& bitmap, int placement, int transition,
                           const ColorTable& colours, int backgroundIndex, uint32_t position);
    uint32_t DrawImageTextPage(const MIndexedPicture& bitmap, int placement, int transition,
                               const ColorTable& colours, int backgroundIndex, const QString& text,
                               const MTextType& textType, uint32_t position);
    uint32_t DrawTextPage(const QString& text, const MTextType& textType, int transition,
                          int backgroundIndex, const ColorTable& colours, uint32_t position,
                          const MTextTypeVer6* perLineTypes);
    uint32_t DrawPage(IMAGE_STRUCT& page, bool withErase, uint32_t position);
    // Block Dissolve takes its randomness from here; seeded from the clock unless a test seeds it.
    void SeedRandom(uint32_t seed) { random_.Seed(seed); }

    // Copies the box of a picture into the preview renderer's screen and shows it; pixels of
    // keepIndex, when given, leave the screen as it is.
    void PreviewBox(const MPicture& picture, const MBox& box, int keepIndex = -1);

private:
    MBox RenderTextBlockImpl(MTextCanvas& canvas, int linesPerPage, int slot, const QString& text,
                             const MTextType& textType, const ColorTable& colours,
                             const MTextTypeVer6* overrides, bool draw) const;

    MRwRenderer* renderer_ = nullptr;
    uint8_t* stream_ = nullptr;
    uint32_t streamBytes_ = 0;
    int pictureHeight_ = kWholePicturePercent;
    int extraWidth_ = 1;
    MRandom random_;
};
