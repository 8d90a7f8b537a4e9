#pragma once

#include <string_view>

// Correctly rounded conversion of a decimal number already checked by the caller to have the
// shape [+|-]digits[.digits][(e|E)[+|-]digits] (either the whole or the fraction digits may be
// absent, not both). Never looks at the locale. A magnitude too large for a double gives an
// infinity of the number's sign, one too small gives a zero of that sign.
double DecimalToDouble(std::string_view text);
