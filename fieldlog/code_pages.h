// Legacy code pages, converted by the system (iconv on POSIX, MultiByteToWideChar on Windows).
#pragma once

#include <string>

namespace rawfile {

enum class CodePage {
    kGb18030,
    kWindows1252,
    kSystem,  // the ANSI code page on Windows; GB18030 elsewhere
};

// The code page's name as messages give it ("GB18030", "windows-1252", "code page 936").
std::u16string CodePageName(CodePage page);

// Converts `bytes` to UTF-16. False when a byte sequence is not a character of the code page.
bool DecodeCodePage(const std::string& bytes, CodePage page, std::u16string* text);

}  // namespace rawfile
