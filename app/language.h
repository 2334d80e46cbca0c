// The interface language library that lies beside the program.
#pragma once

#include <windows.h>

#include <string>

constexpr wchar_t kLanguageLibraryName[] = L"LangDll.dll";

// The full path of `fileName` in the running program's own folder; empty when the program's
// path cannot be read.
std::wstring PathBesideProgram(const wchar_t* fileName);

// Loads the language library from the program's folder as resources only (no code of it ever
// runs); null when it is not there or cannot be loaded.
HMODULE LoadLanguageLibrary();
