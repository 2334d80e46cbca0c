// Which programs hold a file open, as the system's Restart Manager tells (Vista and later).
#pragma once

#include <string>

// The names of the programs that have the file at `path` open (for example "Microsoft Excel"),
// several parted by ", "; empty when the system cannot tell.
std::wstring ProgramsHolding(const std::wstring& path);
