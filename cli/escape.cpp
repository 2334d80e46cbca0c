#include "escape.h"

#include <algorithm>
#include <type_traits>

#include "text.h"

namespace rvxedit {

namespace {

const char16_t kHex[] = u"0123456789abcdef";

void AppendHexByte(std::u16string* out, unsigned value, const char16_t* prefix) {
    out->append(prefix);
    out->push_back(kHex[(value >> 4) & 0xF]);
    out->push_back(kHex[value & 0xF]);
}

bool IsControl(char16_t c) {
    return c < 0x20 || c == 0x7F;
}

// The characters JSON writes with a short escape.
constexpr struct {
    char16_t c;
    const char16_t* escape;
} kJsonEscapes[] = {
    {u'"', u"\\\""}, {u'\\', u"\\\\"}, {u'\n', u"\\n"}, {u'\r', u"\\r"}, {u'\t', u"\\t"}};

void AppendJsonChar(std::u16string* out, char16_t c) {
    for (const auto& e : kJsonEscapes) {
        if (c == e.c) {
            out->append(e.escape);
            return;
        }
    }
    if (IsControl(c)) {
        AppendHexByte(out, c, u"\\u00");
    } else {
        out->push_back(c);
    }
}

}  // namespace

std::u16string OneLine(std::u16string_view text) {
    std::u16string out;
    AppendOneLine(&out, text);
    return out;
}

std::u16string_view OneLine(std::u16string_view text, std::u16string* own) {
    if (std::none_of(text.begin(), text.end(), IsControl)) {
        return text;
    }
    own->clear();
    AppendOneLine(own, text);
    return *own;
}

void AppendOneLine(std::u16string* out, std::u16string_view text) {
    if (std::none_of(text.begin(), text.end(), IsControl)) {
        out->append(text);
        return;
    }
    for (char16_t c : text) {
        if (IsControl(c)) {
            AppendHexByte(out, c, u"\\x");
        } else {
            out->push_back(c);
        }
    }
}

namespace {

// Puts `text` in double quotes, escaping quotes and backslashes, and writing the characters for
// which `hex` is true as \xNN.
template <typename Text, typename Hex>
std::u16string QuoteWith(const Text& text, Hex hex) {
    std::u16string out = u"\"";
    for (const auto unit : text) {
        const auto c = static_cast<std::make_unsigned_t<decltype(unit)>>(unit);
        if (c == u'"' || c == u'\\') {
            out.push_back(u'\\');
            out.push_back(c);
        } else if (hex(c)) {
            AppendHexByte(&out, c, u"\\x");
        } else {
            out.push_back(c);
        }
    }
    return out + u"\"";
}

}  // namespace

std::u16string QuoteBytes(const std::string& bytes) {
    return QuoteWith(bytes, [](unsigned char c) { return c < 0x20 || c >= 0x7F; });
}

std::u16string Quote(const std::u16string& text) {
    return QuoteWith(text, [](char16_t c) { return IsControl(c); });
}

std::u16string JsonString(const std::u16string& text) {
    std::u16string out = u"\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (rawfile::IsPairAt(text, i)) {
            out.push_back(c);
            out.push_back(text[++i]);
        } else if (rawfile::IsHighSurrogate(c) || rawfile::IsLowSurrogate(c)) {
            out.append(u"\\ufffd");
        } else {
            AppendJsonChar(&out, c);
        }
    }
    return out + u"\"";
}

std::u16string JsonBytes(const std::string& bytes) {
    std::u16string out = u"\"";
    for (char b : bytes) {
        AppendJsonChar(&out, static_cast<unsigned char>(b));
    }
    return out + u"\"";
}

}  // namespace rvxedit
