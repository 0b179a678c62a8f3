#include "song/MWorkWavHost.h"

#include "base/MMessageReporter.h"

void MWorkWavHost::ModifiedChanged(bool modified) {
    if (modifiedListener_) {
        modifiedListener_(modified);
    }
}

void MWorkWavHost::Report(const MStatus& message) {
    if (reporter_ != nullptr) {
        reporter_->Report(message, QString());
    }
}
