// Very long statements through the Jet layer: what it keeps stays a small multiple of the
// statement's size, and a statement nested or repeated beyond what SQLite takes gets an error
// box's worth of text, not a crash.
#include <gtest/gtest.h>

#include <chrono>

#include "core/db/engine.h"
#include "core/db/jetsql/dml_rewrite.h"
#include "core/db/jetsql/single_statement.h"
#include "core/db/jetsql/tokenizer.h"
#include "platform_test_util.h"
#include "support/heap_peak.h"

namespace tessel::test::platform_tests {
namespace {

using db::jetsql::Token;
using db::jetsql::Tokenize;

std::string Repeated(std::string_view piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        text.append(piece);
    return text;
}

TEST(JetStatementSize, TokensOfAnExpressionTakeAFewBytesForEachByteOfIt) {
    // One token for each byte: the worst case of a sum of ones.
    const std::string statement = "SELECT 1" + Repeated("+1", 500000);
    const auto tokens = Tokenize(statement);
    ASSERT_EQ(tokens.size(), 2 + 2 * 500000u);
    // The vector is exactly as large as its tokens, and no token holds a copy of its text.
    EXPECT_EQ(tokens.capacity(), tokens.size());
    EXPECT_LE(tokens.capacity() * sizeof(Token), 24 * statement.size());
}

// The most the Jet layer may hold at once for each byte of a statement.
constexpr std::size_t kBytesPerByte = 4;

TEST(JetStatementSize, ReadingAndRewritingALongSumHoldsAFewBytesForEachByteOfIt) {
    const std::string statement = "SELECT 1" + Repeated("+1", 1000000) + ";";
    const HeapPeak heap;
    const auto single = db::jetsql::ReadSingleStatement(statement);
    const std::string rewritten = db::jetsql::RewriteJetSql(single.text, single.tokens);
    EXPECT_EQ(rewritten, statement.substr(0, statement.size() - 1));
    EXPECT_LE(heap.Growth(), kBytesPerByte * statement.size());
}

TEST(JetStatementSize, TokensAreKeptOnlyForWhatALaterPassReads) {
    const auto plain = db::jetsql::ReadSingleStatement("SELECT 1 + [a b] FROM T WHERE x = 'y';");
    EXPECT_TRUE(plain.tokens.empty());
    for (const std::string statement :
         {"SELECT 1 & 2", "SELECT True", "SELECT #2001-02-03#", "SELECT Left('ab', 1)",
          "SELECT 7 MOD 2", "SELECT DISTINCTROW a FROM T", "SELECT a FROM T WHERE a LIKE 'x*'",
          "SELECT TOP 1 a FROM T", "DELETE * FROM T", "SELECT a INTO U FROM T",
          "CREATE TABLE T (a TEXT)", "DROP TABLE T", "ALTER TABLE T ADD COLUMN b LONG"}) {
        EXPECT_FALSE(db::jetsql::ReadSingleStatement(statement).tokens.empty()) << statement;
    }
}

TEST(JetStatementSize, ARewriteOfALongStatementKeepsItsTokens) {
    const std::string statement = "SELECT TOP 2 1" + Repeated("+1", 1000);
    const auto single = db::jetsql::ReadSingleStatement(statement);
    EXPECT_EQ(single.tokens.size(), 4 + 2 * 1000u);
    EXPECT_EQ(db::jetsql::RewriteJetSql(single.text, single.tokens),
              "SELECT  1" + Repeated("+1", 1000) + " LIMIT 2");
}

TEST(JetStatementSize, AVeryLongTextIsNotCopiedIntoItsToken) {
    const std::string statement = "SELECT '" + Repeated("it''s ", 200000) + "'";
    const auto tokens = Tokenize(statement);
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[1].Spelling().data(), statement.data() + 8);
    EXPECT_EQ(tokens[1].Value(), Repeated("it's ", 200000));
}

TEST(JetStatementSize, TheStatementReadIsAViewOfTheTextGiven) {
    const std::string statement = "SELECT 1" + Repeated("+1", 1000) + " ;  ";
    const auto single = db::jetsql::ReadSingleStatement(statement);
    EXPECT_EQ(single.text.data(), statement.data());
    EXPECT_EQ(single.text.size(), statement.size() - 4);
}

TEST(JetStatementSize, ParenthesesHaveTheirDepthOnEachToken) {
    const auto tokens = Tokenize("SELECT ((1) + (2)) ) , (3");
    std::vector<std::uint32_t> depths;
    for (const auto& token : tokens)
        depths.push_back(token.depth);
    EXPECT_EQ(depths, (std::vector<std::uint32_t>{0, 0, 1, 2, 1, 1, 1, 2, 1, 0, 0, 0, 0, 1}));
}

class JetHugeStatement : public testing::Test {
  protected:
    void SetUp() override { path = NewDatabase(engine, dir); }

    // The error number of the statement, which must fail in time that grows with its length, not
    // with its square: a few seconds in a plain build, some 20 in the checked build on a busy
    // machine, and hours for a quadratic reading.
    long Fails(const std::string& statement, std::string* description) {
        const auto start = std::chrono::steady_clock::now();
        const long number = ErrorNumber([&] { Query(engine, path, statement); }, description);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(90));
        return number;
    }

    TempDir dir;
    db::Engine engine;
    std::string path;
};

TEST_F(JetHugeStatement, DeeplyNestedParenthesesGiveAnErrorNotACrash) {
    const std::size_t depth = 300000;
    std::string description;
    EXPECT_NE(Fails("SELECT " + Repeated("(", depth) + "1" + Repeated(")", depth), &description),
              0);
    EXPECT_FALSE(description.empty());
}

TEST_F(JetHugeStatement, ALongSumRunsInAFewBytesForEachByteOfIt) {
    const std::string statement = "SELECT 1" + Repeated("+1", 1000000);
    const HeapPeak heap;
    std::string description;
    EXPECT_NE(Fails(statement, &description), 0);
    EXPECT_NE(description.find("Expression tree is too large"), std::string::npos) << description;
    EXPECT_LE(heap.Growth(), kBytesPerByte * statement.size());
}

TEST_F(JetHugeStatement, ALongSumGivesAnErrorNotACrash) {
    std::string description;
    EXPECT_NE(Fails("SELECT 1" + Repeated(" & 1 + 1", 100000), &description), 0);
    EXPECT_FALSE(description.empty());
}

}  // namespace
}  // namespace tessel::test::platform_tests
