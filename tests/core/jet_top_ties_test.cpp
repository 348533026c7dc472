// TOP n of an ordered SELECT returns the rows that tie with the n-th too, as the classic engine
// does; without ORDER BY it is the first n rows.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/db/engine.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::Engine;

class JetTopTies : public testing::Test {
  protected:
    void SetUp() override {
        path = NewDatabase(engine, dir);
        RunAll(engine, path,
               {"CREATE TABLE Scores (Name TEXT(10), Team TEXT(5), Points LONG)",
                "INSERT INTO Scores VALUES ('Ann', 'x', 90)",
                "INSERT INTO Scores VALUES ('Bob', 'y', 80)",
                "INSERT INTO Scores VALUES ('Cy', 'x', 80)",
                "INSERT INTO Scores VALUES ('Dee', 'y', 70)",
                "INSERT INTO Scores VALUES ('Eve', 'x', 60)",
                "INSERT INTO Scores VALUES ('Fay', 'y', 60)",
                "INSERT INTO Scores VALUES ('Gus', 'x', 60)"});
    }
    // The rows sorted, so that rows that tie compare in any order.
    Rows Sorted(const std::string& statement) {
        Rows rows = Query(engine, path, statement);
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    TempDir dir;
    Engine engine;
    std::string path;
};

TEST_F(JetTopTies, RowsEqualToTheLastOnTheKeysComeToo) {
    EXPECT_EQ(Sorted("SELECT TOP 2 Name FROM Scores ORDER BY Points DESC"),
              (Rows{{"Ann"}, {"Bob"}, {"Cy"}}));
    EXPECT_EQ(Sorted("SELECT TOP 5 Name FROM Scores ORDER BY Points DESC"),
              (Rows{{"Ann"}, {"Bob"}, {"Cy"}, {"Dee"}, {"Eve"}, {"Fay"}, {"Gus"}}));
    EXPECT_EQ(Sorted("SELECT TOP 1 Name FROM Scores ORDER BY Points"),
              (Rows{{"Eve"}, {"Fay"}, {"Gus"}}));
    // Ties are on all the keys together.
    EXPECT_EQ(Sorted("SELECT TOP 2 Name FROM Scores ORDER BY Points DESC, Name DESC"),
              (Rows{{"Ann"}, {"Cy"}}));
    // No tie at the cut, or more asked for than there are.
    EXPECT_EQ(Sorted("SELECT TOP 3 Name FROM Scores ORDER BY Points DESC"),
              (Rows{{"Ann"}, {"Bob"}, {"Cy"}}));
    EXPECT_EQ(Sorted("SELECT TOP 50 Name FROM Scores ORDER BY Points").size(), 7u);
    EXPECT_EQ(Sorted("SELECT TOP 0 Name FROM Scores ORDER BY Points").size(), 0u);
}

TEST_F(JetTopTies, WithoutOrderByItIsTheFirstRows) {
    EXPECT_EQ(Sorted("SELECT TOP 2 Name FROM Scores").size(), 2u);
    EXPECT_EQ(Sorted("SELECT TOP 50 PERCENT Name FROM Scores").size(), 4u);
}

TEST_F(JetTopTies, PercentCountsTheRowsThenTakesTheTies) {
    // 30 percent of 7 rows is 2.1, taken up to 3; the 3rd row ties with none after it.
    EXPECT_EQ(Sorted("SELECT TOP 30 PERCENT Name FROM Scores ORDER BY Points DESC"),
              (Rows{{"Ann"}, {"Bob"}, {"Cy"}}));
    // 10 percent is one row, and two more tie with it.
    EXPECT_EQ(Sorted("SELECT TOP 10 PERCENT Name FROM Scores ORDER BY Points"),
              (Rows{{"Eve"}, {"Fay"}, {"Gus"}}));
}

TEST_F(JetTopTies, KeysNamedByAliasPositionOrAggregate) {
    EXPECT_EQ(Sorted("SELECT TOP 1 Name, Points * 2 AS Twice FROM Scores ORDER BY Twice"),
              (Rows{{"Eve", "120"}, {"Fay", "120"}, {"Gus", "120"}}));
    EXPECT_EQ(Sorted("SELECT TOP 2 Name, Points FROM Scores ORDER BY 2 DESC"),
              (Rows{{"Ann", "90"}, {"Bob", "80"}, {"Cy", "80"}}));
    // A position past "*" names a column the rewrite cannot see: cut at n, never all rows.
    EXPECT_EQ(Sorted("SELECT TOP 2 * FROM Scores ORDER BY 3 DESC").size(), 2u);
    EXPECT_EQ(Sorted("SELECT TOP 1 Points, count(*) AS N FROM Scores GROUP BY Points "
                     "ORDER BY count(*) DESC"),
              (Rows{{"60", "3"}}));
    EXPECT_EQ(Sorted("SELECT TOP 1 Points FROM Scores GROUP BY Points HAVING count(*) < 3 "
                     "ORDER BY count(*) DESC"),
              (Rows{{"80"}}));
    EXPECT_EQ(Sorted("SELECT TOP 1 Team, Max(Points) AS Best FROM Scores GROUP BY Team "
                     "ORDER BY Min(Points)"),
              (Rows{{"x", "90"}, {"y", "80"}}));
}

TEST_F(JetTopTies, DistinctRowsAreCountedOnce) {
    EXPECT_EQ(Query(engine, path, "SELECT DISTINCT TOP 2 Points FROM Scores ORDER BY Points"),
              (Rows{{"60"}, {"70"}}));
    EXPECT_EQ(Sorted("SELECT DISTINCT TOP 1 Team, Points FROM Scores ORDER BY Points"),
              (Rows{{"x", "60"}, {"y", "60"}}));
}

TEST_F(JetTopTies, SubqueriesAndUnionMembersKeepTheirOwnTop) {
    EXPECT_EQ(Sorted("SELECT Name FROM Scores WHERE Points IN (SELECT TOP 1 Points FROM Scores "
                     "WHERE Team = 'y' ORDER BY Points DESC)"),
              (Rows{{"Bob"}, {"Cy"}}));
    EXPECT_EQ(Sorted("SELECT TOP 1 Name FROM Scores WHERE Points > (SELECT min(Points) FROM "
                     "Scores) ORDER BY Points"),
              (Rows{{"Dee"}}));
    EXPECT_EQ(Sorted("SELECT TOP 1 Name FROM Scores WHERE Points = 80 UNION SELECT 'Zed'").size(),
              2u);
    EXPECT_EQ(Sorted("SELECT Name FROM (SELECT TOP 1 Name, Points FROM Scores ORDER BY Points "
                     "DESC) UNION ALL SELECT 'Zed'"),
              (Rows{{"Ann"}, {"Zed"}}));
}

}  // namespace
}  // namespace tessel::test::platform_tests
