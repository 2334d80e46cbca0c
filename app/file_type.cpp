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
const char kOpenWithKey[] = ".RVX\\OpenWithProgids";
// Where a user without the right to write HKEY_CLASSES_ROOT registers for themselves alone;
// HKEY_CLASSES_ROOT shows these keys too.
const char kUserClassesKey[] = "Software\\Classes";
const char kDescription[] = "RVX Document";
const char kVerb[] = "RVXTOOL";
const wchar_t kIconFile[] = L"STATION.ico";

// GetModuleFileNameW is given this many characters; a longer path comes back cut.
constexpr DWORD kModulePathCapacity = 520;

// The ".RVX" value keeps the data length it has always had: "RVXfile", its terminator and two
// more zero bytes. Readers stop at the first terminator.
constexpr DWORD kExtensionValueBytes = 10;

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

// Writes the keys of the file type under one classes root, remembering whether the system
// refused any key or value there.
class ClassesWriter {
public:
    explicit ClassesWriter(HKEY root) : root_(root) {}

    bool Refused() const { return refused_; }

    // Reaches the key and sets its default value to `bytes` bytes of `text`; false when the key
    // could not be reached.
    bool Narrow(const char* name, const char* text, DWORD bytes) {
        HKEY key = Reach(name);
        if (key == nullptr) {
            return false;
        }
        if (!DefaultIs(key, text, bytes, false)) {
            Note(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                bytes));
        }
        RegCloseKey(key);
        return true;
    }

    bool Narrow(const char* name, const char* text) {
        return Narrow(name, text, static_cast<DWORD>(lstrlenA(text) + 1));
    }

    // Paths are stored as UTF-16 so that every folder name survives, whatever the code pages.
    bool Wide(const char* name, const std::wstring& text) {
        HKEY key = Reach(name);
        if (key == nullptr) {
            return false;
        }
        const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        if (!DefaultIs(key, text.c_str(), bytes, true)) {
            Note(RegSetValueExW(key, nullptr, 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(text.c_str()), bytes));
        }
        RegCloseKey(key);
        return true;
    }

    // An empty value named `value` in the key, as the shell's "Open with" lists expect it.
    bool EmptyValue(const char* name, const char* value) {
        HKEY key = Reach(name);
        if (key == nullptr) {
            return false;
        }
        if (RegQueryValueExA(key, value, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            Note(RegSetValueExA(key, value, 0, REG_NONE, nullptr, 0));
        }
        RegCloseKey(key);
        return true;
    }

private:
    // Opens the key, or creates it when it cannot be opened. Null when neither works.
    HKEY Reach(const char* name) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root_, name, 0, MAXIMUM_ALLOWED, &key) == ERROR_SUCCESS) {
            return key;
        }
        if (RegCreateKeyExA(root_, name, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
            ERROR_SUCCESS) {
            return key;
        }
        refused_ = true;
        return nullptr;
    }

    void Note(LONG result) { refused_ = refused_ || result != ERROR_SUCCESS; }

    HKEY root_;
    bool refused_ = false;
};

std::wstring IconPath(const std::wstring& programPath) {
    return FolderOfPath(programPath) + kIconFile;
}

std::wstring OpenCommand(const std::wstring& programPath) {
    return L"\"" + programPath + L"\" \"%1\"";
}

// The keys of the type itself, stopping at the first that can be neither opened nor created (the
// writer notes it).
void WriteProgIdKeys(ClassesWriter& writer, const std::wstring& programPath) {
    const bool havePath = !programPath.empty();
    if (!writer.Narrow(kDescriptionKey, kDescription)) {
        return;
    }
    if (havePath && !writer.Wide(kIconKey, IconPath(programPath))) {
        return;
    }
    if (!writer.Narrow(kShellKey, kVerb)) {
        return;
    }
    if (havePath) {
        writer.Wide(kCommandKey, OpenCommand(programPath));
    }
}

// Every key of the file type under `classes`; true when the system refused nothing.
bool WriteFileType(HKEY classes, const std::wstring& programPath) {
    ClassesWriter writer(classes);
    char value[kExtensionValueBytes] = {};
    lstrcpynA(value, kProgId, sizeof value);
    writer.Narrow(kExtensionKey, value, kExtensionValueBytes);
    writer.EmptyValue(kOpenWithKey, kProgId);
    WriteProgIdKeys(writer, programPath);
    return !writer.Refused();
}

}  // namespace

void RegisterRawFileType() {
    wchar_t path[kModulePathCapacity] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, kModulePathCapacity);
    // A cut path would point the shell at a program that is not there: leave the icon and the
    // command as they are.
    const bool whole = length > 0 && length < kModulePathCapacity;
    HKEY userClasses = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kUserClassesKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &userClasses, nullptr) != ERROR_SUCCESS) {
        userClasses = nullptr;
    }
    RegisterRawFileTypeUnder(HKEY_CLASSES_ROOT, userClasses,
                             whole ? std::wstring(path, length) : std::wstring());
    if (userClasses != nullptr) {
        RegCloseKey(userClasses);
    }
}

void RegisterRawFileTypeUnder(HKEY classes, HKEY userClasses, const std::wstring& programPath) {
    if (!WriteFileType(classes, programPath) && userClasses != nullptr) {
        WriteFileType(userClasses, programPath);
    }
}
