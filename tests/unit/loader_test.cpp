// Loading: how lines are split, how keys match, the values each key yields and the failures in
// their order. (That the one-pass loader finds the lines five key-by-key searches would is the
// load fuzz target's to check, on any input.)
#include <gtest/gtest.h>

#include "loader.h"
#include "raw_gen.h"

using rawfile::LoadError;
using rawfile::LoadResult;

namespace {

LoadResult LoadBytes(const std::string& bytes) {
    return rawfile::LoadRawHeaderFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                           bytes.size());
}

// The standard header with the line starting with `prefix` replaced by `line` (or dropped).
std::string With(const std::string& prefix, const std::string& line) {
    std::vector<std::string> lines;
    for (const auto& l : rawgen::StandardLines()) {
        if (l.rfind(prefix, 0) != 0) {
            lines.push_back(l);
        } else if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return rawgen::MakeHeader(lines);
}

}  // namespace

TEST(Loader, ValuesFailuresAndLinesAsRead) {
    const std::string keysInData = rawgen::ReceiverData(300, 3) +
                                   "\nAntHigh:2.25\nAntHigh:9\nDate:d\nReceiverID:77\nver 4.5\n";
    const struct {
        std::string bytes;
        LoadError error;
        double version;
        const char* serial;
        const char* date;
        const char* model;
        float height;
    } cases[] = {
        {rawgen::StandardFile(), LoadError::kNone, 2, "A1B2C3", "2026-03-27", "Model:VX-10 GNSS",
         1.5f},
        {"", LoadError::kNoVersion, 0, "", "", "", 0},
        // With several keys missing the first in load order decides; values before it are kept.
        {"ReceiverID:1\nAntHigh:1", LoadError::kNoVersion, 0, "", "", "", 0},
        {With("ReceiverID:", ""), LoadError::kNoReceiverId, 2, "", "", "", 0},
        {With("Date:", ""), LoadError::kNoDate, 2, "A1B2C3", "", "", 0},
        {With("AntHigh:", ""), LoadError::kNoAntHeight, 2, "A1B2C3", "2026-03-27",
         "Model:VX-10 GNSS", 0},
        {With("Model:", ""), LoadError::kNone, 2, "A1B2C3", "2026-03-27", "", 1.5f},
        // A date value of 15 bytes with its line end loads; 16 fail.
        {With("Date:", "Date:" + std::string(13, '9')), LoadError::kNone, 2, "A1B2C3",
         "9999999999999", "Model:VX-10 GNSS", 1.5f},
        {With("Date:", "Date:" + std::string(14, '9')), LoadError::kDateTooLong, 2, "A1B2C3", "",
         "", 0},
        // The serial ends at six or at the first character that is not a letter or digit.
        {With("ReceiverID:", "ReceiverID:AB-1234"), LoadError::kNone, 2, "AB", "2026-03-27",
         "Model:VX-10 GNSS", 1.5f},
        {With("ReceiverID:", "ReceiverID:" + std::string(40, 'Z')), LoadError::kNone, 2, "ZZZZZZ",
         "2026-03-27", "Model:VX-10 GNSS", 1.5f},
        // Unreadable numbers give 0; readable prefixes count.
        {"version 3\nReceiverID:1\nDate:2\nAntHigh:abc", LoadError::kNone, 0, "1", "2", "", 0},
        {"ver   -1.25e1xyz\nReceiverID:1\nDate:2\nAntHigh: 1.2345m", LoadError::kNone, -12.5, "1",
         "2", "", 1.2345f},
        // Line ends are stripped only where they stand; a last line without LF counts.
        {"ver 1\nReceiverID:X\nDate:ab\rc\nModel:M1\r\nAntHigh:2", LoadError::kNone, 1, "X",
         "ab\rc", "Model:M1", 2},
        // Keys anywhere, in any order, the first match wins, from receiver data too.
        {"title only\r\n" + keysInData, LoadError::kNone, 4.5, "77", "d", "", 2.25f},
        // Keys are case-sensitive and start the line.
        {"VER 1\n ver 1\nReceiverID:1\nDate:2\nAntHigh:3", LoadError::kNoVersion, 0, "", "", "", 0},
        // A long line is cut after 159 bytes: a key right after the cut starts a line.
        {std::string(159, 'x') + "ver 7\nReceiverID:1\nDate:2\nAntHigh:3", LoadError::kNone, 7, "1",
         "2", "", 3},
        {std::string(158, 'x') + "ver 7\nReceiverID:1\nDate:2\nAntHigh:3", LoadError::kNoVersion, 0,
         "", "", "", 0},
        // A zero byte inside a key hides it; after the key it ends the value.
        {std::string("ve\0r 1\nver 8\0 9\nReceiverID:1\nDate:2\nAntHigh:3", 45), LoadError::kNone,
         8, "1", "2", "", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 60));
        const LoadResult r = LoadBytes(c.bytes);
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(r.values.version, c.version);
        EXPECT_EQ(r.values.receiverId, c.serial);
        EXPECT_EQ(r.values.date, c.date);
        EXPECT_EQ(r.values.model, c.model);
        EXPECT_EQ(r.values.antHeight, c.height);
    }
}

TEST(Loader, FilesOnDisk) {
    rawgen::TempDir dir;
    EXPECT_EQ(rawfile::LoadRawHeader(dir.Path(u"missing.RVX")).error, LoadError::kOpenFailed);
    EXPECT_EQ(rawfile::LoadRawHeader(dir.Folder()).error, LoadError::kOpenFailed);
    // A name outside any legacy code page opens, and keys far beyond the first read buffer are
    // found.
    const std::u16string path = dir.Path(u"Ωμέγα\u6D4B\u8BD5.RVX");
    rawgen::WriteFile(path, rawgen::MakeHeader({"ver 1", "ReceiverID:9"}) +
                                rawgen::ReceiverData(200000, 5) + "\nDate:x\nAntHigh:0.5");
    const LoadResult r = rawfile::LoadRawHeader(path);
    EXPECT_EQ(r.error, LoadError::kNone);
    EXPECT_EQ(r.values.antHeight, 0.5f);
}

// The key search tests 128 positions a step: a key standing at any offset around the block
// edges is found, by every way of searching this processor can run.
TEST(Loader, KeySearchFindsAKeyAtEveryOffset) {
    using rawfile::KeySearch;
    const std::string_view oneKey[] = {"AntHigh:"};
    const std::string_view allKeys[] = {"ver", "ReceiverID:", "Date:", "Model:", "AntHigh:"};
    const struct {
        const std::string_view* texts;
        std::size_t count;
        std::string_view placed;
    } sets[] = {{oneKey, 1, "AntHigh:"}, {allKeys, 5, "ver"}, {allKeys, 5, "ReceiverID:"}};
    for (const KeySearch search : {KeySearch::kBytes, KeySearch::kSse2, KeySearch::kAvx2}) {
        if (!rawfile::CanRunKeySearch(search)) {
            continue;
        }
        for (const auto& set : sets) {
            // Three whole blocks and a rest searched byte by byte; near misses all over it.
            std::string bytes(3 * 128 + 40, 'e');
            for (std::size_t i = 0; i < bytes.size(); i += 7) {
                bytes[i] = set.placed[0];
            }
            const char* const begin = bytes.data();
            const char* const end = begin + bytes.size();
            EXPECT_EQ(rawfile::FindKeyText(search, begin, end, set.texts, set.count), nullptr);
            for (std::size_t at = 0; at + set.placed.size() <= bytes.size(); ++at) {
                std::string with = bytes;
                with.replace(at, set.placed.size(), set.placed);
                const char* found = rawfile::FindKeyText(
                    search, with.data(), with.data() + with.size(), set.texts, set.count);
                ASSERT_EQ(found, with.data() + at)
                    << "search " << static_cast<int>(search) << ", " << set.placed << " at " << at;
            }
        }
    }
}
