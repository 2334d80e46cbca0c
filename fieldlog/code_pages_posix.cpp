#include <iconv.h>

#include <cerrno>
#include <vector>

#include "code_pages.h"

namespace rawfile {

std::u16string CodePageName(CodePage page) {
    return page == CodePage::kWindows1252 ? u"windows-1252" : u"GB18030";
}

bool DecodeCodePage(const std::string& bytes, CodePage page, std::u16string* text) {
    iconv_t cd =
        iconv_open("UTF-16LE", page == CodePage::kWindows1252 ? "WINDOWS-1252" : "GB18030");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    // Every byte gives at most one character, each at most a surrogate pair.
    std::vector<char> out(bytes.size() * 4 + 4);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    const bool ok =
        iconv(cd, &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
    iconv_close(cd);
    if (!ok) {
        return false;
    }
    const std::size_t units = (out.size() - outLeft) / 2;
    text->assign(units, u'\0');
    for (std::size_t i = 0; i < units; ++i) {
        (*text)[i] = static_cast<char16_t>(static_cast<unsigned char>(out[2 * i]) |
                                           static_cast<unsigned char>(out[2 * i + 1]) << 8);
    }
    return true;
}

}  // namespace rawfile
