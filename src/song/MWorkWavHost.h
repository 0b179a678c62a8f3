#pragma once

#include <functional>

#include "audio/MMusicImport.h"
#include "song/MSongHost.h"

class MMessageReporter;

// The song's surroundings as the application and quilm-cli have them: the work WAV of the
// project's music (imported by import), and messages shown through a reporter (none: unseen).
class MWorkWavHost : public MSongHost {
public:
    explicit MWorkWavHost(MMessageReporter* reporter = nullptr) : reporter_(reporter) {}

    QString WorkWavPath() const override { return import.WorkWavPath(); }
    void SetWorkWavPath(const QString& path) override { import.SetWorkWavPath(path); }
    void ModifiedChanged(bool modified) override;
    void Report(const MStatus& message) override;

    // Called with every change of the modified state.
    void SetModifiedListener(std::function<void(bool)> listener) {
        modifiedListener_ = std::move(listener);
    }

    MMusicImport import;

private:
    MMessageReporter* reporter_;
    std::function<void(bool)> modifiedListener_;
};
