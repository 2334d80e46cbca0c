#include <windows.h>

#include "code_pages.h"
#include "numbers.h"

namespace rawfile {

namespace {

UINT CodePageNumber(CodePage page) {
    switch (page) {
        case CodePage::kGb18030:
            // A system without GB18030 (Wine) still reads GBK, which the logs of Chinese
            // spreadsheets are in.
            return IsValidCodePage(54936) ? 54936 : 936;
        case CodePage::kWindows1252:
            return 1252;
        default:
            return GetACP();
    }
}

}  // namespace

std::u16string CodePageName(CodePage page) {
    switch (page) {
        case CodePage::kGb18030:
            return u"GB18030";
        case CodePage::kWindows1252:
            return u"windows-1252";
        default:
            return u"code page " + WholeNumberText(GetACP());
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

}  // namespace rawfile
