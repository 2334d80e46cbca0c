#include "text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace rawfile {

namespace {

char16_t UpperUnit(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// The length of the run of ASCII units `text` starts with.
template <typename Unit>
std::size_t AsciiRun(const Unit* text, std::size_t size) {
    std::size_t n = 0;
    while (n < size && static_cast<std::uint32_t>(text[n]) < 0x80) {
        ++n;
    }
    return n;
}

void AppendUtf8(std::string* out, char32_t cp) {
    if (cp < 0x80) {
        out->push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// A code point as one unit, or as a surrogate pair above U+FFFF.
void AppendUtf16(std::u16string* out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out->push_back(static_cast<char16_t>(cp));
    }
}

}  // namespace

char32_t CodePointAt(const std::u16string& text, std::size_t* i) {
    const char32_t c = text[*i];
    if (!IsPairAt(text, *i)) {
        return c;
    }
    ++*i;
    return 0x10000 + ((c - 0xD800) << 10) + (text[*i] - 0xDC00);
}

bool IsPairAt(const std::u16string& text, std::size_t i) {
    return i + 1 < text.size() && IsHighSurrogate(text[i]) && IsLowSurrogate(text[i + 1]);
}

std::string Utf16ToUtf8(const std::u16string& text) {
    // Paths and cells are mostly ASCII: that part is copied unit for unit.
    const std::size_t ascii = AsciiRun(text.data(), text.size());
    std::string out(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(ascii));
    if (ascii == text.size()) {
        return out;
    }
    out.reserve(text.size() + 8);
    for (std::size_t i = ascii; i < text.size(); ++i) {
        const char32_t c = CodePointAt(text, &i);
        AppendUtf8(&out, c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c);
    }
    return out;
}

std::u16string Utf8ToUtf16(const std::string& text, bool* exact) {
    const std::size_t ascii =
        AsciiRun(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    std::u16string out(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(ascii));
    bool ok = true;
    size_t i = ascii;
    if (i < text.size()) {
        out.reserve(text.size());
    }
    while (i < text.size()) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, cp = b & 0x1F, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, cp = b & 0x0F, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, cp = b & 0x07, min = 0x10000;
        } else {
            extra = -1;
        }
        bool valid = extra >= 0 && i + extra < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const unsigned char cb = static_cast<unsigned char>(text[i + k]);
            valid = (cb & 0xC0) == 0x80;
            cp = (cp << 6) | (cb & 0x3F);
        }
        if (valid && extra > 0 && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) {
            valid = false;
        }
        if (!valid) {
            out.push_back(u'\xFFFD');
            ok = false;
            ++i;
            continue;
        }
        AppendUtf16(&out, cp);
        i += static_cast<size_t>(extra) + 1;
    }
    if (exact != nullptr) {
        *exact = ok;
    }
    return out;
}

std::wstring ToWide(const std::u16string& text) {
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
        return std::wstring(text.begin(), text.end());
    }
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        out.push_back(static_cast<wchar_t>(CodePointAt(text, &i)));
    }
    return out;
}

std::u16string FromWide(const std::wstring& text) {
    std::u16string out;
    for (const wchar_t w : text) {
        const auto c = static_cast<char32_t>(w);
        AppendUtf16(&out, c <= 0x10FFFF ? c : 0xFFFD);
    }
    return out;
}

std::u16string TrimBlanks(const std::u16string& text) {
    const auto blank = [](char16_t c) {
        return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\u3000';
    };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin])) {
        ++begin;
    }
    while (end > begin && blank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::u16string BytesToText(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    }
    return out;
}

std::u16string AsciiUpper(std::u16string text) {
    for (char16_t& c : text) {
        c = UpperUnit(c);
    }
    return text;
}

bool SameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return UpperUnit(x) == UpperUnit(y); });
}

std::uint64_t AsciiUpperHash(std::u16string_view text) {
    std::uint64_t hash = 14695981039346656037u;
    for (const char16_t c : text) {
        hash = (hash ^ UpperUnit(c)) * 1099511628211u;
    }
    return hash;
}

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

}  // namespace rawfile
