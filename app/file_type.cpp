#include "file_type.h"

#include <windows.h>

#include "win_app.h"

namespace {

const char kProgId[] = "RVXfile";
const char kExtensionKey[] = ".RVX";
const char kDescriptionKey[] = "RVXfile";
const char kIconKey[] = "RVXfile\\DefaultIcon";
const char kShellKey[] = "RVXfile\\Shell";
const char kCommandKey[] = "RVXfile\\Shell\\RVXTOOL\\Command";
const char kDescription[] = "RVX Document";
const char kVerb[] = "RVXTOOL";
const wchar_t kIconFile[] = L"STATION.ico";

// GetModuleFileNameW is given this many characters; a longer path comes back cut.
constexpr DWORD kModulePathCapacity = 520;

// The ".RVX" value keeps the data length it has always had: "RVXfile", its terminator and two
// more zero bytes. Readers stop at the first terminator.
constexpr DWORD kExtensionValueBytes = 10;

// Opens the key, or creates it when it cannot be opened. Null when neither works.
HKEY ReachKey(const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, name, 0, MAXIMUM_ALLOWED, &key) == ERROR_SUCCESS) {
        return key;
    }
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, name, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        return key;
    }
    return nullptr;
}

void SetNarrowDefault(HKEY key, const char* text, DWORD bytes) {
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

void SetNarrowDefault(HKEY key, const char* text) {
    SetNarrowDefault(key, text, static_cast<DWORD>(lstrlenA(text) + 1));
}

// Paths are stored as UTF-16 so that every folder name survives, whatever the code pages.
void SetWideDefault(HKEY key, const std::wstring& text) {
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// Reaches the key and sets its default value; false when the key could not be reached.
bool WriteNarrowKey(const char* name, const char* value) {
    HKEY key = ReachKey(name);
    if (key == nullptr) {
        return false;
    }
    SetNarrowDefault(key, value);
    RegCloseKey(key);
    return true;
}

bool WriteWideKey(const char* name, const std::wstring& value) {
    HKEY key = ReachKey(name);
    if (key == nullptr) {
        return false;
    }
    SetWideDefault(key, value);
    RegCloseKey(key);
    return true;
}

std::wstring IconPath(const std::wstring& programPath) {
    return FolderOfPath(programPath) + kIconFile;
}

std::wstring OpenCommand(const std::wstring& programPath) {
    return L"\"" + programPath + L"\" \"%1\"";
}

}  // namespace

void RegisterRawFileType() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kExtensionKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        char value[kExtensionValueBytes] = {};
        lstrcpynA(value, kProgId, sizeof value);
        SetNarrowDefault(key, value, kExtensionValueBytes);
        RegCloseKey(key);
    }

    wchar_t path[kModulePathCapacity] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, kModulePathCapacity);
    // A cut path would point the shell at a program that is not there: leave the icon and the
    // command as they are.
    const bool whole = length > 0 && length < kModulePathCapacity;
    WriteProgIdKeys(whole ? std::wstring(path, length) : std::wstring());
}

int WriteProgIdKeys(const std::wstring& programPath) {
    const bool havePath = !programPath.empty();
    if (!WriteNarrowKey(kDescriptionKey, kDescription)) {
        return 0;
    }
    if (havePath && !WriteWideKey(kIconKey, IconPath(programPath))) {
        return 0;
    }
    if (!WriteNarrowKey(kShellKey, kVerb)) {
        return 0;
    }
    if (havePath && !WriteWideKey(kCommandKey, OpenCommand(programPath))) {
        return 0;
    }
    return 1;
}
