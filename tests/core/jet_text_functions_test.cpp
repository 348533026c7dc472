// The classic engine's text, number and conversion functions at their boundaries, run on a
// real database: rounding halves, ranges of the conversions, odd starts and counts, radix
// prefixes and the errors each raises.
#include <gtest/gtest.h>

#include <string>

#include "core/db/engine.h"
#include "core/db/sqlite/error_map.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

namespace err = db::err;

class JetTextFunctions : public testing::Test {
  protected:
    void SetUp() override { path = NewDatabase(engine, dir); }
    Rows Q(const std::string& statement) { return Query(engine, path, statement); }
    long Fails(const std::string& statement, std::string* description = nullptr) {
        return ErrorNumber([&] { Q(statement); }, description);
    }

    TempDir dir;
    db::Engine engine;
    std::string path;
};

TEST_F(JetTextFunctions, WholeConversionsRoundHalvesToEvenWithinTheirRange) {
    EXPECT_EQ(Q("SELECT CInt(2.5), CInt(3.5), CInt(-2.5), CInt(-32768.5), CInt(32767.4), "
                "CByte(-0.5), CByte(255.4), CLng(-2147483648.5)"),
              (Rows{{"2", "4", "-2", "-32768", "32767", "0", "255", "-2147483648"}}));
    EXPECT_EQ(Fails("SELECT CInt(32767.5)"), err::kOverflow);
    EXPECT_EQ(Fails("SELECT CInt(-32769)"), err::kOverflow);
    EXPECT_EQ(Fails("SELECT CByte(255.5)"), err::kOverflow);
    EXPECT_EQ(Fails("SELECT CByte(-0.6)"), err::kOverflow);
    EXPECT_EQ(Fails("SELECT CLng(2147483647.5)"), err::kOverflow);
    EXPECT_EQ(Fails("SELECT CLng(3000000000)"), err::kOverflow);
    EXPECT_EQ(Q("SELECT CInt(NULL) IS NULL, CLng(' 12 '), CInt('&HFF'), CLng(#2000-01-01#)"),
              (Rows{{"1", "12", "255", "36526"}}));
    std::string description;
    EXPECT_EQ(Fails("SELECT CInt('twelve')", &description), err::kTypeMismatch);
    EXPECT_NE(description.find("CInt"), std::string::npos) << description;
}

TEST_F(JetTextFunctions, OtherConversions) {
    EXPECT_EQ(Q("SELECT CBool('true'), CBool('False'), CBool(-0.1), CBool('0'), CCur('1.23456'), "
                "CCur(0.00005), CCur(0.00015), CSng(1.1), CDbl('2.5e1'), CVar(NULL) IS NULL"),
              (Rows{{"-1", "0", "-1", "0", "1.2346", "0", "0.0002", "1.1", "25", "1"}}));
    EXPECT_EQ(Fails("SELECT CBool('maybe')"), err::kTypeMismatch);
    EXPECT_EQ(Fails("SELECT CDbl('abc')"), err::kTypeMismatch);
    EXPECT_EQ(Fails("SELECT CCur(1e15)"), err::kOverflow);
    EXPECT_EQ(Fails("SELECT CSng(1e39)"), err::kOverflow);
}

TEST_F(JetTextFunctions, RoundTakesHalvesToEvenAsDecimalsAreWritten) {
    EXPECT_EQ(Q("SELECT Round(0.5), Round(1.5), Round(-2.5), Round(-3.5), Round(-2.345, 2), "
                "Round(2.355, 2), Round(2.675, 2), Round(1.005, 2), Round(5), Round(-7, 3)"),
              (Rows{{"0", "2", "-2", "-4", "-2.34", "2.36", "2.68", "1", "5", "-7"}}));
    EXPECT_EQ(Q("SELECT Round(0.0005, 3), Round(0.0015, 3), Round(123.456, 10), Round('9.5'), "
                "Round(NULL) IS NULL, Round(9.99, 1)"),
              (Rows{{"0", "0.002", "123.456", "10", "1", "10"}}));
    EXPECT_EQ(Fails("SELECT Round(2.5, -1)"), err::kInvalidArgument);
    EXPECT_EQ(Fails("SELECT Round('x')"), err::kTypeMismatch);
    EXPECT_EQ(Q("SELECT Abs(-3), Abs('-2.5'), Abs(NULL) IS NULL"), (Rows{{"3", "2.5", "1"}}));
    EXPECT_EQ(Fails("SELECT Abs('abc')"), err::kTypeMismatch);
}

TEST_F(JetTextFunctions, ValReadsTheLeadingNumber) {
    EXPECT_EQ(Q("SELECT Val('1e3'), Val('&HFF'), Val('-'), Val(''), Val('.5'), Val('1d2'), "
                "Val('2.5.3'), Val(' - 3 x'), Val('1e'), Val('&O17')"),
              (Rows{{"1000", "255", "0", "0", "0.5", "100", "2.5", "-3", "1", "15"}}));
    EXPECT_EQ(Q("SELECT Val('&HFFFF'), Val('&H7FFFFFFF'), Val('&HFFFFFFFF'), Val('&H10000'), "
                "Val('&HZ'), Val(NULL) IS NULL, Val(12)"),
              (Rows{{"-1", "2147483647", "-1", "65536", "0", "1", "12"}}));
    EXPECT_EQ(Fails("SELECT Val('1e400')"), err::kOverflow);
    EXPECT_EQ(Fails("SELECT Val('&H100000000')"), err::kOverflow);
    EXPECT_EQ(Q("SELECT '[' || Str(0.5) || ']', Str(-0.25), Str(12), Str(NULL) IS NULL"),
              (Rows{{"[ .5]", "-.25", " 12", "1"}}));
    EXPECT_EQ(Fails("SELECT Str('abc')"), err::kTypeMismatch);
}

TEST_F(JetTextFunctions, InStrAndInStrRevAtTheEdges) {
    EXPECT_EQ(Q("SELECT InStr(10, 'abc', 'b'), InStr(4, 'abc', ''), InStr(5, 'abc', ''), "
                "InStr('', 'a'), InStr('GRÜSSE', 'ü'), InStr(1, 'GRÜSSE', 'ü', 0), "
                "InStr(NULL, 'a') IS NULL, InStr('a', NULL) IS NULL, InStr(2, 'abab', 'AB')"),
              (Rows{{"0", "4", "0", "0", "3", "0", "1", "1", "3"}}));
    EXPECT_EQ(Fails("SELECT InStr(0, 'abc', 'a')"), err::kInvalidArgument);
    EXPECT_EQ(Fails("SELECT InStr(1, 'abc', 'a', 3)"), err::kInvalidArgument);
    EXPECT_EQ(
        Q("SELECT InStrRev('abc', 'c', 2), InStrRev('', 'a'), InStrRev('abc', '', 5), "
          "InStrRev('abc', '', 2), InStrRev('abcabc', 'bc'), InStrRev('abcabc', 'BC', -1, 1), "
          "InStrRev('abcabc', 'BC')"),
        (Rows{{"0", "0", "0", "2", "5", "5", "0"}}));
    EXPECT_EQ(Fails("SELECT InStrRev('abc', 'a', 0)"), err::kInvalidArgument);
}

TEST_F(JetTextFunctions, BuildingAndReplacingText) {
    EXPECT_EQ(Q("SELECT String(0, 'x') = '', String(3, 'é'), String(2, 321), String(NULL, 'x') "
                "IS NULL, String(2, NULL) IS NULL"),
              (Rows{{"1", "ééé", "AA", "1", "1"}}));
    EXPECT_EQ(Fails("SELECT String(-1, 'x')"), err::kInvalidArgument);
    EXPECT_EQ(Fails("SELECT String(2, '')"), err::kInvalidArgument);
    EXPECT_EQ(Q("SELECT Replace('abc', 'b', 'x', 9) = '', Replace('aaa', 'a', 'b', 1, 0), "
                "Replace('abc', '', 'x'), Replace(NULL, 'a', 'b') IS NULL, "
                "Replace('Straße', 'SSE', 'x', 1, -1, 1), Replace('ÄäÄ', 'ä', '-', 1, -1, 1)"),
              (Rows{{"1", "aaa", "abc", "1", "Straße", "---"}}));
    EXPECT_EQ(Q("SELECT replace('a.b.c', '.', '') , replace(123, 2, 9)"), (Rows{{"abc", "193"}}));
    EXPECT_EQ(Fails("SELECT Replace('a', 'a', 'b', 0)"), err::kInvalidArgument);
}

TEST_F(JetTextFunctions, CharactersAndCodes) {
    EXPECT_EQ(Q("SELECT Len(Chr(0)), Asc(Chr(0)), Chr(233), Asc('é'), Asc(5), Chr(8364)"),
              (Rows{{"1", "0", "é", "233", "53", "€"}}));
    EXPECT_EQ(Fails("SELECT Chr(65536)"), err::kInvalidArgument);
    EXPECT_EQ(Fails("SELECT Asc('')"), err::kInvalidArgument);
    EXPECT_EQ(Q("SELECT UCase('àéîõü ß ǅ'), LCase('ÀÉÎÕÜ Σ'), UCase(NULL) IS NULL, UCase(12), "
                "UCase('a😀b')"),
              (Rows{{"ÀÉÎÕÜ ß Ǆ", "àéîõü σ", "1", "12", "A😀B"}}));
    EXPECT_EQ(Q("SELECT StrComp('a', 'B'), StrComp('a', 'B', 0), StrComp('Ä', 'ä'), "
                "StrComp(NULL, 'a') IS NULL"),
              (Rows{{"-1", "1", "0", "1"}}));
}

TEST_F(JetTextFunctions, HexOfNumbersIsClassicAndOfTextsStaysSqlites) {
    EXPECT_EQ(Q("SELECT Hex(255), Hex(-1), Hex(-32768), Hex(2147483647), Hex(10.5), "
                "Hex('A'), Hex(x'00ff'), Hex(NULL) IS NULL"),
              (Rows{{"FF", "FFFFFFFF", "FFFF8000", "7FFFFFFF", "A", "41", "00FF", "1"}}));
    EXPECT_EQ(Fails("SELECT Hex(2147483648)"), err::kOverflow);
}

TEST_F(JetTextFunctions, TestsAndChoices) {
    EXPECT_EQ(Q("SELECT IsNumeric('&HFF'), IsNumeric(NULL), IsNumeric(''), IsNumeric(' 1e3 '), "
                "IsNumeric('1e'), IsNumeric(#2001-02-03#), IsNull(NULL), IsNull(0)"),
              (Rows{{"-1", "0", "0", "-1", "0", "0", "-1", "0"}}));
    EXPECT_EQ(Q("SELECT Switch(0, 'a') IS NULL, Switch(NULL, 'a', 1, 'b'), Choose(0, 'a') IS NULL, "
                "Choose(1.5, 'a', 'b'), Choose(2.5, 'a', 'b', 'c'), Choose(NULL, 'a') IS NULL"),
              (Rows{{"1", "b", "1", "b", "b", "1"}}));
    EXPECT_EQ(Fails("SELECT Switch(1)"), err::kInvalidArgument);
    EXPECT_EQ(Fails("SELECT Switch('x', 1)"), err::kTypeMismatch);
}

TEST_F(JetTextFunctions, AggregatesSkipNullsAndNeedEnoughRows) {
    RunAll(engine, path,
           {"CREATE TABLE N (G TEXT(5), X DOUBLE)", "INSERT INTO N VALUES ('a', 1)",
            "INSERT INTO N VALUES ('a', NULL)", "INSERT INTO N VALUES ('a', 3)",
            "INSERT INTO N VALUES ('b', 5)"});
    EXPECT_EQ(Q("SELECT G, First(X), Last(X), StDev(X), Var(X), StDevP(X), VarP(X) FROM N "
                "GROUP BY G ORDER BY G"),
              (Rows{{"a", "1", "3", "1.4142135623731", "2", "1", "1"},
                    {"b", "5", "5", "<null>", "<null>", "0", "0"}}));
    EXPECT_EQ(Q("SELECT First(X) IS NULL, Last(X) IS NULL, VarP(X) IS NULL FROM N WHERE 0"),
              (Rows{{"1", "1", "1"}}));
    EXPECT_EQ(Q("SELECT Last(X) IS NULL FROM N WHERE G = 'a' AND X IS NULL"), (Rows{{"1"}}));
}

TEST_F(JetTextFunctions, UnknownFunctionsAreNamedAsWritten) {
    for (const std::string statement :
         {"SELECT fOO()", "SELECT fOO(*)", "SELECT fOO(DISTINCT 1)", "SELECT 1 WHERE fOO(2) = 1",
          "SELECT 1 ORDER BY fOO(1)", "SELECT Len(fOO('x'))"}) {
        std::string description;
        EXPECT_EQ(Fails(statement, &description), err::kUndefinedFunction) << statement;
        EXPECT_EQ(description.rfind("Undefined function 'fOO' in expression", 0), 0u)
            << description;
    }
    std::string description;
    EXPECT_EQ(Fails("SELECT Left('a')", &description), err::kSyntaxError);
    EXPECT_NE(description.find("Wrong number of arguments"), std::string::npos) << description;
}

TEST(JetFunctionErrors, TheirTextsBecomeClassicNumbers) {
    using db::sqlite::SqliteErrorNumber;
    EXPECT_EQ(SqliteErrorNumber(SQLITE_ERROR, "Type mismatch in CInt", 0), err::kTypeMismatch);
    EXPECT_EQ(SqliteErrorNumber(SQLITE_ERROR, "Overflow in CLng", 0), err::kOverflow);
    EXPECT_EQ(SqliteErrorNumber(SQLITE_ERROR, "Invalid procedure call or argument", 0),
              err::kInvalidArgument);
    EXPECT_EQ(SqliteErrorNumber(SQLITE_ERROR, "Overflowing pipes", 0), err::kReserved);
}

}  // namespace
}  // namespace tessel::test::platform_tests
