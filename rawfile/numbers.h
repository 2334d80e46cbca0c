// Number reading and printing for the header block. Both builds use the same code (not the C
// runtime's), so the Windows program and the native tools read and print identically.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rawfile {

// Reads the longest decimal number at the start of `text` the way strtod does for decimal
// input: leading white space skipped, optional sign, digits with an optional point, optional
// exponent. Text that does not start a number gives 0; an overflowing value gives +-infinity.
double ScanLeadingDouble(std::string_view text);

// The same, rounded once to single precision (what scanning with "%f" gives).
float ScanLeadingFloat(std::string_view text);

// Prints `value` with exactly `decimals` digits after the point, as "%.Nf" does (exact ties
// round to even; infinities print as "inf"/"-inf", NaN as "nan" or, with its sign bit set,
// "-nan"), except that a value that prints as zero never has a minus sign.
std::string FormatFixed(double value, int decimals);

// A whole number in decimal digits (with "-" when it is negative), as text for messages.
std::u16string WholeNumberText(long long value);

// True when `text` is a whole decimal number: after blanks at either end are dropped, an
// optional sign, digits with at most one decimal point (at least one digit), and nothing else
// (no exponent). On success *value holds it in single precision (infinity when it overflows).
bool ParseStrictFloat(std::u16string_view text, float* value);

}  // namespace rawfile
