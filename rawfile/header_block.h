// The 160-byte header block at the start of a raw file: its key lines as read, and the block
// as written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rawfile {

constexpr size_t kBlockSize = 160;
// A line as read holds at most this many bytes (one read into a 160-byte buffer).
constexpr size_t kMaxLineBytes = kBlockSize - 1;
constexpr size_t kMillimetreOffset = 130;
constexpr char kTitle[] = "VORTALIX COLLECTED DATA FILE";

constexpr char kKeyVersion[] = "ver";
constexpr char kKeyReceiverId[] = "ReceiverID:";
constexpr char kKeyDate[] = "Date:";
constexpr char kKeyModel[] = "Model:";
constexpr char kKeyAntHeight[] = "AntHigh:";
// The five keys in the order the loader checks them.
constexpr const char* kKeys[] = {kKeyVersion, kKeyReceiverId, kKeyDate, kKeyModel, kKeyAntHeight};
constexpr size_t kKeyCount = sizeof kKeys / sizeof kKeys[0];

// The receiver serial is at most this many letters and digits after its key.
constexpr size_t kMaxSerialChars = 6;
// A date value (after its key, line end included) longer than this is refused by the loader.
constexpr size_t kMaxDateValueBytes = 15;

// The values of a header that a save writes back.
struct HeaderValues {
    double version = 0;
    std::string receiverId;  // at most 6 ASCII letters and digits
    std::string date;        // at most 15 bytes, no zero byte
    std::string model;       // the whole "Model:" line without its line end, or empty
    float antHeight = 0;     // metres
};

using HeaderBlock = std::array<std::uint8_t, kBlockSize>;

// A line's text: its bytes up to the first zero byte.
std::string_view LineText(std::string_view rawLine);

// True when the line (counted to its first zero byte) starts with `key`.
bool LineHasKey(std::string_view rawLine, std::string_view key);

// The value each key line yields. Each takes the matching line as read.
double VersionFromLine(std::string_view line);
std::string ReceiverIdFromLine(std::string_view line);
// Empty optional when the value, line end included, is longer than kMaxDateValueBytes.
std::optional<std::string> DateFromLine(std::string_view line);
std::string ModelFromLine(std::string_view line);
float AntHeightFromLine(std::string_view line);

// The header text for these values and height text (without the millimetre field).
std::string ComposeHeaderText(const HeaderValues& values, std::string_view heightText);

// Lays `text` and the millimetre field into a zero-filled block. False, leaving *block
// untouched, when the text with its terminating zero does not fit the 160 bytes.
bool ComposeHeaderBlock(std::string_view text, std::int32_t millimetres, HeaderBlock* block);

// The millimetre field as stored in a block (little-endian signed 32-bit at bytes 130-133).
std::int32_t MillimetresInBlock(const std::uint8_t* block160);

}  // namespace rawfile
