#pragma once

#include <QString>

#include "base/MStatus.h"

// What the song project needs of the application around it: where the work WAV is, a way to
// show the modified state, and a way to tell the user something. The application and
// quilm-cli each provide one.
class MSongHost {
public:
    virtual ~MSongHost() = default;
    // The work WAV that audio operations use; empty when there is no music.
    virtual QString WorkWavPath() const = 0;
    // The work WAV moved (a private copy replaced the user's own file).
    virtual void SetWorkWavPath(const QString& path) = 0;
    virtual void ModifiedChanged(bool modified) { (void)modified; }
    // A message for the user, with its icon; the operation goes on.
    virtual void Report(const MStatus& message) { (void)message; }
};
