// Functions that only newer versions of Windows have, looked up while the program runs so that
// it still starts on the oldest version it supports.
#pragma once

#include <windows.h>

// Function `name` of `module` as a pointer of type Function; null when either is missing.
template <typename Function>
Function FunctionOf(HMODULE module, const char* name) {
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Function `name` of the system DLL `module` (already loaded), or null where it is missing.
template <typename Function>
Function NewerSystemFunction(const wchar_t* module, const char* name) {
    return FunctionOf<Function>(GetModuleHandleW(module), name);
}

// Function `name` of the system DLL `module`, loaded at the first call and then kept: a DLL the
// program needs only for some commands is not loaded at its start. Null when either is missing.
template <typename Function>
Function LaterSystemFunction(const wchar_t* module, const char* name) {
    return FunctionOf<Function>(LoadLibraryW(module), name);
}
