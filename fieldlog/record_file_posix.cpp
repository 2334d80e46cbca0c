#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "paths.h"
#include "record_file.h"
#include "text.h"

namespace rawfile {

namespace {

bool Fail(FileOp op, const std::u16string& path, FileError* error) {
    error->op = op;
    error->path = path;
    error->code = static_cast<std::uint32_t>(errno);
    error->reason = SystemReason(error->code);
    return false;
}

}  // namespace

AppendFile::~AppendFile() {
    Close();
}

bool AppendFile::IsOpen() const {
    return fd_ >= 0;
}

void AppendFile::Close() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

bool AppendFile::OpenLocked(const std::u16string& path, bool* created, bool* busy,
                            std::uint64_t* size, FileError* error) {
    const std::string name = Utf16ToUtf8(path);
    fd_ = open(name.c_str(), O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    *created = fd_ >= 0;
    if (fd_ < 0 && errno == EEXIST) {
        fd_ = open(name.c_str(), O_RDWR | O_APPEND | O_CLOEXEC | O_NONBLOCK);
    }
    if (fd_ < 0) {
        return Fail(FileOp::kOpen, path, error);
    }
    // One writer at a time (another copy of rvxedit appending to the same record waits for no
    // one: it is refused), and what the file holds is judged under the lock.
    if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        *busy = errno == EWOULDBLOCK;
        return Fail(FileOp::kOpen, path, error);
    }
    struct stat st {};
    if (fstat(fd_, &st) != 0) {
        return Fail(FileOp::kOpen, path, error);
    }
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return Fail(FileOp::kOpen, path, error);
    }
    *size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool AppendFile::ReadFromStart(std::string* bytes, FileError* error) {
    for (std::size_t done = 0; done < bytes->size();) {
        const ssize_t n =
            pread(fd_, &(*bytes)[done], bytes->size() - done, static_cast<off_t>(done));
        if (n <= 0) {
            errno = n < 0 ? errno : EIO;
            return Fail(FileOp::kRead, path_, error);
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool AppendFile::CutTo(std::uint64_t size, FileError* error) {
    if (ftruncate(fd_, static_cast<off_t>(size)) != 0 || fsync(fd_) != 0) {
        return Fail(FileOp::kWrite, path_, error);
    }
    return true;
}

bool AppendFile::Append(const std::string& rows, FileError* error) {
    const std::string bytes = lineEnd_ ? "\r\n" + rows : rows;
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return Fail(FileOp::kWrite, path_, error);
        }
        done += static_cast<std::size_t>(n);
    }
    if (fsync(fd_) != 0) {
        return Fail(FileOp::kWrite, path_, error);
    }
    lineEnd_ = false;
    return true;
}

std::u16string FullPath(const std::u16string& path) {
    const SplitName split = SplitRawPath(path, PathStyle::kPosix);
    const std::string folder = split.folder.empty() ? "." : Utf16ToUtf8(split.folder);
    char* real = realpath(folder.c_str(), nullptr);
    if (real == nullptr) {
        return path;
    }
    const std::u16string full = JoinPath(Utf8ToUtf16(real), split.fileName, PathStyle::kPosix);
    std::free(real);
    return full;
}

}  // namespace rawfile
