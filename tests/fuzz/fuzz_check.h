// Invariant checks shared by the fuzz targets: a failed check prints what broke and aborts, so
// libFuzzer keeps the input that caused it.
#pragma once

#include <cstdint>
#include <string>

#include "save.h"

namespace fuzzcheck {

[[noreturn]] void Fail(const char* what, const char* file, int line);

#define FUZZ_CHECK(cond) ((cond) ? (void)0 : ::fuzzcheck::Fail(#cond, __FILE__, __LINE__))

// Checks the outcome of PlanSave(file, pointName, heightText, &plan) where `before` is the plan
// as it was before the call: a refusal left the plan as it was; an accepted plan holds exactly
// the composed text and the millimetre field of the height written, a point name that a file
// name can hold, and a block that loads back to the values it was made from.
void CheckPlan(const rawfile::LoadedFile& file, const std::u16string& pointName,
               const std::u16string& heightText, rawfile::SaveRefusal refusal,
               const rawfile::SavePlan& before, const rawfile::SavePlan& plan);

// A save input is a flags byte, then the version, serial, date and model texts (each what follows
// its key), the point name and the height, each ended by kFieldEnd, then the receiver bytes.
constexpr char kFieldEnd = '\x1f';
enum SaveFlags : std::uint8_t {
    kNoModel = 1,
    kPointWide = 2,   // the point name as UTF-16LE pairs, else one byte a character
    kHeightWide = 4,  // likewise the height
    kRawVersion = 8,  // the version text's first 8 bytes are the version as a raw double
};

// A plan filled with values no real plan holds, to see whether a refusal touched it.
rawfile::SavePlan SentinelPlan();

}  // namespace fuzzcheck
