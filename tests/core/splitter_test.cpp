// The script splitter: comments, line joining, trimming, cutting at ";", command or SQL.
#include <gtest/gtest.h>

#include "core/db/errors.h"
#include "core/script/script_runner.h"

namespace tessel {
namespace {

using db::EngineError;

struct Expected {
    std::string text;
    bool isCommand;
};

void ExpectStatements(const std::string& script, const std::vector<Expected>& expected) {
    const std::vector<SplitStatement> statements = SplitScript(script);
    ASSERT_EQ(statements.size(), expected.size()) << script;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(statements[i].text, expected[i].text) << "statement " << i;
        EXPECT_EQ(statements[i].isCommand, expected[i].isCommand) << "statement " << i;
    }
}

// The statements cut before the failure, and the failure's number and description.
struct PartialSplit {
    std::vector<SplitStatement> statements;
    long errorNumber = 0;
    std::string errorDescription;
};

PartialSplit SplitUntilFailure(const std::string& script) {
    PartialSplit result;
    ScriptSplitter splitter(script);
    try {
        while (auto statement = splitter.Next())
            result.statements.push_back(*statement);
    } catch (const EngineError& error) {
        result.errorNumber = error.Number();
        result.errorDescription = error.Description();
    }
    return result;
}

TEST(Splitter, OneStatementRunsWithoutItsSemicolon) {
    ExpectStatements("SELECT * FROM t;", {{"SELECT * FROM t", false}});
}

TEST(Splitter, CommandsOnConsecutiveLinesAreTwoCommands) {
    ExpectStatements("dbConnect Access;\r\ndbOpen /data/shop.mdb;\r\n",
                     {{"dbConnect Access", true}, {"dbOpen /data/shop.mdb", true}});
}

TEST(Splitter, BlankBeforeCommandOrCapitalsMakeSql) {
    ExpectStatements("dbConnect Access; dbOpen x;DBCLOSE ;",
                     {{"dbConnect Access", true}, {" dbOpen x", false}, {"DBCLOSE ", false}});
}

TEST(Splitter, LinesJoinWithNothingBetween) {
    ExpectStatements("SELECT *\r\nFROM t;", {{"SELECT *FROM t", false}});
    ExpectStatements("SELECT * \r\nFROM t\r\n WHERE a = 1;",
                     {{"SELECT * FROM t WHERE a = 1", false}});
}

TEST(Splitter, CommentRunsToTheEndOfItsLine) {
    ExpectStatements("// make it\r\ndbMake x; // the file\r\nSELECT a // first\r\n FROM t;\r\n",
                     {{"dbMake x", true}, {" SELECT a  FROM t", false}});
}

TEST(Splitter, CommentWithoutLineBreakAfterItStaysAndEndsTheRunAfterTheStatementBefore) {
    const PartialSplit split = SplitUntilFailure("SELECT 1; // done");
    ASSERT_EQ(split.statements.size(), 1u);
    EXPECT_EQ(split.statements[0].text, "SELECT 1");
    EXPECT_EQ(split.errorNumber, db::err::kInvalidArgument);
    EXPECT_EQ(split.errorDescription, "The statement on line 1 does not end with \";\":  // done");
}

TEST(Splitter, LineFeedAloneEndsALineToo) {
    ExpectStatements("// header\ndbMake x;\nSELECT 1 // note\n;\n",
                     {{"dbMake x", true}, {"SELECT 1 ", false}});
}

TEST(Splitter, TwoSemicolonsMakeAnEmptySqlStatement) {
    ExpectStatements("SELECT 1;;SELECT 2;",
                     {{"SELECT 1", false}, {"", false}, {"SELECT 2", false}});
}

TEST(Splitter, ScriptWithoutSemicolonRunsNothingAndFails) {
    const PartialSplit split = SplitUntilFailure("SELECT 1\r\nFROM t\r\n");
    EXPECT_TRUE(split.statements.empty());
    EXPECT_EQ(split.errorNumber, db::err::kInvalidArgument);
    EXPECT_EQ(split.errorDescription,
              "The statement on line 1 does not end with \";\": SELECT 1FROM t");
}

TEST(Splitter, LastStatementWithoutSemicolonFailsAfterTheOthers) {
    const PartialSplit split = SplitUntilFailure("dbMake a;\r\nSELECT 1;\r\n\r\nSELECT 2");
    ASSERT_EQ(split.statements.size(), 2u);
    EXPECT_EQ(split.errorNumber, db::err::kInvalidArgument);
    EXPECT_EQ(split.errorDescription, "The statement on line 4 does not end with \";\": SELECT 2");
}

TEST(Splitter, OnlyBlanksCommentsAndLineBreaksRunNothingAndShowNothing) {
    EXPECT_TRUE(SplitScript("").empty());
    EXPECT_TRUE(SplitScript("   \r\n  // nothing here\r\n\r\n   ").empty());
    EXPECT_TRUE(SplitScript("\n\n// only\n").empty());
}

TEST(Splitter, WholeTextIsTrimmedOfBlanksButNotTabs) {
    ExpectStatements("   \r\n  dbOpen x;   ", {{"dbOpen x", true}});
    const PartialSplit split = SplitUntilFailure("SELECT 1;\t");
    EXPECT_EQ(split.statements.size(), 1u);
    EXPECT_EQ(split.errorNumber, db::err::kInvalidArgument);
}

TEST(Splitter, CommandKindNeedsLowerCaseDbRightAfterTheSemicolon) {
    ExpectStatements(
        "Db x;dB y;d;db;delete from t;",
        {{"Db x", false}, {"dB y", false}, {"d", false}, {"db", true}, {"delete from t", false}});
}

// Mended: quotes and brackets protect ";" and "//".

TEST(Splitter, SemicolonInsideQuotesDoesNotEndTheStatement) {
    ExpectStatements("INSERT INTO t VALUES ('a;b', \"c;d\");SELECT 1;",
                     {{"INSERT INTO t VALUES ('a;b', \"c;d\")", false}, {"SELECT 1", false}});
}

TEST(Splitter, DoubleSlashInsideQuotesIsNotAComment) {
    ExpectStatements("INSERT INTO t VALUES ('http://example.org');\r\nSELECT 1;\r\n",
                     {{"INSERT INTO t VALUES ('http://example.org')", false}, {"SELECT 1", false}});
}

TEST(Splitter, BracketedNamesProtectSemicolonsAndSlashes) {
    ExpectStatements("SELECT [a;b], [c//d] FROM [x];\r\n",
                     {{"SELECT [a;b], [c//d] FROM [x]", false}});
}

TEST(Splitter, DoubledQuoteInsideALiteralStaysInside) {
    ExpectStatements("INSERT INTO t VALUES ('it''s; fine');",
                     {{"INSERT INTO t VALUES ('it''s; fine')", false}});
}

TEST(Splitter, LineBreakInsideQuotesIsKept) {
    ExpectStatements("INSERT INTO t VALUES ('one\r\ntwo',\r\n 'three\nfour');",
                     {{"INSERT INTO t VALUES ('one\r\ntwo', 'three\nfour')", false}});
}

TEST(Splitter, OtherQuoteKindInsideALiteralIsPlainText) {
    ExpectStatements("SELECT \"it's\", 'say \"hi\"; [x' FROM t;",
                     {{"SELECT \"it's\", 'say \"hi\"; [x' FROM t", false}});
}

TEST(Splitter, CommandArgumentsTakeQuotesAsTheyStand) {
    ExpectStatements("dbOpen /data/O'Brien.mdb;\r\nSELECT 'x;y';\r\n",
                     {{"dbOpen /data/O'Brien.mdb", true}, {"SELECT 'x;y'", false}});
}

TEST(Splitter, UnclosedQuoteFailsNamingWhereItOpens) {
    const PartialSplit split =
        SplitUntilFailure("SELECT 1;\r\nINSERT INTO t VALUES ('abc);\r\nSELECT 2;\r\n");
    ASSERT_EQ(split.statements.size(), 1u);
    EXPECT_EQ(split.errorNumber, db::err::kInvalidArgument);
    EXPECT_EQ(split.errorDescription,
              "The script ends inside the quoted text that opens with ' on line 2: the closing ' "
              "is missing.");
}

TEST(Splitter, UnclosedBracketFailsNamingIt) {
    const PartialSplit split = SplitUntilFailure("SELECT [a FROM t;");
    EXPECT_EQ(split.errorDescription,
              "The script ends inside the bracketed name that opens with [ on line 1: the "
              "closing ] is missing.");
}

// Mended: no 16-bit limit on the script's length.
TEST(Splitter, ScriptsLongerThan32767CharactersSplit) {
    std::string script;
    for (int i = 0; i < 5000; ++i) {
        script += "INSERT INTO t VALUES (" + std::to_string(i) + ", 'row');\r\n";
    }
    ASSERT_GT(script.size(), 100000u);
    const auto statements = SplitScript(script);
    ASSERT_EQ(statements.size(), 5000u);
    EXPECT_EQ(statements[4999].text, "INSERT INTO t VALUES (4999, 'row')");
}

TEST(RowReturning, SelectOrTransformAnywhereInAnyCase) {
    EXPECT_TRUE(IsRowReturning("select * from t"));
    EXPECT_TRUE(IsRowReturning("TRANSFORM Sum(x) SELECT a FROM t GROUP BY a PIVOT b"));
    EXPECT_TRUE(IsRowReturning("INSERT INTO a SELECT * FROM b"));
    EXPECT_TRUE(IsRowReturning("UPDATE t SET note = 'do not SeLeCt this'"));
    EXPECT_TRUE(IsRowReturning("transform"));
    EXPECT_FALSE(IsRowReturning("DELETE FROM t"));
    EXPECT_FALSE(IsRowReturning("UPDATE t SET a = 1"));
    EXPECT_FALSE(IsRowReturning("SELEC"));
    EXPECT_FALSE(IsRowReturning(""));
}

}  // namespace
}  // namespace tessel
