#include "log_text.h"

#include <algorithm>
#include <vector>

#include "code_pages.h"
#include "csv.h"
#include "numbers.h"
#include "text.h"

namespace rawfile {

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";

bool StartsWith(const std::string& bytes, const char* prefix) {
    return bytes.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The length of the line end at `i` (LF, CR LF or a lone CR); 0 when there is none.
std::size_t LineEndAt(const std::string& bytes, std::size_t i) {
    if (i >= bytes.size() || (bytes[i] != '\r' && bytes[i] != '\n')) {
        return 0;
    }
    return bytes.compare(i, 2, "\r\n") == 0 ? 2 : 1;
}

// The line (from 1) that the byte at `offset` is in.
std::size_t LineAt(const std::string& bytes, std::size_t offset) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < std::min(offset, bytes.size()); ++i) {
        // The LF of a CR LF ends the line its CR is in.
        line += bytes[i] == '\n' || (bytes[i] == '\r' && LineEndAt(bytes, i) == 1) ? 1 : 0;
    }
    return line;
}

bool IsUtf8(const std::string& bytes) {
    bool exact = true;
    Utf8ToUtf16(bytes, &exact);
    return exact;
}

// The first line of `bytes` whose text, with all the lines before it, `valid` refuses; 0 when
// it takes the whole. Found by halving, so that a long log is decoded a few dozen times rather
// than once a line; line ends are never inside a character of the encodings tried here.
template <typename Valid>
std::size_t FirstBadLine(const std::string& bytes, Valid valid) {
    if (valid(bytes)) {
        return 0;
    }
    // The text up to the end of the line that holds the byte at `p`.
    const auto validTo = [&bytes, &valid](std::size_t p) {
        std::size_t end = std::min(bytes.find_first_of("\r\n", p), bytes.size());
        end += LineEndAt(bytes, end);
        return valid(bytes.substr(0, end));
    };
    std::size_t low = 0;
    std::size_t high = bytes.empty() ? 0 : bytes.size() - 1;  // its line is refused
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (validTo(mid)) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return LineAt(bytes, low);
}

DecodedText Invalid(DecodedText out, std::size_t line) {
    out.problem = DecodeProblem::kInvalid;
    out.badLine = line;
    return out;
}

DecodedText Decoded(DecodedText out, std::string utf8) {
    out.utf8 = std::move(utf8);
    out.ok = true;
    return out;
}

DecodedText DecodeUtf8(const std::string& bytes) {
    DecodedText out;
    out.encoding = u"UTF-8";
    out.read = TextEncoding::kUtf8;
    std::string text = StartsWith(bytes, kUtf8Mark) ? bytes.substr(3) : bytes;
    if (!IsUtf8(text)) {
        return Invalid(out, FirstBadLine(text, IsUtf8));
    }
    return Decoded(out, std::move(text));
}

DecodedText DecodeUtf16(const std::string& bytes, bool bigEndian) {
    DecodedText out;
    out.encoding = bigEndian ? u"UTF-16 BE" : u"UTF-16 LE";
    out.read = bigEndian ? TextEncoding::kUtf16Be : TextEncoding::kUtf16Le;
    const char* mark = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    const std::size_t begin = StartsWith(bytes, mark) ? 2 : 0;
    std::u16string text;
    text.reserve((bytes.size() - begin) / 2);
    for (std::size_t i = begin; i + 1 < bytes.size(); i += 2) {
        const unsigned char a = static_cast<unsigned char>(bytes[i]);
        const unsigned char b = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a));
    }
    // A lone surrogate, or a last byte without its pair, names its line.
    std::size_t line = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool paired = IsPairAt(text, i);
        if (!paired && (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]))) {
            return Invalid(out, line);
        }
        i += paired ? 1 : 0;
        line += text[i] == u'\n' ? 1 : 0;
    }
    if ((bytes.size() - begin) % 2 != 0) {
        return Invalid(out, line);
    }
    return Decoded(out, Utf16ToUtf8(text));
}

// windows-1252 from 0x80 to 0x9F; 0 where it defines no character.
const char16_t k1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

DecodedText Decode1252(const std::string& bytes) {
    DecodedText out;
    out.encoding = u"windows-1252";
    out.read = TextEncoding::kWindows1252;
    std::u16string text(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        text[i] = b >= 0x80 && b < 0xA0 ? k1252High[b - 0x80] : b;
        if (text[i] == 0 && b != 0) {
            return Invalid(out, LineAt(bytes, i));
        }
    }
    return Decoded(out, Utf16ToUtf8(text));
}

DecodedText DecodeLegacy(const std::string& bytes, CodePage page) {
    DecodedText out;
    out.encoding = CodePageName(page);
    out.read = page == CodePage::kGb18030 ? TextEncoding::kGb18030 : TextEncoding::kLegacy;
    const std::size_t invalid =
        page == CodePage::kGb18030 ? FirstInvalidGb18030(bytes) : std::string::npos;
    if (invalid != std::string::npos) {
        return Invalid(out, LineAt(bytes, invalid));
    }
    std::u16string text;
    if (!DecodeCodePage(bytes, page, &text)) {
        return Invalid(out, FirstBadLine(bytes, [page](const std::string& lines) {
                           std::u16string ignored;
                           return DecodeCodePage(lines, page, &ignored);
                       }));
    }
    return Decoded(out, Utf16ToUtf8(text));
}

// The first control character of `text` other than tab, line feed and carriage return, as an
// offset; npos when there is none.
std::size_t FirstControl(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            return i;
        }
    }
    return std::string::npos;
}

// UTF-16 without a byte-order mark, told by its zero bytes: text of ASCII characters (the
// separators, digits and line ends of any log) has one in every other byte. 0 when the zero
// bytes show no such pattern, 'L' or 'B' for the byte order.
char Utf16ByZeros(const std::string& bytes) {
    std::size_t zeros[2] = {0, 0};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        zeros[i % 2] += bytes[i] == '\0' ? 1 : 0;
    }
    // A character from U+xx00 puts a zero on the other side; binary data puts them on both.
    if (zeros[1] > 0 && zeros[0] * 8 <= zeros[1]) {
        return 'L';
    }
    if (zeros[0] > 0 && zeros[1] * 8 <= zeros[0]) {
        return 'B';
    }
    return 0;
}

DecodedText ControlAt(DecodedText out, const std::string& text, std::size_t offset) {
    out.problem = DecodeProblem::kControl;
    out.ok = false;
    out.control = static_cast<unsigned char>(text[offset]);
    out.badLine = LineAt(text, offset);
    out.utf8.clear();
    return out;
}

DecodedText DecodeAuto(const std::string& bytes) {
    if (bytes.find('\0') != std::string::npos) {
        const char order = Utf16ByZeros(bytes);
        if (order != 0) {
            return DecodeUtf16(bytes, order == 'B');
        }
    }
    if (IsUtf8(bytes)) {
        return DecodeUtf8(bytes);
    }
    // Bytes that no text holds are refused before any code page is weighed.
    const std::size_t control = FirstControl(bytes);
    if (control != std::string::npos) {
        return ControlAt(DecodedText(), bytes, control);
    }
    const Script system = SystemScript();
    const Script detector = system == Script::kNone ? DetectedScript(bytes) : Script::kNone;
    DecodedText out;
    switch (PickLegacy(WeighLegacyText(bytes), system, detector)) {
        case LegacyPick::kGb18030:
            return DecodeLegacy(bytes, CodePage::kGb18030);
        case LegacyPick::kWindows1252:
            return Decode1252(bytes);
        case LegacyPick::kSystem:
            out = DecodeLegacy(bytes, CodePage::kSystem);
            if (out.ok) {
                return out;
            }
            break;
        case LegacyPick::kUnsure:
            break;
    }
    DecodedText unsure;
    unsure.problem = DecodeProblem::kUnsure;
    return unsure;
}

// The encoding a byte-order mark at the start of `bytes` names; kAuto when there is none.
TextEncoding MarkOf(const std::string& bytes) {
    return StartsWith(bytes, kUtf8Mark)    ? TextEncoding::kUtf8
           : StartsWith(bytes, "\xFF\xFE") ? TextEncoding::kUtf16Le
           : StartsWith(bytes, "\xFE\xFF") ? TextEncoding::kUtf16Be
                                           : TextEncoding::kAuto;
}

DecodedText DecodeAs(const std::string& bytes, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::kAuto:
            return DecodeAuto(bytes);
        case TextEncoding::kUtf8:
            return DecodeUtf8(bytes);
        case TextEncoding::kUtf16Le:
            return DecodeUtf16(bytes, false);
        case TextEncoding::kUtf16Be:
            return DecodeUtf16(bytes, true);
        case TextEncoding::kGb18030:
            return DecodeLegacy(bytes, CodePage::kGb18030);
        case TextEncoding::kWindows1252:
            return Decode1252(bytes);
        case TextEncoding::kLegacy:
            break;
    }
    return DecodeLegacy(bytes, CodePage::kSystem);
}

bool IsBlankAt(const std::string& cell, std::size_t i, std::size_t* length) {
    static const char* const kBlanks[] = {" ", "\t", "\xC2\xA0", "\xE3\x80\x80"};
    // Most cells start and end with a byte no blank starts with.
    const char first = cell[i];
    if (first != ' ' && first != '\t' && first != '\xC2' && first != '\xE3') {
        return false;
    }
    for (const char* blank : kBlanks) {
        const std::size_t n = std::char_traits<char>::length(blank);
        if (cell.compare(i, n, blank) == 0) {
            *length = n;
            return true;
        }
    }
    return false;
}

}  // namespace

bool EncodingByName(const std::u16string& name, TextEncoding* encoding) {
    std::string key;
    for (char16_t c : name) {
        if (c > 0x7F) {
            return false;
        }
        if (c != u'-' && c != u'_') {
            key.push_back(static_cast<char>(c));
        }
    }
    key = AsciiLower(key);
    static const struct {
        const char* name;
        TextEncoding encoding;
    } kNames[] = {{"utf8", TextEncoding::kUtf8},
                  {"utf16", TextEncoding::kUtf16Le},
                  {"utf16le", TextEncoding::kUtf16Le},
                  {"utf16be", TextEncoding::kUtf16Be},
                  {"gb18030", TextEncoding::kGb18030},
                  {"gbk", TextEncoding::kGb18030},
                  {"gb2312", TextEncoding::kGb18030},
                  {"cp936", TextEncoding::kGb18030},
                  {"windows1252", TextEncoding::kWindows1252},
                  {"cp1252", TextEncoding::kWindows1252},
                  {"system", TextEncoding::kLegacy}};
    for (const auto& n : kNames) {
        if (key == n.name) {
            *encoding = n.encoding;
            return true;
        }
    }
    return false;
}

std::u16string EncodingName(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::kAuto:
            return u"";
        case TextEncoding::kUtf8:
            return u"UTF-8";
        case TextEncoding::kUtf16Le:
            return u"UTF-16 LE";
        case TextEncoding::kUtf16Be:
            return u"UTF-16 BE";
        case TextEncoding::kGb18030:
            return CodePageName(CodePage::kGb18030);
        case TextEncoding::kWindows1252:
            return u"windows-1252";
        case TextEncoding::kLegacy:
            break;
    }
    return CodePageName(CodePage::kSystem);
}

DecodedText DecodeLog(const std::string& bytes, TextEncoding encoding) {
    const TextEncoding mark = MarkOf(bytes);
    DecodedText out;
    if (mark != TextEncoding::kAuto && encoding != TextEncoding::kAuto && encoding != mark) {
        out.problem = DecodeProblem::kMarkDisagrees;
        out.encoding = EncodingName(mark);
        out.fromMark = true;
        out.asked = EncodingName(encoding);
        return out;
    }
    out = DecodeAs(bytes, mark != TextEncoding::kAuto ? mark : encoding);
    out.fromMark = mark != TextEncoding::kAuto;
    const std::size_t control = out.ok ? FirstControl(out.utf8) : std::string::npos;
    return control == std::string::npos ? out : ControlAt(out, out.utf8, control);
}

std::size_t LineStart(const std::string& bytes, std::size_t line) {
    std::size_t i = 0;
    for (std::size_t n = 1; n < line && i < bytes.size();) {
        const std::size_t end = LineEndAt(bytes, i);
        i += end == 0 ? 1 : end;
        n += end == 0 ? 0 : 1;
    }
    return i;
}

char DetectSeparator(const std::string& text, const std::string& column) {
    const std::string first = text.substr(0, text.find_first_of("\r\n"));
    for (const char separator : {',', ';', '\t'}) {
        std::vector<CsvRecord> records;
        CsvError error;
        if (!ParseCsv(first, &records, &error, separator) || records.empty()) {
            continue;
        }
        for (const std::string& cell : records[0].cells) {
            if (AsciiLower(TrimCell(cell)) == column) {
                return separator;
            }
        }
    }
    return ',';
}

std::string TrimCell(const std::string& cell) {
    std::size_t begin = 0;
    std::size_t n = 0;
    while (begin < cell.size() && IsBlankAt(cell, begin, &n)) {
        begin += n;
    }
    std::size_t end = cell.size();
    for (bool trimmed = true; trimmed && end > begin;) {
        trimmed = false;
        for (std::size_t back = 1; back <= 3 && back <= end - begin && !trimmed; ++back) {
            trimmed = IsBlankAt(cell, end - back, &n) && n == back;
            end -= trimmed ? back : 0;
        }
    }
    return cell.substr(begin, end - begin);
}

bool DecimalText(const std::string& cell, bool decimalComma, std::string* text) {
    *text = TrimCell(cell);
    const std::size_t comma = text->find(',');
    if (comma != std::string::npos) {
        if (!decimalComma || text->find_first_of(".,", comma + 1) != std::string::npos ||
            text->find('.') != std::string::npos) {
            return false;
        }
        (*text)[comma] = '.';
    }
    float ignored = 0;
    return ParseStrictFloat(BytesToText(*text), &ignored);
}

}  // namespace rawfile
