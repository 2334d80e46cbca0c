// Text: conversions between the wide text of the user interface (UTF-16) and the narrow texts of
// the file system and the command line (UTF-8 on POSIX), surrogate pairs, and ASCII letter case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rawfile {

constexpr bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// True when text[i] and text[i + 1] are a high and a low surrogate, one character together.
bool IsPairAt(const std::u16string& text, std::size_t i);

// The character at text[*i], a surrogate pair joined; an unpaired surrogate as it is. Moves *i
// to the character's last unit.
char32_t CodePointAt(const std::u16string& text, std::size_t* i);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD. Sets *exact to false when that happened.
std::u16string Utf8ToUtf16(const std::string& text, bool* exact = nullptr);

// UTF-16 as the platform's wide text (UTF-16 on Windows, UTF-32 elsewhere), and back; an
// unpaired surrogate passes through unchanged.
std::wstring ToWide(const std::u16string& text);
std::u16string FromWide(const std::wstring& text);

// `text` without blanks (space, tab, no-break space, ideographic space) at either end, the
// blanks a field log's cells lose.
std::u16string TrimBlanks(const std::u16string& text);

// Bytes taken one for one as characters (for the ASCII texts of the header block).
std::u16string BytesToText(const std::string& bytes);

// The text with the ASCII letters a-z in upper case (AsciiUpper) or A-Z in lower case
// (AsciiLower); every other character as it is. What a file system that ignores letter case
// compares, and how a column name or device name is matched.
std::u16string AsciiUpper(std::u16string text);
std::string AsciiLower(std::string text);
// Whether two texts are the same once their ASCII letters are in upper case.
bool SameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);
// A hash (FNV-1a) of the text with its ASCII letters in upper case: texts that differ only in
// ASCII letter case have the same one.
std::uint64_t AsciiUpperHash(std::u16string_view text);

}  // namespace rawfile
