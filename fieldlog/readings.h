// Antenna height readings as a field crew takes them: several vertical readings, or several slant
// readings to the antenna's rim with its radius, averaged into the one height a header stores,
// and refused when they disagree by more than a tolerance.
#pragma once

#include <string>
#include <vector>

namespace rawfile {

// The readings of one row or command line, as written (cells or arguments); blank ones count
// for nothing, and a log leaves them out.
struct Readings {
    std::vector<std::string> vertical;
    std::vector<std::string> slant;
    std::string radius;         // blank when not given
    std::string offset;         // blank: 0
    bool decimalComma = false;  // "1,602" is read as 1.602
};

enum class ReadingsProblem {
    kNone,
    kNoReadings,           // neither kind given: the height is not set
    kNotNumber,            // `cell` is not a decimal number
    kBothKinds,            // vertical and slant readings together
    kNoRadius,             // slant readings without a radius, or with one of 0 or less
    kSlantNotAboveRadius,  // the mean slant is not longer than the radius
    kSpread,               // the readings spread by more than the tolerance
    kOutOfRange,           // the height (or `cell`, a reading) is too large to be stored
};

struct HeightFromReadings {
    ReadingsProblem problem = ReadingsProblem::kNone;
    std::string heightText;           // the height rounded to millimetres, "%.3f"
    std::string cell;                 // kNotNumber, kOutOfRange: the reading at fault, if one is
    std::vector<std::string> spread;  // kSpread: the readings that disagree, as written
    double tolerance = 0;             // kSpread: the tolerance they exceed, in metres
};

// The default tolerance on the spread of readings, in metres.
constexpr double kDefaultTolerance = 0.003;

// The height the readings give. One vertical reading is the height as written, for the save to
// round as it rounds a typed height; two or more give their exact mean, rounded to millimetres
// half away from zero (every digit counts: 1.60049999 and 1.6005 give 1.600); slant readings
// give sqrt(mean slant^2 - radius^2) + offset, rounded likewise. The spread (the largest reading
// less the least) is compared exactly with the tolerance, which is taken to the micrometre, so
// a spread of exactly the tolerance passes. No count or size of readings overflows: a height
// too large for the header is kOutOfRange.
HeightFromReadings HeightOf(const Readings& readings, double toleranceMetres);

// True when `text` is a tolerance: a decimal number of metres, zero or more.
bool ParseTolerance(const std::string& text, double* metres);

}  // namespace rawfile
