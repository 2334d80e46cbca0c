// The loader's reference: five separate line-by-line key searches from the start of the file,
// each reading lines of at most 159 bytes as fgets does. The one-pass loader must agree with it.
#pragma once

#include <cstdio>

#include "loader.h"

namespace keysearch {

// Searches `stream` from its start for a line that starts with `key`, reading lines of at most
// 159 bytes into `line` (160 bytes). Returns 1 with the line in `line` when one is found, else 0.
int FindKeyLine(const char* key, char* line, std::FILE* stream);

// The load made of one FindKeyLine search a key.
rawfile::LoadResult LoadKeyByKey(std::FILE* stream);

// True when both loads give the same error and bit for bit the same values.
bool SameResult(const rawfile::LoadResult& a, const rawfile::LoadResult& b);

}  // namespace keysearch
