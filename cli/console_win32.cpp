// The console on Windows: wide text through the console when a stream is one (so any
// character shows, whatever the console's code page), UTF-8 with CR LF when it is redirected.
#include <windows.h>

#include "console.h"
#include "text.h"

namespace rvxedit {

namespace {

HANDLE Handle(Stream stream) {
    return GetStdHandle(stream == Stream::kOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool IsConsole(HANDLE h) {
    DWORD mode = 0;
    return h != INVALID_HANDLE_VALUE && h != nullptr && GetFileType(h) == FILE_TYPE_CHAR &&
           GetConsoleMode(h, &mode) != 0;
}

}  // namespace

void WriteRaw(Stream stream, const std::u16string& text) {
    const HANDLE h = Handle(stream);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) {
        return;
    }
    DWORD written = 0;
    if (IsConsole(h)) {
        const std::wstring wide = rawfile::ToWide(text);
        WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    const std::string bytes = rawfile::Utf16ToUtf8(text);
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void WriteLine(Stream stream, const std::u16string& line) {
    WriteRaw(stream, line + (IsConsole(Handle(stream)) ? u"\n" : u"\r\n"));
}

bool IsTerminal(Stream stream) {
    return IsConsole(Handle(stream));
}

texts::Language UserLanguage() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE ? texts::Language::kChinese
                                                                     : texts::Language::kEnglish;
}

}  // namespace rvxedit
