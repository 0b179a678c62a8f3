// The export choices: stored keys and defaults, and the bit rate the dialog selects.

#include <gtest/gtest.h>

#include "base/MMemorySettings.h"
#include "export/MExportSettings.h"

TEST(ExportSettings, StoredUnderTheirKeysWithDefaults) {
    MMemorySettings store;
    MExportSettings s = MExportSettings::Load(store, true);
    EXPECT_EQ(s.type, MExportSettings::kBin);
    EXPECT_FALSE(s.zip);
    EXPECT_EQ(s.wmaRatioKbps, 128);
    EXPECT_EQ(s.mp3RatioKbps, 128);

    s.type = MExportSettings::kMp3;
    s.zip = true;
    s.wmaRatioKbps = 96;
    s.SetRatioKbps(320);
    s.Save(store);
    EXPECT_EQ(store.values, (QMap<QString, int>{{"Settings/ExportType", 2},
                                                {"Settings/ExportZip", 1},
                                                {"Settings/ExportRatioWMA", 96},
                                                {"Settings/ExportRatioMP3", 320},
                                                {"Settings/ExportLRC", 0},
                                                {"Settings/ExportVideoHeight", 720},
                                                {"Settings/ExportVideoFPS", 30}}));
    EXPECT_EQ(MExportSettings::Load(store, true).RatioKbps(), 320);
    // Without MP3 encoding, MP3+G becomes WMA+G; a type from nowhere becomes BIN.
    EXPECT_EQ(MExportSettings::Load(store, false).type, MExportSettings::kWma);
    store.values["Settings/ExportType"] = 7;
    EXPECT_EQ(MExportSettings::Load(store, true).type, MExportSettings::kBin);
    // The video and lyric choices come back; values never offered become the defaults.
    store.values["Settings/ExportType"] = 3;
    store.values["Settings/ExportLRC"] = 2;
    store.values["Settings/ExportVideoHeight"] = 1080;
    store.values["Settings/ExportVideoFPS"] = 29;
    s = MExportSettings::Load(store, true);
    EXPECT_EQ(s.type, MExportSettings::kMp4);
    EXPECT_EQ(s.lrc, 2);
    EXPECT_EQ(s.videoHeight, 1080);
    EXPECT_EQ(s.videoFps, 30);
}

TEST(ExportSettings, RatioListsAndTheEntrySelected) {
    EXPECT_EQ(MExportSettings::RatiosKbps(MExportSettings::kWma),
              (std::vector<int>{192, 160, 128, 96}));
    EXPECT_EQ(MExportSettings::RatiosKbps(MExportSettings::kMp3).size(), 15u);
    EXPECT_TRUE(MExportSettings::RatiosKbps(MExportSettings::kBin).empty());
    EXPECT_EQ(MExportSettings::RatioText(192), "192k");
    EXPECT_EQ(MExportSettings::RatioFromText("192k"), 192);
    EXPECT_EQ(MExportSettings::RatioFromText("k"), 0);

    // The last entry at least as high as the wanted rate, else the first.
    EXPECT_EQ(MExportSettings::OfferedRatio(MExportSettings::kWma, 128), 128);
    EXPECT_EQ(MExportSettings::OfferedRatio(MExportSettings::kWma, 144), 160);
    EXPECT_EQ(MExportSettings::OfferedRatio(MExportSettings::kWma, 320), 192);
    EXPECT_EQ(MExportSettings::OfferedRatio(MExportSettings::kWma, 32), 96);
    EXPECT_EQ(MExportSettings::OfferedRatio(MExportSettings::kMp3, 150), 160);
    EXPECT_EQ(MExportSettings::OfferedRatio(MExportSettings::kBin, 128), 0);
    EXPECT_EQ(MExportSettings::RatioIndex({}, 128), -1);
}
