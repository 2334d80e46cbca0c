// POSIX file operations (the native command-line tool and the native tests).
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_ops.h"
#include "raw_file_name.h"
#include "text.h"

namespace rawfile {

namespace {

bool Fail(FileOp op, const std::u16string& path, int code, FileError* error) {
    error->op = op;
    error->path = path;
    error->code = static_cast<std::uint32_t>(code);
    error->reason = SystemReason(static_cast<std::uint32_t>(code));
    return false;
}

// Opens a regular file with `flags`; -1 with errno set otherwise. The path is looked at before
// the open, so a device is never opened, and the open does not wait on a FIFO.
int OpenRegular(const std::string& name, int flags) {
    struct stat st;
    if (stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : ENOTSUP;
        return -1;
    }
    const int fd = open(name.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(fd);
        errno = ENOTSUP;
        return -1;
    }
    return fd;
}

}  // namespace

std::u16string SystemReason(std::uint32_t code) {
    return Utf8ToUtf16(strerror(static_cast<int>(code)));
}

PathStyle PlatformPathStyle() {
    return PathStyle::kPosix;
}

std::FILE* OpenForReading(const std::u16string& path) {
    const int fd = OpenRegular(Utf16ToUtf8(path), O_RDONLY);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = fdopen(fd, "rb");
    if (file == nullptr) {
        close(fd);
    }
    return file;
}

bool WriteHeaderBlock(const std::u16string& path, const HeaderBlock& block, FileError* error) {
    const std::string name = Utf16ToUtf8(path);
    const int fd = OpenRegular(name, O_RDWR);
    if (fd < 0) {
        return Fail(FileOp::kOpen, path, errno, error);
    }
    // A file nobody may write is read-only, even for a privileged user.
    struct stat st;
    if (fstat(fd, &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        close(fd);
        return Fail(FileOp::kOpen, path, EACCES, error);
    }
    // Another cooperating writer holding the file keeps us out, as the exclusive open does on
    // Windows.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int code = errno;
        close(fd);
        return Fail(FileOp::kOpen, path, code, error);
    }
    size_t done = 0;
    while (done < block.size()) {
        const ssize_t n =
            pwrite(fd, block.data() + done, block.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int code = n < 0 ? errno : EIO;
            close(fd);
            return Fail(FileOp::kWrite, path, code, error);
        }
        done += static_cast<size_t>(n);
    }
    if (close(fd) != 0) {
        return Fail(FileOp::kWrite, path, errno, error);
    }
    return true;
}

TargetState CheckRenameTarget(const std::u16string& from, const std::u16string& to) {
    struct stat target;
    if (lstat(Utf16ToUtf8(to).c_str(), &target) != 0) {
        return TargetState::kFree;
    }
    // Another name of the same file (a hard link) is another entry, which a rename would leave.
    return from == to ? TargetState::kSameFile : TargetState::kOther;
}

bool RenameNoReplace(const std::u16string& from, const std::u16string& to, FileError* error) {
    if (from == to) {
        return true;
    }
    const std::string a = Utf16ToUtf8(from);
    const std::string b = Utf16ToUtf8(to);
    if (renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    int code = errno;
    if (code == EINVAL || code == ENOSYS) {
        // The file system cannot rename without replacing: link fails when the target exists.
        if (link(a.c_str(), b.c_str()) == 0) {
            if (unlink(a.c_str()) == 0) {
                return true;
            }
            code = errno;
            unlink(b.c_str());
        } else {
            code = errno;
        }
    }
    return Fail(FileOp::kRename, from, code, error);
}

}  // namespace rawfile
