// The console on POSIX: UTF-8 text on the standard streams.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "console.h"
#include "text.h"

namespace rvxedit {

namespace {

FILE* File(Stream stream) {
    return stream == Stream::kOut ? stdout : stderr;
}

}  // namespace

void WriteRaw(Stream stream, const std::u16string& text) {
    const std::string bytes = rawfile::Utf16ToUtf8(text);
    FILE* file = File(stream);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fflush(file);
}

void WriteLine(Stream stream, const std::u16string& line) {
    WriteRaw(stream, line + u"\n");
}

bool IsTerminal(Stream stream) {
    return isatty(fileno(File(stream))) != 0;
}

texts::Language UserLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getenv(name);
        // An empty variable counts as not set, as for the C library's own locale choice.
        if (value != nullptr && *value != '\0') {
            return value[0] == 'z' && value[1] == 'h' ? texts::Language::kChinese
                                                      : texts::Language::kEnglish;
        }
    }
    return texts::Language::kEnglish;
}

}  // namespace rvxedit
