#include "log_text.h"

#include <algorithm>

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

DecodedText DecodeUtf8(const std::string& bytes) {
    DecodedText out;
    out.encoding = u"UTF-8";
    out.utf8 = StartsWith(bytes, kUtf8Mark) ? bytes.substr(3) : bytes;
    out.ok = IsUtf8(out.utf8);
    if (!out.ok) {
        out.badLine = FirstBadLine(out.utf8, IsUtf8);
    }
    return out;
}

DecodedText DecodeUtf16(const std::string& bytes, bool bigEndian) {
    DecodedText out;
    out.encoding = bigEndian ? u"UTF-16 BE" : u"UTF-16 LE";
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
            out.badLine = line;
            return out;
        }
        i += paired ? 1 : 0;
        line += text[i] == u'\n' ? 1 : 0;
    }
    if ((bytes.size() - begin) % 2 != 0) {
        out.badLine = line;
        return out;
    }
    out.utf8 = Utf16ToUtf8(text);
    out.ok = true;
    return out;
}

DecodedText DecodeLegacy(const std::string& bytes, CodePage page) {
    DecodedText out;
    out.encoding = CodePageName(page);
    std::u16string text;
    if (DecodeCodePage(bytes, page, &text)) {
        out.utf8 = Utf16ToUtf8(text);
        out.ok = true;
        return out;
    }
    out.badLine = FirstBadLine(bytes, [page](const std::string& line) {
        std::u16string ignored;
        return DecodeCodePage(line, page, &ignored);
    });
    out.badLine = out.badLine == 0 ? LineAt(bytes, bytes.size()) : out.badLine;
    return out;
}

bool IsBlankAt(const std::string& cell, std::size_t i, std::size_t* length) {
    static const char* const kBlanks[] = {" ", "\t", "\xC2\xA0", "\xE3\x80\x80"};
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
                  {"cp1252", TextEncoding::kWindows1252}};
    for (const auto& n : kNames) {
        if (key == n.name) {
            *encoding = n.encoding;
            return true;
        }
    }
    return false;
}

DecodedText DecodeLog(const std::string& bytes, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::kAuto:
            if (StartsWith(bytes, kUtf8Mark)) {
                return DecodeUtf8(bytes);
            }
            if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
                return DecodeUtf16(bytes, bytes[0] == '\xFE');
            }
            return IsUtf8(bytes) ? DecodeUtf8(bytes) : DecodeLegacy(bytes, CodePage::kSystem);
        case TextEncoding::kUtf8:
            return DecodeUtf8(bytes);
        case TextEncoding::kUtf16Le:
            return DecodeUtf16(bytes, StartsWith(bytes, "\xFE\xFF"));
        case TextEncoding::kUtf16Be:
            return DecodeUtf16(bytes, !StartsWith(bytes, "\xFF\xFE"));
        case TextEncoding::kGb18030:
            return DecodeLegacy(bytes, CodePage::kGb18030);
        case TextEncoding::kWindows1252:
            return DecodeLegacy(bytes, CodePage::kWindows1252);
        case TextEncoding::kLegacy:
            break;
    }
    return DecodeLegacy(bytes, CodePage::kSystem);
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
