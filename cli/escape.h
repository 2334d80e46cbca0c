// Text made safe for the two output forms: one line a file, and JSON.
#pragma once

#include <string>
#include <string_view>

namespace rvxedit {

// A path or name for a one-line report: control characters become \xNN, the rest stays.
std::u16string OneLine(std::u16string_view text);

// OneLine(text) as a view: `text` itself when nothing in it changes, else *own, which holds it.
std::u16string_view OneLine(std::u16string_view text, std::u16string* own);

// Appends OneLine(text) to *out.
void AppendOneLine(std::u16string* out, std::u16string_view text);

// Header bytes in double quotes: printable ASCII as it is (with \" and \\), others as \xNN.
std::u16string QuoteBytes(const std::string& bytes);

// Text in double quotes in the same way, keeping non-ASCII characters.
std::u16string Quote(const std::u16string& text);

// A JSON string literal for UTF-16 text (unpaired surrogates become U+FFFD).
std::u16string JsonString(const std::u16string& text);

// A JSON string literal for header bytes, each byte standing for the character of that code.
std::u16string JsonBytes(const std::string& bytes);

}  // namespace rvxedit
