// Folders and file identity on POSIX.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_ops.h"
#include "folders.h"
#include "text.h"

namespace rvxedit {

namespace {

EntryKind KindOfStat(const struct stat& st) {
    if (S_ISREG(st.st_mode)) {
        return EntryKind::kFile;
    }
    return S_ISDIR(st.st_mode) ? EntryKind::kFolder : EntryKind::kOther;
}

}  // namespace

EntryKind KindOf(const std::u16string& path) {
    struct stat st;
    if (stat(rawfile::Utf16ToUtf8(path).c_str(), &st) != 0) {
        return EntryKind::kMissing;
    }
    return KindOfStat(st);
}

bool ListFolder(const std::u16string& path, std::vector<FolderEntry>* entries,
                std::u16string* reason) {
    const std::string folder = rawfile::Utf16ToUtf8(path);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        *reason = rawfile::SystemReason(static_cast<std::uint32_t>(errno));
        return false;
    }
    const int fd = dirfd(dir);
    for (;;) {
        errno = 0;
        const dirent* d = readdir(dir);
        if (d == nullptr) {
            break;
        }
        const std::string name = d->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        FolderEntry entry;
        entry.name.text = rawfile::Utf8ToUtf16(name, &entry.name.exact);
        struct stat st;
        if (fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;  // gone since the listing
        }
        if (S_ISLNK(st.st_mode)) {
            // A link counts as the file it leads to; a link to a folder is not followed.
            entry.kind = fstatat(fd, name.c_str(), &st, 0) != 0 ? EntryKind::kMissing
                         : S_ISREG(st.st_mode)                  ? EntryKind::kFile
                                                                : EntryKind::kOther;
        } else {
            entry.kind = KindOfStat(st);
        }
        entries->push_back(entry);
    }
    const int code = errno;
    closedir(dir);
    if (code != 0) {
        *reason = rawfile::SystemReason(static_cast<std::uint32_t>(code));
        return false;
    }
    return true;
}

bool KeyOf(const std::u16string& path, FileKey* key) {
    struct stat st;
    if (stat(rawfile::Utf16ToUtf8(path).c_str(), &st) != 0) {
        return false;
    }
    key->volume = static_cast<std::uint64_t>(st.st_dev);
    key->index = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

bool ReadFileUpTo(const std::u16string& path, std::size_t limit, std::string* bytes, bool* tooLarge,
                  std::u16string* reason) {
    const int fd = open(rawfile::Utf16ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *reason = rawfile::SystemReason(static_cast<std::uint32_t>(errno));
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
            *reason = rawfile::SystemReason(static_cast<std::uint32_t>(errno));
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

}  // namespace rvxedit
