#include "client/leading_number.h"

#include <cmath>
#include <limits>

#include "game/decimal_number.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

size_t SkipBlanks(std::string_view text, size_t pos)
{
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

size_t SkipDigits(std::string_view text, size_t pos)
{
    while (pos < text.size() && IsDigit(text[pos])) {
        ++pos;
    }
    return pos;
}

}  // namespace

bool ScanInteger(std::string_view text, size_t& pos, int32_t& value)
{
    size_t at = SkipBlanks(text, pos);
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    const size_t digits = at;
    const int64_t limit = negative ? -int64_t(std::numeric_limits<int32_t>::min())
                                   : int64_t(std::numeric_limits<int32_t>::max());
    int64_t magnitude = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        magnitude = magnitude * 10 + (text[at] - '0');
        if (magnitude > limit) {
            magnitude = limit;
        }
    }
    if (at == digits) {
        return false;
    }
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    pos = at;
    return true;
}

bool ScanDecimal(std::string_view text, size_t& pos, double& value)
{
    const size_t start = SkipBlanks(text, pos);
    size_t at = start;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        ++at;
    }
    const size_t wholeStart = at;
    at = SkipDigits(text, at);
    bool anyDigit = at > wholeStart;
    if (at < text.size() && text[at] == '.') {
        const size_t fractionStart = at + 1;
        const size_t fractionEnd = SkipDigits(text, fractionStart);
        if (anyDigit || fractionEnd > fractionStart) {
            anyDigit = true;
            at = fractionEnd;
        }
    }
    if (!anyDigit) {
        return false;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        size_t exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        const size_t exponentEnd = SkipDigits(text, exponent);
        if (exponentEnd > exponent) {
            at = exponentEnd;
        }
    }
    value = DecimalToDouble(text.substr(start, at - start));
    pos = at;
    return true;
}

int32_t LeadingInteger(std::string_view text)
{
    size_t pos = 0;
    int32_t value = 0;
    return ScanInteger(text, pos, value) ? value : 0;
}

double LeadingDecimal(std::string_view text)
{
    size_t pos = 0;
    double value = 0.0;
    return ScanDecimal(text, pos, value) ? value : 0.0;
}

float NarrowToFloat(double value)
{
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (value > kLargest || value < -kLargest) {
        // Values that round to the largest float still round there; only true overflow saturates.
        const double halfStep = 0.5 * std::ldexp(1.0, std::numeric_limits<float>::max_exponent -
                                                           std::numeric_limits<float>::digits);
        if (value >= kLargest + halfStep) {
            return std::numeric_limits<float>::infinity();
        }
        if (value <= -kLargest - halfStep) {
            return -std::numeric_limits<float>::infinity();
        }
        return value > 0.0 ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::max();
    }
    return static_cast<float>(value);
}
