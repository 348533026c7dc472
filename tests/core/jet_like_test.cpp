// LIKE with the classic wildcards: the GLOB pattern each becomes, and the rows it finds.
#include <gtest/gtest.h>

#include <chrono>

#include "core/db/engine.h"
#include "core/db/jetsql/dml_rewrite.h"
#include "core/db/jetsql/like_pattern.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::jetsql::LikeAsGlob;

TEST(JetLikePattern, LettersMatchEitherCaseAndWildcardsBecomeGlobs) {
    EXPECT_EQ(LikeAsGlob("a*"), "[aA]*");
    EXPECT_EQ(LikeAsGlob("?1#"), "?1[0-9]");
    EXPECT_EQ(LikeAsGlob("[a-c]x"), "[a-cA-C][xX]");
    EXPECT_EQ(LikeAsGlob("[!A-Z0-9]*"), "[^A-Za-z0-9]*");
    EXPECT_EQ(LikeAsGlob("[*][?][#][[]"), "[*][?][#][[]");
    EXPECT_EQ(LikeAsGlob("*]"), "*[]]");
    EXPECT_EQ(LikeAsGlob("[^x]*"), "[xX^]*");
    EXPECT_EQ(LikeAsGlob("[^]*"), "^*");
    EXPECT_EQ(LikeAsGlob("100%*"), "100%*");  // "%" and "_" are plain characters here
}

TEST(JetLikePattern, PatternsWithoutClassicWildcardsAndOpenClassesStayLike) {
    EXPECT_EQ(LikeAsGlob("abc"), std::nullopt);
    EXPECT_EQ(LikeAsGlob("a%b_"), std::nullopt);
    EXPECT_EQ(LikeAsGlob("a[bc"), std::nullopt);
}

TEST(JetLikeRewrite, OnlyLiteralPatternsWithoutEscapeAreRewritten) {
    using db::jetsql::RewriteJetSql;
    using db::jetsql::Tokenize;
    const auto rewrite = [](const std::string& sql) { return RewriteJetSql(sql, Tokenize(sql)); };
    EXPECT_EQ(rewrite("SELECT a FROM t WHERE a NOT LIKE 'x#'"),
              "SELECT a FROM t WHERE a NOT GLOB '[xX][0-9]'");
    EXPECT_EQ(rewrite("SELECT a FROM t WHERE a LIKE 'x\\*%' ESCAPE '\\'"),
              "SELECT a FROM t WHERE a LIKE 'x\\*%' ESCAPE '\\'");
    EXPECT_EQ(rewrite("SELECT a FROM t WHERE a LIKE b"), "SELECT a FROM t WHERE a LIKE b");
    EXPECT_EQ(rewrite("SELECT a FROM t WHERE a LIKE 'it''s*'"),
              "SELECT a FROM t WHERE a GLOB '[iI][tT]''[sS]*'");
}

class JetLike : public testing::Test {
  protected:
    void SetUp() override {
        path = NewDatabase(engine, dir);
        RunAll(engine, path,
               {"CREATE TABLE W (ID LONG, Name TEXT (20))", "INSERT INTO W VALUES (1, 'Apple')",
                "INSERT INTO W VALUES (2, 'a1b')", "INSERT INTO W VALUES (3, 'A-B')",
                "INSERT INTO W VALUES (4, '[x]')", "INSERT INTO W VALUES (5, 'Ünïcode')"});
    }
    Rows Ids(const std::string& pattern) {
        return Query(engine, path,
                     "SELECT ID FROM W WHERE Name LIKE '" + pattern + "' ORDER BY ID");
    }

    TempDir dir;
    db::Engine engine;
    std::string path;
};

TEST_F(JetLike, ClassesDigitsAndLiteralWildcardsFindTheClassicRows) {
    EXPECT_EQ(Ids("a*"), (Rows{{"1"}, {"2"}, {"3"}}));
    EXPECT_EQ(Ids("A#B"), (Rows{{"2"}}));
    EXPECT_EQ(Ids("a[!0-9]b"), (Rows{{"3"}}));
    EXPECT_EQ(Ids("[[]*"), (Rows{{"4"}}));
    EXPECT_EQ(Ids("*[]]"), (Rows{{"4"}}));
    EXPECT_EQ(Ids("?n*"), (Rows{{"5"}}));
    EXPECT_EQ(Ids("APPLE"), (Rows{{"1"}}));
}

TEST_F(JetLike, AGlobOverManyRowsStaysAsFastAsLike) {
    RunAll(engine, path, {"CREATE TABLE Many (Name TEXT (20))", "INSERT INTO Many VALUES ('a1')"});
    for (int i = 0; i < 17; ++i)
        RunAll(engine, path, {"INSERT INTO Many SELECT Name || 'x' FROM Many"});
    const auto time = [&](const std::string& statement) {
        const auto start = std::chrono::steady_clock::now();
        Query(engine, path, statement);
        return std::chrono::steady_clock::now() - start;
    };
    const auto like = time("SELECT count(*) FROM Many WHERE Name LIKE 'a1%x'");
    const auto glob = time("SELECT count(*) FROM Many WHERE Name LIKE 'a#*x'");
    EXPECT_EQ(Query(engine, path, "SELECT count(*) FROM Many WHERE Name LIKE 'A#*X'"),
              (Rows{{"131071"}}));
    EXPECT_LT(glob, like * 4 + std::chrono::milliseconds(200));
}

}  // namespace
}  // namespace tessel::test::platform_tests
