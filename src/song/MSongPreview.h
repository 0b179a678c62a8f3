#pragma once

#include <cstdint>

class MSongSettings;
class MRwRenderer;
class MKaraokeLine;

// Draws the song's lyrics pages straight into a renderer for the work modes: a whole page, or
// the lines on screen at a moment, and works out every word's box for hit-testing.
class MSongPreview {
public:
    explicit MSongPreview(MSongSettings& song) : song_(song) {}

    // Lyrics page p; selected words show swept and underlined.
    void RenderPage(MRwRenderer* renderer, int page);
    // The lines whose draw time < time < erase time.
    void RenderAtTime(MRwRenderer* renderer, int32_t time);
    // Fills every word's box.
    void LayoutWords();

private:
    template <typename Pick>
    void Render(MRwRenderer* renderer, Pick pick);

    MSongSettings& song_;
};
