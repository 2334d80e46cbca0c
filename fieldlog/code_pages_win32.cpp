#include <windows.h>

#include "code_pages.h"
#include "numbers.h"

namespace rawfile {

namespace {

UINT CodePageNumber(CodePage page) {
    // A system without GB18030 (Wine) still reads GBK, which the logs of Chinese spreadsheets
    // are in.
    if (page == CodePage::kGb18030) {
        return IsValidCodePage(54936) ? 54936 : 936;
    }
    return GetACP();
}

}  // namespace

std::u16string CodePageName(CodePage page) {
    const UINT cp = CodePageNumber(page);
    switch (cp) {
        case 54936:
            return u"GB18030";
        case 936:
            return u"GBK";
        case 1252:
            return u"windows-1252";
        case 65001:
            return u"UTF-8";
        default:
            return u"code page " + WholeNumberText(cp);
    }
}

bool DecodeCodePage(const std::string& bytes, CodePage page, std::u16string* text) {
    if (bytes.empty()) {
        text->clear();
        return true;
    }
    const UINT cp = CodePageNumber(page);
    // Code page 1252 takes no flags; the others refuse bytes that are no character.
    const DWORD flags = cp == 1252 ? 0 : MB_ERR_INVALID_CHARS;
    const int size = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(cp, flags, bytes.data(), size, nullptr, 0);
    if (units <= 0) {
        return false;
    }
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    if (MultiByteToWideChar(cp, flags, bytes.data(), size, &wide[0], units) != units) {
        return false;
    }
    text->assign(wide.begin(), wide.end());
    return true;
}

Script SystemScript() {
    switch (GetACP()) {
        case 936:
        case 54936:
            return Script::kChinese;
        case 1252:
        case 28591:
        case 28605:
            return Script::kLatin;
        case 65001:
            return Script::kNone;
        default:
            return Script::kOther;
    }
}

Script DetectedScript(const std::string&) {
    return Script::kNone;
}

}  // namespace rawfile
