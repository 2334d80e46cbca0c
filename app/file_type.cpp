#include "file_type.h"

#include <windows.h>

#include <cstring>

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

// The longest value written: the open command, for a program path of 519 characters, in UTF-16.
constexpr DWORD kLongestValueBytes = 2048;

// True when the key's default value already is a REG_SZ of exactly these bytes, as the narrow
// (`wide` false) or the wide registry functions read it. Such a value is not written again, so a
// start that changes nothing writes nothing; a key that may not be read is written as before.
bool DefaultIs(HKEY key, const void* data, DWORD bytes, bool wide) {
    BYTE current[kLongestValueBytes];
    DWORD type = 0;
    DWORD size = sizeof current;
    const LONG rc = wide ? RegQueryValueExW(key, nullptr, nullptr, &type, current, &size)
                         : RegQueryValueExA(key, nullptr, nullptr, &type, current, &size);
    return rc == ERROR_SUCCESS && type == REG_SZ && size == bytes &&
           std::memcmp(current, data, bytes) == 0;
}

// Reaches the key and sets its default value to `bytes` bytes of `text`; false when the key could
// not be reached.
bool WriteNarrowKey(const char* name, const char* text, DWORD bytes) {
    HKEY key = ReachKey(name);
    if (key == nullptr) {
        return false;
    }
    if (!DefaultIs(key, text, bytes, false)) {
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
    }
    RegCloseKey(key);
    return true;
}

bool WriteNarrowKey(const char* name, const char* text) {
    return WriteNarrowKey(name, text, static_cast<DWORD>(lstrlenA(text) + 1));
}

// Paths are stored as UTF-16 so that every folder name survives, whatever the code pages.
bool WriteWideKey(const char* name, const std::wstring& text) {
    HKEY key = ReachKey(name);
    if (key == nullptr) {
        return false;
    }
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    if (!DefaultIs(key, text.c_str(), bytes, true)) {
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    }
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
    char value[kExtensionValueBytes] = {};
    lstrcpynA(value, kProgId, sizeof value);
    WriteNarrowKey(kExtensionKey, value, kExtensionValueBytes);

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
