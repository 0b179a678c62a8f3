#include "song/MSongPreview.h"

#include "cdg/MRwGenerator.h"
#include "cdg/MRwRenderer.h"
#include "song/MSongSettings.h"

template <typename Pick>
void MSongPreview::Render(MRwRenderer* renderer, Pick pick) {
    const IMAGE_STRUCT* lyrics = song_.FindPage(IMAGE_STRUCT::kLyricsPage);
    if (renderer == nullptr || lyrics == nullptr) {
        return;
    }
    MRwGenerator gen(renderer);
    gen.WriteColorTable(lyrics->Colors(), 0);
    gen.WriteMemoryPreset(lyrics->backgroundColorIndex, 0);
    gen.WriteBorderPreset(lyrics->borderColorIndex, 0);
    MTextType type = lyrics->textType;
    for (const auto& line : song_.lineList) {
        if (!pick(*line)) {
            continue;
        }
        const auto [slotCount, slot] = song_.SlotOfRow(line->row);
        const int colour = song_.LyricColour(*line);
        type.colorIndex = colour;
        gen.DrawTextBlock(slotCount, slot, line->text, type, lyrics->backgroundColorIndex, 0);
        MTextType selected = type;
        selected.styleFlags |= MTextType::kUnderline;
        for (const auto& w : line->words) {
            if (w->IsSelected()) {
                gen.SweepWord(slotCount, slot, line->text, w->firstChar, w->lastChar, selected,
                              lyrics->backgroundColorIndex, colour, song_.header.sweepMode == 1, 0,
                              0, nullptr);
            }
        }
    }
}

void MSongPreview::RenderPage(MRwRenderer* renderer, int page) {
    Render(renderer, [page](const MKaraokeLine& line) { return line.page == page; });
}

void MSongPreview::RenderAtTime(MRwRenderer* renderer, int32_t time) {
    Render(renderer, [time](const MKaraokeLine& line) {
        return line.drawTime < time && time < line.eraseTime;
    });
}

void MSongPreview::LayoutWords() {
    const IMAGE_STRUCT* lyrics = song_.FindPage(IMAGE_STRUCT::kLyricsPage);
    if (lyrics == nullptr) {
        return;
    }
    MRwRenderer scratch;
    MRwGenerator gen(&scratch);
    MTextType type = lyrics->textType;
    for (const auto& line : song_.lineList) {
        const auto [slotCount, slot] = song_.SlotOfRow(line->row);
        type.colorIndex = song_.LyricColour(*line);
        for (const auto& w : line->words) {
            MBox box;
            gen.SweepWord(slotCount, slot, line->text, w->firstChar, w->lastChar, type,
                          lyrics->backgroundColorIndex, song_.header.sweepColour,
                          song_.header.sweepMode == 1, 0, 0, &box);
            w->box[0] = box.left;
            w->box[1] = box.top;
            w->box[2] = box.right;
            w->box[3] = box.bottom;
        }
    }
}
