// Opening a data file for reading without ever waiting on it. A data folder can come from an
// archive or a download: a named pipe, a device or a folder where a data file belongs would
// make a plain open wait for a writer that never comes, or read something that is no file.
// Such a name is refused here exactly as a missing file is.
#pragma once

#include <cstdio>
#include <string>

// A descriptor of `path` open for reading, or -1 when it cannot be opened or is not a regular
// file (a symbolic link to one is fine). The open itself never blocks; the descriptor returned
// blocks as usual.
int OpenRegularFile(const std::string& path);
// The same as a binary stdio stream, or null.
std::FILE* OpenRegularStream(const std::string& path);
// True when OpenRegularFile would succeed.
bool IsReadableRegularFile(const std::string& path);
