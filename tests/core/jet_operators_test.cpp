// The classic operators beside standard SQL: "\" divides whole numbers, "&" ends before an
// alias written without AS, and REINDEX finds an index by the name DROP INDEX knows.
#include <gtest/gtest.h>

#include "core/db/engine.h"
#include "core/db/jetsql/dml_rewrite.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

namespace err = db::err;

std::string Rewrite(const std::string& sql) {
    return db::jetsql::RewriteJetSql(sql, db::jetsql::Tokenize(sql));
}

TEST(JetOperatorsRewrite, BackslashBindsBetweenModAndMultiplication) {
    EXPECT_EQ(Rewrite("SELECT a \\ b"), "SELECT JetIntDiv(a , b)");
    EXPECT_EQ(Rewrite("SELECT 1 + a * 2 \\ -b / 3 - 1 x"),
              "SELECT 1 + JetIntDiv(a * 2 , -b / 3) - 1 x");
    EXPECT_EQ(Rewrite("SELECT a \\ b \\ c"), "SELECT JetIntDiv(JetIntDiv(a , b) , c)");
    EXPECT_EQ(Rewrite("SELECT a Mod b \\ c"), "SELECT a % JetIntDiv(b , c)");
    EXPECT_EQ(Rewrite("SELECT f(a \\ 2, (b) \\ 2)"),
              "SELECT f(JetIntDiv(a , 2), JetIntDiv((b) , 2))");
}

TEST(JetOperatorsRewrite, AnAliasWithoutAsEndsTheOperandOfAmpersand) {
    EXPECT_EQ(Rewrite("SELECT 'a' & 'b' r6, x & y AS r7 FROM t"),
              "SELECT JetConcat('a' , 'b') r6, JetConcat(x , y) AS r7 FROM t");
    EXPECT_EQ(Rewrite("SELECT a & f(b) & c"), "SELECT JetConcat(JetConcat(a , f(b)) , c)");
}

class JetOperators : public testing::Test {
  protected:
    void SetUp() override {
        path = NewDatabase(engine, dir);
        RunAll(engine, path,
               {"CREATE TABLE T (A LONG, B DOUBLE, S TEXT (10))",
                "INSERT INTO T VALUES (7, 2.5, 'x')", "INSERT INTO T VALUES (-7, 1.5, NULL)"});
    }
    Rows Q(const std::string& statement) { return Query(engine, path, statement); }

    TempDir dir;
    db::Engine engine;
    std::string path;
};

TEST_F(JetOperators, IntegerDivisionRoundsHalvesToEvenThenTruncates) {
    // 2.5 rounds to 2 and 1.5 to 2: 7 \ 2 = 3 and -7 \ 2 = -3.
    EXPECT_EQ(Q("SELECT A \\ B, A \\ 2 * 2, B \\ 1 FROM T ORDER BY A DESC"),
              (Rows{{"3", "1", "2"}, {"-3", "-1", "2"}}));
    EXPECT_EQ(Q("SELECT A \\ NULL, NULL \\ 0 FROM T WHERE A = 7"), (Rows{{"<null>", "<null>"}}));
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { Q("SELECT A \\ (B - 2.5) FROM T"); }, &description),
              err::kDivisionByZero);
    EXPECT_EQ(description, "Division by zero");
    EXPECT_EQ(ErrorNumber([&] { Q("SELECT 3000000000 \\ 2"); }), err::kOverflow);
}

TEST_F(JetOperators, AliasesWithoutAsAfterJoinedText) {
    EXPECT_EQ(Q("SELECT S & '!' r1, A & S r2 FROM T ORDER BY A DESC"),
              (Rows{{"x!", "7x"}, {"!", "-7"}}));
}

TEST_F(JetOperators, ReindexFindsAnIndexByItsJetName) {
    RunAll(engine, path,
           {"CREATE INDEX ByS ON T (S)", "CREATE TABLE U (S TEXT (10))",
            "CREATE INDEX Twice ON T (A)", "CREATE INDEX Twice ON U (S)"});
    EXPECT_EQ(ErrorNumber([&] { Q("REINDEX ByS"); }), 0);
    EXPECT_EQ(ErrorNumber([&] { Q("REINDEX [Twice]"); }), 0);
    EXPECT_EQ(ErrorNumber([&] { Q("REINDEX T"); }), 0);
    EXPECT_EQ(ErrorNumber([&] { Q("REINDEX NOCASE"); }), 0);
    RunAll(engine, path, {"DROP INDEX ByS ON T"});
    EXPECT_NE(ErrorNumber([&] { Q("REINDEX ByS"); }), 0);
}

}  // namespace
}  // namespace tessel::test::platform_tests
