#include "song/MPageGraphicEditor.h"

#include "cdg/IMAGE_STRUCT.h"
#include "song/MSongSettings.h"
#include "song/MSongSettingsRules.h"

MStatus MPageGraphicEditor::Load(MSongSettings& song, IMAGE_STRUCT& page, const QString& path) {
    MBitmap loaded;
    if (MStatus s = loaded.LoadImage(path); !s) {
        return s;
    }
    for (int i = kFirstKeptEntry; i < 16; ++i) {
        loaded.SetColour(i, page.picture.Colour(i));
    }
    page.picture = loaded;
    page.hasGraphic = true;
    if (page.pageId == IMAGE_STRUCT::kLyricsPage) {
        page.textArea = kLyricsTextArea;
        MSongSettingsRules::ClampLinesPerPage(song);
    }
    return MStatus::Ok();
}

void MPageGraphicEditor::Remove(MSongSettings& song, IMAGE_STRUCT& page) {
    MBitmap empty;
    empty.colourTable = page.picture.colourTable;
    page.picture = empty;
    page.hasGraphic = false;
    page.backgroundColorIndex = 15;
    page.borderColorIndex = 11;
    page.textType.colorIndex = 12;
    page.textType.outlineColorIndex = 13;
    if (page.pageId == IMAGE_STRUCT::kLyricsPage) {
        page.textArea = 0;
        page.singerColors = MTextTypeVer5(12, 9, 10);
        MSongSettingsRules::ClampLinesPerPage(song);
    } else {
        page.perLineTypes.Clear();
    }
}
