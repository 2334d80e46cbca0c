// Which legacy code page a log's bytes are in, when they carry no byte-order mark and are not
// UTF-8: the few that field logs are written in (GB18030/GBK from Chinese spreadsheets,
// windows-1252 from Western ones, and the system's own) are weighed by what text in each looks
// like, and one is taken only when nothing else reads as plausibly.
#pragma once

#include <cstddef>
#include <string>

namespace rawfile {

// The kind of script a code page writes.
enum class Script {
    kNone,     // no legacy code page: the system's text is UTF-8, or the detector had no answer
    kChinese,  // GB18030, GBK, GB2312
    kLatin,    // windows-1252, ISO-8859-1 and ISO-8859-15
    kOther,    // any other (Cyrillic, Japanese, Korean, Big5, Central European, ...)
};

// How plausibly `bytes` read as Chinese text in GB18030 (their characters valid and nearly all
// from the common ones) and as Western text in windows-1252 (every byte defined, the letters
// beyond ASCII alone or in pairs inside words, as in "Höhe" and "ção").
struct LegacyEvidence {
    bool chinese = false;
    bool latin = false;
};
LegacyEvidence WeighLegacyText(const std::string& bytes);

enum class LegacyPick { kGb18030, kWindows1252, kSystem, kUnsure };

// The code page to read the bytes in. `system` is the script of the system's own code page
// (kNone when the system's text is UTF-8); `detector` is the script a statistical detector
// named (kNone without one, or without an answer). kUnsure when the candidates are not told
// apart: more than one is plausible, or none is.
LegacyPick PickLegacy(const LegacyEvidence& evidence, Script system, Script detector);

// The offset of the first byte that does not begin a valid GB18030 character (one byte of
// ASCII, two bytes, or four); npos when there is none.
std::size_t FirstInvalidGb18030(const std::string& bytes);

// The script of a code page or character set by its name (letter case, '-' and '_' ignored):
// "GB18030" and "GBK" are Chinese, "ISO-8859-1" and "WINDOWS-1252" Latin, "UTF-8" and
// "ANSI_X3.4-1968" (ASCII) none.
Script ScriptOfCharset(const std::string& name);

}  // namespace rawfile
