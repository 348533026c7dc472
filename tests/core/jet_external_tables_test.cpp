// Reading tables of other databases from a statement's tokens and writing them as tables of
// attached schemas.
#include <gtest/gtest.h>

#include "core/db/jetsql/external_tables.h"

namespace tessel::db::jetsql {
namespace {

// The statement rewritten, each database given the schema "s" and its number, with what
// was asked for written to `asked`.
std::string Rewrite(const std::string& text, std::vector<ExternalTable>* asked = nullptr) {
    std::vector<ExternalTable> seen;
    std::string out = RewriteExternalTables(text, Tokenize(text), [&](const ExternalTable& table) {
        seen.push_back(table);
        return "s" + std::to_string(seen.size());
    });
    if (asked != nullptr)
        *asked = seen;
    return out;
}

// The one table of another database that `text` names, after checking its rewriting.
ExternalTable OnlyTable(const std::string& text, const std::string& rewritten) {
    std::vector<ExternalTable> asked;
    EXPECT_EQ(Rewrite(text, &asked), rewritten);
    EXPECT_EQ(asked.size(), 1u) << text;
    return asked.empty() ? ExternalTable{} : asked.front();
}

TEST(JetExternalTables, InClauseWithConnectText) {
    const ExternalTable table =
        OnlyTable("SELECT * FROM p INNER JOIN orders AS o IN '/d/dbf' 'dBase IV;' ON o.a = p.a",
                  "SELECT * FROM p INNER JOIN \"s1\".\"orders\" AS o  ON o.a = p.a");
    EXPECT_EQ(table.connect, "dBase IV;");
    EXPECT_EQ(table.path, "/d/dbf");
    EXPECT_EQ(table.table, "orders");
    EXPECT_FALSE(table.changed);
}

TEST(JetExternalTables, InClauseWithoutConnectIsTheSingleFileDefault) {
    const ExternalTable table =
        OnlyTable("SELECT x FROM [Order Details] IN 'C:\\it''s.mdb' WHERE x IN (1, 2)",
                  "SELECT x FROM \"s1\".\"Order Details\"  WHERE x IN (1, 2)");
    EXPECT_EQ(table.connect, "");
    EXPECT_EQ(table.path, "C:\\it's.mdb");
}

TEST(JetExternalTables, AliasMayFollowTheClause) {
    EXPECT_EQ(Rewrite("SELECT * FROM t IN '/a' AS x, u y IN '/b' 'Text;'"),
              "SELECT * FROM \"s1\".\"t\"  AS x, \"s2\".\"u\" y ");
}

TEST(JetExternalTables, EmptyPathTakesTheDatabaseFromTheConnectText) {
    const ExternalTable table = OnlyTable("SELECT * FROM t IN \"\" [dBase III;DATABASE=/d/x y]",
                                          "SELECT * FROM \"s1\".\"t\" ");
    EXPECT_EQ(table.path, "/d/x y");
    EXPECT_EQ(table.connect, "dBase III;DATABASE=/d/x y");
}

TEST(JetExternalTables, BracketedConnectBeforeTheTable) {
    std::vector<ExternalTable> asked;
    EXPECT_EQ(
        Rewrite("SELECT [;DATABASE=/s.mdb].Customers.ID FROM [;DATABASE=/s.mdb].Customers, "
                "[Text;DATABASE=/csv].[people#csv] AS p",
                &asked),
        "SELECT \"s1\".\"Customers\".ID FROM \"s2\".\"Customers\", \"s3\".\"people#csv\" AS p");
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].path, "/s.mdb");
    EXPECT_EQ(asked[2].connect, "Text;DATABASE=/csv");
    EXPECT_EQ(asked[2].table, "people#csv");
}

TEST(JetExternalTables, TargetsOfChangesAreMarked) {
    std::vector<ExternalTable> asked;
    Rewrite("INSERT INTO t IN '/a' SELECT * FROM u IN '/b'", &asked);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[0].changed);
    EXPECT_FALSE(asked[1].changed);
    Rewrite("UPDATE [;DATABASE=/a].t SET x = 1", &asked);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].changed);
    Rewrite("DELETE FROM t IN '/a' 'dBase IV;' WHERE x IN (SELECT y FROM u)", &asked);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].changed);
}

TEST(JetExternalTables, OrdinaryTextIsLeftAlone) {
    for (const std::string text :
         {"SELECT * FROM t WHERE a IN ('x', 'y')", "SELECT 'IN ''/a''' FROM t",
          "SELECT [a;b] FROM t", "SELECT [a;b].c FROM t AS [a;b]", "SELECT a IN 'x' FROM t",
          "SELECT b, a IN 'x' FROM t", "SELECT * FROM t IN"}) {
        std::vector<ExternalTable> asked;
        EXPECT_EQ(Rewrite(text, &asked), text);
        EXPECT_TRUE(asked.empty()) << text;
        EXPECT_TRUE(FindExternalTables(Tokenize(text)).empty()) << text;
    }
}

}  // namespace
}  // namespace tessel::db::jetsql
