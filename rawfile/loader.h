// Reading a raw file's header: the five key lines, found in one pass over the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "file_ops.h"
#include "header_block.h"

namespace rawfile {

// Why a load failed, in the order the loader checks.
enum class LoadError : unsigned char {
    kNone,
    kOpenFailed,
    kReadFailed,  // the file opened, but reading it failed (see readError)
    kNoVersion,
    kNoReceiverId,
    kNoDate,
    kDateTooLong,
    kNoAntHeight,
};

struct LoadResult {
    LoadError error = LoadError::kNone;
    // The values read before the failure (all of them on success).
    HeaderValues values;
    // From a file: its first bytes as read (at most 160), the file they were read from, and
    // for kReadFailed the system's error code.
    std::string head;
    FileId id;
    std::uint32_t readError = 0;  // kReadFailed, kOpenFailed: the system's error code
};

// The load's result from the first line found for each key, in the order of kKeys (null where
// none was found): the failure of the first missing key in load order, and the values before it.
LoadResult ResultFromKeyLines(const std::string_view* const lines[kKeyCount]);

// Scans bytes fed in pieces for the first line that starts with each key, as five separate
// searches from the start of the file would find them. Lines are split as the header rules
// say: at most 159 bytes, ending after LF, after the 159th byte or at the end of the input.
class KeyScanner {
public:
    KeyScanner();
    // Feeds the next piece of the input.
    void Feed(const std::uint8_t* data, std::size_t size);
    // Ends the input (a last line without LF still counts).
    void Finish();
    // True once every key has been found; later input cannot change the result.
    bool AllFound() const { return remaining_ == 0; }
    // Checks the keys in load order and takes their values.
    LoadResult Result() const;

private:
    void TakeLine(const char* line, std::size_t size);
    // From the line start `line` in [line, end): the first line start at which the text of a key
    // still sought stands, else the start of the piece's last line.
    const char* NextKeyLine(const char* line, const char* end) const;
    // Whether the text of a key still sought stands whole at `at`, before `end`.
    bool KeyAt(const char* at, const char* end) const;

    // Each key's line, kept in place: a load allocates nothing for them.
    char found_[kKeyCount][kMaxLineBytes];
    std::size_t foundSize_[kKeyCount];
    bool have_[kKeyCount];
    std::size_t remaining_;
    char carry_[kMaxLineBytes];
    std::size_t carrySize_ = 0;
};

// The ways the search for key texts can run: byte by byte, or 128 positions a step with SSE2 or
// AVX2 instructions. The loader takes the fastest one the processor has.
enum class KeySearch { kBytes, kSse2, kAvx2 };

// True when this build can run `search` on this processor.
bool CanRunKeySearch(KeySearch search);

// The first position in [from, end) where one of the `count` texts (at most kKeyCount) stands
// whole, found as `search` finds it; null when there is none.
const char* FindKeyText(KeySearch search, const char* from, const char* end,
                        const std::string_view* texts, std::size_t count);

// Loads the header of the raw file at `path`, reading it once through a 64 KiB buffer and
// stopping as soon as every key has been found. A read error fails the load (kReadFailed)
// rather than ending the file early.
LoadResult LoadRawHeader(const std::u16string& path);

// LoadRawHeader through a file already held: its identity is the hold's, and the file is read
// from its start whatever was read through the hold before.
LoadResult LoadRawHeader(const HeldFile& held);

// Loads a header from bytes in memory (for tests and fuzzing).
LoadResult LoadRawHeaderFromBytes(const std::uint8_t* data, std::size_t size);

}  // namespace rawfile
