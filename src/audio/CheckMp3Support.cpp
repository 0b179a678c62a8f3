#include "audio/CheckMp3Support.h"

#include "audio/MAudioSettings.h"
#include "audio/MLameLibrary.h"
#include "audio/MMessageReporter.h"

namespace {

const QString kSection = QStringLiteral("Default");
const QString kHideMissing = QStringLiteral("HideMP3Message");
const QString kHideOld = QStringLiteral("HideMP3VersionMessage");

bool IsHidden(MAudioSettings* settings, const QString& key) {
    return settings != nullptr && settings->ReadInt(kSection, key, 0) != 0;
}

// Shows a notice with its "don't show again" box and remembers the box.
void Tell(MMessageReporter* reporter, MAudioSettings* settings, const QString& key,
          const MStatus& notice, const QString& checkBox) {
    if (reporter == nullptr) {
        return;
    }
    const bool hide = reporter->Report(notice, checkBox);
    if (settings != nullptr) {
        settings->WriteInt(kSection, key, hide ? 1 : 0);
    }
}

}  // namespace

bool CheckMp3Support(MLameLibrary& lame, MMessageReporter* reporter, MAudioSettings* settings,
                     bool force) {
    if (force) {
        lame.Unload();
    }
    if (!lame.IsLoaded()) {
        lame.Load();
    }
    const QString library = lame.FileName();
    if (!lame.IsLoaded()) {
        if (!IsHidden(settings, kHideMissing)) {
            Tell(reporter, settings, kHideMissing,
                 MStatus::Failure(
                     QStringLiteral("We were unable to find the MP3 encoder library \"%1\".\n"
                                    "To export MP3 files, install the libmp3lame0 package\n"
                                    "(for example with \"sudo apt install libmp3lame0\"),\n"
                                    "then start Quilm again.\n")
                         .arg(library),
                     MStatus::Icon::Information, QStringLiteral("MP3 Encoder Not Found")),
                 QStringLiteral("&Don't show me this again."));
            lame.Load();
        }
        if (!lame.IsLoaded()) {
            return false;
        }
    }
    lame.Bind();
    if (lame.IsComplete()) {
        return true;
    }
    if (IsHidden(settings, kHideOld)) {
        return false;
    }
    lame.Unload();
    Tell(reporter, settings, kHideOld,
         MStatus::Failure(
             QStringLiteral("A \"%1\" was found on your system that does not include\n"
                            "support for all of the features that Quilm requires. If you\n"
                            "keep your current \"%1\", you will not have MP3 support\n"
                            "in Quilm.\n\n"
                            "Install the libmp3lame0 package of your distribution to get\n"
                            "a complete MP3 encoder.\n\n"
                            "Without the proper level of MP3 support, MP3+G export\n"
                            "will not be available.\n")
                 .arg(library),
             MStatus::Icon::Warning, QStringLiteral("MP3 Support Not Found")),
         QStringLiteral("&Don't show this message again."));
    lame.Load();
    lame.Bind();
    return lame.IsComplete();
}
