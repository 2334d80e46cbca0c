#include "numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace rawfile {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the decimal number (without sign) at the start of `s`, 0 when there is none.
size_t DecimalLength(std::string_view s) {
    size_t i = 0;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        ++i, ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            ++i, ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            ++j;
        }
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j])) {
                ++j;
            }
            i = j;
        }
    }
    return i;
}

// Converts a checked decimal number (no sign) with from_chars. Out-of-range results become
// infinity or zero, as strtod's do.
template <typename T>
T ConvertDecimal(std::string_view number) {
    T value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Out of range is either far above or far below 1: the decimal magnitude tells which.
        const size_t e = number.find_first_of("eE");
        const std::string_view mantissa = number.substr(0, e);
        const size_t point = std::min(mantissa.find('.'), mantissa.size());
        const size_t first = mantissa.find_first_of("123456789");
        long magnitude = 0;
        if (first != std::string_view::npos) {
            magnitude = first < point ? static_cast<long>(point - first)
                                      : -static_cast<long>(first - point - 1);
        }
        long exponent = 0;
        if (e != std::string_view::npos) {
            const size_t digits = e + 1 + (number[e + 1] == '+' ? 1 : 0);
            const auto parsed =
                std::from_chars(number.data() + digits, number.data() + number.size(), exponent);
            // Any exponent this large decides the outcome alone; bounding it keeps the sum below
            // from overflowing.
            constexpr long kBound = 1000000;
            if (parsed.ec == std::errc::result_out_of_range) {
                exponent = number[e + 1] == '-' ? -kBound : kBound;
            }
            exponent = std::clamp(exponent, -kBound, kBound);
        }
        return magnitude + exponent > 0 ? std::numeric_limits<T>::infinity() : T(0);
    }
    return value;
}

template <typename T>
T ScanLeading(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::string_view rest = text.substr(i);
    const size_t len = DecimalLength(rest);
    if (len == 0) {
        return T(0);
    }
    const T value = ConvertDecimal<T>(rest.substr(0, len));
    return negative ? -value : value;
}

}  // namespace

double ScanLeadingDouble(std::string_view text) {
    return ScanLeading<double>(text);
}

float ScanLeadingFloat(std::string_view text) {
    return ScanLeading<float>(text);
}

std::u16string WholeNumberText(long long value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

namespace {

// Prints a value of magnitude below 1e15 with at most 3 decimals from its exact binary value,
// mantissa / 2^shift: the mantissa times 10^decimals is a whole number below 2^63, so the
// rounding (half to even, as the standard printing does) is worked out on whole numbers. False
// for any other value or number of decimals.
bool FormatFixedSmall(double value, int decimals, std::string* text) {
    static constexpr std::uint64_t kScale[] = {1, 10, 100, 1000};
    if (decimals < 0 || decimals > 3 || !(std::fabs(value) < 1e15)) {
        return false;
    }
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    const std::uint64_t scaled = mantissa * kScale[decimals];
    const int shift = 53 - exponent;  // at least 3, as the value is below 2^50
    std::uint64_t whole = 0;
    if (shift < 64) {
        whole = scaled >> shift;
        const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        whole += rest > half || (rest == half && (whole & 1) != 0) ? 1 : 0;
    }  // else the value times 10^decimals is below one half
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, whole).ptr;
    std::string number(digits, end);
    const auto places = static_cast<std::size_t>(decimals);
    if (number.size() <= places) {
        number.insert(0, places + 1 - number.size(), '0');
    }
    if (places > 0) {
        number.insert(number.size() - places, 1, '.');
    }
    // A value that rounds to zero has no sign.
    *text = std::signbit(value) && whole != 0 ? "-" + number : number;
    return true;
}

}  // namespace

std::string FormatFixed(double value, int decimals) {
    if (std::isnan(value)) {
        return std::signbit(value) ? "-nan" : "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    std::string small;
    if (FormatFixedSmall(value, decimals, &small)) {
        return small;
    }
    // A double prints with at most 309 integer digits.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, result.ptr);
    // A value that rounds to zero has no sign: -0.0004 and -0 print as 0.000.
    if (text[0] == '-' && text.find_first_of("123456789") == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}

bool ParseStrictFloat(std::u16string_view text, float* value) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t')) {
        ++begin;
    }
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t')) {
        --end;
    }
    std::string narrow;
    for (size_t i = begin; i < end; ++i) {
        if (text[i] > 0x7F) {
            return false;
        }
        narrow.push_back(static_cast<char>(text[i]));
    }
    bool negative = false;
    std::string_view s = narrow;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    // A typed height is a plain decimal number: "1e3" is not one.
    const size_t len = DecimalLength(s);
    if (len == 0 || len != s.size() || s.find_first_of("eE") != std::string_view::npos) {
        return false;
    }
    const float v = ConvertDecimal<float>(s);
    *value = negative ? -v : v;
    return true;
}

}  // namespace rawfile
