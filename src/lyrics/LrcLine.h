#pragma once

#include <QList>

#include "lyrics/LrcElement.h"

// One time-tagged line of an LRC file.
struct LrcLine {
    // Who sings the line, from a "M:", "F:" or "D:" prefix; it carries over to later lines.
    enum class Part { Male = 1, Female = 2, Duet = 3 };

    Part part = Part::Male;
    int timeHundredths = 0;     // the line's own time tag
    bool hasWordTimes = false;  // the line carried <mm:ss.xx> word time tags
    QList<LrcElement> elements;
};
