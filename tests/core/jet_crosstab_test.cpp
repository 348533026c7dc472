// Crosstab queries (TRANSFORM ... PIVOT) on real data: the column headings and their order,
// the cells, the IN list, Null pivot values, and the mistakes a person can make.
#include <gtest/gtest.h>

#include "core/db/engine.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::Engine;
namespace err = db::err;

class JetCrosstab : public testing::Test {
  protected:
    void SetUp() override {
        path = NewDatabase(engine, dir);
        RunAll(engine, path,
               {"CREATE TABLE Orders (ID LONG, Customer TEXT(20), Placed DATETIME, Paid BIT, "
                "Amount DOUBLE, Kind TEXT(5))",
                "INSERT INTO Orders VALUES (1, 'Ann', #1/15/2001#, True, 10.5, 'a')",
                "INSERT INTO Orders VALUES (2, 'Bob', #2001-02-03 04:05:06#, False, 20, 'b')",
                "INSERT INTO Orders VALUES (3, 'Ann', #12/31/1999#, True, 30, NULL)",
                "INSERT INTO Orders VALUES (4, 'Cy', #Mar 4, 2002#, False, 40, 'b')",
                "INSERT INTO Orders VALUES (5, 'Ann', #1/15/2001#, False, 5, 'b')"});
    }
    Rows Q(const std::string& statement) { return Query(engine, path, statement); }
    std::vector<std::string> Headings(const std::string& statement) {
        auto cursor = engine.OpenConnection(AccessConnection(path))->Execute(statement);
        std::vector<std::string> names;
        for (const auto& column : cursor->Columns())
            names.push_back(column.name);
        return names;
    }

    TempDir dir;
    Engine engine;
    std::string path;
};

TEST_F(JetCrosstab, ColumnsAreTheRowHeadingsThenEachValueAscendingWithNullFirst) {
    const std::string crosstab =
        "TRANSFORM Sum(Amount) SELECT Customer FROM Orders GROUP BY Customer PIVOT Kind";
    EXPECT_EQ(Headings(crosstab), (std::vector<std::string>{"Customer", "<>", "a", "b"}));
    EXPECT_EQ(Q(crosstab), (Rows{{"Ann", "30", "10.5", "5"},
                                 {"Bob", "<null>", "<null>", "20"},
                                 {"Cy", "<null>", "<null>", "40"}}));
}

TEST_F(JetCrosstab, TheInListFixesTheColumnsAndTheirOrder) {
    const std::string crosstab =
        "TRANSFORM Sum(Amount) SELECT Customer FROM Orders GROUP BY "
        "Customer PIVOT Kind IN ('b', 'z', 'a')";
    EXPECT_EQ(Headings(crosstab), (std::vector<std::string>{"Customer", "b", "z", "a"}));
    EXPECT_EQ(Q(crosstab), (Rows{{"Ann", "5", "<null>", "10.5"},
                                 {"Bob", "20", "<null>", "<null>"},
                                 {"Cy", "40", "<null>", "<null>"}}));
    // A heading is text: a number pivot matches the text of its value.
    EXPECT_EQ(Q("TRANSFORM Count(*) SELECT Customer FROM Orders GROUP BY Customer "
                "PIVOT Year(Placed) IN ('2001', 2002)"),
              (Rows{{"Ann", "2", "<null>"}, {"Bob", "1", "<null>"}, {"Cy", "<null>", "1"}}));
}

TEST_F(JetCrosstab, EmptyCellsAreNullEvenForCountAndExpressionsSeeThatNull) {
    EXPECT_EQ(Q("TRANSFORM Count(ID) SELECT Customer FROM Orders GROUP BY Customer PIVOT Paid"),
              (Rows{{"Ann", "1", "2"}, {"Bob", "1", "<null>"}, {"Cy", "1", "<null>"}}));
    EXPECT_EQ(Q("TRANSFORM Nz(Count(ID), 0) SELECT Customer FROM Orders GROUP BY Customer "
                "PIVOT Paid"),
              (Rows{{"Ann", "1", "2"}, {"Bob", "1", "0"}, {"Cy", "1", "0"}}));
    // Count of a field that is Null in every row of a cell that has rows is 0, not empty.
    EXPECT_EQ(Q("TRANSFORM Count(Kind) SELECT Customer FROM Orders WHERE ID = 3 "
                "GROUP BY Customer PIVOT Paid"),
              (Rows{{"Ann", "0"}}));
}

TEST_F(JetCrosstab, MoreRowHeadingsAndTotalsComeBeforeThePivotColumns) {
    const std::string crosstab =
        "TRANSFORM Max(Amount) SELECT Kind, Customer, Sum(Amount) AS Total, Count(*) AS N "
        "FROM Orders WHERE Kind IS NOT NULL GROUP BY Kind, Customer PIVOT Paid";
    EXPECT_EQ(Headings(crosstab),
              (std::vector<std::string>{"Kind", "Customer", "Total", "N", "0", "1"}));
    EXPECT_EQ(Q(crosstab), (Rows{{"a", "Ann", "10.5", "1", "<null>", "10.5"},
                                 {"b", "Ann", "5", "1", "5", "<null>"},
                                 {"b", "Bob", "20", "1", "20", "<null>"},
                                 {"b", "Cy", "40", "1", "40", "<null>"}}));
    // An ORDER BY of its own orders the rows instead of the row headings.
    EXPECT_EQ(Q("TRANSFORM Sum(Amount) SELECT Customer FROM Orders GROUP BY Customer "
                "ORDER BY Customer DESC PIVOT Paid")
                  .front()
                  .front(),
              "Cy");
}

TEST_F(JetCrosstab, DatesAndNumbersAreHeadedByTheirText) {
    EXPECT_EQ(Headings("TRANSFORM Count(*) SELECT Customer FROM Orders GROUP BY Customer "
                       "PIVOT Placed"),
              (std::vector<std::string>{"Customer", "1999-12-31", "2001-01-15",
                                        "2001-02-03 04:05:06", "2002-03-04"}));
    EXPECT_EQ(Headings("TRANSFORM Count(*) SELECT Customer FROM Orders GROUP BY Customer "
                       "PIVOT Amount / 2"),
              (std::vector<std::string>{"Customer", "2.5", "5.25", "10", "15", "20"}));
    EXPECT_EQ(Headings("TRANSFORM Count(*) SELECT Customer FROM Orders GROUP BY Customer "
                       "PIVOT Placed IN (#1/15/2001#, #2002-03-04#)"),
              (std::vector<std::string>{"Customer", "2001-01-15", "2002-03-04"}));
}

TEST_F(JetCrosstab, JetSyntaxWorksInEveryPart) {
    EXPECT_EQ(Q("TRANSFORM Sum(Amount) SELECT Customer & '!' AS Who FROM Orders "
                "WHERE Placed >= #1/1/2001# AND Paid = False GROUP BY Customer & '!' "
                "PIVOT Kind & '-' & Paid IN ('b-0')"),
              (Rows{{"Ann!", "5"}, {"Bob!", "20"}, {"Cy!", "40"}}));
}

TEST_F(JetCrosstab, MistakesAreNamedWithTheClassicNumber) {
    std::string description;
    EXPECT_EQ(ErrorNumber(
                  [&] { Q("TRANSFORM Sum(Amount) SELECT Customer FROM Orders GROUP BY Customer"); },
                  &description),
              err::kTransformSyntax);
    EXPECT_NE(description.find("PIVOT"), std::string::npos);
    EXPECT_EQ(
        ErrorNumber([&] { Q("TRANSFORM Sum(Amount) SELECT Customer FROM Orders PIVOT Kind"); },
                    &description),
        err::kTransformSyntax);
    EXPECT_NE(description.find("GROUP BY"), std::string::npos);
    EXPECT_EQ(ErrorNumber(
                  [&] {
                      Q("TRANSFORM Amount SELECT Customer FROM Orders GROUP BY Customer "
                        "PIVOT Kind");
                  },
                  &description),
              err::kTransformSyntax);
    EXPECT_NE(description.find("aggregate"), std::string::npos);
    EXPECT_EQ(ErrorNumber([&] {
                  Q("TRANSFORM Sum(Amount) SELECT Customer FROM Orders GROUP BY Customer "
                    "PIVOT Kind IN ()");
              }),
              err::kTransformSyntax);
}

TEST_F(JetCrosstab, MoreColumnsThanATableHoldsAreRefused) {
    RunAll(engine, path, {"CREATE TABLE Many (N LONG)"});
    // 254 values and one row heading make 255 fields, the most a table has.
    RunAll(engine, path,
           {"INSERT INTO Many WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
            "WHERE i < 254) SELECT i FROM c",
            "INSERT INTO Many VALUES (1)"});
    const std::string crosstab =
        "TRANSFORM Count(*) SELECT 'all' AS Label FROM Many "
        "GROUP BY 'all' PIVOT N";
    EXPECT_EQ(Headings(crosstab).size(), 255u);
    EXPECT_EQ(Q(crosstab).front()[1], "2");
    RunAll(engine, path, {"INSERT INTO Many VALUES (255)"});
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { Q(crosstab); }, &description), err::kTooManyFields);
    EXPECT_NE(description.find("256"), std::string::npos);
}

}  // namespace
}  // namespace tessel::test::platform_tests
