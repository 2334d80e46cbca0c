// The layout of a save fuzz input, shared by the target that reads it and the program that
// writes its seeds: loaded values, field texts and receiver bytes, in the order
// FuzzedDataProvider consumes them (strings from the front, flags from the back).
#pragma once

#include <string>

namespace saveinput {

constexpr std::size_t kMaxVersion = 40;
constexpr std::size_t kMaxSerial = 20;
constexpr std::size_t kMaxDate = 24;
constexpr std::size_t kMaxModel = 170;
constexpr std::size_t kMaxField = 48;

struct SaveInput {
    bool versionAsText = true;  // else a raw double from the input
    std::string version;        // the text after "ver"
    std::string serial;         // the text after "ReceiverID:"
    std::string date;           // the text after "Date:"
    bool hasModel = true;
    std::string model;       // the text after "Model:"
    bool pointWide = false;  // the point name as UTF-16LE pairs, else one byte a character
    std::string pointName;
    bool heightWide = false;
    std::string height;
    std::string data;  // the bytes after the block
};

// Encodes `in` so that reading it back with FuzzedDataProvider yields the same fields.
std::string Encode(const SaveInput& in);

}  // namespace saveinput
