// Format's named and custom formats for numbers, dates and texts, in US English.
#include <gtest/gtest.h>

#include "core/db/sqlite/jet_format.h"

namespace tessel::db::sqlite {
namespace {

TEST(JetFormatNumber, PlaceholdersPointsAndThousands) {
    EXPECT_EQ(FormatNumber(0.5, "#.##"), ".5");
    EXPECT_EQ(FormatNumber(5, "#.##"), "5.");
    EXPECT_EQ(FormatNumber(0.5, "0.0#"), "0.5");
    EXPECT_EQ(FormatNumber(0.505, "0.0#"), "0.51");  // halves away from zero
    EXPECT_EQ(FormatNumber(5, "00000"), "00005");
    EXPECT_EQ(FormatNumber(1234567, "#,##0"), "1,234,567");
    EXPECT_EQ(FormatNumber(999, "#,##0"), "999");
    EXPECT_EQ(FormatNumber(1234567, "#,##0,"), "1,235");  // a comma at the end divides by 1000
    EXPECT_EQ(FormatNumber(9.999, "0.00"), "10.00");
    EXPECT_EQ(FormatNumber(2.5, "0"), "3");
    EXPECT_EQ(FormatNumber(0.125, "0.00"), "0.13");
    EXPECT_EQ(FormatNumber(0.256, "0%"), "26%");
    EXPECT_EQ(FormatNumber(5551234, "(###) ###-####"), "() 555-1234");
    EXPECT_EQ(FormatNumber(12, "\"#\"0 \\u\\n\\i\\t\\s"), "#12 units");
}

TEST(JetFormatNumber, SectionsForNegativeZeroAndNull) {
    EXPECT_EQ(FormatNumber(-5, "0"), "-5");
    EXPECT_EQ(FormatNumber(-5, "$0.00"), "-$5.00");
    EXPECT_EQ(FormatNumber(-5, "0;(0)"), "(5)");
    EXPECT_EQ(FormatNumber(0, "0;(0);\"nothing\""), "nothing");
    EXPECT_EQ(FormatNumber(-5, "0;;\"nothing\""), "-5");  // an empty section takes the first
    std::string text;
    EXPECT_TRUE(NullSection("0;(0);0;\"none\"", text));
    EXPECT_EQ(text, "none");
    EXPECT_FALSE(NullSection("0;(0);0", text));
}

TEST(JetFormatNumber, NamedAndScientific) {
    EXPECT_EQ(FormatNumber(3456.789, "Currency"), "$3,456.79");
    EXPECT_EQ(FormatNumber(-3456.789, "currency"), "($3,456.79)");
    EXPECT_EQ(FormatNumber(3456.789, "Fixed"), "3456.79");
    EXPECT_EQ(FormatNumber(0.3, "Fixed"), "0.30");
    EXPECT_EQ(FormatNumber(3456.789, "Standard"), "3,456.79");
    EXPECT_EQ(FormatNumber(0.1234, "Percent"), "12.34%");
    EXPECT_EQ(FormatNumber(3456.789, "Scientific"), "3.46E+03");
    EXPECT_EQ(FormatNumber(0.000123, "0.00E-00"), "1.23E-04");
    EXPECT_EQ(FormatNumber(99999, "0.0E+0"), "1.0E+5");
    EXPECT_EQ(FormatNumber(0, "0.00E+00"), "0.00E+00");
    EXPECT_EQ(FormatNumber(3456.789, "General Number"), "3456.789");
    EXPECT_EQ(FormatNumber(0.1 + 0.2, ""), "0.3");
    EXPECT_EQ(FormatNumber(1e20, ""), "1E+20");
    EXPECT_EQ(FormatNumber(-7, ""), "-7");
    EXPECT_EQ(FormatNumber(0, "Yes/No"), "No");
    EXPECT_EQ(FormatNumber(-1, "Yes/No"), "Yes");
    EXPECT_EQ(FormatNumber(1, "On/Off"), "On");
    EXPECT_EQ(FormatNumber(0, "True/False"), "False");
}

TEST(JetFormatDate, NamedFormats) {
    const base::DateTime value{1993, 1, 27, 17, 4, 23};
    EXPECT_EQ(FormatDateTime(value, "General Date"), "1/27/1993 5:04:23 PM");
    EXPECT_EQ(FormatDateTime(value, ""), "1/27/1993 5:04:23 PM");
    EXPECT_EQ(FormatDateTime({1993, 1, 27, 0, 0, 0}, ""), "1/27/1993");
    EXPECT_EQ(FormatDateTime({1899, 12, 30, 0, 5, 6}, ""), "12:05:06 AM");
    EXPECT_EQ(FormatDateTime(value, "Long Date"), "Wednesday, January 27, 1993");
    EXPECT_EQ(FormatDateTime(value, "medium date"), "27-Jan-93");
    EXPECT_EQ(FormatDateTime(value, "Short Date"), "1/27/1993");
    EXPECT_EQ(FormatDateTime(value, "Long Time"), "5:04:23 PM");
    EXPECT_EQ(FormatDateTime(value, "Medium Time"), "05:04 PM");
    EXPECT_EQ(FormatDateTime(value, "Short Time"), "17:04");
}

TEST(JetFormatDate, CustomPlaceholders) {
    const base::DateTime value{2021, 3, 4, 13, 5, 6};  // a Thursday
    EXPECT_EQ(FormatDateTime(value, "d dd ddd dddd"), "4 04 Thu Thursday");
    EXPECT_EQ(FormatDateTime(value, "ddddd"), "3/4/2021");
    EXPECT_EQ(FormatDateTime(value, "dddddd"), "Thursday, March 4, 2021");
    EXPECT_EQ(FormatDateTime(value, "m mm mmm mmmm"), "3 03 Mar March");
    EXPECT_EQ(FormatDateTime(value, "h:m"), "13:5");  // m after h is the minute
    EXPECT_EQ(FormatDateTime(value, "hh:nn:ss"), "13:05:06");
    EXPECT_EQ(FormatDateTime(value, "h:nn a/p"), "1:05 p");
    EXPECT_EQ(FormatDateTime(value, "h:nn am/pm"), "1:05 pm");
    EXPECT_EQ(FormatDateTime(value, "ttttt"), "1:05:06 PM");
    EXPECT_EQ(FormatDateTime({2021, 3, 4, 0, 30, 0}, "h:nn AM/PM"), "12:30 AM");
    EXPECT_EQ(FormatDateTime(value, "y yy yyyy q w ww"), "63 21 2021 1 5 10");
    EXPECT_EQ(FormatDateTime(value, "yyyy-mm-dd"), "2021-03-04");
    EXPECT_EQ(FormatDateTime(value, "\"Day\" d \\o\\f mmmm"), "Day 4 of March");
    EXPECT_EQ(FormatDateTime(value, "c"), "3/4/2021 1:05:06 PM");
}

TEST(JetFormatKinds, DateNumberAndTextFormatsAreToldApart) {
    EXPECT_TRUE(IsDateFormat("Long Date"));
    EXPECT_TRUE(IsDateFormat("dd/mm"));
    EXPECT_FALSE(IsDateFormat("#,##0.00"));
    EXPECT_FALSE(IsDateFormat("0 \"days\""));
    EXPECT_TRUE(IsNamedNumberFormat("Scientific"));
    EXPECT_FALSE(IsNamedNumberFormat("Long Date"));
    EXPECT_TRUE(IsTextFormat(">"));
    EXPECT_TRUE(IsTextFormat("@@@-@@@@"));
    EXPECT_FALSE(IsTextFormat("0.00"));
}

TEST(JetFormatText, PlaceholdersAndCase) {
    EXPECT_EQ(FormatText("Hello", ">"), "HELLO");
    EXPECT_EQ(FormatText("Hello", "<"), "hello");
    EXPECT_EQ(FormatText("abc", "@@@@@"), "  abc");
    EXPECT_EQ(FormatText("abc", "!@@@@@"), "abc  ");
    EXPECT_EQ(FormatText("5551234", "@@@-@@@@"), "555-1234");
    EXPECT_EQ(FormatText("abcdef", "@@@"), "abcdef");
    EXPECT_EQ(FormatText("ab", ">@\\-@"), "A-B");
}

}  // namespace
}  // namespace tessel::db::sqlite
