#pragma once

#include <QString>

#include "base/MStatus.h"

class MSongDocument;

// Opens a project into document as the application does, for a command of quilm-cli: the
// message of a failure names the file and fits on one line.
MStatus OpenCliProject(MSongDocument& document, const QString& path);
