// Folder listings on POSIX.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_ops.h"
#include "folders.h"
#include "text.h"

namespace rvxedit {

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
            entry.kind = rawfile::KindOfStat(st);
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

}  // namespace rvxedit
