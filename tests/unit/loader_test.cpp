// Loading: how lines are split, how keys match, the values each key yields and the failures in
// their order. The one-pass loader is checked against the key-by-key search it replaces.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "file_ops.h"
#include "key_search.h"
#include "loader.h"
#include "raw_gen.h"

using rawfile::LoadError;
using rawfile::LoadRawHeaderFromBytes;
using rawfile::LoadResult;

namespace {

LoadResult LoadLines(const std::vector<std::string>& lines, const std::string& data = "") {
    const std::string bytes = rawgen::MakeHeader(lines) + data;
    return LoadRawHeaderFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                  bytes.size());
}

std::vector<std::string> Without(const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& l : rawgen::StandardLines()) {
        if (l.rfind(prefix, 0) != 0) {
            out.push_back(l);
        }
    }
    return out;
}

}  // namespace

TEST(Loader, StandardFileGivesEveryValue) {
    const LoadResult r = LoadLines(rawgen::StandardLines(), rawgen::ReceiverData(5000, 1));
    ASSERT_EQ(r.error, LoadError::kNone);
    EXPECT_EQ(r.values.version, 2.0);
    EXPECT_EQ(r.values.receiverId, "A1B2C3");
    EXPECT_EQ(r.values.date, "2026-03-27");
    EXPECT_EQ(r.values.model, "Model:VX-10 GNSS");
    EXPECT_EQ(r.values.antHeight, 1.5f);
}

TEST(Loader, EachMissingKeyFailsInLoadOrder) {
    EXPECT_EQ(LoadLines({}).error, LoadError::kNoVersion);
    EXPECT_EQ(LoadRawHeaderFromBytes(nullptr, 0).error, LoadError::kNoVersion);
    // With several keys missing, the first in load order decides.
    EXPECT_EQ(LoadLines({"ReceiverID:1", "AntHigh:1"}).error, LoadError::kNoVersion);
    EXPECT_EQ(LoadLines(Without("ReceiverID:")).error, LoadError::kNoReceiverId);
    EXPECT_EQ(LoadLines(Without("Date:")).error, LoadError::kNoDate);
    EXPECT_EQ(LoadLines(Without("AntHigh:")).error, LoadError::kNoAntHeight);
    // The model line is optional.
    const LoadResult noModel = LoadLines(Without("Model:"));
    EXPECT_EQ(noModel.error, LoadError::kNone);
    EXPECT_EQ(noModel.values.model, "");
}

TEST(Loader, DateValueOfFifteenBytesLoadsSixteenFails) {
    auto lines = rawgen::StandardLines();
    lines[3] = "Date:" + std::string(13, '9');  // 13 + CR LF = 15 bytes
    LoadResult r = LoadLines(lines);
    ASSERT_EQ(r.error, LoadError::kNone);
    EXPECT_EQ(r.values.date, std::string(13, '9'));
    lines[3] = "Date:" + std::string(14, '9');
    r = LoadLines(lines);
    EXPECT_EQ(r.error, LoadError::kDateTooLong);
    // The values before the failing step are kept.
    EXPECT_EQ(r.values.receiverId, "A1B2C3");
}

TEST(Loader, LineEndsAreStrippedOnlyWhereTheyStand) {
    // A date line without CR keeps everything but the LF; a lone CR before the last byte ends it.
    LoadResult r = LoadRawHeaderFromBytes(
        reinterpret_cast<const std::uint8_t*>("ver 1\nReceiverID:X\nDate:ab\rc\nAntHigh:2"), 38);
    ASSERT_EQ(r.error, LoadError::kNone);
    EXPECT_EQ(r.values.date, "ab\rc");
    const std::string bytes = "ver 1\nReceiverID:X\nDate:abc\nModel:M1\nAntHigh:2";
    r = LoadRawHeaderFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(r.values.date, "abc");
    EXPECT_EQ(r.values.model, "Model:M1");
    // The last line without LF is still examined.
    EXPECT_EQ(r.values.antHeight, 2.0f);
}

TEST(Loader, SerialIsCutAtSixOrAtTheFirstOtherCharacter) {
    const std::pair<std::string, std::string> cases[] = {
        {"ReceiverID:AB-1234", "AB"},
        {"ReceiverID:ABCDEFGHJK", "ABCDEF"},
        {"ReceiverID:12", "12"},
        {"ReceiverID:-12", ""},
        {"ReceiverID:" + std::string(40, 'Z'), "ZZZZZZ"},
    };
    for (const auto& [line, serial] : cases) {
        auto lines = rawgen::StandardLines();
        lines[2] = line;
        const LoadResult r = LoadLines(lines);
        EXPECT_EQ(r.error, LoadError::kNone) << line;
        EXPECT_EQ(r.values.receiverId, serial) << line;
    }
}

TEST(Loader, UnreadableNumbersGiveZero) {
    auto lines = rawgen::StandardLines();
    lines[1] = "version 3";
    lines[5] = "AntHigh:abc";
    LoadResult r = LoadLines(lines);
    ASSERT_EQ(r.error, LoadError::kNone);
    EXPECT_EQ(r.values.version, 0.0);
    EXPECT_EQ(r.values.antHeight, 0.0f);
    lines[1] = "ver   -1.25e1xyz";
    lines[5] = "AntHigh: 1.2345m";
    r = LoadLines(lines);
    EXPECT_EQ(r.values.version, -12.5);
    EXPECT_EQ(r.values.antHeight, 1.2345f);
}

TEST(Loader, KeysAreFoundAnywhereInAnyOrderFirstMatchWins) {
    // No header at all: every key comes from receiver data beyond byte 159, in reverse order,
    // and a second AntHigh line does not count.
    const std::string data = rawgen::ReceiverData(300, 3) + "\nAntHigh:2.25\nAntHigh:9\n" +
                             "Date:d\nReceiverID:77\nver 4.5\n";
    const LoadResult r = LoadLines({"title only"}, data);
    ASSERT_EQ(r.error, LoadError::kNone);
    EXPECT_EQ(r.values.antHeight, 2.25f);
    EXPECT_EQ(r.values.version, 4.5);
    EXPECT_EQ(r.values.receiverId, "77");
    // Keys are case-sensitive and must start the line.
    EXPECT_EQ(LoadLines({"VER 1", " ver 1"}).error, LoadError::kNoVersion);
}

TEST(Loader, LongLinesSplitAfter159BytesAndZeroBytesEndTheText) {
    // A key right after 159 bytes without LF starts a new line and is found.
    std::string bytes = std::string(159, 'x') + "ver 7\n";
    bytes += "ReceiverID:1\nDate:2\nAntHigh:3\n";
    LoadResult r =
        LoadRawHeaderFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(r.error, LoadError::kNone);
    EXPECT_EQ(r.values.version, 7.0);
    // At 158 bytes the key is inside the first line and is not found.
    bytes = std::string(158, 'x') + "ver 7\nReceiverID:1\nDate:2\nAntHigh:3\n";
    r = LoadRawHeaderFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(r.error, LoadError::kNoVersion);
    // A zero byte inside the key hides it; after the key it ends the value.
    bytes = std::string("ve\0r 1\nver 8\0 9\nReceiverID:1\nDate:2\nAntHigh:3\n", 44);
    r = LoadRawHeaderFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(r.values.version, 8.0);
}

TEST(Loader, OnePassAgreesWithKeyByKeySearchOnGeneratedFiles) {
    // Random files built from fragments of key lines, line ends, zero bytes and long runs, read
    // through a file: the one-pass loader must equal five searches from the start.
    rawgen::TempDir dir;
    const std::u16string path = dir.Path(u"f.RVX");
    const char* fragments[] = {"ver",      " 1.5", "ReceiverID:", "AB12", "Date:", "x", "Model:",
                               "AntHigh:", "2.5",  "\r\n",        "\n",   "\r",    ""};
    std::mt19937 rng(42);
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const int pieces = static_cast<int>(rng() % 60);
        for (int i = 0; i < pieces; ++i) {
            if (rng() % 10 == 0) {
                bytes += std::string(rng() % 200, 'q');
            } else {
                const char* f = fragments[rng() % 13];
                bytes.append(f, *f ? std::strlen(f) : 1);
            }
        }
        rawgen::WriteFile(path, bytes);
        const LoadResult fast = rawfile::LoadRawHeader(path);

        std::FILE* f = rawfile::OpenForReading(path);
        ASSERT_NE(f, nullptr);
        const LoadResult slow = keysearch::LoadKeyByKey(f);
        std::fclose(f);
        ASSERT_TRUE(keysearch::SameResult(fast, slow)) << "round " << round;
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
    rawgen::WriteFile(path, "");
    EXPECT_EQ(rawfile::LoadRawHeader(path).error, LoadError::kNoVersion);
}
