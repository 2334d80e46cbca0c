#include "readings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "log_text.h"

namespace rawfile {

namespace {

// Readings are kept in whole micrometres, so that a spread of exactly the tolerance and a mean
// that ends in exactly half a millimetre are what they are, whatever binary fractions make of
// them. Larger heights than this do not fit the header's millimetre field.
constexpr long long kMaxMicrometres = 2147483647000LL;

// A decimal text (as DecimalText gives it) in micrometres, rounded half away from zero; false
// when it is too large.
bool Micrometres(const std::string& text, long long* value) {
    std::size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    long long whole = 0;
    for (; i < text.size() && text[i] != '.'; ++i) {
        whole = whole * 10 + (text[i] - '0');
        if (whole > kMaxMicrometres / 1000000) {
            return false;
        }
    }
    long long fraction = 0;
    int digits = 0;
    bool roundUp = false;
    for (++i; i < text.size(); ++i, ++digits) {
        if (digits < 6) {
            fraction = fraction * 10 + (text[i] - '0');
        } else if (digits == 6) {
            roundUp = text[i] >= '5';
        }
    }
    for (; digits < 6; ++digits) {
        fraction *= 10;
    }
    const long long magnitude = whole * 1000000 + fraction + (roundUp ? 1 : 0);
    *value = text[0] == '-' ? -magnitude : magnitude;
    return magnitude <= kMaxMicrometres;
}

// Reads the cells; sets the problem (and the cell) on the first that is no number.
bool ReadAll(const std::vector<std::string>& cells, bool decimalComma,
             std::vector<long long>* values, HeightFromReadings* out) {
    for (const std::string& cell : cells) {
        std::string text;
        long long value = 0;
        if (!DecimalText(cell, decimalComma, &text) || !Micrometres(text, &value)) {
            out->problem = ReadingsProblem::kNotNumber;
            out->cell = TrimCell(cell);
            return false;
        }
        values->push_back(value);
    }
    return true;
}

// The sum of the readings, once their spread is within the tolerance.
bool Sum(const std::vector<std::string>& cells, const std::vector<long long>& values,
         double toleranceMetres, long long* sum, HeightFromReadings* out) {
    const auto range = std::minmax_element(values.begin(), values.end());
    if (*range.second - *range.first > std::llround(toleranceMetres * 1e6)) {
        out->problem = ReadingsProblem::kSpread;
        for (const std::string& cell : cells) {
            out->spread.push_back(TrimCell(cell));
        }
        return false;
    }
    *sum = 0;
    for (long long v : values) {
        *sum += v;
    }
    return true;
}

// `micrometres` / `count` in millimetres, rounded half away from zero.
long long RoundedMillimetres(long long micrometres, long long count) {
    const long long denominator = 1000 * count;
    const long long mm = (2 * std::llabs(micrometres) + denominator) / (2 * denominator);
    return micrometres < 0 ? -mm : mm;
}

std::string MillimetreText(long long mm) {
    const long long whole = std::llabs(mm);
    std::string fraction = std::to_string(whole % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    return (mm < 0 ? "-" : "") + std::to_string(whole / 1000) + "." + fraction;
}

std::vector<std::string> NonBlank(const std::vector<std::string>& cells) {
    std::vector<std::string> out;
    for (const std::string& cell : cells) {
        if (!TrimCell(cell).empty()) {
            out.push_back(cell);
        }
    }
    return out;
}

}  // namespace

HeightFromReadings HeightOf(const Readings& readings, double toleranceMetres) {
    HeightFromReadings out;
    const std::vector<std::string> vertical = NonBlank(readings.vertical);
    const std::vector<std::string> slant = NonBlank(readings.slant);
    if (vertical.empty() && slant.empty()) {
        out.problem = ReadingsProblem::kNoReadings;
        return out;
    }
    if (!vertical.empty() && !slant.empty()) {
        out.problem = ReadingsProblem::kBothKinds;
        return out;
    }
    const bool isSlant = !slant.empty();
    const std::vector<std::string>& cells = isSlant ? slant : vertical;
    std::vector<long long> values;
    if (!ReadAll(cells, readings.decimalComma, &values, &out)) {
        return out;
    }
    if (!isSlant && values.size() == 1) {
        // One reading is the height as written; the save rounds it as it rounds a typed one.
        DecimalText(cells[0], readings.decimalComma, &out.heightText);
        return out;
    }
    std::vector<long long> extra;
    if (isSlant) {
        if (TrimCell(readings.radius).empty()) {
            out.problem = ReadingsProblem::kNoRadius;
            return out;
        }
        const std::string offset = TrimCell(readings.offset).empty() ? "0" : readings.offset;
        if (!ReadAll({readings.radius, offset}, readings.decimalComma, &extra, &out)) {
            return out;
        }
    }
    long long sum = 0;
    if (!Sum(cells, values, toleranceMetres, &sum, &out)) {
        return out;
    }
    const long long count = static_cast<long long>(values.size());
    long long mm = RoundedMillimetres(sum, count);
    if (isSlant) {
        const double slantMetres = static_cast<double>(sum) / static_cast<double>(count) / 1e6;
        const double radius = static_cast<double>(extra[0]) / 1e6;
        if (radius <= 0) {
            out.problem = ReadingsProblem::kNoRadius;  // no antenna has a rim at its centre
            return out;
        }
        if (slantMetres <= radius) {
            out.problem = ReadingsProblem::kSlantNotAboveRadius;
            return out;
        }
        const double height = std::sqrt(slantMetres * slantMetres - radius * radius) +
                              static_cast<double>(extra[1]) / 1e6;
        if (!(std::fabs(height) * 1000.0 <= static_cast<double>(kMaxMicrometres / 1000))) {
            out.problem = ReadingsProblem::kOutOfRange;
            return out;
        }
        mm = std::llround(height * 1000.0);
    }
    out.heightText = MillimetreText(mm);
    return out;
}

bool ParseTolerance(const std::string& text, double* metres) {
    std::string plain;
    long long micrometres = 0;
    if (!DecimalText(text, false, &plain) || !Micrometres(plain, &micrometres) || micrometres < 0 ||
        micrometres > 1000000000) {
        return false;
    }
    *metres = static_cast<double>(micrometres) / 1e6;
    return true;
}

}  // namespace rawfile
