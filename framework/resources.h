// The module whose resources the program's windows, strings and icons come from. It starts as
// the program itself and may be switched to a resource-only library (the interface language).
#pragma once

#include <windows.h>

#include <string>

// The running program's own module.
HINSTANCE AfxGetInstanceHandle();

// The module resources are taken from first.
HINSTANCE AfxGetResourceHandle();

// Makes `module` the first source of resources; null restores the program itself.
void AfxSetResourceHandle(HINSTANCE module);

// The module that holds resource `id` of `type`: the resource module when it has it, else the
// program itself (a language library that lacks a resource falls back to the built-in one).
HINSTANCE AfxFindResourceHandle(LPCWSTR id, LPCWSTR type);

// String resource `id`, or empty when neither module has it.
std::wstring LoadResString(UINT id);

// Icon resource `id` at `size` x `size` pixels (its nearest image, scaled if need be); null when
// neither module has it. The caller destroys it.
HICON LoadResIconAt(UINT id, int size);
