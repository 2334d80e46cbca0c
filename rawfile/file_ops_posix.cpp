// POSIX file operations (the native command-line tool and the native tests).
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>

#include "file_identity.h"
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

std::string FolderName(const std::u16string& path) {
    const std::u16string_view folder = FolderPart(path, PathStyle::kPosix);
    return folder.empty() ? "." : Utf16ToUtf8(std::u16string(folder));
}

bool KeyLess(const ListedName& a, const ListedName& b) {
    return a.key < b.key;
}

std::size_t TopBits(std::uint64_t key, unsigned bits) {
    return bits == 0 ? 0 : static_cast<std::size_t>(key >> (64 - bits));
}

// The value of `key` in `map`, one of the maps of `listings`: found under the shared lock, else
// made by make() and added while no other thread may look (unless one added it meanwhile).
template <typename Map, typename Make>
const typename Map::mapped_type& FoundOrAdded(const FolderListings& listings, Map& map,
                                              std::u16string_view key, Make make) {
    {
        const std::shared_lock<std::shared_mutex> look(listings.lock.mutex);
        const auto found = map.find(key);
        if (found != map.end()) {
            return found->second;
        }
    }
    const std::lock_guard<std::shared_mutex> hold(listings.lock.mutex);
    const auto found = map.find(key);
    return found != map.end() ? found->second : map.emplace(key, make()).first->second;
}

// The entries of the folder `path` is in. An entry the listing calls a regular file or a folder
// is one; a link's type is not taken from it.
FolderListing ListFolder(const std::u16string& path) {
    FolderListing listing;
    if (DIR* dir = opendir(FolderName(path).c_str())) {
        for (;;) {
            errno = 0;
            const dirent* entry = readdir(dir);
            if (entry == nullptr) {
                listing.whole = errno == 0;
                break;
            }
            bool exact = true;
            const std::u16string name = Utf8ToUtf16(entry->d_name, &exact);
            // A name is at most 255 bytes; a listing past 4 GiB of names is cut short.
            if (listing.text.size() + name.size() > UINT32_MAX) {
                break;
            }
            listing.entries.push_back(
                ListedName{AsciiUpperHash(name), static_cast<std::uint32_t>(listing.text.size()),
                           static_cast<std::uint16_t>(name.size()), entry->d_type == DT_REG,
                           entry->d_type == DT_DIR, exact});
            listing.text += name;
        }
        closedir(dir);
    }
    std::sort(listing.entries.begin(), listing.entries.end(), KeyLess);
    while (listing.bits < 24 && (std::size_t{1} << listing.bits) < listing.entries.size()) {
        ++listing.bits;
    }
    listing.starts.assign((std::size_t{1} << listing.bits) + 1, 0);
    std::uint32_t at = 0;
    for (std::size_t top = 0; top + 1 < listing.starts.size(); ++top) {
        listing.starts[top] = at;
        while (at < listing.entries.size() &&
               TopBits(listing.entries[at].key, listing.bits) == top) {
            ++at;
        }
    }
    listing.starts.back() = at;
    return listing;
}

// The listing of the folder `path` is in, listed on the first call for that folder (while the
// other thread waits for it).
const FolderListing& ListingOf(const std::u16string& path, FolderListings* listings) {
    return FoundOrAdded(*listings, listings->names, FolderPart(path, PathStyle::kPosix),
                        [&path] { return ListFolder(path); });
}

// The first entry whose key is that of `name` and that `match` takes, or null.
template <typename Match>
const ListedName* FirstOfKey(const FolderListing& listing, std::u16string_view name, Match match) {
    if (listing.starts.empty()) {
        return nullptr;  // nothing was listed
    }
    const std::uint64_t key = AsciiUpperHash(name);
    const std::size_t top = TopBits(key, listing.bits);
    for (std::size_t i = listing.starts[top]; i < listing.starts[top + 1]; ++i) {
        const ListedName& entry = listing.entries[i];
        if (entry.key == key && match(entry)) {
            return &entry;
        }
    }
    return nullptr;
}

// Calls `each` with every entry whose name is `name` in any letter case.
template <typename Each>
void ForSameNames(const FolderListing& listing, std::u16string_view name, Each each) {
    FirstOfKey(listing, name, [&](const ListedName& entry) {
        if (SameIgnoringAsciiCase(listing.NameOf(entry), name)) {
            each(entry);
        }
        return false;
    });
}

// The entry of exactly `name` in `listing`, if it was read whole and has it. A name that is not
// UTF-8 stands for no name given.
const ListedName* Find(const FolderListing& listing, std::u16string_view name) {
    // Only the exact name is sought: an entry of its key is compared as it stands.
    return listing.whole ? FirstOfKey(listing, name,
                                      [&](const ListedName& entry) {
                                          return entry.exact && listing.NameOf(entry) == name;
                                      })
                         : nullptr;
}

// The entry of exactly `path`'s name in the listing of its folder, if it was listed (see Find).
const ListedName* Listed(const std::u16string& path, const FolderListings& listings) {
    std::shared_lock<std::shared_mutex> hold(listings.lock.mutex);
    const auto listing = listings.names.find(FolderPart(path, PathStyle::kPosix));
    if (listing == listings.names.end()) {
        return nullptr;
    }
    hold.unlock();
    return Find(listing->second, NamePart(path, PathStyle::kPosix));
}

// Opens `name` (never waiting on a FIFO); -1 with errno set unless it is a regular file.
int OpenChecked(const std::string& name, int flags, struct stat* st) {
    const int fd = open(name.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0 && (fstat(fd, st) != 0 || !S_ISREG(st->st_mode))) {
        close(fd);
        errno = ENOTSUP;
        return -1;
    }
    return fd;
}

// Opens a regular file with `flags`; -1 with errno set otherwise. The path is looked at before
// the open, so a device is never opened, and the open does not wait on a FIFO. `listed`: the
// folder's listing showed a regular file under the name, which is then opened without the look,
// but not through a symbolic link (a device is reached by no other path).
int OpenRegular(const std::string& name, int flags, struct stat* opened = nullptr,
                bool listed = false) {
    struct stat own;
    struct stat& st = opened != nullptr ? *opened : own;
    if (listed) {
        const int fd = OpenChecked(name, flags | O_NOFOLLOW, &st);
        // Since the listing, the name may have become a link: it is looked at first then.
        if (fd >= 0 || errno != ELOOP) {
            return fd;
        }
    }
    if (stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : ENOTSUP;
        return -1;
    }
    return OpenChecked(name, flags, &st);
}

FileId IdOf(const struct stat& st) {
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace

std::u16string SystemReason(std::uint32_t code) {
    return Utf8ToUtf16(strerror(static_cast<int>(code)));
}

std::FILE* OpenForReading(const std::u16string& path, FileId* id) {
    struct stat st;
    const int fd = OpenRegular(Utf16ToUtf8(path), O_RDONLY, &st);
    if (fd < 0) {
        return nullptr;
    }
    if (id != nullptr) {
        *id = IdOf(st);
    }
    std::FILE* file = fdopen(fd, "rb");
    if (file == nullptr) {
        close(fd);
    }
    return file;
}

std::uint32_t LastReadError() {
    return static_cast<std::uint32_t>(errno != 0 ? errno : EIO);
}

HeldFile::HeldFile(HeldFile&& other) noexcept
    : path_(std::move(other.path_)), fd_(other.fd_), id_(other.id_), uid_(other.uid_) {
    other.fd_ = -1;
}

HeldFile& HeldFile::operator=(HeldFile&& other) noexcept {
    if (this != &other) {
        Close();
        path_ = std::move(other.path_);
        fd_ = other.fd_;
        id_ = other.id_;
        uid_ = other.uid_;
        other.fd_ = -1;
    }
    return *this;
}

HeldFile::~HeldFile() {
    Close();
}

bool HeldFile::IsOpen() const {
    return fd_ >= 0;
}

void HeldFile::Close() {
    // The header was flushed before the rename, so a late error of close tells nothing new;
    // closing also drops the lock.
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

bool HeldFile::Open(const std::u16string& path, FileError* error, bool,
                    const FolderListings* listed) {
    Close();
    path_ = path;
    struct stat st;
    const ListedName* entry = listed != nullptr ? Listed(path, *listed) : nullptr;
    const int fd = OpenRegular(Utf16ToUtf8(path), O_RDWR, &st, entry != nullptr && entry->file);
    if (fd < 0) {
        return Fail(FileOp::kOpen, path, errno, error);
    }
    // A file nobody may write is read-only, even for a privileged user.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
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
    fd_ = fd;
    id_ = IdOf(st);
    uid_ = static_cast<std::uint32_t>(st.st_uid);
    return true;
}

bool HeldFile::Id(FileId* id, FileError*) const {
    *id = id_;
    return true;
}

bool HeldFile::ReadHead(std::string* head, FileError* error) const {
    char buffer[kBlockSize];
    size_t done = 0;
    while (done < sizeof buffer) {
        const ssize_t n = pread(fd_, buffer + done, sizeof buffer - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return Fail(FileOp::kRead, path_, errno, error);
        }
        if (n == 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    head->assign(buffer, done);
    return true;
}

bool HeldFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size, std::size_t* got,
                      FileError* error) const {
    char* to = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = pread(fd_, to + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return Fail(FileOp::kRead, path_, errno, error);
        }
        // A regular file reads short only at its end.
        done += static_cast<size_t>(n);
        if (n == 0 || done < size) {
            break;
        }
    }
    *got = done;
    return true;
}

bool HeldFile::WriteHead(const HeaderBlock& block, FileError* error) {
    size_t done = 0;
    while (done < block.size()) {
        const ssize_t n =
            pwrite(fd_, block.data() + done, block.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return Fail(FileOp::kWrite, path_, n < 0 ? errno : EIO, error);
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool HeldFile::Flush(FileError* error) {
    if (fdatasync(fd_) != 0) {
        return Fail(FileOp::kWrite, path_, errno, error);
    }
    return true;
}

bool HeldFile::Rename(const std::u16string& to, FileError* error) {
    if (to == path_) {
        return true;
    }
    // POSIX renames by name only. The lock is held throughout; the name is checked to lead to
    // the file held just before, and again after: should another program have put a different
    // file under the name in between, that file is put back and the rename reported failed.
    struct stat named;
    const std::string from = Utf16ToUtf8(path_);
    const std::string target = Utf16ToUtf8(to);
    if (stat(from.c_str(), &named) != 0) {
        return Fail(FileOp::kRename, path_, errno, error);
    }
    if (id_ != IdOf(named)) {
        return Fail(FileOp::kRename, path_, ESTALE, error);
    }
    // A rename by link and unlink stopped between the two left `to` as a second name of the
    // file: removing the old name finishes it.
    const auto secondName = [this, &target] {
        struct stat st;
        return lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) && IdOf(st) == id_;
    };
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
        int code = errno;
        if (code == EEXIST && secondName()) {
            if (unlink(from.c_str()) != 0) {
                return Fail(FileOp::kRenameHalf, path_, errno, error);
            }
        } else if (code != EINVAL && code != ENOSYS) {
            return Fail(FileOp::kRename, path_, code, error);
        } else if (link(from.c_str(), target.c_str()) != 0) {
            // The file system cannot rename without replacing: link fails when the target
            // exists.
            code = errno;
            if (code != EEXIST || !secondName()) {
                return Fail(FileOp::kRename, path_, code, error);
            }
            if (unlink(from.c_str()) != 0) {
                return Fail(FileOp::kRenameHalf, path_, errno, error);
            }
        } else if (unlink(from.c_str()) != 0) {
            code = errno;
            const bool undone = unlink(target.c_str()) == 0;
            return Fail(undone ? FileOp::kRename : FileOp::kRenameHalf, path_, code, error);
        }
    }
    if (stat(target.c_str(), &named) == 0 && IdOf(named) != id_) {
        renameat2(AT_FDCWD, target.c_str(), AT_FDCWD, from.c_str(), RENAME_NOREPLACE);
        return Fail(FileOp::kRename, path_, ESTALE, error);
    }
    path_ = to;
    return true;
}

namespace {

// Whether the folder lets files in it be renamed, whoever owns them (code 0: it does).
FileError FolderVerdict(const std::string& folder, const std::u16string& path) {
    FileError verdict;
    struct statvfs fs;
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        Fail(FileOp::kFolder, path, errno, &verdict);
    } else if (statvfs(folder.c_str(), &fs) == 0 && (fs.f_flag & ST_RDONLY) != 0) {
        Fail(FileOp::kFolder, path, EROFS, &verdict);
    } else {
        // An immutable or append-only folder refuses renames even to root.
        const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int flags = 0;
        if (dir >= 0 && ioctl(dir, FS_IOC_GETFLAGS, &flags) == 0 &&
            (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0) {
            Fail(FileOp::kFolder, path, EPERM, &verdict);
        }
        if (dir >= 0) {
            close(dir);
        }
    }
    return verdict;
}

}  // namespace

bool HeldFile::CheckFolderWritable(FileError* error, FolderListings* known) const {
    FolderListings own;
    if (known == nullptr) {
        known = &own;
    }
    // Each folder is judged once, under its part of the path.
    const std::u16string_view key = FolderPart(path_, PathStyle::kPosix);
    const FileError& verdict = FoundOrAdded(
        *known, known->verdicts, key, [this] { return FolderVerdict(FolderName(path_), path_); });
    if (verdict.code != 0) {
        *error = verdict;
        error->path = path_;
        return false;
    }
    // In a folder with the sticky bit (such as /tmp) only the file's or the folder's owner may
    // rename a file, unless the user is privileged.
    static const uid_t user = geteuid();
    if (user == 0) {
        return true;
    }
    const std::int64_t sticky = FoundOrAdded(*known, known->stickyOwners, key, [this] {
        struct stat dirStat;
        const bool isSticky =
            stat(FolderName(path_).c_str(), &dirStat) == 0 && (dirStat.st_mode & S_ISVTX) != 0;
        return isSticky ? std::int64_t{dirStat.st_uid} : std::int64_t{-1};
    });
    if (sticky >= 0 && uid_ != user && sticky != std::int64_t{user}) {
        return Fail(FileOp::kFolder, path_, EPERM, error);
    }
    return true;
}

bool FlushFolder(const std::u16string& folder, FileError* error) {
    const std::string name = folder.empty() ? "." : Utf16ToUtf8(folder);
    const int dir = open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        return Fail(FileOp::kFlushFolder, folder, errno, error);
    }
    const bool ok = fsync(dir) == 0;
    const int code = errno;
    close(dir);
    return ok || Fail(FileOp::kFlushFolder, folder, code, error);
}

void ListFolderOf(const std::u16string& path, FolderListings* listings) {
    ListingOf(path, listings);
}

EntryKind KindOf(const std::u16string& path, FolderListings* listings) {
    if (listings == nullptr) {
        return KindOf(path);
    }
    const ListedName* entry = Find(ListingOf(path, listings), NamePart(path, PathStyle::kPosix));
    if (entry != nullptr && (entry->file || entry->folder)) {
        return entry->file ? EntryKind::kFile : EntryKind::kFolder;
    }
    return KindOf(path);
}

TargetState CheckRenameTarget(const std::u16string& from, const std::u16string& to,
                              FolderListings* listings) {
    FolderListings own;
    if (listings == nullptr) {
        listings = &own;
    }
    // A name that differs from another entry's only in letter case would make two files of one
    // name on a file system that ignores case (a memory card's, copied back).
    const std::u16string_view ownName = NamePart(from, PathStyle::kPosix);
    const std::u16string_view name = NamePart(to, PathStyle::kPosix);
    const FolderListing& listing = ListingOf(from, listings);
    bool listed = false;
    bool otherCase = false;
    ForSameNames(listing, name, [&](const ListedName& entry) {
        listed = true;
        otherCase |= listing.NameOf(entry) != ownName;
    });
    // A file system may fold letters beyond ASCII too (a memory card's): such a name is looked
    // up on the disk.
    const bool ascii = std::all_of(name.begin(), name.end(), [](char16_t c) { return c < 0x80; });
    if (!listed && listing.whole && ascii && listings->listingDecides) {
        return TargetState::kFree;
    }
    struct stat target;
    if (lstat(Utf16ToUtf8(to).c_str(), &target) == 0) {
        if (from == to) {
            return TargetState::kSameFile;
        }
        // A second name of the same file (a hard link) is what a rename by link and unlink
        // stopped half way leaves; a symbolic link or any other entry is another file's.
        struct stat fromStat;
        const bool second = S_ISREG(target.st_mode) &&
                            stat(Utf16ToUtf8(from).c_str(), &fromStat) == 0 &&
                            IdOf(fromStat) == IdOf(target);
        return second ? TargetState::kSecondName : TargetState::kOther;
    }
    return otherCase ? TargetState::kOther : TargetState::kFree;
}

}  // namespace rawfile
