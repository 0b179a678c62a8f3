#pragma once

#include <QString>

#include "base/MStatus.h"

class MSongDocument;
class MSongSettings;

// Opens a project into document as the application does, for a command of quilm-cli: the
// message of a failure names the file and fits on one line.
MStatus OpenCliProject(MSongDocument& document, const QString& path);

// Why the song cannot be rendered or exported yet, after its line list was made: no lyrics, or
// words without times; empty when it can.
QString CliUnfinishedReason(const MSongSettings& song);
