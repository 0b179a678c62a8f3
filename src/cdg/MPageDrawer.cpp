#include "cdg/MPageDrawer.h"

#include "cdg/MRwGenerator.h"
#include "cdg/MTextCanvas.h"

std::unique_ptr<MPicture> MPageDrawer::FitImage(const MIndexedPicture& bitmap, int placement,
                                                int backgroundIndex) {
    auto picture = MRwGenerator::CreatePicture(backgroundIndex, bitmap.colours);
    const int w = bitmap.width;
    const int h = bitmap.height;
    if (w <= 0 || h <= 0) {
        return picture;
    }
    const auto blit = [&](int left, int top) {
        for (int y = std::max(0, top); y < std::min(MPicture::kHeight, top + h); ++y) {
            for (int x = std::max(0, left); x < std::min(MPicture::kWidth, left + w); ++x) {
                picture->SetPixel(x, y, bitmap.At(x - left, y - top));
            }
        }
    };
    if (placement == 4 || w > MPicture::kWidth || h > MPicture::kHeight) {
        for (int y = 0; y < MPicture::kHeight; ++y) {
            for (int x = 0; x < MPicture::kWidth; ++x) {
                picture->SetPixel(x, y,
                                  bitmap.At(x * w / MPicture::kWidth, y * h / MPicture::kHeight));
            }
        }
    } else if (placement == 3) {
        for (int i = 0; i <= MPicture::kWidth / w; ++i) {
            for (int j = 0; j <= MPicture::kHeight / h; ++j) {
                blit(w * i, h * j);
            }
        }
    } else if (placement == 1) {
        blit((MPicture::kWidth - w) / 2, (MPicture::kHeight - h) / 2);
    } else if (placement == 0) {
        blit((MPicture::kWidth - w) / 2, 0);
    } else if (placement == 2) {
        blit((MPicture::kWidth - w) / 2, MPicture::kHeight - h);
    }
    return picture;
}

void MPageDrawer::Preview(const MPicture& picture, int tileRows) {
    if (gen_.PreviewRenderer() == nullptr) {
        return;
    }
    gen_.PreviewBox(picture,
                    MBox{0, 0, MPicture::kWidth, std::min(MPicture::kHeight, tileRows * 12)});
}

uint32_t MPageDrawer::DrawImagePage(const MIndexedPicture& bitmap, int placement, int transition,
                                    const MPicture::ColourTable& colours, int backgroundIndex,
                                    uint32_t position) {
    const auto picture = FitImage(bitmap, placement, backgroundIndex);
    Preview(*picture, gen_.PictureHeight() * 16 / 100);
    if (!gen_.HasDestination()) {
        return 0;
    }
    return gen_.RunTransition(*picture, transition, colours, backgroundIndex, position);
}

uint32_t MPageDrawer::DrawImageTextPage(const MIndexedPicture& bitmap, int placement,
                                        int transition, const MPicture::ColourTable& colours,
                                        int backgroundIndex, const QString& text,
                                        const MTextType& textType, uint32_t position) {
    const auto picture = FitImage(bitmap, placement, backgroundIndex);
    MTextCanvas canvas(picture.get());
    gen_.RenderTextBlock(canvas, 1, 0, text, textType, picture->Colours(), nullptr);
    Preview(*picture, CdgScreen::kPictureRows);
    if (!gen_.HasDestination()) {
        return 0;
    }
    return gen_.RunTransition(*picture, transition, colours, backgroundIndex, position);
}

uint32_t MPageDrawer::DrawTextPage(const QString& text, const MTextType& textType, int transition,
                                   int backgroundIndex, const MPicture::ColourTable& colours,
                                   uint32_t position, const MTextTypeVer6* perLineTypes) {
    const auto picture = MRwGenerator::CreatePicture(backgroundIndex, colours);
    if (!text.isEmpty()) {
        MTextCanvas canvas(picture.get());
        gen_.RenderTextBlock(canvas, 1, 0, text, textType, colours, perLineTypes);
    }
    Preview(*picture, CdgScreen::kPictureRows);
    if (!gen_.HasDestination()) {
        return 0;
    }
    return gen_.RunTransition(*picture, transition, colours, backgroundIndex, position);
}

uint32_t MPageDrawer::DrawPage(IMAGE_STRUCT& page, bool withErase, uint32_t position) {
    const MPicture::ColourTable colours = page.Colors();
    gen_.SeedRandom(page.RandomSeed());
    uint32_t total = 0;
    for (int run = 0; run < 2; ++run) {
        total += gen_.WriteColorTable(colours, position + total);
        total += gen_.WriteMemoryPreset(page.backgroundColorIndex, position + total);
        total += gen_.WriteBorderPreset(page.borderColorIndex, position + total);
    }
    if (page.hasGraphic) {
        const std::unique_ptr<MIndexedPicture> bitmap = page.picture.ToDib(page.ditherAmount);
        if (!bitmap) {
            return 0;
        }
        if (!page.text.isEmpty()) {
            total += DrawImageTextPage(*bitmap, page.placement, page.drawTransition, colours,
                                       page.backgroundColorIndex, page.text, page.textType,
                                       position + total);
        } else {
            total += DrawImagePage(*bitmap, page.placement, page.drawTransition, colours,
                                   page.backgroundColorIndex, position + total);
        }
    } else {
        total +=
            DrawTextPage(page.text, page.textType, page.drawTransition, page.backgroundColorIndex,
                         colours, position + total, &page.perLineTypes);
    }
    // The page stays for its display time: 72 bytes (3 packets) per 10 ms of untouched stream.
    total += static_cast<uint32_t>(std::max(0, page.displayTime)) * 441u / 147u * 24u;
    if (withErase) {
        total +=
            DrawTextPage(QString(), page.textType, page.eraseTransition, page.backgroundColorIndex,
                         colours, position + total, &page.perLineTypes);
    }
    return total;
}
