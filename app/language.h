// The interface language library that lies beside the program.
#pragma once

#include <windows.h>

constexpr wchar_t kLanguageLibraryName[] = L"LangDll.dll";

// Loads the language library from the program's folder as resources only (no code of it ever
// runs); null when it is not there or cannot be loaded.
HMODULE LoadLanguageLibrary();
