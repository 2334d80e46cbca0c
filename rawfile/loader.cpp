#include "loader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
// 64-bit Linux builds also carry an AVX2 version of the block test, used where the processor has
// it (RVX_NO_AVX2 leaves it out, to exercise the SSE2 version on such a processor). The Windows
// build stays on SSE2: its compiler does not align the stack for AVX values.
#if defined(__x86_64__) && defined(__linux__) && !defined(RVX_NO_AVX2)
#define RVX_AVX2 1
#include <immintrin.h>
#endif

#include "file_ops.h"

namespace rawfile {

namespace {

constexpr std::size_t kReadBuffer = 64 * 1024;
// The first read takes a little more than the header, which holds its keys: a check of many
// files then copies no more of each than that.
constexpr std::size_t kFirstRead = 512;

// The bytes a key starts with, as a table: one look at a line's first byte rules most lines out.
struct KeyStarts {
    bool byte[256] = {};
    constexpr KeyStarts() {
        for (const char* key : kKeys) {
            byte[static_cast<unsigned char>(key[0])] = true;
        }
    }
};
constexpr KeyStarts kKeyStarts;

// The keys' texts with their lengths.
constexpr std::string_view kKeyTexts[kKeyCount] = {kKeyVersion, kKeyReceiverId, kKeyDate, kKeyModel,
                                                   kKeyAntHeight};

inline bool MayHoldKey(char first) {
    return kKeyStarts.byte[static_cast<unsigned char>(first)];
}

// The search for key texts tests this many positions at a time.
constexpr std::size_t kBlockBytes = 128;

// The block tests below take the texts of the keys still sought (the needles). Each returns the
// first block from `at` on, up to `last`, in which some needle's first byte and, the needle's
// length further on, its last byte stand; past `last` when none. A block's test reads
// kBlockBytes + (longest needle) - 1 bytes. kCount, when not 0, is `count` known at compile time.

#ifdef __SSE2__
inline __m128i Load(const char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// 16 positions an instruction.
template <std::size_t kCount>
const char* NextBlock(const char* at, const char* last, const std::string_view* needles,
                      std::size_t count) {
    const std::size_t n = kCount != 0 ? kCount : count;
    __m128i first[kKeyCount];
    __m128i lastByte[kKeyCount];
    for (std::size_t k = 0; k < n; ++k) {
        first[k] = _mm_set1_epi8(needles[k].front());
        lastByte[k] = _mm_set1_epi8(needles[k].back());
    }
    for (; at <= last; at += kBlockBytes) {
        __m128i pairs = _mm_setzero_si128();
        for (std::size_t k = 0; k < n; ++k) {
            const char* lastAt = at + needles[k].size() - 1;
            for (std::size_t i = 0; i < kBlockBytes; i += 16) {
                pairs = _mm_or_si128(pairs,
                                     _mm_and_si128(_mm_cmpeq_epi8(Load(at + i), first[k]),
                                                   _mm_cmpeq_epi8(Load(lastAt + i), lastByte[k])));
            }
        }
        if (_mm_movemask_epi8(pairs) != 0) {
            break;
        }
    }
    return at;
}
#endif

#ifdef RVX_AVX2
bool HasAvx2() {
    static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") != 0);
    return has;
}

// NextBlock with 32 positions an instruction.
template <std::size_t kCount>
__attribute__((target("avx2"))) const char* NextBlockAvx2(const char* at, const char* last,
                                                          const std::string_view* needles,
                                                          std::size_t count) {
    const std::size_t n = kCount != 0 ? kCount : count;
    __m256i first[kKeyCount];
    __m256i lastByte[kKeyCount];
    for (std::size_t k = 0; k < n; ++k) {
        first[k] = _mm256_set1_epi8(needles[k].front());
        lastByte[k] = _mm256_set1_epi8(needles[k].back());
    }
    for (; at <= last; at += kBlockBytes) {
        __m256i pairs = _mm256_setzero_si256();
        for (std::size_t k = 0; k < n; ++k) {
            const char* lastAt = at + needles[k].size() - 1;
            for (std::size_t i = 0; i < kBlockBytes; i += 32) {
                const __m256i f = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + i));
                const __m256i l = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lastAt + i));
                pairs = _mm256_or_si256(pairs, _mm256_and_si256(_mm256_cmpeq_epi8(f, first[k]),
                                                                _mm256_cmpeq_epi8(l, lastByte[k])));
            }
        }
        if (!_mm256_testz_si256(pairs, pairs)) {
            break;
        }
    }
    return at;
}
#endif

// The position after the last LF in [from, to), or `from` when there is none.
const char* AfterLastLf(const char* from, const char* to) {
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi8('\n');
    for (; to - from >= 16; to -= 16) {
        const int bits = _mm_movemask_epi8(_mm_cmpeq_epi8(Load(to - 16), lf));
        if (bits != 0) {
            return to - 16 + (31 - __builtin_clz(static_cast<unsigned>(bits))) + 1;
        }
    }
#endif
    while (to > from && to[-1] != '\n') {
        --to;
    }
    return to;
}

// The first position in [from, to) where a needle's whole text stands inside [from, end).
const char* NeedleIn(const char* from, const char* to, const char* end,
                     const std::string_view* needles, std::size_t count) {
    for (const char* at = from; at < to; ++at) {
        if (!MayHoldKey(*at)) {
            continue;
        }
        for (std::size_t k = 0; k < count; ++k) {
            const std::string_view key = needles[k];
            if (static_cast<std::size_t>(end - at) >= key.size() &&
                std::memcmp(at, key.data(), key.size()) == 0) {
                return at;
            }
        }
    }
    return nullptr;
}

// A block test: NextBlock or NextBlockAvx2 for a needle count.
using BlockTest = const char* (*)(const char* at, const char* last, const std::string_view* needles,
                                  std::size_t count);

// The block test of `search` for `count` needles; null for the byte-by-byte search.
BlockTest BlockTestFor(KeySearch search, std::size_t count) {
    switch (search) {
#ifdef RVX_AVX2
        case KeySearch::kAvx2:
            return count == 1 ? NextBlockAvx2<1> : NextBlockAvx2<0>;
#endif
#ifdef __SSE2__
        case KeySearch::kSse2:
            return count == 1 ? NextBlock<1> : NextBlock<0>;
#endif
        default:
            return nullptr;
    }
}

// The fastest search this build can run on this processor.
KeySearch FastestKeySearch() {
    static const KeySearch fastest = CanRunKeySearch(KeySearch::kAvx2)   ? KeySearch::kAvx2
                                     : CanRunKeySearch(KeySearch::kSse2) ? KeySearch::kSse2
                                                                         : KeySearch::kBytes;
    return fastest;
}

// The first position in [from, end) where a needle's whole text stands, or null. With a block
// test, blocks in which no needle's first and last byte stand the right distance apart are
// passed over whole.
const char* FindNeedle(BlockTest next, const char* from, const char* end,
                       const std::string_view* needles, std::size_t count, std::size_t longest) {
    const char* at = from;
    const std::size_t reach = kBlockBytes + longest - 1;  // the bytes a block's test reads
    if (next != nullptr && static_cast<std::size_t>(end - from) >= reach) {
        const char* const last = end - reach;
        while ((at = next(at, last, needles, count)) <= last) {
            const char* found = NeedleIn(at, at + kBlockBytes, end, needles, count);
            if (found != nullptr) {
                return found;
            }
            at += kBlockBytes;
        }
    }
    return NeedleIn(at, end, end, needles, count);
}

// The start of the line that holds `at`, given `line`, the start of a line at or before it. An
// LF always ends the line it is in, so a line starts after the last LF before `at`, and from
// there on the lines are cut every kMaxLineBytes bytes.
const char* LineHolding(const char* line, const char* at) {
    const char* start = AfterLastLf(line, at);
    return start + (at - start) / kMaxLineBytes * kMaxLineBytes;
}

}  // namespace

bool CanRunKeySearch(KeySearch search) {
    switch (search) {
        case KeySearch::kAvx2:
#ifdef RVX_AVX2
            return HasAvx2();
#else
            return false;
#endif
        case KeySearch::kSse2:
#ifdef __SSE2__
            return true;
#else
            return false;
#endif
        default:
            return true;
    }
}

const char* FindKeyText(KeySearch search, const char* from, const char* end,
                        const std::string_view* texts, std::size_t count) {
    std::size_t longest = 0;
    for (std::size_t k = 0; k < count; ++k) {
        longest = std::max(longest, texts[k].size());
    }
    return FindNeedle(BlockTestFor(search, count), from, end, texts, count, longest);
}

KeyScanner::KeyScanner() : foundSize_{}, have_{}, remaining_(kKeyCount) {}

void KeyScanner::TakeLine(const char* line, std::size_t size) {
    const std::string_view text(line, size);
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        if (!have_[k] && LineHasKey(text, kKeyTexts[k])) {
            std::memcpy(found_[k], line, size);
            foundSize_[k] = size;
            have_[k] = true;
            --remaining_;
        }
    }
}

bool KeyScanner::KeyAt(const char* at, const char* end) const {
    if (!MayHoldKey(*at)) {
        return false;
    }
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        const std::string_view key = kKeyTexts[k];
        if (!have_[k] && static_cast<std::size_t>(end - at) >= key.size() &&
            std::memcmp(at, key.data(), key.size()) == 0) {
            return true;
        }
    }
    return false;
}

const char* KeyScanner::NextKeyLine(const char* line, const char* end) const {
    // A piece no longer than the first read (a header) has a few lines: each line start is
    // looked at, which costs less than setting up the search for the texts.
    if (static_cast<std::size_t>(end - line) <= kFirstRead) {
        for (;;) {
            if (KeyAt(line, end)) {
                return line;
            }
            const std::size_t room = std::min<std::size_t>(kMaxLineBytes, end - line);
            const void* lf = std::memchr(line, '\n', room);
            const char* next = lf != nullptr ? static_cast<const char*>(lf) + 1 : line + room;
            if (next == end || (lf == nullptr && room < kMaxLineBytes)) {
                return line;  // the piece's last line
            }
            line = next;
        }
    }
    std::string_view needles[kKeyCount];
    std::size_t count = 0;
    std::size_t longest = 0;
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        if (!have_[k]) {
            needles[count] = kKeyTexts[k];
            longest = std::max(longest, needles[count++].size());
        }
    }
    // A key line is where a key's text stands at a line start: find the texts, then the lines.
    // One key still sought is the usual case of a file read to its end (one without a model line).
    const BlockTest next = BlockTestFor(FastestKeySearch(), count);
    for (const char* at = FindNeedle(next, line, end, needles, count, longest); at != nullptr;
         at = FindNeedle(next, at + 1, end, needles, count, longest)) {
        line = LineHolding(line, at);
        if (line == at) {
            return at;
        }
    }
    return LineHolding(line, end - 1);
}

void KeyScanner::Feed(const std::uint8_t* data, std::size_t size) {
    const char* p = reinterpret_cast<const char*>(data);
    const char* const end = p + size;
    while (p < end && remaining_ > 0) {
        if (carrySize_ == 0) {
            p = NextKeyLine(p, end);
        }
        // Complete a line begun in an earlier piece, or take the line at p.
        const std::size_t room = kMaxLineBytes - carrySize_;
        const std::size_t avail = static_cast<std::size_t>(end - p);
        const std::size_t look = avail < room ? avail : room;
        const void* lf = std::memchr(p, '\n', look);
        const std::size_t take = lf ? static_cast<const char*>(lf) - p + 1 : look;
        const bool complete = lf != nullptr || take == room;
        if (carrySize_ == 0 && complete) {
            if (MayHoldKey(*p)) {
                TakeLine(p, take);  // the whole line lies in this piece
            }
        } else {
            std::memcpy(carry_ + carrySize_, p, take);
            carrySize_ += take;
            if (complete) {
                TakeLine(carry_, carrySize_);
                carrySize_ = 0;
            }
        }
        p += take;
    }
}

void KeyScanner::Finish() {
    if (carrySize_ > 0 && remaining_ > 0) {
        TakeLine(carry_, carrySize_);
    }
    carrySize_ = 0;
}

LoadResult ResultFromKeyLines(const std::string_view* const lines[kKeyCount]) {
    LoadResult r;
    if (lines[0] == nullptr) {
        r.error = LoadError::kNoVersion;
        return r;
    }
    r.values.version = VersionFromLine(*lines[0]);
    if (lines[1] == nullptr) {
        r.error = LoadError::kNoReceiverId;
        return r;
    }
    r.values.receiverId = ReceiverIdFromLine(*lines[1]);
    if (lines[2] == nullptr) {
        r.error = LoadError::kNoDate;
        return r;
    }
    const auto date = DateFromLine(*lines[2]);
    if (!date) {
        r.error = LoadError::kDateTooLong;
        return r;
    }
    r.values.date = *date;
    if (lines[3] != nullptr) {
        r.values.model = ModelFromLine(*lines[3]);
    }
    if (lines[4] == nullptr) {
        r.error = LoadError::kNoAntHeight;
        return r;
    }
    r.values.antHeight = AntHeightFromLine(*lines[4]);
    return r;
}

LoadResult KeyScanner::Result() const {
    std::string_view views[kKeyCount];
    const std::string_view* lines[kKeyCount];
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        views[k] = std::string_view(found_[k], foundSize_[k]);
        lines[k] = have_[k] ? &views[k] : nullptr;
    }
    return ResultFromKeyLines(lines);
}

namespace {

// Scans the file `read` reads from (read(buffer, size, &n) false on a read error, n 0 at the
// end of the file), stopping once every key is found and the head is whole.
template <typename Read>
LoadResult ScanFile(Read read) {
    KeyScanner scanner;
    std::string head;
    bool failed = false;
    std::uint8_t first[kFirstRead];
    std::unique_ptr<std::uint8_t[]> more;
    std::uint8_t* buffer = first;
    std::size_t want = kFirstRead;
    for (;;) {
        std::size_t n = 0;
        bool last = false;
        if (!read(buffer, want, &n, &last)) {
            failed = true;
            break;
        }
        head.append(reinterpret_cast<const char*>(buffer), std::min(n, kBlockSize - head.size()));
        if (!scanner.AllFound()) {
            scanner.Feed(buffer, n);
        }
        if (n == 0 || last || (scanner.AllFound() && head.size() >= kBlockSize)) {
            break;
        }
        if (!more) {
            more.reset(new std::uint8_t[kReadBuffer]);
            buffer = more.get();
            want = kReadBuffer;
        }
    }
    LoadResult r;
    if (failed) {
        r.error = LoadError::kReadFailed;
        return r;
    }
    scanner.Finish();
    r = scanner.Result();
    r.head = std::move(head);
    return r;
}

}  // namespace

LoadResult LoadRawHeader(const std::u16string& path) {
    FileId id;
    std::FILE* file = OpenForReading(path, &id);
    if (file == nullptr) {
        LoadResult r;
        r.error = LoadError::kOpenFailed;
        r.readError = LastReadError();
        return r;
    }
    std::uint32_t readError = 0;
    LoadResult r = ScanFile([&](std::uint8_t* to, std::size_t size, std::size_t* n, bool*) {
        *n = std::fread(to, 1, size, file);
        if (*n == 0 && std::ferror(file)) {
            readError = LastReadError();
            return false;
        }
        return true;
    });
    std::fclose(file);
    r.readError = readError;
    r.id = id;
    return r;
}

LoadResult LoadRawHeader(const HeldFile& held) {
    FileError error;
    FileId id;
    std::uint64_t offset = 0;
    LoadResult r =
        held.Id(&id, &error)
            ? ScanFile([&](std::uint8_t* to, std::size_t size, std::size_t* n, bool* last) {
                  if (!held.ReadAt(offset, to, size, n, &error)) {
                      return false;
                  }
                  offset += *n;
                  *last = *n < size;  // a held file reads short only at its end
                  return true;
              })
            : LoadResult{};
    if (error.code != 0) {
        r = LoadResult{};
        r.error = error.op == FileOp::kRead ? LoadError::kReadFailed : LoadError::kOpenFailed;
        r.readError = error.code;
        return r;
    }
    r.id = id;
    return r;
}

LoadResult LoadRawHeaderFromBytes(const std::uint8_t* data, std::size_t size) {
    KeyScanner scanner;
    scanner.Feed(data, size);
    scanner.Finish();
    return scanner.Result();
}

}  // namespace rawfile
