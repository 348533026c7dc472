// The stored bytes of Jet/ACE values turned into exact values: dates of any year, currency to
// four places, decimals and GUIDs.
#include <gtest/gtest.h>

#include <string>

#include "core/base/date_serial.h"
#include "core/db/drivers/jet/jet_values.h"

namespace tessel::db::jet {
namespace {

double Serial(int year, int month, int day) {
    return static_cast<double>(base::DayNumberOf(year, month, day));
}

std::string Text(const Value& value) {
    const auto* text = std::get_if<std::string>(&value);
    return text ? *text : "<not text>";
}

TEST(JetReaderValues, DatesOfEveryYearAreIsoText) {
    EXPECT_EQ(Text(DateValue(0)), "1899-12-30");
    EXPECT_EQ(Text(DateValue(-1.25)), "1899-12-29 06:00:00");
    EXPECT_EQ(Text(DateValue(Serial(1600, 2, 29))), "1600-02-29");  // a century leap year
    // Before 1899-12-30 the time still counts forward from the day.
    EXPECT_EQ(Text(DateValue(Serial(1700, 3, 1) - 0.5)), "1700-03-01 12:00:00");
    EXPECT_EQ(Text(DateValue(Serial(2100, 2, 28))), "2100-02-28");
    EXPECT_EQ(Text(DateValue(Serial(2100, 3, 1))), "2100-03-01");  // 2100 is no leap year
    EXPECT_EQ(Text(DateValue(Serial(10000, 1, 1))), "10000-01-01");
    EXPECT_EQ(Text(DateValue(Serial(50, 6, 15))), "0050-06-15");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(DateValue(1e300)));
}

TEST(JetReaderValues, ExtendedDatesCountFromYearOne) {
    const std::string stored =
        "0000000000000693595:0000000000000043200:0000000";  // 1900-01-01 12:00
    EXPECT_EQ(Text(ExtendedDateValue(stored)), "1900-01-01 12:00:00");
    EXPECT_EQ(Text(ExtendedDateValue("0000000000000000000:0000000000000000000:1230000")),
              "0001-01-01 00:00:00.123");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(ExtendedDateValue("0000:12")));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(
        ExtendedDateValue("00000000000000000x0:0000000000000000000:0000000")));
}

TEST(JetReaderValues, CurrencyIsExactToFourPlaces) {
    EXPECT_EQ(CurrencyText(420000), "42.0000");
    EXPECT_EQ(CurrencyText(-1), "-0.0001");
    EXPECT_EQ(CurrencyText(INT64_MAX), "922337203685477.5807");
    EXPECT_EQ(CurrencyText(INT64_MIN), "-922337203685477.5808");
    EXPECT_EQ(std::get<double>(CurrencyValue(123456789)), 12345.6789);
}

TEST(JetReaderValues, DecimalsKeepEveryDigit) {
    std::string stored(17, '\0');
    stored[0] = '\x80';   // negative
    stored[13] = '\x39';  // the lowest word, little-endian: 12345 = 0x3039
    stored[14] = '\x30';
    EXPECT_EQ(DecimalText(stored, 2).value(), "-123.45");
    EXPECT_EQ(std::get<double>(DecimalValue(stored, 2)), -123.45);
    std::string large(17, '\xff');
    large[0] = '\0';
    EXPECT_EQ(DecimalText(large, 0).value(), "340282366920938463463374607431768211455");
    EXPECT_EQ(Text(DecimalValue(large, 38)), "3.40282366920938463463374607431768211455");
    EXPECT_FALSE(DecimalText("short", 0).has_value());
}

TEST(JetReaderValues, GuidsInBraces) {
    const std::string stored("\x40\xfc\x29\x6b\x47\xca\x67\x10\xb3\x1d\x00\xdd\x01\x06\x62\xda",
                             16);
    EXPECT_EQ(GuidText(stored).value(), "{6B29FC40-CA47-1067-B31D-00DD010662DA}");
    EXPECT_FALSE(GuidText("short").has_value());
}

TEST(JetReaderValues, SinglesPrintAsStored) {
    EXPECT_EQ(SingleValue(1.1f), 1.1);
    EXPECT_EQ(SingleValue(-0.5f), -0.5);
}

}  // namespace
}  // namespace tessel::db::jet
