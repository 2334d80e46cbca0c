#include "code_page_check.h"

#include <algorithm>

namespace rawfile {

namespace {

bool In(unsigned char b, unsigned char low, unsigned char high) {
    return b >= low && b <= high;
}

bool IsAsciiLetter(unsigned char b) {
    return In(b, 'A', 'Z') || In(b, 'a', 'z');
}

// A letter of windows-1252 beyond ASCII: À to ÿ less × and ÷, and Š Œ Ž š œ ž Ÿ.
bool IsLatinLetter(unsigned char b) {
    return (b >= 0xC0 && b != 0xD7 && b != 0xF7) || b == 0x8A || b == 0x8C || b == 0x8E ||
           b == 0x9A || b == 0x9C || b == 0x9E || b == 0x9F;
}

// The five bytes windows-1252 leaves undefined.
bool IsUndefined1252(unsigned char b) {
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

// The length of the GB18030 character at `i`; 0 when none begins there. *common is set when it
// is one of GB2312's symbols (rows A1-A9) or its first level of Hanzi (rows B0-D7), which
// together hold nearly every character of everyday Chinese text.
std::size_t Gb18030CharAt(const std::string& bytes, std::size_t i, bool* common) {
    const auto at = [&bytes](std::size_t k) {
        return static_cast<unsigned char>(k < bytes.size() ? bytes[k] : 0);
    };
    const unsigned char lead = at(i);
    *common = false;
    if (lead < 0x80) {
        return 1;
    }
    if (!In(lead, 0x81, 0xFE)) {
        return 0;
    }
    const unsigned char trail = at(i + 1);
    if (In(trail, 0x40, 0x7E) || In(trail, 0x80, 0xFE)) {
        *common = In(trail, 0xA1, 0xFE) && (In(lead, 0xA1, 0xA9) || In(lead, 0xB0, 0xD7));
        return 2;
    }
    if (In(trail, 0x30, 0x39) && In(at(i + 2), 0x81, 0xFE) && In(at(i + 3), 0x30, 0x39)) {
        return 4;
    }
    return 0;
}

bool ReadsAsChinese(const std::string& bytes) {
    std::size_t common = 0;
    std::size_t other = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        bool isCommon = false;
        const std::size_t n = Gb18030CharAt(bytes, i, &isCommon);
        if (n == 0) {
            return false;
        }
        common += isCommon ? 1 : 0;
        other += n > 1 && !isCommon ? 1 : 0;
        i += n;
    }
    return common > 0 && other * 3 <= common;
}

// Weighs each run of bytes beyond ASCII as windows-1252 text: one or two letters beside an
// ASCII letter are a word's own ("Höhe", "ção"); one other character is a symbol or a letter
// alone ("°", "€", "à"), which Western text has and GB18030 text hardly ever has; anything
// longer is no Western text.
bool ReadsAsLatin(const std::string& bytes) {
    std::size_t plausible = 0;
    std::size_t implausible = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t begin = i;
        bool letters = true;
        for (; i < bytes.size() && static_cast<unsigned char>(bytes[i]) >= 0x80; ++i) {
            if (IsUndefined1252(static_cast<unsigned char>(bytes[i]))) {
                return false;
            }
            letters = letters && IsLatinLetter(static_cast<unsigned char>(bytes[i]));
        }
        const std::size_t length = i - begin;
        const bool besideLetter =
            (begin > 0 && IsAsciiLetter(static_cast<unsigned char>(bytes[begin - 1]))) ||
            (i < bytes.size() && IsAsciiLetter(static_cast<unsigned char>(bytes[i])));
        if (length == 1 || (length == 2 && letters && besideLetter)) {
            ++plausible;
        } else {
            ++implausible;
        }
    }
    return plausible > 0 && implausible * 4 <= plausible;
}

}  // namespace

LegacyEvidence WeighLegacyText(const std::string& bytes) {
    return {ReadsAsChinese(bytes), ReadsAsLatin(bytes)};
}

LegacyPick PickLegacy(const LegacyEvidence& evidence, Script system, Script detector) {
    const bool chinese = evidence.chinese && !evidence.latin;
    const bool latin = evidence.latin && !evidence.chinese;
    switch (system) {
        case Script::kChinese:
            return chinese ? LegacyPick::kSystem
                           : (latin ? LegacyPick::kWindows1252 : LegacyPick::kUnsure);
        case Script::kLatin:
            return latin ? LegacyPick::kSystem
                         : (chinese ? LegacyPick::kGb18030 : LegacyPick::kUnsure);
        case Script::kOther:
            // Nothing here can weigh the system's own code page: it is taken when neither of
            // the others reads plausibly.
            return !evidence.chinese && !evidence.latin ? LegacyPick::kSystem : LegacyPick::kUnsure;
        case Script::kNone:
            break;
    }
    // Without a code page of the system's own, the detector must not name another script.
    // Its "Western" answer is also what it gives short Chinese text it cannot place, so that
    // answer only settles text that reads as both.
    if (detector == Script::kOther) {
        return LegacyPick::kUnsure;
    }
    if (chinese || (evidence.chinese && detector == Script::kChinese)) {
        return LegacyPick::kGb18030;
    }
    if ((latin && detector != Script::kChinese) || (evidence.latin && detector == Script::kLatin)) {
        return LegacyPick::kWindows1252;
    }
    return LegacyPick::kUnsure;
}

std::size_t FirstInvalidGb18030(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        bool ignored = false;
        const std::size_t n = Gb18030CharAt(bytes, i, &ignored);
        if (n == 0) {
            return i;
        }
        i += n;
    }
    return std::string::npos;
}

Script ScriptOfCharset(const std::string& name) {
    std::string key;
    for (char c : name) {
        if (c != '-' && c != '_' && c != ' ') {
            key.push_back(In(static_cast<unsigned char>(c), 'a', 'z') ? static_cast<char>(c - 32)
                                                                      : c);
        }
    }
    static const char* const kNone[] = {"", "UTF8", "ANSIX3.41968", "ASCII", "USASCII"};
    static const char* const kChinese[] = {"GB18030", "GBK", "GB2312", "CP936", "EUCCN"};
    static const char* const kLatin[] = {"WINDOWS1252", "CP1252", "ISO88591",
                                         "ISO885915",   "LATIN1", "LATIN9"};
    const auto has = [&key](const auto& names) {
        return std::find(std::begin(names), std::end(names), key) != std::end(names);
    };
    return has(kNone)      ? Script::kNone
           : has(kChinese) ? Script::kChinese
           : has(kLatin)   ? Script::kLatin
                           : Script::kOther;
}

}  // namespace rawfile
