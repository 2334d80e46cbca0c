// What the fuzz targets share: an invariant check that prints what broke and aborts, so that
// libFuzzer keeps the input that caused it, and the layout of a save input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                           \
    ((cond) ? (void)0                                                                              \
            : (std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, #cond), \
               std::abort()))

namespace fuzzcheck {

// A save input is a flags byte, then the version, serial, date and model texts (each what follows
// its key), the point name and the height, each ended by kFieldEnd, then the receiver bytes.
constexpr char kFieldEnd = '\x1f';
enum SaveFlags : std::uint8_t {
    kNoModel = 1,
    kPointWide = 2,   // the point name as UTF-16LE pairs, else one byte a character
    kHeightWide = 4,  // likewise the height
    kRawVersion = 8,  // the version text's first 8 bytes are the version as a raw double
};

}  // namespace fuzzcheck
