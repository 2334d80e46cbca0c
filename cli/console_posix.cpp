// The console on POSIX: UTF-8 text on the standard streams.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "console.h"
#include "file_ops.h"
#include "text.h"

namespace rvxedit {

namespace {

FILE* File(Stream stream) {
    return stream == Stream::kOut ? stdout : stderr;
}

}  // namespace

bool PutText(Stream stream, const std::u16string& text, std::u16string* reason) {
    const std::string bytes = rawfile::Utf16ToUtf8(text);
    FILE* file = File(stream);
    errno = 0;
    if (fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && fflush(file) == 0) {
        return true;
    }
    *reason = rawfile::SystemReason(static_cast<std::uint32_t>(errno != 0 ? errno : EIO));
    clearerr(file);
    return false;
}

std::u16string LineEnd(Stream) {
    return u"\n";
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
