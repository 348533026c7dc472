// The classic engine's date functions on a real database: leap days, century years, the
// first and last years a date may have, days before 1899-12-30, month ends, and arithmetic
// that no change of the clocks disturbs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "core/db/engine.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::Engine;
namespace err = db::err;

class JetDateFunctions : public testing::Test {
  protected:
    void SetUp() override { path = NewDatabase(engine, dir); }

    // The one value of "SELECT expression".
    std::string Value(const std::string& expression) {
        const Rows rows = Query(engine, path, "SELECT " + expression);
        return rows.at(0).at(0);
    }
    long Error(const std::string& expression, std::string* description = nullptr) {
        return ErrorNumber([&] { Value(expression); }, description);
    }

    TempDir dir;
    Engine engine;
    std::string path;
};

TEST_F(JetDateFunctions, LeapDaysAndCenturyYears) {
    EXPECT_EQ(Value("DateSerial(1900, 2, 29)"), "1900-03-01");  // 1900 has no leap day
    EXPECT_EQ(Value("DateSerial(2000, 2, 29)"), "2000-02-29");  // 2000 has one
    EXPECT_EQ(Value("DateAdd('yyyy', 1, #2/29/2000#)"), "2001-02-28");
    EXPECT_EQ(Value("DateAdd('yyyy', 4, #2/29/2000#)"), "2004-02-29");
    EXPECT_EQ(Value("DateDiff('d', #2/28/1900#, #3/1/1900#)"), "1");
    EXPECT_EQ(Value("DateDiff('d', #2/28/2000#, #3/1/2000#)"), "2");
    EXPECT_EQ(Value("DatePart('y', #12/31/1900#)"), "365");
    EXPECT_EQ(Value("DatePart('y', #12/31/2000#)"), "366");
    // The serials count from 1899-12-30, so 60 is an ordinary day of February 1900.
    EXPECT_EQ(Value("CDate(60)"), "1900-02-28");
    EXPECT_EQ(Value("CDate(61)"), "1900-03-01");
}

TEST_F(JetDateFunctions, YearsOneHundredToNineThousandNineHundredNinetyNine) {
    EXPECT_EQ(Value("DateSerial(100, 1, 1)"), "0100-01-01");
    EXPECT_EQ(Value("DateSerial(9999, 12, 31)"), "9999-12-31");
    EXPECT_EQ(Value("CDate(-657434)"), "0100-01-01");
    EXPECT_EQ(Value("CDate(2958465.5)"), "9999-12-31 12:00:00");
    EXPECT_EQ(Value("DateAdd('s', 86399, #12/31/9999#)"), "9999-12-31 23:59:59");
    std::string description;
    EXPECT_EQ(Error("DateAdd('d', -1, #1/1/100#)", &description), err::kInvalidArgument);
    EXPECT_NE(description.find("DateAdd"), std::string::npos) << description;
    EXPECT_EQ(Error("DateAdd('s', 86400, #12/31/9999#)"), err::kInvalidArgument);
    EXPECT_EQ(Error("DateAdd('yyyy', 1000000000000, #1/1/2000#)"), err::kInvalidArgument);
    EXPECT_EQ(Error("DateSerial(10000, 1, 1)"), err::kInvalidArgument);
    EXPECT_EQ(Error("DateSerial(9999, 13, 1)"), err::kInvalidArgument);
    EXPECT_EQ(Error("CDate(2958466)", &description), err::kOverflow);
    EXPECT_NE(description.find("CDate"), std::string::npos) << description;
    EXPECT_EQ(Error("CDate(-657435)"), err::kOverflow);
}

TEST_F(JetDateFunctions, DaysBeforeTheEighteenNinetyNineEpoch) {
    EXPECT_EQ(Value("CDate(-1)"), "1899-12-29");
    // The whole part counts back, the fraction still forward.
    EXPECT_EQ(Value("CDate(-1.25)"), "1899-12-29 06:00:00");
    EXPECT_EQ(Value("DateAdd('h', -6, #12/30/1899#)"), "1899-12-29 18:00:00");
    EXPECT_EQ(Value("DateDiff('h', #12/29/1899 6:00 PM#, #12/30/1899#)"), "6");
    EXPECT_EQ(Value("DateDiff('n', #12/29/1899 11:59 PM#, #12/30/1899 12:01 AM#)"), "2");
    EXPECT_EQ(Value("DateDiff('d', #12/1/1899#, #12/31/1899#)"), "30");
    EXPECT_EQ(Value("Weekday(#12/29/1899#)"), "6");  // a Friday
    EXPECT_EQ(Value("Format(CDate(-1.25), 'yyyy-mm-dd hh:nn')"), "1899-12-29 06:00");
}

TEST_F(JetDateFunctions, MonthEndsClampAndOverflowingPartsCarry) {
    EXPECT_EQ(Value("DateAdd('m', 1, #1/31/2021#)"), "2021-02-28");
    EXPECT_EQ(Value("DateAdd('m', 3, #1/31/2021#)"), "2021-04-30");
    EXPECT_EQ(Value("DateAdd('m', -1, #3/31/2021#)"), "2021-02-28");
    EXPECT_EQ(Value("DateAdd('q', 1, #11/30/2021#)"), "2022-02-28");
    EXPECT_EQ(Value("DateAdd('ww', 2, #12/25/2021 8:00 AM#)"), "2022-01-08 08:00:00");
    EXPECT_EQ(Value("DateSerial(2021, 0, 1)"), "2020-12-01");
    EXPECT_EQ(Value("DateSerial(2021, -13, 1)"), "2019-11-01");
    EXPECT_EQ(Value("DateSerial(2021, 1, -1)"), "2020-12-30");
    EXPECT_EQ(Value("DateSerial(2021, 2, 29)"), "2021-03-01");
    EXPECT_EQ(Value("TimeSerial(23, 59, 60)"), "1899-12-31");
    EXPECT_EQ(Value("TimeSerial(0, -1, 0)"), "1899-12-29 23:59:00");
}

TEST_F(JetDateFunctions, ArithmeticIgnoresChangesOfTheClocks) {
    const char* old = std::getenv("TZ");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("TZ", "America/New_York", 1);
    tzset();
    // 2:30 AM never happened there on 3/14/2021, and 1 AM happened twice on 11/7/2021.
    EXPECT_EQ(Value("DateAdd('h', 1, #3/14/2021 1:30 AM#)"), "2021-03-14 02:30:00");
    EXPECT_EQ(Value("DateDiff('h', #3/14/2021#, #3/15/2021#)"), "24");
    EXPECT_EQ(Value("DateDiff('n', #11/7/2021 1:00 AM#, #11/7/2021 2:00 AM#)"), "60");
    EXPECT_EQ(Value("DateAdd('d', 1, #11/6/2021 1:30 AM#)"), "2021-11-07 01:30:00");
    if (saved)
        setenv("TZ", saved->c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST_F(JetDateFunctions, WeeksFollowTheFirstDayAndTheFirstWeekRules) {
    EXPECT_EQ(Value("DatePart('ww', #1/1/2021#)"), "1");
    EXPECT_EQ(Value("DatePart('ww', #1/1/2021#, 2, 2)"), "53");  // Monday first, four days
    EXPECT_EQ(Value("DatePart('ww', #1/4/2021#, 2, 2)"), "1");
    EXPECT_EQ(Value("DatePart('ww', #1/1/2021#, 1, 3)"), "52");  // first whole week
    EXPECT_EQ(Value("DatePart('w', #2/12/1969#, 2)"), "3");
    EXPECT_EQ(Value("Weekday(#2/12/1969#, 4)"), "1");
    EXPECT_EQ(Value("DateDiff('ww', #1/2/2021#, #1/3/2021#, 2)"), "0");
    EXPECT_EQ(Value("DateDiff('ww', #1/3/2021#, #1/4/2021#, 2)"), "1");
    EXPECT_EQ(Value("DateDiff('w', #1/1/2021#, #1/15/2021#)"), "2");
    EXPECT_EQ(Value("DateDiff('w', #1/15/2021#, #1/2/2021#)"), "-1");
    EXPECT_EQ(Error("Weekday(#1/1/2021#, 8)"), err::kInvalidArgument);
    EXPECT_EQ(Error("DatePart('ww', #1/1/2021#, 1, 4)"), err::kInvalidArgument);
}

TEST_F(JetDateFunctions, TextsAndNumbersAreReadAsDatesOrRefused) {
    EXPECT_EQ(Value("Year('2001-02-03 04:05:06')"), "2001");
    EXPECT_EQ(Value("Month('Mar 4, 2002')"), "3");
    EXPECT_EQ(Value("Day(36526)"), "1");
    EXPECT_EQ(Value("Hour(0.75)"), "18");
    EXPECT_EQ(Value("Year('04:05:06')"), "1899");
    EXPECT_EQ(Value("DateValue('1/27/1993 5:04:23 PM')"), "1993-01-27");
    EXPECT_EQ(Value("TimeValue(#1/27/1993 5:04:23 PM#)"), "17:04:23");
    EXPECT_EQ(Value("IsDate('31/31/2001')"), "0");
    EXPECT_EQ(Value("IsDate(36526)"), "0");
    EXPECT_EQ(Value("IsDate('Jan 5, 2001')"), "-1");
    EXPECT_EQ(Value("Weekday(Null)"), "<null>");
    EXPECT_EQ(Value("DateAdd('m', Null, #1/1/2001#)"), "<null>");
    EXPECT_EQ(Value("DateDiff('d', #1/1/2001#, Null)"), "<null>");
    std::string description;
    EXPECT_EQ(Error("Year('abc')", &description), err::kTypeMismatch);
    EXPECT_NE(description.find("Year cannot read 'abc' as a date"), std::string::npos)
        << description;
    EXPECT_EQ(Error("CDate('31/31/2001')"), err::kTypeMismatch);
    EXPECT_EQ(Error("DateSerial('x', 1, 1)"), err::kTypeMismatch);
    EXPECT_EQ(Error("MonthName(13)"), err::kInvalidArgument);
}

TEST_F(JetDateFunctions, DatesOfTheClockAreTodays) {
    const Rows rows = Query(engine, path, "SELECT Date(), Time(), Now(), date('now', 'localtime')");
    EXPECT_EQ(rows.at(0).at(0), rows.at(0).at(3));  // SQLite's own date() is left as it was
    EXPECT_EQ(Value("IsDate(Time())"), "-1");
    EXPECT_EQ(Value("DateValue(Now()) = Date()"), "1");
}

}  // namespace
}  // namespace tessel::test::platform_tests
