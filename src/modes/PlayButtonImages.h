#pragma once

#include <QIcon>

// The pictures of the Adjust Lyrics play buttons: Audition Play idle, auditioning, and while
// Adjust Play runs; Adjust Play running, ready, and disabled. The pictures for a button that
// cannot act take the menu colour as their background.
class PlayButtonImages {
public:
    enum Image {
        kAuditionIdle,
        kAuditionPlaying,
        kAuditionDuringAdjust,
        kAdjustPlaying,
        kAdjustReady,
        kAdjustDisabled,
        kImageCount
    };

    static QIcon Make(Image image);
};
