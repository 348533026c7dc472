#include "core/db/sqlite/decimal_digits.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tessel::db::sqlite {
namespace {

void TrimZeros(Decimal& value) {
    while (!value.digits.empty() && value.digits.back() == '0')
        value.digits.pop_back();
    if (value.digits.empty())
        value.exponent = 0;
}

}  // namespace

Decimal DecimalOf(double magnitude) {
    Decimal value;
    magnitude = std::fabs(magnitude);
    if (magnitude == 0 || !std::isfinite(magnitude))
        return value;
    char text[40];
    std::snprintf(text, sizeof text, "%.14e", magnitude);  // d.dddddddddddddde+XX
    value.digits = std::string(1, text[0]) + std::string(text + 2, 14);
    value.exponent = std::atoi(std::strchr(text, 'e') + 1) + 1;
    TrimZeros(value);
    return value;
}

Decimal RoundAt(Decimal value, int decimals, Halves halves) {
    const long keep = static_cast<long>(value.exponent) + decimals;
    if (value.digits.empty() || keep >= static_cast<long>(value.digits.size()))
        return value;
    if (keep < 0)
        return {};
    const auto at = static_cast<std::size_t>(keep);
    const char next = value.digits[at];
    const bool tie = next == '5' && value.digits.size() == at + 1;  // digits hold no trailing 0
    const bool lastOdd = keep > 0 && (value.digits[at - 1] - '0') % 2 == 1;
    const bool up = halves == Halves::AwayFromZero
                        ? next >= '5'
                        : next > '5' || (next == '5' && (!tie || lastOdd));
    value.digits.resize(at);
    if (up) {
        long i = keep - 1;
        while (i >= 0 && value.digits[static_cast<std::size_t>(i)] == '9')
            value.digits[static_cast<std::size_t>(i--)] = '0';
        if (i < 0) {
            value.digits.insert(value.digits.begin(), '1');
            ++value.exponent;
        } else {
            ++value.digits[static_cast<std::size_t>(i)];
        }
    }
    TrimZeros(value);
    return value;
}

double MagnitudeOf(const Decimal& value) {
    if (value.digits.empty())
        return 0;
    const std::string text = "0." + value.digits + "e" + std::to_string(value.exponent);
    return std::strtod(text.c_str(), nullptr);
}

}  // namespace tessel::db::sqlite
