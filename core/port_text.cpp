// Reads the port text the way the classic Val() function reads a number.
#include "core/port_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace lintara {

namespace {

bool Skipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// The text with skipped characters removed, so the number can be read in one pass.
std::string Compact(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (!Skipped(c)) out.push_back(c);
    }
    return out;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int DigitValue(char c, int radix) {
    int v = -1;
    if (IsDigit(c)) v = c - '0';
    if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    return v < radix ? v : -1;
}

double RadixValue(const std::string& s, std::size_t pos, int radix) {
    double value = 0;
    for (; pos < s.size(); ++pos) {
        const int d = DigitValue(s[pos], radix);
        if (d < 0) break;
        value = value * radix + d;
    }
    return value;
}

// Rough power of ten of a decimal number text, enough to tell overflow from underflow.
long DecimalExponent(const std::string& number) {
    std::size_t p = (number[0] == '-') ? 1 : 0;
    long intDigits = 0, leadingZeros = 0;
    bool seenNonZero = false, inFraction = false;
    for (; p < number.size() && number[p] != 'e' && number[p] != 'E'; ++p) {
        if (number[p] == '.') {
            inFraction = true;
        } else if (number[p] != '0' || seenNonZero) {
            seenNonZero = true;
            if (!inFraction) ++intDigits;
        } else if (inFraction) {
            ++leadingZeros;
        }
    }
    long exponent = 0;
    if (p < number.size()) {
        ++p;
        const bool negative = p < number.size() && number[p] == '-';
        if (p < number.size() && (number[p] == '-' || number[p] == '+')) ++p;
        for (; p < number.size() && exponent < 1000000; ++p)
            exponent = exponent * 10 + (number[p] - '0');
        if (negative) exponent = -exponent;
    }
    return (intDigits > 0 ? intDigits - 1 : -(leadingZeros + 1)) + exponent;
}

double DecimalValue(const std::string& s) {
    std::size_t p = 0;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) ++p;
    const std::size_t digitsBegin = p;
    while (p < s.size() && IsDigit(s[p])) ++p;
    if (p < s.size() && s[p] == '.') {
        ++p;
        while (p < s.size() && IsDigit(s[p])) ++p;
    }
    const bool mantissa = p > digitsBegin && !(p == digitsBegin + 1 && s[digitsBegin] == '.');
    if (!mantissa) return 0;
    std::size_t end = p;
    if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
        std::size_t q = p + 1;
        if (q < s.size() && (s[q] == '+' || s[q] == '-')) ++q;
        if (q < s.size() && IsDigit(s[q])) {
            while (q < s.size() && IsDigit(s[q])) ++q;
            end = q;
        }
    }
    const std::size_t from = s[0] == '+' ? 1 : 0;
    const std::string number = s.substr(from, end - from);
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Overflow is no port at all; underflow is as good as zero.
        if (DecimalExponent(number) < 0) return 0;
        return number[0] == '-' ? -std::numeric_limits<double>::infinity()
                                : std::numeric_limits<double>::infinity();
    }
    return value;
}

}  // namespace

double PortTextValue(const std::string& text) {
    const std::string s = Compact(text);
    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h') return RadixValue(s, 2, 16);
        if (s[1] == 'O' || s[1] == 'o') return RadixValue(s, 2, 8);
        return 0;
    }
    return DecimalValue(s);
}

bool PortTextPasses(const std::string& text) {
    if (text == "N/A") return true;
    const double value = PortTextValue(text);
    return value >= 1 && value <= 65535;
}

}  // namespace lintara
