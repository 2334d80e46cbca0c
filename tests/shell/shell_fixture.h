// What the shell-integration tests share: scratch folders holding copies of the program files,
// and reads of the registry as the shell sees it.
#pragma once

#include <windows.h>

#include <string>

namespace shell_test {

// The running test's scratch folder (emptied at the test's first call), or its sub-folder `sub`,
// made when missing; a Windows path with a trailing backslash.
std::wstring ScratchFolder(const std::wstring& sub = L"");

enum class Library { kWith, kWithout };

// Copies RVXTOOL.exe and STATION.ico (and LangDll.dll when asked) into `folder`, which is made
// when missing. Returns the copied program's path.
std::wstring InstallProgram(const std::wstring& folder, Library library);

// Copies the sample raw file into `folder` as `name`; returns its path.
std::wstring CopySample(const std::wstring& folder, const std::wstring& name = L"ABCD0861.RVX");

// Copies the English library alone into `folder`.
void CopyLibrary(const std::wstring& folder);

// Removes the file type's keys (".RVX" and "RVXfile") from HKEY_CLASSES_ROOT.
void ForgetFileType();

struct RegValue {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    std::wstring text;

    bool operator==(const RegValue& other) const {
        return status == other.status && type == other.type && bytes == other.bytes &&
               text == other.text;
    }
};

// The default value of HKEY_CLASSES_ROOT\`key`, read through the wide functions.
RegValue ReadClassDefault(const std::wstring& key);

// The default value of HKEY_CLASSES_ROOT\`key` as raw bytes, read through the narrow functions.
std::string ReadClassDefaultBytes(const std::wstring& key);

// Starts the program at `exe` with `arguments`, waits for its dialog and closes it again.
void StartAndClose(const std::wstring& exe, const std::wstring& arguments = L"");

}  // namespace shell_test
