#include "core/db/sqlite/decimal_digits.h"

#include <gtest/gtest.h>

namespace tessel::db::sqlite {
namespace {

double Rounded(double value, int decimals, Halves halves) {
    return MagnitudeOf(RoundAt(DecimalOf(value), decimals, halves));
}

// Digits are read as written (fifteen of them), so a stored 2.67499999... rounds as 2.675.
TEST(DecimalDigits, HalvesRoundAsWrittenEitherWay) {
    EXPECT_DOUBLE_EQ(Rounded(2.675, 2, Halves::AwayFromZero), 2.68);
    EXPECT_DOUBLE_EQ(Rounded(2.665, 2, Halves::AwayFromZero), 2.67);
    EXPECT_DOUBLE_EQ(Rounded(2.675, 2, Halves::ToEven), 2.68);
    EXPECT_DOUBLE_EQ(Rounded(2.665, 2, Halves::ToEven), 2.66);
    EXPECT_DOUBLE_EQ(Rounded(2.6651, 2, Halves::ToEven), 2.67);  // past the half: up
    EXPECT_DOUBLE_EQ(Rounded(0.5, 0, Halves::ToEven), 0.0);
    EXPECT_DOUBLE_EQ(Rounded(1.5, 0, Halves::ToEven), 2.0);
    EXPECT_DOUBLE_EQ(Rounded(0.5, 0, Halves::AwayFromZero), 1.0);
}

TEST(DecimalDigits, CarriesAndPlacesBeyondTheDigits) {
    EXPECT_DOUBLE_EQ(Rounded(9.995, 2, Halves::AwayFromZero), 10.0);
    EXPECT_DOUBLE_EQ(Rounded(999.5, 0, Halves::ToEven), 1000.0);
    EXPECT_DOUBLE_EQ(Rounded(1250, -2, Halves::ToEven), 1200.0);
    EXPECT_DOUBLE_EQ(Rounded(0.0004, 2, Halves::AwayFromZero), 0.0);
    EXPECT_DOUBLE_EQ(Rounded(123.25, 5, Halves::ToEven), 123.25);
    EXPECT_TRUE(DecimalOf(0).digits.empty());
    EXPECT_EQ(DecimalOf(1e308).exponent, 309);
}

}  // namespace
}  // namespace tessel::db::sqlite
