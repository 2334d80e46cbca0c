#include "loader.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "file_ops.h"

namespace rawfile {

namespace {

constexpr std::size_t kReadBuffer = 64 * 1024;

}  // namespace

KeyScanner::KeyScanner() : have_{}, remaining_(kKeyCount) {}

namespace {

// The bytes a key starts with, as a table: most lines are receiver data, and one look at the
// first byte rules them out.
struct KeyStarts {
    bool byte[256] = {};
    constexpr KeyStarts() {
        for (const char* key : kKeys) {
            byte[static_cast<unsigned char>(key[0])] = true;
        }
    }
};
constexpr KeyStarts kKeyStarts;

inline bool MayHoldKey(char first) {
    return kKeyStarts.byte[static_cast<unsigned char>(first)];
}

}  // namespace

void KeyScanner::TakeLine(const char* line, std::size_t size) {
    const std::string_view text(line, size);
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        if (!have_[k] && LineHasKey(text, kKeys[k])) {
            found_[k].assign(line, size);
            have_[k] = true;
            --remaining_;
        }
    }
}

void KeyScanner::Feed(const std::uint8_t* data, std::size_t size) {
    const char* p = reinterpret_cast<const char*>(data);
    const char* const end = p + size;
    while (p < end && remaining_ > 0) {
        // Complete a line begun in an earlier piece.
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

LoadResult ResultFromKeyLines(const std::string* const lines[kKeyCount]) {
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
    const std::string* lines[kKeyCount];
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        lines[k] = have_[k] ? &found_[k] : nullptr;
    }
    return ResultFromKeyLines(lines);
}

LoadResult LoadRawHeader(const std::u16string& path) {
    std::FILE* file = OpenForReading(path);
    if (file == nullptr) {
        LoadResult r;
        r.error = LoadError::kOpenFailed;
        return r;
    }
    KeyScanner scanner;
    const std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kReadBuffer]);
    while (!scanner.AllFound()) {
        const std::size_t n = std::fread(buffer.get(), 1, kReadBuffer, file);
        if (n == 0) {
            break;  // end of file or a read error: no more lines
        }
        scanner.Feed(buffer.get(), n);
    }
    scanner.Finish();
    std::fclose(file);
    return scanner.Result();
}

LoadResult LoadRawHeaderFromBytes(const std::uint8_t* data, std::size_t size) {
    KeyScanner scanner;
    scanner.Feed(data, size);
    scanner.Finish();
    return scanner.Result();
}

}  // namespace rawfile
