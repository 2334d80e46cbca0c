#include "change_record_path.h"

#include <windows.h>

#include "file_holders.h"
#include "text.h"

std::optional<std::u16string> ChangeRecordPath() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        return std::nullopt;
    }
    const std::wstring folder = std::wstring(buffer, n) + L"\\RVXTOOL";
    CreateDirectoryW(folder.c_str(), nullptr);  // already there, or the append reports why not
    return rawfile::FromWide(folder + L"\\changes.csv");
}

std::optional<std::u16string> RecordHeldMessage(const rawfile::FileError& error,
                                                texts::Language language) {
    const bool held = error.code == ERROR_SHARING_VIOLATION || error.code == ERROR_LOCK_VIOLATION;
    if (!held || error.op != rawfile::FileOp::kOpen || error.path != ChangeRecordPath()) {
        return std::nullopt;
    }
    const std::wstring program = ProgramsHolding(rawfile::ToWide(error.path));
    return texts::RecordHeld(error.path, rawfile::FromWide(program), language);
}
