#include "cdg/MRwGenerator.h"

#include <QDateTime>
#include <QStringList>
#include <algorithm>
#include <cstring>
#include <vector>

#include "cdg/CdgTimeBase.h"
#include "cdg/MPageDrawer.h"
#include "cdg/MResolvedFont.h"
#include "cdg/MRwRenderer.h"
#include "cdg/MTextCanvas.h"
#include "cdg/MTransitionWriter.h"

namespace {

constexpr uint32_t kPacketBytes = CdgTimeBase::kPacketBytes;
constexpr int kTileW = CdgScreen::kTileWidth;
constexpr int kTileH = CdgScreen::kTileHeight;

CdgPacket TilePacket(uint8_t instruction, int colour0, int colour1, int screenRow,
                     int screenColumn) {
    CdgPacket p = CdgPacket::Graphics(instruction);
    p.data[0] = static_cast<uint8_t>(colour0 & 0x0F);
    p.data[1] = static_cast<uint8_t>(colour1 & 0x0F);
    p.data[2] = static_cast<uint8_t>(screenRow & 0x1F);
    p.data[3] = static_cast<uint8_t>(screenColumn & 0x3F);
    return p;
}

// The pixel rows of a tile with a bit set for every pixel of the given index.
bool MarkPixels(const uint8_t tile[72], int index, uint8_t rows[12]) {
    bool any = false;
    for (int y = 0; y < kTileH; ++y) {
        uint8_t bits = 0;
        for (int x = 0; x < kTileW; ++x) {
            if (tile[y * kTileW + x] == index) {
                bits |= static_cast<uint8_t>(0x20 >> x);
                any = true;
            }
        }
        rows[y] = bits;
    }
    return any;
}

std::shared_ptr<const MResolvedFont> FontFor(const QString& face, int height, int flags) {
    return MResolvedFont::Resolve(face, height, flags);
}

}  // namespace

// The random generator starts from a fixed seed; pages seed it from what they show.
MRwGenerator::MRwGenerator() = default;

MRwGenerator::MRwGenerator(MRwRenderer* previewRenderer) : renderer_(previewRenderer) {}

MRwGenerator::MRwGenerator(uint8_t* stream, uint32_t streamBytes)
    : stream_(stream), streamBytes_(stream ? streamBytes : 0) {}

MRwGenerator::~MRwGenerator() = default;

// ---------------------------------------------------------------------------------------------
// Packets and the sink

uint32_t MRwGenerator::WritePacket(const CdgPacket& packet, uint32_t position) {
    if (stream_ == nullptr || streamBytes_ < kPacketBytes ||
        static_cast<uint64_t>(position) >= streamBytes_ - kPacketBytes) {
        return kPacketBytes;
    }
    // Slots start at multiples of 24; a position inside a slot means the next one.
    uint64_t slot =
        (static_cast<uint64_t>(position) + kPacketBytes - 1) / kPacketBytes * kPacketBytes;
    const uint64_t lastSlot =
        (streamBytes_ / kPacketBytes - 1) * static_cast<uint64_t>(kPacketBytes);
    while (slot <= lastSlot && stream_[slot] != 0) {
        slot += kPacketBytes;
    }
    if (slot > lastSlot) {
        return kPacketBytes;  // no free slot before the end: not stored
    }
    std::memcpy(stream_ + slot, &packet, sizeof(CdgPacket));
    return static_cast<uint32_t>(slot - position) + kPacketBytes;
}

uint32_t MRwGenerator::WriteMemoryPreset(int colour, uint32_t position) {
    if (renderer_) {
        renderer_->ClearScreen(colour & 0x3F);
    }
    uint32_t total = 0;
    for (int repeat = 0; repeat < 16; ++repeat) {
        CdgPacket p = CdgPacket::Graphics(CdgPacket::kMemoryPreset);
        p.data[0] = static_cast<uint8_t>(colour & 0x3F);
        p.data[1] = static_cast<uint8_t>(repeat & 0x3F);
        total += WritePacket(p, position + total);
    }
    return total;
}

uint32_t MRwGenerator::WriteBorderPreset(int colour, uint32_t position) {
    if (renderer_) {
        renderer_->SetBorderColor(colour & 0x3F);
    }
    CdgPacket p = CdgPacket::Graphics(CdgPacket::kBorderPreset);
    p.data[0] = static_cast<uint8_t>(colour & 0x3F);
    return WritePacket(p, position);
}

uint32_t MRwGenerator::WriteColorTable(const ColorTable& colours, uint32_t position) {
    if (renderer_) {
        // A preview shows the colours as a player will: with four bits a component.
        ColorTable shown{};
        for (size_t k = 0; k < shown.size(); ++k) {
            uint8_t entry[2];
            CdgColour::Encode(colours[k], entry);
            shown[k] = CdgColour::Decode(entry);
        }
        renderer_->LoadColors(0, 16, shown.data());
    }
    uint32_t total = 0;
    for (int half = 0; half < 2; ++half) {
        CdgPacket p = CdgPacket::Graphics(half == 0 ? CdgPacket::kLoadColorTableLow
                                                    : CdgPacket::kLoadColorTableHigh);
        for (int k = 0; k < 8; ++k) {
            CdgColour::Encode(colours[static_cast<size_t>(half * 8 + k)], p.data + 2 * k);
        }
        total += WritePacket(p, position + total);
    }
    return total;
}

uint32_t MRwGenerator::WriteSolidTile(int column, int row, int colour, uint32_t position) {
    return WritePacket(TilePacket(CdgPacket::kTileBlock, colour, colour, row, column), position);
}

uint32_t MRwGenerator::WriteScrollCopy(int hCommand, int hOffset, int vCommand, int vOffset,
                                       uint32_t position) {
    if (!HasDestination()) {
        return 0;
    }
    CdgPacket p = CdgPacket::Graphics(CdgPacket::kScrollCopy);
    p.data[1] = static_cast<uint8_t>(((hCommand & 3) << 4) | (hOffset & 7));
    p.data[2] = static_cast<uint8_t>(((vCommand & 3) << 4) | (vOffset & 0x0F));
    return WritePacket(p, position);
}

uint32_t MRwGenerator::WriteTile(const MPicture& picture, int pictureColumn, int pictureRow,
                                 int screenColumn, int screenRow, uint32_t position) {
    uint8_t tile[72];
    picture.ReadTile(pictureColumn, pictureRow, tile);
    int counts[16] = {};
    for (uint8_t v : tile) {
        ++counts[v & 0x0F];
    }
    int a = -1;
    int b = -1;
    for (int i = 0; i < 16; ++i) {
        if (counts[i] == 0) {
            continue;
        }
        if (a < 0) {
            a = i;
        } else if (b < 0) {
            b = i;
        }
    }
    if (b < 0) {
        b = a;
    }
    CdgPacket normal = TilePacket(CdgPacket::kTileBlock, a, b, screenRow, screenColumn);
    MarkPixels(tile, b, normal.data + 4);
    uint32_t total = WritePacket(normal, position);
    for (int c = b + 1; c < 16; ++c) {
        if (counts[c] == 0) {
            continue;
        }
        CdgPacket x =
            TilePacket(CdgPacket::kTileBlockXor, 0, (c ^ a) & 0x0F, screenRow, screenColumn);
        MarkPixels(tile, c, x.data + 4);
        total += WritePacket(x, position + total);
    }
    return total;
}

std::optional<CdgPacket> MRwGenerator::MakeXorTile(const MPicture& picture, int pictureColumn,
                                                   int pictureRow, int screenColumn, int screenRow,
                                                   int matchIndex, int baseIndex) {
    uint8_t tile[72];
    picture.ReadTile(pictureColumn, pictureRow, tile);
    CdgPacket p = TilePacket(CdgPacket::kTileBlockXor, 0, (matchIndex ^ baseIndex) & 0x0F,
                             screenRow, screenColumn);
    if (!MarkPixels(tile, matchIndex, p.data + 4)) {
        return std::nullopt;
    }
    return p;
}

// ---------------------------------------------------------------------------------------------
// Text into pictures

std::unique_ptr<MPicture> MRwGenerator::CreatePicture(int fillIndex, const ColorTable& colours) {
    MPicture probe(MPicture::kNoFill, colours);
    const int index = probe.NearestIndex(colours[static_cast<size_t>(fillIndex & 0x0F)]);
    return std::make_unique<MPicture>(index, colours);
}

int MRwGenerator::FindPictureIndex(const MPicture& picture, MRgb colour) {
    return picture.NearestIndex(colour);
}

MBox MRwGenerator::LayoutLine(MTextCanvas& canvas, int linesPerPage, int slot, const QString& text,
                              const MTextType& textType, int lineCount, int lineIndex,
                              const MTextTypeVer6* overrides) const {
    int height = textType.fontHeight;
    int flags = textType.styleFlags;
    int hAlign = textType.hAlign;
    if (lineIndex >= 1 && overrides != nullptr && overrides->Count() >= lineIndex) {
        const auto e = overrides->At(lineIndex - 1);
        height = e.fontHeight;
        flags = e.styleFlags;
        hAlign = e.hAlign;
    }
    int w = canvas.TextWidth(text);
    int h = canvas.TextHeight();
    if (flags & MTextType::kOutline) {
        const int t = MTextType::OutlineThickness(height);
        w += 2 * t;
        h += 2 * t;
    }
    const int s = MPicture::kHeight / std::max(1, linesPerPage);
    MBox box;
    switch (hAlign) {
        case MTextType::kHCentre:
            box.left = (MPicture::kWidth - w) / 2;
            break;
        case MTextType::kHRight:
            box.left = MPicture::kWidth - w;
            break;
        default:
            box.left = 0;
            break;
    }
    switch (textType.vAlign) {
        case MTextType::kVCentre:
            box.top = lineIndex * h + slot * s + (s - lineCount * h) / 2;
            break;
        case MTextType::kVBottom:
            box.top = slot * s + s + lineIndex * h - lineCount * h;
            break;
        default:
            box.top = lineIndex * h + slot * s;
            break;
    }
    box.right = box.left + w;
    if (extraWidth_ == 1) {
        box.right += canvas.AverageCharWidth();
    }
    box.bottom = box.top + std::min(h, s);
    return box;
}

MBox MRwGenerator::RenderLine(MTextCanvas& canvas, int linesPerPage, int slot,
                              const QString& lineText, const MTextType& textType,
                              const ColorTable& colours, int wordFirst, int wordLast) const {
    if (lineText.isEmpty()) {
        return MBox();
    }
    canvas.SelectFont(FontFor(textType.faceName, textType.fontHeight, textType.styleFlags));
    const int t = textType.HasOutline() ? MTextType::OutlineThickness(textType.fontHeight) : 0;
    MBox box =
        LayoutLine(canvas, linesPerPage, slot, lineText, textType, 1, 0, nullptr).Shifted(t, t);

    QString copy = lineText;
    if (wordLast >= 0 && wordLast < lineText.size()) {
        copy = lineText.left(wordLast + 1);
        const MBox box2 =
            LayoutLine(canvas, linesPerPage, slot, copy, textType, 1, 0, nullptr).Shifted(t, t);
        box.right = box2.right + box.left - box2.left;
    }
    const auto colour = [&colours](int index) {
        return colours[static_cast<size_t>(index & 0x0F)];
    };
    if (textType.IsOpaque()) {
        canvas.SetOpaque(true);
        canvas.SetBackgroundColour(colour(textType.backgroundColorIndex));
        canvas.SetTextColour(colour(textType.colorIndex));
        canvas.DrawText(box, copy);
    }
    canvas.SetOpaque(false);
    if (textType.HasOutline()) {
        canvas.SetTextColour(colour(textType.outlineColorIndex));
        canvas.DrawTextSpread(box, copy, MTextType::OutlineThickness(textType.fontHeight));
    }
    canvas.SetTextColour(colour(textType.colorIndex));
    canvas.DrawText(box, copy);
    if (wordFirst > 0) {
        canvas.SetTextColour(colour(textType.backgroundColorIndex));
        canvas.DrawText(box, copy.left(wordFirst));
        const MBox box3 =
            LayoutLine(canvas, linesPerPage, slot, copy.mid(wordFirst), textType, 1, 0, nullptr)
                .Shifted(t, t);
        box.left = box3.left + box.right - box3.right;
    }
    return box.Shifted(-t, -t).ClampedToPicture();
}

MBox MRwGenerator::RenderTextBlock(MTextCanvas& canvas, int linesPerPage, int slot,
                                   const QString& text, const MTextType& textType,
                                   const ColorTable& colours,
                                   const MTextTypeVer6* overrides) const {
    return RenderTextBlockImpl(canvas, linesPerPage, slot, text, textType, colours, overrides,
                               true);
}

MBox MRwGenerator::RenderTextBlockImpl(MTextCanvas& canvas, int linesPerPage, int slot,
                                       const QString& text, const MTextType& textType,
                                       const ColorTable& colours, const MTextTypeVer6* overrides,
                                       bool draw) const {
    if (text.isEmpty()) {
        return MBox();
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > 1 && text.endsWith(QLatin1Char('\n'))) {
        lines.removeLast();
    }
    const auto isBreak = [](QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); };
    for (QString& line : lines) {
        qsizetype a = 0;
        qsizetype b = line.size();
        while (a < b && isBreak(line[a])) {
            ++a;
        }
        while (b > a && isBreak(line[b - 1])) {
            --b;
        }
        line = line.mid(a, b - a);
        if (line.isEmpty()) {
            line = QStringLiteral(" ");
        }
    }
    const int n = static_cast<int>(lines.size());
    const bool useOverrides = overrides != nullptr && !overrides->IsEmpty();
    struct LineStyle {
        int colour;
        int flags;
        std::shared_ptr<const MResolvedFont> font;
    };
    std::vector<LineStyle> styles;
    styles.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        if (i >= 1 && useOverrides) {
            const auto e = overrides->At(i - 1);
            styles.push_back(
                {e.colorIndex, e.styleFlags, FontFor(e.faceName, e.fontHeight, e.styleFlags)});
        } else {
            styles.push_back(
                {textType.colorIndex, textType.styleFlags,
                 FontFor(textType.faceName, textType.fontHeight, textType.styleFlags)});
        }
    }
    const int typeT = MTextType::OutlineThickness(textType.fontHeight);
    const auto shiftOf = [&](int i) { return (styles[i].flags & MTextType::kOutline) ? typeT : 0; };

    std::vector<MBox> pass1(static_cast<size_t>(n));
    int total = 0;
    if (n >= 2) {
        for (int i = 0; i < n; ++i) {
            canvas.SelectFont(styles[i].font);
            const QString measured = MTextCanvas::StripMnemonics(lines[i]);
            pass1[i] = LayoutLine(canvas, linesPerPage, slot, measured, textType, n, i, overrides)
                           .Shifted(shiftOf(i), shiftOf(i));
            total += pass1[i].Height();
        }
    }
    int running = 0;
    switch (textType.vAlign) {
        case MTextType::kVCentre:
            running = (MPicture::kHeight - total) / 2;
            break;
        case MTextType::kVBottom:
            running = MPicture::kHeight - total;
            break;
        default:
            running = 0;
            break;
    }
    const auto colour = [&colours](int index) {
        return colours[static_cast<size_t>(index & 0x0F)];
    };
    MBox box;
    int lastShift = 0;
    for (int i = 0; i < n; ++i) {
        canvas.SelectFont(styles[i].font);
        const int shift = shiftOf(i);
        if (n >= 2) {
            box = pass1[i];
            const int height = pass1[i].Height();
            box.top = running;
            box.bottom = running + height;
            running += height;
        } else {
            const QString measured = MTextCanvas::StripMnemonics(lines[i]);
            box = LayoutLine(canvas, linesPerPage, slot, measured, textType, n, i, overrides)
                      .Shifted(shift, shift);
        }
        lastShift = shift;
        if (!draw) {
            continue;
        }
        if (textType.IsOpaque()) {
            canvas.SetOpaque(true);
            canvas.SetBackgroundColour(colour(textType.backgroundColorIndex));
            canvas.SetTextColour(colour(styles[i].colour));
            canvas.DrawText(box, lines[i]);
        }
        canvas.SetOpaque(false);
        if (styles[i].flags & MTextType::kOutline) {
            canvas.SetTextColour(colour(textType.outlineColorIndex));
            canvas.DrawTextSpread(box, lines[i], typeT);
        }
        canvas.SetTextColour(colour(styles[i].colour));
        canvas.DrawText(box, lines[i]);
    }
    return box.Shifted(-lastShift, -lastShift).ClampedToPicture();
}

// ---------------------------------------------------------------------------------------------
// Lyric lines on screen

void MRwGenerator::PreviewBox(const MPicture& picture, const MBox& box, int keepIndex) {
    if (renderer_ == nullptr) {
        return;
    }
    const MBox b = box.ClampedToPicture();
    if (b.IsEmpty()) {
        return;
    }
    int pitch = 0;
    uint8_t* screen = renderer_->LockScreen(&pitch);
    for (int y = b.top; y < b.bottom; ++y) {
        uint8_t* to =
            screen + (y + CdgScreen::kPictureTop) * pitch + b.left + CdgScreen::kPictureLeft;
        const uint8_t* from = picture.Row(y) + b.left;
        if (keepIndex < 0) {
            std::memcpy(to, from, static_cast<size_t>(b.Width()));
            continue;
        }
        for (int x = 0; x < b.Width(); ++x) {
            if (from[x] != keepIndex) {
                to[x] = from[x];
            }
        }
    }
    renderer_->UnlockScreen();
    renderer_->PresentRect(QRect(b.left + CdgScreen::kPictureLeft, b.top + CdgScreen::kPictureTop,
                                 b.Width(), b.Height()));
}

uint32_t MRwGenerator::DrawTextBlock(int linesPerPage, int slot, const QString& text,
                                     const MTextType& textType, int backgroundIndex,
                                     uint32_t position) {
    if (text.isEmpty()) {
        return 0;
    }
    const ColorTable colours = MPicture::FixedGreys();
    std::unique_ptr<MPicture> picture = CreatePicture(backgroundIndex, colours);
    MTextCanvas canvas(picture.get());
    const MBox box = RenderTextBlock(canvas, linesPerPage, slot, text, textType, colours, nullptr);
    PreviewBox(*picture, box);
    if (!HasDestination() || box.IsEmpty()) {
        return 0;
    }
    const int outlineIndex =
        FindPictureIndex(*picture, colours[static_cast<size_t>(textType.outlineColorIndex & 0x0F)]);
    const int textIndex =
        FindPictureIndex(*picture, colours[static_cast<size_t>(textType.colorIndex & 0x0F)]);
    // A colour that equals the background would be an XOR with 0: nothing to send.
    const bool drawOutline = textType.HasOutline() && outlineIndex != (backgroundIndex & 0x0F);
    const bool drawText = textIndex != (backgroundIndex & 0x0F);
    uint32_t total = 0;
    for (int c = box.FirstTileColumn(); c <= box.LastTileColumn(); ++c) {
        for (int r = box.FirstTileRow(); r <= box.LastTileRow(); ++r) {
            if (drawOutline) {
                if (auto p =
                        MakeXorTile(*picture, c, r, c + 1, r + 1, outlineIndex, backgroundIndex)) {
                    total += WritePacket(*p, position + total);
                }
            }
            if (!drawText) {
                continue;
            }
            if (auto p = MakeXorTile(*picture, c, r, c + 1, r + 1, textIndex, backgroundIndex)) {
                total += WritePacket(*p, position + total);
            }
        }
    }
    return total;
}

uint32_t MRwGenerator::EraseTextBlock(int linesPerPage, int slot, const QString& text,
                                      const MTextType& textType, int backgroundIndex,
                                      uint32_t position) {
    if (text.isEmpty() || !HasDestination()) {
        return 0;
    }
    // Only the box matters here, so the text is laid out but not drawn.
    const ColorTable colours = MPicture::FixedGreys();
    MPicture picture(backgroundIndex & 0x0F, colours);
    MTextCanvas canvas(&picture);
    const MBox box =
        RenderTextBlockImpl(canvas, linesPerPage, slot, text, textType, colours, nullptr, false);
    if (box.IsEmpty()) {
        return 0;
    }
    uint32_t total = 0;
    for (int c = box.FirstTileColumn(); c <= box.LastTileColumn(); ++c) {
        for (int r = box.FirstTileRow(); r <= box.LastTileRow(); ++r) {
            total += WriteSolidTile(c + 1, r + 1, backgroundIndex, position + total);
        }
    }
    return total;
}

uint32_t MRwGenerator::SweepWord(int linesPerPage, int slot, const QString& lineText, int wordFirst,
                                 int wordLast, const MTextType& textType, int backgroundIndex,
                                 int sweepIndex, bool sweepBehind, uint32_t startPosition,
                                 uint32_t endPosition, MBox* outBox) {
    if (lineText.isEmpty()) {
        return 0;
    }
    const ColorTable colours = MPicture::FixedGreys();
    if (renderer_) {
        MTextType preview = textType;
        if (sweepBehind) {
            preview.backgroundMode = 1;
            preview.backgroundColorIndex = sweepIndex;
        } else {
            preview.colorIndex = sweepIndex;
        }
        std::unique_ptr<MPicture> picture = CreatePicture(backgroundIndex, colours);
        MTextCanvas canvas(picture.get());
        const MBox box =
            RenderLine(canvas, linesPerPage, slot, lineText, preview, colours, wordFirst, wordLast);
        // A swept word changes only its own letters, as in the stream: the box reaches into the
        // neighbouring words.
        PreviewBox(*picture, box, sweepBehind ? -1 : backgroundIndex);
        if (outBox) {
            *outBox = box;
        }
    }
    if (!HasDestination()) {
        return 0;
    }
    MTextType sweep = textType;
    sweep.outlineColorIndex = backgroundIndex;
    if (sweepBehind) {
        sweep.backgroundMode = 1;
        sweep.backgroundColorIndex = sweepIndex;
        sweep.colorIndex = backgroundIndex;
    } else {
        sweep.backgroundMode = 0;
        sweep.colorIndex = sweepIndex;
    }
    std::unique_ptr<MPicture> picture = CreatePicture(backgroundIndex, colours);
    MTextCanvas canvas(picture.get());
    const MBox box =
        RenderLine(canvas, linesPerPage, slot, lineText, sweep, colours, wordFirst, wordLast);
    const int matchIndex =
        FindPictureIndex(*picture, colours[static_cast<size_t>(sweepIndex & 0x0F)]);
    const int baseIndex = sweepBehind ? backgroundIndex : textType.colorIndex;
    std::vector<CdgPacket> packets;
    if (!box.IsEmpty()) {
        for (int c = box.FirstTileColumn(); c <= box.LastTileColumn(); ++c) {
            for (int r = box.FirstTileRow(); r <= box.LastTileRow(); ++r) {
                if (auto p = MakeXorTile(*picture, c, r, c + 1, r + 1, matchIndex, baseIndex)) {
                    packets.push_back(*p);
                }
            }
        }
    }
    const int64_t n = static_cast<int64_t>(packets.size());
    const int64_t span = static_cast<int64_t>(endPosition) - static_cast<int64_t>(startPosition);
    uint32_t total = 0;
    for (int64_t k = 0; k < n; ++k) {
        const int64_t at =
            (static_cast<int64_t>(startPosition) + k * span / n) / kPacketBytes * kPacketBytes;
        total += WritePacket(packets[static_cast<size_t>(k)],
                             static_cast<uint32_t>(std::max<int64_t>(0, at)));
    }
    return total;
}

// ---------------------------------------------------------------------------------------------
// Pages and transitions

std::unique_ptr<MPicture> MRwGenerator::FitImage(const MIndexedPicture& bitmap, int placement,
                                                 int backgroundIndex) {
    return MPageDrawer::FitImage(bitmap, placement, backgroundIndex);
}

uint32_t MRwGenerator::RunTransition(const MPicture& picture, int code, const ColorTable& colours,
                                     int backgroundIndex, uint32_t position) {
    return MTransitionWriter(*this, random_)
        .RunTransition(picture, code, colours, backgroundIndex, position);
}

uint32_t MRwGenerator::DrawImagePage(const MIndexedPicture& bitmap, int placement, int transition,
                                     const ColorTable& colours, int backgroundIndex,
                                     uint32_t position) {
    return MPageDrawer(*this).DrawImagePage(bitmap, placement, transition, colours, backgroundIndex,
                                            position);
}

uint32_t MRwGenerator::DrawImageTextPage(const MIndexedPicture& bitmap, int placement,
                                         int transition, const ColorTable& colours,
                                         int backgroundIndex, const QString& text,
                                         const MTextType& textType, uint32_t position) {
    return MPageDrawer(*this).DrawImageTextPage(bitmap, placement, transition, colours,
                                                backgroundIndex, text, textType, position);
}

uint32_t MRwGenerator::DrawTextPage(const QString& text, const MTextType& textType, int transition,
                                    int backgroundIndex, const ColorTable& colours,
                                    uint32_t position, const MTextTypeVer6* perLineTypes) {
    return MPageDrawer(*this).DrawTextPage(text, textType, transition, backgroundIndex, colours,
                                           position, perLineTypes);
}

uint32_t MRwGenerator::DrawPage(IMAGE_STRUCT& page, bool withErase, uint32_t position) {
    return MPageDrawer(*this).DrawPage(page, withErase, position);
}
