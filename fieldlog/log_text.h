// The text of a field log as spreadsheets save it: its encoding (a byte-order mark, UTF-8, or a
// legacy code page), the separator between its cells, cells trimmed of blanks, and numbers
// written with a decimal comma.
#pragma once

#include <cstddef>
#include <string>

namespace rawfile {

enum class TextEncoding {
    kAuto,  // a byte-order mark; else UTF-16 by its zero bytes; else UTF-8 when valid; else
            // the legacy code page the bytes show for certain (code_page_check.h)
    kUtf8,
    kUtf16Le,  // "utf-16" without a byte-order mark: what Windows writes
    kUtf16Be,
    kGb18030,  // GBK and GB2312 are subsets of it
    kWindows1252,
    kLegacy,  // the system's own: the ANSI code page on Windows, the locale's elsewhere
};

// The encoding a name stands for (letter case and '-'/'_' ignored): utf-8, utf-16, utf-16le,
// utf-16be, gb18030, gbk, gb2312, cp936, windows-1252, cp1252, system. False for any other.
bool EncodingByName(const std::u16string& name, TextEncoding* encoding);

// The encoding's name as messages give it: "UTF-8", "UTF-16 LE", "GB18030", "windows-1252", or
// the system's own code page ("GBK", "code page 1251", "ISO-8859-15"). Empty for kAuto.
std::u16string EncodingName(TextEncoding encoding);

enum class DecodeProblem {
    kNone,
    kInvalid,        // a byte sequence (on `badLine`) is no character of `encoding`
    kControl,        // a control character (`control`, on `badLine`): no text at all
    kMarkDisagrees,  // the byte-order mark says `encoding`, the encoding asked for `asked`
    kUnsure,         // no mark, not UTF-8, and no legacy code page shows for certain
};

// A log's text as UTF-8, or why it cannot be read as text.
struct DecodedText {
    bool ok = false;  // problem == kNone
    DecodeProblem problem = DecodeProblem::kNone;
    std::string utf8;         // without a byte-order mark
    std::u16string encoding;  // the encoding read (or tried, or the mark's), as messages name it
    bool fromMark = false;    // the byte-order mark chose (or named) `encoding`
    TextEncoding read = TextEncoding::kAuto;  // `encoding` as a choice, to read more of the bytes
    std::size_t badLine = 0;  // kInvalid, kControl: the line (from 1) of the first bad byte
    unsigned control = 0;     // kControl
    std::u16string asked;     // kMarkDisagrees
};

// Decodes `bytes` as `encoding` says. UTF-16 must have an even length and paired surrogates; a
// control character other than tab, line feed and carriage return is no text in any encoding.
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
