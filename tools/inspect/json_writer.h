// Writes a report as one JSON document on one line.
#pragma once

#include <string>

#include "tools/inspect/report.h"
#include "tools/inspect/value.h"

// A JSON string literal: quotes, backslashes and control characters escaped; bytes that are not
// UTF-8 are taken as Latin-1 and written as \u00XX, so the output is always valid UTF-8.
std::string JsonString(const std::string& text);
std::string JsonValue(const Value& value);
// {"file":..., "kind":..., "valid":..., "problems":[...], "notes":[...], "summary":{...}}
std::string JsonReport(const FileReport& report);
