#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <uchardet.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "code_pages.h"

namespace rawfile {

namespace {

// The character set of the user's locale (LC_ALL, LC_CTYPE, LANG), read without changing the
// program's own locale; "ANSI_X3.4-1968" (ASCII) when the environment names none.
std::string LocaleCharset() {
    const locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) {
        return "ANSI_X3.4-1968";
    }
    std::string name = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    return name;
}

// The iconv name of a code page.
std::string IconvName(CodePage page) {
    if (page == CodePage::kGb18030) {
        return "GB18030";
    }
    const std::string charset = LocaleCharset();
    return ScriptOfCharset(charset) == Script::kNone ? "UTF-8" : charset;
}

// Central European and other Latin character sets the detector names for Western text it
// cannot place more closely.
bool IsLatinFamily(const std::string& name) {
    static const char* const kNames[] = {
        "ISO-8859-2",   "ISO-8859-3",   "ISO-8859-4",        "ISO-8859-9",   "ISO-8859-10",
        "ISO-8859-13",  "ISO-8859-14",  "ISO-8859-16",       "WINDOWS-1250", "WINDOWS-1254",
        "WINDOWS-1257", "WINDOWS-1258", "MAC-CENTRALEUROPE", "IBM852"};
    return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

}  // namespace

std::u16string CodePageName(CodePage page) {
    const std::string name = IconvName(page);
    return std::u16string(name.begin(), name.end());
}

bool DecodeCodePage(const std::string& bytes, CodePage page, std::u16string* text) {
    iconv_t cd = iconv_open("UTF-16LE", IconvName(page).c_str());
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

Script SystemScript() {
    return ScriptOfCharset(LocaleCharset());
}

Script DetectedScript(const std::string& bytes) {
    // The detector settles within the first few hundred kilobytes of any text.
    constexpr std::size_t kEnough = 256u << 10;
    const std::unique_ptr<uchardet, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
    if (!detector ||
        uchardet_handle_data(detector.get(), bytes.data(), std::min(bytes.size(), kEnough)) != 0) {
        return Script::kNone;
    }
    uchardet_data_end(detector.get());
    const char* charset = uchardet_get_charset(detector.get());
    const std::string name = charset == nullptr ? "" : charset;
    return IsLatinFamily(name) ? Script::kLatin : ScriptOfCharset(name);
}

}  // namespace rawfile
