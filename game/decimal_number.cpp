#include "game/decimal_number.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Power of ten of the first significant digit (1 for 12.5, -2 for 0.034e0), saturated far
// outside the range of a double. Only called for texts the conversion found out of range, so a
// number with no significant digit does not arrive here.
int64_t DecimalOrder(std::string_view text)
{
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    int64_t order = 0;
    bool significant = false;
    int64_t wholeDigits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        if (significant || text[i] != '0') {
            significant = true;
            ++wholeDigits;
        }
        ++i;
    }
    if (significant) {
        order = wholeDigits - 1;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        int64_t position = 0;
        while (i < text.size() && IsDigit(text[i])) {
            ++position;
            if (!significant && text[i] != '0') {
                significant = true;
                order = -position;
            }
            ++i;
        }
    }
    int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            negative = text[i] == '-';
            ++i;
        }
        while (i < text.size() && IsDigit(text[i])) {
            if (exponent < 1000000000) {
                exponent = exponent * 10 + (text[i] - '0');
            }
            ++i;
        }
        if (negative) {
            exponent = -exponent;
        }
    }
    return order + exponent;
}

}  // namespace

double DecimalToDouble(std::string_view text)
{
    const bool negative = !text.empty() && text[0] == '-';
    // from_chars takes a minus sign but no plus sign.
    std::string_view body = text;
    if (!body.empty() && body[0] == '+') {
        body.remove_prefix(1);
    }
    double value = 0.0;
    const std::from_chars_result result = std::from_chars(body.data(), body.data() + body.size(), value);
    if (result.ec == std::errc()) {
        return value;
    }
    if (result.ec == std::errc::result_out_of_range) {
        const double magnitude = DecimalOrder(text) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        return negative ? -magnitude : magnitude;
    }
    return 0.0;
}
