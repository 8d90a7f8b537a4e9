#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Numbers at the start of a text, read the way the C library's atoi, atof and scanf read them
// (leading blanks, an optional sign, reading stops at the first character that cannot continue
// the number) but without their faults: decimals never depend on the locale ("1.5" is 1.5 where
// the locale writes "1,5"), and an integer too large for 32 bits saturates instead of being
// undefined.

// Reads an integer at `pos` after blanks; on success stores it, moves `pos` past it and returns
// true. Without a digit nothing changes and the result is false.
bool ScanInteger(std::string_view text, size_t& pos, int32_t& value);

// Reads a decimal ([sign]digits[.digits][(e|E)[sign]digits], whole or fraction digits may be
// missing but not both) at `pos` after blanks, like ScanInteger. An exponent without digits is
// not part of the number. Only the decimal form is read: "inf", "nan" and hexadecimal are not.
bool ScanDecimal(std::string_view text, size_t& pos, double& value);

// The leading integer or decimal of a whole text; 0 when it does not start with one.
int32_t LeadingInteger(std::string_view text);
double LeadingDecimal(std::string_view text);

// The nearest float; a magnitude beyond the float range becomes an infinity of its sign (a plain
// conversion of such a double is undefined).
float NarrowToFloat(double value);
