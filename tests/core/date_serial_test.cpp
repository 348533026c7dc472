#include "core/base/date_serial.h"

#include <gtest/gtest.h>

namespace tessel::base {
namespace {

TEST(DateSerialTest, SerialsCountFromTheClassicEpoch) {
    EXPECT_DOUBLE_EQ(SerialOf(*ParseIsoDateTime("1899-12-30")), 0.0);
    EXPECT_DOUBLE_EQ(SerialOf(*ParseIsoDateTime("1900-01-01")), 2.0);
    EXPECT_DOUBLE_EQ(SerialOf(*ParseIsoDateTime("2000-01-01")), 36526.0);
    EXPECT_DOUBLE_EQ(SerialOf(*ParseIsoDateTime("2000-01-01 18:00:00")), 36526.75);
    // Before the epoch the fraction still counts forward from the day.
    EXPECT_DOUBLE_EQ(SerialOf(*ParseIsoDateTime("1899-12-29 06:00:00")), -1.25);
    EXPECT_EQ(IsoText(*DateTimeOfSerial(-1.25)), "1899-12-29 06:00:00");
    EXPECT_EQ(IsoText(*DateTimeOfSerial(0.5)), "12:00:00");
    EXPECT_EQ(IsoText(*DateTimeOfSerial(36526.0)), "2000-01-01");
    EXPECT_EQ(IsoText(*DateTimeOfSerial(36526.99999999)), "2000-01-02");
}

TEST(DateSerialTest, OnlyRealDaysOfTheClassicYearsAreDates) {
    EXPECT_TRUE(ParseIsoDateTime("2000-02-29"));
    EXPECT_FALSE(ParseIsoDateTime("1900-02-29"));  // a century that is not a leap year
    EXPECT_FALSE(ParseIsoDateTime("2021-02-30"));
    EXPECT_FALSE(ParseIsoDateTime("2021-13-01"));
    EXPECT_FALSE(ParseIsoDateTime("0099-12-31"));
    EXPECT_TRUE(ParseIsoDateTime("0100-01-01"));
    EXPECT_TRUE(ParseIsoDateTime("9999-12-31 23:59:59"));
    EXPECT_FALSE(ParseIsoDateTime("2021-01-01 24:00:00"));
    EXPECT_FALSE(ParseIsoDateTime("2021-01-01 12:00:60"));
    EXPECT_FALSE(ParseIsoDateTime("2021-01-01x"));
    EXPECT_FALSE(ParseIsoDateTime("not a date"));
    EXPECT_FALSE(ParseIsoDateTime(""));
    EXPECT_EQ(IsoText(*ParseIsoDateTime("2021-01-01T10:30")), "2021-01-01 10:30:00");
    EXPECT_EQ(IsoText(*ParseIsoDateTime("07:08")), "07:08:00");
}

TEST(DateSerialTest, SerialsBeyondTheClassicYearsAreNoDates) {
    const double first = SerialOf(*ParseIsoDateTime("0100-01-01"));
    const double last = SerialOf(*ParseIsoDateTime("9999-12-31 23:59:59"));
    EXPECT_EQ(IsoText(*DateTimeOfSerial(first)), "0100-01-01");
    EXPECT_EQ(IsoText(*DateTimeOfSerial(last)), "9999-12-31 23:59:59");
    EXPECT_FALSE(DateTimeOfSerial(first - 1));
    EXPECT_FALSE(DateTimeOfSerial(last + 1));
    EXPECT_FALSE(DateTimeOfSerial(1e300));
}

}  // namespace
}  // namespace tessel::base
