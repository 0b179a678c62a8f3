#include "base/MStatus.h"
