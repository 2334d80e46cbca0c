#include "readings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "log_text.h"

namespace rawfile {

namespace {

// The largest height the header's millimetre field holds, in micrometres.
constexpr long long kMaxMicrometres = 2147483647000LL;
// A reading of more whole metres than this is out of range however it is averaged; the bound
// keeps every sum below far from overflow.
constexpr long long kMaxWholeMetres = 10000000;

// A reading exactly as written: `floor` whole micrometres (rounded down) and the digits beyond
// them, `tail` (0.tail of a micrometre, without trailing zeros).
struct Exact {
    long long floor = 0;
    std::string tail;
};

bool operator<(const Exact& a, const Exact& b) {
    return a.floor != b.floor ? a.floor < b.floor : a.tail < b.tail;
}

// A decimal text (as DecimalText gives it) exactly; false when it is out of range.
bool ToExact(const std::string& text, Exact* value) {
    const bool negative = text[0] == '-';
    std::size_t i = negative || text[0] == '+' ? 1 : 0;
    long long whole = 0;
    for (; i < text.size() && text[i] != '.'; ++i) {
        whole = whole * 10 + (text[i] - '0');
        if (whole > kMaxWholeMetres) {
            return false;
        }
    }
    long long micrometres = whole * 1000000;
    std::string tail;
    std::size_t digits = 0;
    for (++i; i < text.size(); ++i, ++digits) {
        if (digits < 6) {
            static const long long kPlace[6] = {100000, 10000, 1000, 100, 10, 1};
            micrometres += (text[i] - '0') * kPlace[digits];
        } else {
            tail.push_back(text[i]);
        }
    }
    tail.erase(tail.find_last_not_of('0') + 1);
    if (!negative || (micrometres == 0 && tail.empty())) {
        *value = {micrometres, tail};
        return true;
    }
    if (tail.empty()) {
        *value = {-micrometres, tail};
        return true;
    }
    // -(m + 0.t) = -(m + 1) + (1 - 0.t): the tail's complement to one.
    for (std::size_t k = 0; k < tail.size(); ++k) {
        tail[k] = static_cast<char>('0' + (k + 1 < tail.size() ? 9 : 10) - (tail[k] - '0'));
    }
    *value = {-micrometres - 1, tail};
    return true;
}

// A reading in metres, near enough for the slant's square root.
double Metres(const Exact& value) {
    double tail = 0;
    for (std::size_t k = std::min<std::size_t>(value.tail.size(), 9); k-- > 0;) {
        tail = (tail + (value.tail[k] - '0')) / 10;
    }
    return (static_cast<double>(value.floor) + tail) / 1e6;
}

// Reads the cells; sets the problem (and the cell) on the first that is no number, or too large.
bool ReadAll(const std::vector<std::string>& cells, bool decimalComma, std::vector<Exact>* values,
             HeightFromReadings* out) {
    for (const std::string& cell : cells) {
        std::string text;
        Exact value;
        if (!DecimalText(cell, decimalComma, &text)) {
            out->problem = ReadingsProblem::kNotNumber;
        } else if (!ToExact(text, &value)) {
            out->problem = ReadingsProblem::kOutOfRange;
        } else {
            values->push_back(std::move(value));
            continue;
        }
        out->cell = TrimCell(cell);
        return false;
    }
    return true;
}

// The mean of the readings in whole micrometres rounded down, `mean`, and whether the exact mean
// lies above it, `above`. Sums are taken from the least reading, whose distance to every other
// is within the tolerance, so that no sum grows with the size of the readings.
void Mean(const std::vector<Exact>& values, const Exact& least, long long* mean, bool* above) {
    const long long count = static_cast<long long>(values.size());
    long long sum = 0;  // at most count * (tolerance + 1 micrometre)
    std::vector<long long> digits;
    for (const Exact& v : values) {
        sum += v.floor - least.floor;
        digits.resize(std::max(digits.size(), v.tail.size()), 0);
        for (std::size_t k = 0; k < v.tail.size(); ++k) {
            digits[k] += v.tail[k] - '0';
        }
    }
    bool fraction = false;  // the tails' sum has digits after its whole micrometres
    long long carry = 0;
    for (std::size_t k = digits.size(); k-- > 0;) {
        const long long d = digits[k] + carry;
        carry = d / 10;
        fraction = fraction || d % 10 != 0;
    }
    sum += carry;
    *mean = least.floor + sum / count;
    *above = sum % count != 0 || fraction;
}

// The exact mean (`mean` whole micrometres, `above`: and a fraction more) in millimetres,
// rounded half away from zero.
long long RoundedMillimetres(long long mean, bool above) {
    const long long mm = mean >= 0 ? mean / 1000 : -((-mean + 999) / 1000);  // rounded down
    const long long rest = mean - mm * 1000;                                 // 0 to 999
    const bool up = mean >= 0 ? rest >= 500 : rest > 500 || (rest == 500 && above);
    return mm + (up ? 1 : 0);
}

std::string MillimetreText(long long mm) {
    const long long whole = mm < 0 ? -mm : mm;
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
    std::vector<Exact> values;
    if (!ReadAll(cells, readings.decimalComma, &values, &out)) {
        return out;
    }
    if (!isSlant && values.size() == 1) {
        // One reading is the height as written; the save rounds it as it rounds a typed one.
        DecimalText(cells[0], readings.decimalComma, &out.heightText);
        if (std::llabs(values[0].floor) > kMaxMicrometres + 500) {
            out = HeightFromReadings();
            out.problem = ReadingsProblem::kOutOfRange;
        }
        return out;
    }
    std::vector<Exact> extra;
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
    const auto range = std::minmax_element(values.begin(), values.end());
    const long long tolerance = std::llround(toleranceMetres * 1e6);
    const long long over = range.second->floor - range.first->floor - tolerance;
    if (over > 0 || (over == 0 && range.first->tail < range.second->tail)) {
        out.problem = ReadingsProblem::kSpread;
        out.tolerance = static_cast<double>(tolerance) / 1e6;
        for (const std::string& cell : cells) {
            out.spread.push_back(TrimCell(cell));
        }
        return out;
    }
    long long mean = 0;
    bool above = false;
    Mean(values, *range.first, &mean, &above);
    long long mm = RoundedMillimetres(mean, above);
    if (isSlant) {
        const double slantMetres = (static_cast<double>(mean) + (above ? 0.5 : 0)) / 1e6;
        const double radius = Metres(extra[0]);
        if (radius <= 0) {
            out.problem = ReadingsProblem::kNoRadius;  // no antenna has a rim at its centre
            return out;
        }
        if (slantMetres <= radius) {
            out.problem = ReadingsProblem::kSlantNotAboveRadius;
            return out;
        }
        const double height =
            std::sqrt(slantMetres * slantMetres - radius * radius) + Metres(extra[1]);
        if (!(std::fabs(height) * 1000.0 <= static_cast<double>(kMaxMicrometres / 1000))) {
            out.problem = ReadingsProblem::kOutOfRange;
            return out;
        }
        mm = std::llround(height * 1000.0);
    }
    if (std::llabs(mm) > kMaxMicrometres / 1000) {
        out.problem = ReadingsProblem::kOutOfRange;
        return out;
    }
    out.heightText = MillimetreText(mm);
    return out;
}

bool ParseTolerance(const std::string& text, double* metres) {
    std::string plain;
    Exact value;
    if (!DecimalText(text, false, &plain) || !ToExact(plain, &value) || value.floor < 0 ||
        value.floor > 1000000000) {
        return false;
    }
    // Taken to the micrometre, half up.
    const long long micrometres = value.floor + (!value.tail.empty() && value.tail[0] >= '5');
    *metres = static_cast<double>(micrometres) / 1e6;
    return true;
}

}  // namespace rawfile
