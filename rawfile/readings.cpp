#include "readings.h"

#include <algorithm>
#include <cmath>

#include "log_text.h"

namespace rawfile {

namespace {

// Larger heights than this do not fit the header's millimetre field.
constexpr double kMaxMetres = 2147483.0;

// Reads the cells; sets *problem (and the cell) on the first that is no number.
bool ReadAll(const std::vector<std::string>& cells, bool decimalComma, std::vector<double>* values,
             HeightFromReadings* out) {
    for (const std::string& cell : cells) {
        double value = 0;
        if (!ParseDecimal(cell, decimalComma, &value) || !std::isfinite(value) ||
            std::fabs(value) > kMaxMetres) {
            out->problem = ReadingsProblem::kNotNumber;
            out->cell = TrimCell(cell);
            return false;
        }
        values->push_back(value);
    }
    return true;
}

long long Tenths(double metres) {
    return std::llround(metres * 10000.0);
}

// The mean of the readings in millimetres, once their spread is within the tolerance. Summed in
// whole tenths of a millimetre, so that a mean that ends in half a millimetre is exactly that.
bool MeanMillimetres(const std::vector<std::string>& cells, const std::vector<double>& values,
                     double toleranceMetres, double* mean, HeightFromReadings* out) {
    long long low = Tenths(values[0]);
    long long high = low;
    long long sum = 0;
    for (double v : values) {
        low = std::min(low, Tenths(v));
        high = std::max(high, Tenths(v));
        sum += Tenths(v);
    }
    if (high - low > Tenths(toleranceMetres)) {
        out->problem = ReadingsProblem::kSpread;
        for (const std::string& cell : cells) {
            out->spread.push_back(TrimCell(cell));
        }
        return false;
    }
    *mean = static_cast<double>(sum) / (10.0 * static_cast<double>(values.size()));
    return true;
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
    std::vector<double> values;
    if (!ReadAll(cells, readings.decimalComma, &values, &out)) {
        return out;
    }
    double radius = 0;
    double offset = 0;
    if (isSlant) {
        if (TrimCell(readings.radius).empty()) {
            out.problem = ReadingsProblem::kNoRadius;
            return out;
        }
        std::vector<double> extra;
        std::vector<std::string> extraCells = {readings.radius};
        if (!TrimCell(readings.offset).empty()) {
            extraCells.push_back(readings.offset);
        }
        if (!ReadAll(extraCells, readings.decimalComma, &extra, &out)) {
            return out;
        }
        radius = std::fabs(extra[0]);
        offset = extra.size() > 1 ? extra[1] : 0;
    }
    double mean = 0;
    if (!MeanMillimetres(cells, values, toleranceMetres, &mean, &out)) {
        return out;
    }
    double mm = std::round(mean);
    if (isSlant) {
        const double slantMetres = mean / 1000.0;
        if (slantMetres <= radius) {
            out.problem = ReadingsProblem::kSlantNotAboveRadius;
            return out;
        }
        mm = std::round((std::sqrt(slantMetres * slantMetres - radius * radius) + offset) * 1000.0);
    }
    if (!(std::fabs(mm) <= kMaxMetres * 1000.0)) {
        out.problem = ReadingsProblem::kOutOfRange;
        return out;
    }
    out.heightText = MillimetreText(static_cast<long long>(mm));
    return out;
}

bool ParseTolerance(const std::string& text, double* metres) {
    double value = 0;
    if (!ParseDecimal(text, false, &value) || !(value >= 0) || value > 1000.0) {
        return false;
    }
    *metres = value;
    return true;
}

}  // namespace rawfile
