#pragma once

#include <QString>

// The program's data folder: "<prefix>/share/quilm" beside an installed program, or the source
// tree's "data" folder when the program runs from its build tree.
class DataFolder {
public:
    // Empty when neither exists.
    static QString Find();
    // What the user is told when it is missing.
    static QString MissingText();
};
