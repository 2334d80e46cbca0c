// The text of a field log as spreadsheets save it: its encoding (a byte-order mark, UTF-8, or a
// legacy code page), the separator between its cells, cells trimmed of blanks, and numbers
// written with a decimal comma.
#pragma once

#include <cstddef>
#include <string>

namespace rawfile {

enum class TextEncoding {
    kAuto,  // a byte-order mark decides; else UTF-8 when valid; else the legacy code page
    kUtf8,
    kUtf16Le,  // "utf-16" without a byte-order mark: what Windows writes
    kUtf16Be,
    kGb18030,  // GBK and GB2312 are subsets of it
    kWindows1252,
    kLegacy,  // the system's ANSI code page on Windows; GB18030 elsewhere
};

// The encoding a name stands for (letter case and '-'/'_' ignored): utf-8, utf-16, utf-16le,
// utf-16be, gb18030, gbk, gb2312, windows-1252, cp1252. False for any other name.
bool EncodingByName(const std::u16string& name, TextEncoding* encoding);

// A log's text as UTF-8, or where it cannot be read as text.
struct DecodedText {
    bool ok = false;
    std::string utf8;         // without a byte-order mark
    std::u16string encoding;  // the encoding read (or tried), as messages name it
    std::size_t badLine = 0;  // when !ok: the line (from 1) of the first byte that is no text
                              // (a line ends at LF, CR LF or a lone CR)
};

// Decodes `bytes` as `encoding` says. UTF-16 must have an even length and paired surrogates.
DecodedText DecodeLog(const std::string& bytes, TextEncoding encoding);

// The offset in `bytes` where line `line` (from 1, as DecodedText counts them) begins.
std::size_t LineStart(const std::string& bytes, std::size_t line);

// The separator (',', ';' or '\t') that makes the first record of `text` hold a cell that trims
// and lower-cases to `column`; ',' when none does.
char DetectSeparator(const std::string& text, const std::string& column);

// `cell` without blanks (space, tab, no-break space, ideographic space) at either end.
std::string TrimCell(const std::string& cell);

// True when `cell` (trimmed) is a decimal number as ParseStrictFloat reads it, or, with
// `decimalComma`, the same with one comma in the point's place; *text holds it trimmed, with a
// point.
bool DecimalText(const std::string& cell, bool decimalComma, std::string* text);

}  // namespace rawfile
