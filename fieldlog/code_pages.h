// Legacy code pages, converted by the system (iconv on POSIX, MultiByteToWideChar on Windows),
// the system's own code page, and the system's statistical detector of character sets.
#pragma once

#include <string>

#include "code_page_check.h"

namespace rawfile {

enum class CodePage {
    kGb18030,
    kSystem,  // the ANSI code page on Windows; the locale's character set on POSIX
};

// The code page's name as messages give it ("GB18030", "GBK", "code page 1251", "ISO-8859-15").
std::u16string CodePageName(CodePage page);

// Converts `bytes` to UTF-16. False when a byte sequence is not a character of the code page.
bool DecodeCodePage(const std::string& bytes, CodePage page, std::u16string* text);

// The script of the system's own code page: kNone where the system's text is UTF-8 (or plain
// ASCII, as in the "C" locale).
Script SystemScript();

// The script the system's detector names for `bytes` (uchardet on POSIX); kNone without an
// answer, and always on Windows, which has none.
Script DetectedScript(const std::string& bytes);

}  // namespace rawfile
