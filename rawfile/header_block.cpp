#include "header_block.h"

#include <cstring>

#include "numbers.h"

namespace rawfile {

namespace {

bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Removes a CR before the last byte and an LF as the last byte; a removed byte ends the text.
std::string StripLineEnd(std::string value) {
    const size_t n = value.size();
    size_t end = n;
    if (n >= 2 && value[n - 2] == '\r') {
        end = n - 2;
    } else if (n >= 1 && value[n - 1] == '\n') {
        end = n - 1;
    }
    value.resize(end);
    return value;
}

}  // namespace

std::string_view LineText(std::string_view rawLine) {
    const size_t zero = rawLine.find('\0');
    return zero == std::string_view::npos ? rawLine : rawLine.substr(0, zero);
}

bool LineHasKey(std::string_view rawLine, std::string_view key) {
    // Keys hold no zero byte, so a match on the raw bytes is a match on the counted line.
    return rawLine.size() >= key.size() && rawLine.compare(0, key.size(), key) == 0;
}

double VersionFromLine(std::string_view line) {
    return ScanLeadingDouble(LineText(line).substr(sizeof kKeyVersion - 1));
}

std::string ReceiverIdFromLine(std::string_view line) {
    std::string_view value = LineText(line).substr(sizeof kKeyReceiverId - 1);
    value = value.substr(0, kMaxSerialChars);
    size_t n = 0;
    while (n < value.size() && IsAsciiAlnum(value[n])) {
        ++n;
    }
    return std::string(value.substr(0, n));
}

std::optional<std::string> DateFromLine(std::string_view line) {
    const std::string_view value = LineText(line).substr(sizeof kKeyDate - 1);
    if (value.size() > kMaxDateValueBytes) {
        return std::nullopt;
    }
    return StripLineEnd(std::string(value));
}

std::string ModelFromLine(std::string_view line) {
    return StripLineEnd(std::string(LineText(line)));
}

float AntHeightFromLine(std::string_view line) {
    return ScanLeadingFloat(LineText(line).substr(sizeof kKeyAntHeight - 1));
}

std::string ComposeHeaderText(const HeaderValues& values, std::string_view heightText) {
    std::string text;
    text.reserve(kBlockSize);
    text += kTitle;
    text += "\r\nver ";
    text += FormatFixed(values.version, 1);
    text += "\r\nReceiverID:";
    text += values.receiverId;
    text += "\r\nDate:";
    text += values.date;
    text += "\r\n";
    text += values.model;
    text += "\r\nAntHigh:";
    text += heightText;
    text += "\r\n";
    return text;
}

bool ComposeHeaderBlock(std::string_view text, std::int32_t millimetres, HeaderBlock* block) {
    if (text.size() >= kBlockSize) {
        return false;
    }
    block->fill(0);
    std::memcpy(block->data(), text.data(), text.size());
    const auto mm = static_cast<std::uint32_t>(millimetres);
    for (int i = 0; i < 4; ++i) {
        (*block)[kMillimetreOffset + i] = static_cast<std::uint8_t>(mm >> (8 * i));
    }
    return true;
}

std::int32_t MillimetresInBlock(const std::uint8_t* block160) {
    std::uint32_t mm = 0;
    for (int i = 3; i >= 0; --i) {
        mm = (mm << 8) | block160[kMillimetreOffset + i];
    }
    return static_cast<std::int32_t>(mm);
}

}  // namespace rawfile
