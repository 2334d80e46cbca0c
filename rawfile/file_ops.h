// The few file operations a load and a save need, with one implementation for Win32 and one
// for POSIX. Paths are UTF-16 text; the POSIX side stores them as UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "header_block.h"

namespace rawfile {

enum class FileOp {
    kOpen,         // opening (or examining) the file: nothing was written
    kFolder,       // the folder does not let the file be renamed: nothing was written
    kRead,         // reading the file
    kWrite,        // writing the header, or flushing it to the disk: its state is not known
    kRename,       // renaming the file after its header was written and flushed
    kRenameHalf,   // the same, left with both names: the old one and the new one
    kFlushFolder,  // flushing the folder after the rename
};

// A failed operation: what was attempted, on which path, and the system's reason.
struct FileError {
    FileOp op = FileOp::kOpen;
    std::u16string path;
    std::uint32_t code = 0;  // GetLastError() or errno
    std::u16string reason;   // the system's text for `code`
};

// The system's text for an error code (errno on POSIX, GetLastError() on Windows).
std::u16string SystemReason(std::uint32_t code);

// A file as the system knows it, whatever name it is reached by: its volume and its index
// there (device and inode on POSIX).
struct FileId {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileId& other) const {
        return volume == other.volume && index == other.index;
    }
    bool operator!=(const FileId& other) const { return !(*this == other); }
    bool operator<(const FileId& other) const {
        return volume != other.volume ? volume < other.volume : index < other.index;
    }
};

// Opens an existing regular file for binary reading ("rb" semantics) and sets *id to the file
// opened. Null when it cannot be opened or is no regular file (a folder, FIFO, device or
// socket), which it never waits on.
std::FILE* OpenForReading(const std::u16string& path, FileId* id = nullptr);

// The code of the last failed read on a stream from OpenForReading.
std::uint32_t LastReadError();

// A raw file held for a save: opened for reading and writing, shared with nobody (POSIX: an
// exclusive lock that cooperating writers respect), never created or truncated. The hold lasts
// until Close or destruction, through the rename. Each call sets *error when it fails.
class HeldFile {
public:
    HeldFile() = default;
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    HeldFile(HeldFile&& other) noexcept;
    HeldFile& operator=(HeldFile&& other) noexcept;
    ~HeldFile();

    // Opens the file at `path`. A read-only file, or anything that is no regular file, fails
    // (kOpen). On Windows a file held briefly by another program is tried again for a second,
    // and the right to delete it (which a rename through the hold needs) is asked for only
    // `forRename`: a file one may write but not delete can still have its header saved.
    // POSIX: a file that `listed`, the folder's listing, shows as a regular file is opened
    // without a look at its path first, and never through a symbolic link.
    bool Open(const std::u16string& path, FileError* error, bool forRename = true,
              const struct FolderListings* listed = nullptr);
    bool IsOpen() const;
    const std::u16string& Path() const { return path_; }
    // The identity of the file held.
    bool Id(FileId* id, FileError* error) const;
    // Its first bytes, at most 160 (fewer when the file is shorter).
    bool ReadHead(std::string* head, FileError* error) const;
    // Reads up to `size` bytes from `offset` on into `buffer` (kRead); *got is less than `size`
    // only at the end of the file.
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size, std::size_t* got,
                FileError* error) const;
    // Writes `block` over the first 160 bytes (kWrite); a shorter file grows to 160 bytes.
    bool WriteHead(const HeaderBlock& block, FileError* error);
    // Puts the file's data on stable storage (kWrite).
    bool Flush(FileError* error);
    // Renames the file held to `to`, in the same folder, never replacing another file
    // (kRename; kRenameHalf when the file is left with both names); the path held becomes `to`.
    // Where `to` is already a second name of the file held, only the old name is removed.
    bool Rename(const std::u16string& to, FileError* error);
    // Checks without writing that the folder lets the file be renamed (kFolder). With `known`,
    // a folder checked before is not checked again.
    bool CheckFolderWritable(FileError* error, struct FolderListings* known = nullptr) const;
    // Ends the hold.
    void Close();

private:
    std::u16string path_;
#ifdef _WIN32
    void* handle_ = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
#else
    int fd_ = -1;
    FileId id_;              // the file held: its identity cannot change while it is open
    std::uint32_t uid_ = 0;  // its owner
#endif
};

// Puts a folder's entries (a rename in it) on stable storage, as far as the system allows
// (kFlushFolder). `folder` is a folder path, empty for the current folder.
bool FlushFolder(const std::u16string& folder, FileError* error);

enum class TargetState {
    kFree,      // nothing exists at the target path
    kSameFile,  // the target is the source's own entry: the same path, or the same path in
                // other letter case
    // POSIX only: the target is a second name (hard link) of the source's file, as a rename by
    // link and unlink leaves when it is stopped between the two; the rename then removes the
    // old name only.
    kSecondName,
    kOther,  // anything else exists there, or (on any system) another entry whose name differs
             // only in letter case
};

// An entry of a folder's listing (POSIX): its name, and whether the listing says it is a regular
// file or a folder (neither: something else, a symbolic link, or a file system that does not
// tell).
struct ListedName {
    std::uint64_t key = 0;  // a hash of the name in upper case (ASCII letters): a listing's order
    std::uint32_t at = 0;   // where the name starts in its listing's `text`
    std::uint16_t size = 0;
    bool file = false;
    bool folder = false;
    bool exact = true;  // false: the name is not UTF-8, and the name only an approximation of it
};

struct FolderListing {
    bool whole = false;  // the folder was read to its end
    std::vector<ListedName> entries;
    // The entries' names one after the other: a folder of many files costs no allocation and
    // no more than its names for each.
    std::u16string text;
    std::u16string_view NameOf(const ListedName& entry) const {
        return std::u16string_view(text).substr(entry.at, entry.size);
    }
    // Where the entries whose keys start with each value of their top `bits` bits begin (and,
    // last, the end), so that a lookup goes straight to the few entries of its key.
    unsigned bits = 0;
    std::vector<std::uint32_t> starts;
};

// What a batch learns of each folder once: its listing (POSIX only: Windows compares names in
// any letter case itself), which KindOf, HeldFile::Open and CheckRenameTarget consult, and
// CheckFolderWritable's verdicts (code 0: the folder allows renames).
struct FolderListings {
    // Each folder's entries, listed once, in the order of their keys: names that differ only in
    // letter case stand together.
    std::map<std::u16string, FolderListing, std::less<>> names;
    std::map<std::u16string, FileError, std::less<>> verdicts;
    // POSIX: each folder's owner when it has the sticky bit, -1 when it has none.
    std::map<std::u16string, std::int64_t, std::less<>> stickyOwners;
    // For checks before a save, never right before a rename: a name of ASCII characters that
    // the whole listing of its folder lacks in every letter case is taken as free without another
    // look at the disk. The save looks again, and its rename never replaces a file.
    bool listingDecides = false;

    // Guards the maps above, for checks that share one set of listings between threads: held
    // shared to look an entry up (both threads look up every file), alone to add one. A
    // listing, once in `names`, is never changed, so it is read without the lock. Listings are
    // moved only while no other thread uses them, so a move leaves the lock behind.
    struct Lock {
        std::shared_mutex mutex;
        Lock() = default;
        Lock(Lock&&) noexcept {}
        Lock& operator=(Lock&&) noexcept { return *this; }
    };
    mutable Lock lock;
};

// Lists the folder `path` is in, unless `listings` has it already (POSIX; Windows keeps no
// listings).
void ListFolderOf(const std::u16string& path, FolderListings* listings);

// What lies at `to`, seen from the file at `from` in the same folder. With `listings`, a folder
// listed before is not listed again.
TargetState CheckRenameTarget(const std::u16string& from, const std::u16string& to,
                              FolderListings* listings = nullptr);

}  // namespace rawfile
