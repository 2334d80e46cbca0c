// The console on Windows: wide text through the console when a stream is one (so any
// character shows, whatever the console's code page), UTF-8 with CR LF when it is redirected.
#include <windows.h>

#include "console.h"
#include "file_ops.h"
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

bool PutText(Stream stream, const std::u16string& text, std::u16string* reason) {
    const HANDLE h = Handle(stream);
    DWORD written = 0;
    DWORD size = 0;
    BOOL ok = FALSE;
    if (h == INVALID_HANDLE_VALUE || h == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);  // the stream is closed
    } else if (IsConsole(h)) {
        const std::wstring wide = rawfile::ToWide(text);
        size = static_cast<DWORD>(wide.size());
        ok = WriteConsoleW(h, wide.data(), size, &written, nullptr);
    } else {
        const std::string bytes = rawfile::Utf16ToUtf8(text);
        size = static_cast<DWORD>(bytes.size());
        ok = WriteFile(h, bytes.data(), size, &written, nullptr);
    }
    if (ok && written == size) {
        return true;
    }
    *reason = rawfile::SystemReason(ok ? ERROR_WRITE_FAULT : GetLastError());
    return false;
}

std::u16string LineEnd(Stream stream) {
    return IsConsole(Handle(stream)) ? u"\n" : u"\r\n";
}

bool IsTerminal(Stream stream) {
    return IsConsole(Handle(stream));
}

texts::Language UserLanguage() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE ? texts::Language::kChinese
                                                                     : texts::Language::kEnglish;
}

}  // namespace rvxedit
