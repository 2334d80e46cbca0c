// Conversions between the wide text of the user interface (UTF-16) and the narrow texts of the
// file system and the command line (UTF-8 on POSIX).
#pragma once

#include <string>

namespace rawfile {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD. Sets *exact to false when that happened.
std::u16string Utf8ToUtf16(const std::string& text, bool* exact = nullptr);

// UTF-16 as the platform's wide text (UTF-16 on Windows, UTF-32 elsewhere), and back; an
// unpaired surrogate passes through unchanged on Windows.
std::wstring ToWide(const std::u16string& text);
std::u16string FromWide(const std::wstring& text);

// Bytes taken one for one as characters (for the ASCII texts of the header block).
std::u16string BytesToText(const std::string& bytes);

}  // namespace rawfile
