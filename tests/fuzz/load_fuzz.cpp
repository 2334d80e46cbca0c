// Loads arbitrary bytes from memory, from a file, and fed in pieces of random size, and checks
// that all three agree with five separate key-by-key line searches over the same file and that
// the values obey the header rules. (Saving values such as these is the save target's work.)
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "file_ops.h"
#include "fuzz_check.h"
#include "key_search.h"
#include "loader.h"
#include "numbers.h"
#include "text.h"

using rawfile::LoadError;
using rawfile::LoadResult;

namespace {

bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void CheckValues(const rawfile::HeaderValues& v) {
    FUZZ_CHECK(v.receiverId.size() <= rawfile::kMaxSerialChars);
    for (char c : v.receiverId) {
        FUZZ_CHECK(IsAsciiAlnum(c));
    }
    FUZZ_CHECK(v.date.size() <= rawfile::kMaxDateValueBytes);
    FUZZ_CHECK(v.date.find('\0') == std::string::npos);
    FUZZ_CHECK(v.model.size() <= rawfile::kMaxLineBytes);
    FUZZ_CHECK(v.model.empty() || v.model.compare(0, 6, rawfile::kKeyModel) == 0);
    FUZZ_CHECK(v.model.find('\0') == std::string::npos);
}

// Feeds the bytes in pieces of 1 to 400 bytes, the sizes drawn from a generator seeded by the
// input itself so that every run of the same input cuts it the same way.
LoadResult LoadInPieces(const std::uint8_t* data, std::size_t size) {
    std::uint32_t state = 2166136261u ^ static_cast<std::uint32_t>(size);
    for (std::size_t i = 0; i < size && i < 32; ++i) {
        state = (state ^ data[i]) * 16777619u;
    }
    rawfile::KeyScanner scanner;
    std::size_t pos = 0;
    while (pos < size) {
        state = state * 1664525u + 1013904223u;
        std::size_t piece = 1 + (state >> 8) % 400;
        if (piece > size - pos) {
            piece = size - pos;
        }
        scanner.Feed(data + pos, piece);
        pos += piece;
    }
    scanner.Finish();
    return scanner.Result();
}

// Scratch files go to TMPDIR (or /tmp); scripts/fuzz.sh points it at a folder it removes.
const std::string& ScratchPath() {
    static const std::string path =
        (std::filesystem::temp_directory_path() /
         ("rvx-fuzz-load-" + std::to_string(static_cast<long>(getpid())) + ".RVX"))
            .string();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const LoadResult fromMemory = rawfile::LoadRawHeaderFromBytes(data, size);
    FUZZ_CHECK(keysearch::SameResult(fromMemory, LoadInPieces(data, size)));

    std::FILE* out = std::fopen(ScratchPath().c_str(), "wb");
    FUZZ_CHECK(out != nullptr);
    FUZZ_CHECK(std::fwrite(data, 1, size, out) == size);
    FUZZ_CHECK(std::fclose(out) == 0);
    const std::u16string path = rawfile::Utf8ToUtf16(ScratchPath());
    FUZZ_CHECK(keysearch::SameResult(fromMemory, rawfile::LoadRawHeader(path)));
    std::FILE* in = rawfile::OpenForReading(path);
    FUZZ_CHECK(in != nullptr);
    FUZZ_CHECK(keysearch::SameResult(fromMemory, keysearch::LoadKeyByKey(in)));
    std::fclose(in);

    if (fromMemory.error == LoadError::kNone) {
        CheckValues(fromMemory.values);
    }
    return 0;
}
