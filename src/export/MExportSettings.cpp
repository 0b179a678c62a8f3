#include "export/MExportSettings.h"

#include <algorithm>

#include "base/MSettingsStore.h"

namespace {

bool Offered(const std::vector<int>& values, int value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace

MExportSettings MExportSettings::Load(MSettingsStore& store, bool mp3Available) {
    const QString section = QString::fromLatin1(kSection);
    MExportSettings s;
    s.type = store.ReadInt(section, QString::fromLatin1(kTypeKey), kBin);
    if (s.type != kBin && s.type != kWma && s.type != kMp3 && s.type != kMp4) {
        s.type = kBin;
    }
    if (s.type == kMp3 && !mp3Available) {
        s.type = kWma;
    }
    s.zip = store.ReadInt(section, QString::fromLatin1(kZipKey), 0) != 0;
    s.wmaRatioKbps = store.ReadInt(section, QString::fromLatin1(kWmaRatioKey), kDefaultRatioKbps);
    s.mp3RatioKbps = store.ReadInt(section, QString::fromLatin1(kMp3RatioKey), kDefaultRatioKbps);
    s.lrc = std::clamp(store.ReadInt(section, QString::fromLatin1(kLrcKey), 0), 0, 2);
    s.videoHeight =
        store.ReadInt(section, QString::fromLatin1(kVideoHeightKey), kDefaultVideoHeight);
    if (!Offered(VideoHeights(), s.videoHeight)) {
        s.videoHeight = kDefaultVideoHeight;
    }
    s.videoFps = store.ReadInt(section, QString::fromLatin1(kVideoFpsKey), kDefaultVideoFps);
    if (!Offered(VideoFrameRates(), s.videoFps)) {
        s.videoFps = kDefaultVideoFps;
    }
    return s;
}

void MExportSettings::Save(MSettingsStore& store) const {
    const QString section = QString::fromLatin1(kSection);
    store.WriteInt(section, QString::fromLatin1(kTypeKey), type);
    store.WriteInt(section, QString::fromLatin1(kZipKey), zip ? 1 : 0);
    store.WriteInt(section, QString::fromLatin1(kWmaRatioKey), wmaRatioKbps);
    store.WriteInt(section, QString::fromLatin1(kMp3RatioKey), mp3RatioKbps);
    store.WriteInt(section, QString::fromLatin1(kLrcKey), lrc);
    store.WriteInt(section, QString::fromLatin1(kVideoHeightKey), videoHeight);
    store.WriteInt(section, QString::fromLatin1(kVideoFpsKey), videoFps);
}

int MExportSettings::RatioKbps() const {
    return type == kWma ? wmaRatioKbps : type == kMp3 ? mp3RatioKbps : 0;
}

void MExportSettings::SetRatioKbps(int kbps) {
    if (type == kWma) {
        wmaRatioKbps = kbps;
    } else if (type == kMp3) {
        mp3RatioKbps = kbps;
    }
}

std::vector<int> MExportSettings::RatiosKbps(int type) {
    if (type == kWma) {
        return {192, 160, 128, 96};
    }
    if (type == kMp3) {
        return {320, 256, 224, 192, 160, 144, 128, 112, 96, 80, 64, 56, 48, 40, 32};
    }
    return {};
}

QString MExportSettings::RatioText(int kbps) {
    return QString::number(kbps) + QLatin1Char('k');
}

int MExportSettings::RatioFromText(const QString& text) {
    int digits = 0;
    while (digits < text.size() && text[digits].isDigit()) {
        ++digits;
    }
    return text.left(digits).toInt();
}

int MExportSettings::RatioIndex(const std::vector<int>& ratios, int r) {
    if (ratios.empty()) {
        return -1;
    }
    int chosen = 0;
    for (size_t i = 0; i < ratios.size(); ++i) {
        if (ratios[i] >= r) {
            chosen = static_cast<int>(i);
        }
    }
    return chosen;
}

int MExportSettings::OfferedRatio(int type, int r) {
    const std::vector<int> ratios = RatiosKbps(type);
    const int i = RatioIndex(ratios, r);
    return i < 0 ? 0 : ratios[static_cast<size_t>(i)];
}

QString MExportSettings::TypeExtension(int type) {
    return type == kWma   ? QStringLiteral("wma")
           : type == kMp3 ? QStringLiteral("mp3")
           : type == kMp4 ? QStringLiteral("mp4")
                          : QStringLiteral("bin");
}
