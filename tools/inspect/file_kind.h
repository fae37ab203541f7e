// Inspecting a file named on the command line: its kind comes from its extension and, where two
// kinds share one (".kdt", ".txt"), from its contents and the files beside it.
#pragma once

#include <string>

#include "tools/inspect/report.h"

FileReport InspectFile(const std::string& path);
