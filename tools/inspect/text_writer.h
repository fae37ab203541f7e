// Writes a report as readable text: the file and its kind, the summary indented below, then
// "valid" or one "problem:" line per problem.
#pragma once

#include <string>

#include "tools/inspect/report.h"

std::string TextReport(const FileReport& report);
