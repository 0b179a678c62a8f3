#include "audio/CheckMp3Support.h"

#include "audio/MAudioSettings.h"
#include "audio/MLameLibrary.h"
#include "base/MMessageReporter.h"

namespace {

// Shows a notice with its "don't show again" box and returns whether the box was ticked (false
// without a reporter, so that nothing is remembered).
bool Tell(MMessageReporter* reporter, const MStatus& notice, const QString& checkBox) {
    return reporter != nullptr && reporter->Report(notice, checkBox);
}

}  // namespace

bool CheckMp3Support(MLameLibrary& lame, MMessageReporter* reporter, MSettingsStore* settings,
                     bool force) {
    if (force) {
        lame.Unload();
    }
    if (!lame.IsLoaded()) {
        lame.Load();
    }
    MAudioSettings stored(settings);
    const QString library = lame.FileName();
    if (!lame.IsLoaded()) {
        if (!stored.HideMp3Message()) {
            const bool hide =
                Tell(reporter,
                     MStatus::Failure(
                         QStringLiteral("We were unable to find the MP3 encoder library \"%1\".\n"
                                        "To export MP3 files, install the libmp3lame0 package\n"
                                        "(for example with \"sudo apt install libmp3lame0\"),\n"
                                        "then start Quilm again.\n")
                             .arg(library),
                         MStatus::Icon::Information, QStringLiteral("MP3 Encoder Not Found")),
                     QStringLiteral("&Don't show me this again."));
            if (reporter != nullptr) {
                stored.SetHideMp3Message(hide);
            }
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
    if (stored.HideMp3VersionMessage()) {
        return false;
    }
    lame.Unload();
    const bool hide =
        Tell(reporter,
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
    if (reporter != nullptr) {
        stored.SetHideMp3VersionMessage(hide);
    }
    lame.Load();
    lame.Bind();
    return lame.IsComplete();
}
