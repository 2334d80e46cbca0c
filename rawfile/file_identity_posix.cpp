// File identity and whole-file reads on POSIX.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_identity.h"
#include "file_ops.h"
#include "text.h"

namespace rawfile {

EntryKind KindOfStat(const struct stat& st) {
    if (S_ISREG(st.st_mode)) {
        return EntryKind::kFile;
    }
    return S_ISDIR(st.st_mode) ? EntryKind::kFolder : EntryKind::kOther;
}

EntryKind KindOf(const std::u16string& path) {
    struct stat st;
    if (stat(Utf16ToUtf8(path).c_str(), &st) != 0) {
        return EntryKind::kMissing;
    }
    return KindOfStat(st);
}

bool KeyOf(const std::u16string& path, FileKey* key) {
    struct stat st;
    if (stat(Utf16ToUtf8(path).c_str(), &st) != 0) {
        return false;
    }
    key->volume = static_cast<std::uint64_t>(st.st_dev);
    key->index = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

bool ReadFileUpTo(const std::u16string& path, std::size_t limit, std::string* bytes, bool* tooLarge,
                  std::u16string* reason) {
    // Only a plain file is read: a pipe or a device would block the run or never end. The open
    // does not wait for a pipe's writer.
    const int fd = open(Utf16ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat st;
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        const int kind = S_ISDIR(st.st_mode) ? EISDIR : ENOTSUP;
        close(fd);
        *reason = SystemReason(static_cast<std::uint32_t>(kind));
        return false;
    }
    if (fd < 0) {
        *reason = SystemReason(static_cast<std::uint32_t>(errno));
        return false;
    }
    bytes->clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            *reason = SystemReason(static_cast<std::uint32_t>(errno));
            close(fd);
            return false;
        }
        if (n == 0) {
            break;
        }
        if (bytes->size() + static_cast<std::size_t>(n) > limit) {
            *tooLarge = true;
            close(fd);
            return false;
        }
        bytes->append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return true;
}

}  // namespace rawfile
