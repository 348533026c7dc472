// A double as the classic engine reads it for rounding and printing: fifteen significant
// decimal digits, so that 2.675 rounds as written (2.68) and not as stored (2.67499...).
#pragma once

#include <string>

namespace tessel::db::sqlite {

// A magnitude as 0.d1d2d3... times ten to `exponent`; no digits for zero.
struct Decimal {
    std::string digits;  // without trailing zeros
    int exponent = 0;
};

// The digits of |magnitude| (non-finite values give no digits).
Decimal DecimalOf(double magnitude);

enum class Halves { AwayFromZero, ToEven };

// Rounded to `decimals` places after the point (negative: to tens, hundreds, ...).
Decimal RoundAt(Decimal value, int decimals, Halves halves);

// The magnitude the digits stand for.
double MagnitudeOf(const Decimal& value);

}  // namespace tessel::db::sqlite
