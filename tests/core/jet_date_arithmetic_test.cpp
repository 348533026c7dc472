// Date arithmetic: which sums are rewritten into the date functions, and what they give on a
// database with date fields.
#include <gtest/gtest.h>

#include "core/db/engine.h"
#include "core/db/jetsql/dml_rewrite.h"
#include "core/db/jetsql/single_statement.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::jetsql::RewriteJetSql;
using db::jetsql::Tokenize;
namespace err = db::err;

std::string Rewrite(const std::string& sql, bool dField = true) {
    const db::jetsql::DateFieldTest isDate = [](std::string_view name) {
        return name == "D" || name == "d";
    };
    return RewriteJetSql(sql, Tokenize(sql), dField ? isDate : db::jetsql::DateFieldTest{});
}

TEST(JetDateArithmeticRewrite, SumsWithADateOperandBecomeCallsFromLeftToRight) {
    EXPECT_EQ(Rewrite("SELECT D + 1 FROM t"), "SELECT JetDateAdd(D , 1) FROM t");
    EXPECT_EQ(Rewrite("SELECT x - D + 2 * 3 AS y FROM t"),
              "SELECT JetDateAdd(JetDateSub(x , D) , 2 * 3) AS y FROM t");
    EXPECT_EQ(Rewrite("UPDATE t SET D = t.D + 1 WHERE D - 1 > #2001-01-01#"),
              "UPDATE t SET D = JetDateAdd(t.D , 1) WHERE JetDateSub(D , 1) > '2001-01-01'");
    EXPECT_EQ(Rewrite("SELECT #2001-01-01# + 1 & 'x'"),
              "SELECT JetConcat(JetDateAdd('2001-01-01' , 1) , 'x')");
    EXPECT_EQ(Rewrite("SELECT Now() - 1, (D + 1) - 1 n"),
              "SELECT JetDateSub(Now() , 1), JetDateSub((JetDateAdd(D , 1)) , 1) n");
    EXPECT_EQ(Rewrite("SELECT CASE WHEN a THEN D END + 1"),
              "SELECT JetDateAdd(CASE WHEN a THEN D END , 1)");
}

TEST(JetDateArithmeticRewrite, SumsWithoutADateStayAsWritten) {
    for (const std::string plain :
         {"SELECT a + 1, -b - 2, f(a) + g(b) FROM t WHERE a - 1 > 2", "SELECT t.a + D.b FROM t, D",
          "SELECT 1 + 2 - 3 total", "SELECT D(1) + 1"}) {
        EXPECT_EQ(Rewrite(plain), plain);
    }
    // A date field is a date only where the database says so.
    EXPECT_EQ(Rewrite("SELECT D + 1 FROM t", false), "SELECT D + 1 FROM t");
}

TEST(JetDateArithmeticRewrite, TheSchemaIsAskedOnlyForASumNextToAName) {
    using db::jetsql::HasSumNextToName;
    using db::jetsql::ReadSingleStatement;
    EXPECT_TRUE(HasSumNextToName("UPDATE E SET D = D + 1"));
    EXPECT_TRUE(HasSumNextToName("SELECT 1 - [D] FROM E"));
    EXPECT_FALSE(HasSumNextToName("SELECT 1 + 2, D FROM E"));
    EXPECT_FALSE(HasSumNextToName("SELECT 'D + 1', D FROM E"));
    EXPECT_TRUE(ReadSingleStatement("UPDATE E SET D = D + 1").tokens.empty());
    EXPECT_FALSE(ReadSingleStatement("SELECT Date() + 1").tokens.empty());
    EXPECT_FALSE(ReadSingleStatement("SELECT 7 \\ 2").tokens.empty());
}

class JetDateArithmetic : public testing::Test {
  protected:
    void SetUp() override {
        path = NewDatabase(engine, dir);
        RunAll(engine, path,
               {"CREATE TABLE E (ID LONG, D DATETIME, N DOUBLE, S TEXT (20))",
                "INSERT INTO E VALUES (1, #2021-01-01#, 1.5, '2021-01-01')",
                "INSERT INTO E VALUES (2, #1999-12-31 23:00:00#, -1, 'x')",
                "INSERT INTO E VALUES (3, NULL, 2, NULL)"});
    }
    Rows Q(const std::string& statement) { return Query(engine, path, statement); }

    TempDir dir;
    db::Engine engine;
    std::string path;
};

TEST_F(JetDateArithmetic, DatePlusOrMinusANumberIsADate) {
    EXPECT_EQ(Q("SELECT D + 1, D - N, [E].[D] + N FROM E ORDER BY ID"),
              (Rows{{"2021-01-02", "2020-12-30 12:00:00", "2021-01-02 12:00:00"},
                    {"2000-01-01 23:00:00", "2000-01-01 23:00:00", "1999-12-30 23:00:00"},
                    {"<null>", "<null>", "<null>"}}));
    RunAll(engine, path, {"UPDATE E SET D = D + 1 WHERE ID = 1"});
    EXPECT_EQ(Q("SELECT D FROM E WHERE ID = 1"), (Rows{{"2021-01-02"}}));
}

TEST_F(JetDateArithmetic, DateMinusDateIsTheDaysBetween) {
    // The difference of two serial numbers, as the classic engine takes it: 23:00 is not exact
    // in binary, so an hour comes out as 0.0416666666642413 there too.
    EXPECT_EQ(
        Q("SELECT D - #2020-12-25#, #2000-01-01# - D FROM E ORDER BY ID"),
        (Rows{{"7", "-7671"}, {"-7664.04166666666", "0.0416666666642413"}, {"<null>", "<null>"}}));
}

TEST_F(JetDateArithmetic, ResultsOutsideTheYearsOfADateOverflow) {
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { Q("SELECT D + 3000000 FROM E"); }, &description), err::kOverflow);
    EXPECT_EQ(description, "Overflow: the sum gives a date outside the years 100 to 9999.");
    EXPECT_EQ(ErrorNumber([&] { Q("SELECT #0100-01-01# - 1"); }), err::kOverflow);
}

TEST_F(JetDateArithmetic, SumsOfOtherFieldsKeepSqlitesMeaning) {
    // A text field is not a date field: its sum is SQLite's, as without the rewrite.
    EXPECT_EQ(Q("SELECT S + 1, N + ID, ID - 1 FROM E ORDER BY ID"),
              (Rows{{"2022", "2.5", "0"}, {"1", "1", "1"}, {"<null>", "5", "2"}}));
    // In a sum that holds a date field, the other operands still add as SQLite adds them.
    EXPECT_EQ(Q("SELECT ID + 1 + 0 * D FROM E WHERE ID = 1"), (Rows{{"2"}}));
}

}  // namespace
}  // namespace tessel::test::platform_tests
