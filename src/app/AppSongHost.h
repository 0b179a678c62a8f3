#pragma once

#include <functional>
#include <memory>

#include "audio/MMusicImport.h"
#include "song/MSongHost.h"

// The song's surroundings in the program: the music import that owns the work WAV, and the
// window told when the modified state changes or a message must be shown.
class AppSongHost : public MSongHost {
public:
    AppSongHost() : import_(std::make_unique<MMusicImport>()) {}

    QString WorkWavPath() const override { return import_->WorkWavPath(); }
    void SetWorkWavPath(const QString& path) override { import_->SetWorkWavPath(path); }
    void ModifiedChanged(bool modified) override {
        if (onModified) {
            onModified(modified);
        }
    }
    void Report(const MStatus& message) override {
        if (onReport) {
            onReport(message);
        }
    }

    MMusicImport& Import() { return *import_; }
    // Forgets the music and the work WAV.
    void ForgetMusic() { import_ = std::make_unique<MMusicImport>(); }

    std::function<void(bool)> onModified;
    std::function<void(const MStatus&)> onReport;

private:
    std::unique_ptr<MMusicImport> import_;
};
