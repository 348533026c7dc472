// Jet-only syntax in statements, run on real data: #date#, True/False, TOP, DISTINCTROW,
// SELECT ... INTO, "&", LIKE wildcards, DELETE *; quoted texts stay untouched.
#include <gtest/gtest.h>

#include "core/db/engine.h"
#include "core/db/jetsql/date_literal.h"
#include "core/db/jetsql/dml_rewrite.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::Engine;
namespace err = db::err;

class JetDml : public testing::Test {
  protected:
    void SetUp() override {
        path = NewDatabase(engine, dir);
        RunAll(engine, path,
               {"CREATE TABLE Orders (ID LONG, Customer TEXT(40), Placed DATETIME, Paid BIT, "
                "Amount DOUBLE)",
                "INSERT INTO Orders VALUES (1, 'Ann', #1/15/2001#, True, 10.5)",
                "INSERT INTO Orders VALUES (2, 'Bob', #2001-02-03 04:05:06#, False, 20)",
                "INSERT INTO Orders VALUES (3, 'Ann', #12/31/1999 11:30 PM#, True, 30)",
                "INSERT INTO Orders VALUES (4, 'Cy', #Mar 4, 2002#, False, 40)"});
    }
    Rows Q(const std::string& statement) { return Query(engine, path, statement); }

    TempDir dir;
    Engine engine;
    std::string path;
};

TEST_F(JetDml, DateLiteralsAreStoredAsIsoText) {
    EXPECT_EQ(
        Q("SELECT Placed FROM Orders ORDER BY ID"),
        (Rows{{"2001-01-15"}, {"2001-02-03 04:05:06"}, {"1999-12-31 23:30:00"}, {"2002-03-04"}}));
    EXPECT_EQ(Q("SELECT ID FROM Orders WHERE Placed < #1/1/2001# OR Placed = #2002-03-04#"),
              (Rows{{"3"}, {"4"}}));
    EXPECT_EQ(ErrorNumber([&] { Q("SELECT * FROM Orders WHERE Placed = #13/45/2001#"); }),
              err::kSyntaxError);
}

TEST_F(JetDml, TrueAndFalseAreOneAndZero) {
    EXPECT_EQ(Q("SELECT Paid FROM Orders ORDER BY ID"), (Rows{{"1"}, {"0"}, {"1"}, {"0"}}));
    EXPECT_EQ(Q("SELECT ID FROM Orders WHERE Paid = True ORDER BY ID"), (Rows{{"1"}, {"3"}}));
    EXPECT_EQ(Q("SELECT count(*) FROM Orders WHERE Paid = false"), (Rows{{"2"}}));
}

TEST_F(JetDml, TopBecomesLimitOfItsOwnSelect) {
    EXPECT_EQ(Q("SELECT TOP 2 ID FROM Orders ORDER BY Amount DESC"), (Rows{{"4"}, {"3"}}));
    EXPECT_EQ(Q("SELECT DISTINCT TOP 1 Customer FROM Orders ORDER BY Customer"), (Rows{{"Ann"}}));
    EXPECT_EQ(Q("SELECT ID FROM Orders WHERE ID IN (SELECT TOP 2 ID FROM Orders ORDER BY ID) "
                "ORDER BY ID DESC"),
              (Rows{{"2"}, {"1"}}));
    EXPECT_EQ(Q("SELECT TOP 50 PERCENT ID FROM Orders ORDER BY ID DESC"), (Rows{{"4"}, {"3"}}));
    EXPECT_EQ(Q("SELECT TOP 30 PERCENT ID FROM Orders WHERE Paid = True ORDER BY ID"),
              (Rows{{"1"}}));
    EXPECT_EQ(Q("SELECT TOP 12.5 PERCENT ID FROM Orders ORDER BY ID"), (Rows{{"1"}}));
    EXPECT_EQ(Q("SELECT count(*) FROM (SELECT DISTINCT TOP 100 PERCENT Customer FROM Orders)"),
              (Rows{{"3"}}));
    EXPECT_EQ(ErrorNumber([&] { Q("SELECT TOP x ID FROM Orders"); }), err::kSyntaxError);
}

TEST_F(JetDml, TopBeforeAUnionLimitsOnlyItsOwnSelect) {
    EXPECT_EQ(
        Q("SELECT TOP 1 ID FROM Orders WHERE ID > 2 UNION SELECT ID FROM Orders WHERE ID < 2"),
        (Rows{{"1"}, {"3"}}));
    EXPECT_EQ(Q("SELECT TOP 50 PERCENT ID FROM Orders UNION ALL SELECT 9"),
              (Rows{{"1"}, {"2"}, {"9"}}));
    EXPECT_EQ(Q("SELECT count(*) FROM (SELECT TOP 1 ID FROM Orders UNION SELECT 7)"),
              (Rows{{"2"}}));
    // A TOP in the last member limits that member; the ORDER BY after it orders the union.
    EXPECT_EQ(Q("SELECT ID FROM Orders WHERE ID = 4 UNION SELECT TOP 1 ID FROM Orders"),
              (Rows{{"1"}, {"4"}}));
    EXPECT_EQ(Q("SELECT ID FROM Orders WHERE ID = 4 UNION ALL SELECT TOP 2 ID FROM Orders WHERE "
                "ID < 4 ORDER BY ID DESC"),
              (Rows{{"4"}, {"2"}, {"1"}}));
    EXPECT_EQ(Q("SELECT 9 UNION ALL SELECT TOP 50 PERCENT ID FROM Orders ORDER BY 1"),
              (Rows{{"1"}, {"2"}, {"9"}}));
}

// The classic engine's True is -1; this program writes 1 and other programs write -1, and the
// classic functions answer -1: every one of them is True in a comparison with True.
TEST_F(JetDml, EveryStoredTrueEqualsTrue) {
    Q("UPDATE Orders SET Paid = -1 WHERE ID = 3");
    EXPECT_EQ(Q("SELECT ID FROM Orders WHERE Paid = True ORDER BY ID"), (Rows{{"1"}, {"3"}}));
    EXPECT_EQ(Q("SELECT ID FROM Orders WHERE True = Paid ORDER BY ID"), (Rows{{"1"}, {"3"}}));
    EXPECT_EQ(Q("SELECT ID FROM Orders WHERE Paid <> True ORDER BY ID"), (Rows{{"2"}, {"4"}}));
    EXPECT_EQ(Q("SELECT ID FROM Orders WHERE IsNull(Customer) = False AND IsNumeric('12') = True "
                "AND ID < 3 ORDER BY ID"),
              (Rows{{"1"}, {"2"}}));
    Q("UPDATE Orders SET Paid = True WHERE Paid = True AND ID = 3");
    EXPECT_EQ(Q("SELECT Paid FROM Orders WHERE ID = 3"), (Rows{{"1"}}));
}

TEST_F(JetDml, IsTrueStaysATruthTest) {
    EXPECT_EQ(Q("SELECT 5 IS TRUE, 0 IS NOT TRUE, 0 IS FALSE"), (Rows{{"1", "1", "1"}}));
    EXPECT_EQ(Q("SELECT count(*) FROM Orders WHERE Paid IS TRUE"), (Rows{{"2"}}));
}

TEST_F(JetDml, TopLeavesFunctionCallsOfItsSelectListWhole) {
    EXPECT_EQ(Q("SELECT TOP 2 IIf(Amount > 25, 'big', 'small') FROM Orders ORDER BY ID DESC"),
              (Rows{{"big"}, {"big"}}));
    EXPECT_EQ(Q("SELECT ID FROM Orders WHERE ID IN (SELECT TOP 1 Max(ID) - 1 FROM Orders)"),
              (Rows{{"3"}}));
}

TEST_F(JetDml, DistinctRowIsDistinct) {
    EXPECT_EQ(Q("SELECT DISTINCTROW Customer FROM Orders ORDER BY Customer"),
              (Rows{{"Ann"}, {"Bob"}, {"Cy"}}));
}

TEST_F(JetDml, SelectIntoMakesATableWithJetTypes) {
    auto cursor = engine.OpenConnection(AccessConnection(path))
                      ->Execute(
                          "SELECT ID, Customer AS Who, Placed, Amount * 2 AS Twice INTO "
                          "Copy FROM Orders WHERE Paid = True");
    EXPECT_TRUE(cursor->Columns().empty());
    EXPECT_EQ(cursor->RecordsAffected(), 2);
    EXPECT_EQ(Q("SELECT ID, Who, Placed, Twice FROM Copy ORDER BY ID"),
              (Rows{{"1", "Ann", "2001-01-15", "21"}, {"3", "Ann", "1999-12-31 23:30:00", "60"}}));
    Engine fresh;
    const auto fields = fresh.OpenDatabase(path, false, false, "")->Fields("Copy");
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[0].type, db::ftype::kLong);
    EXPECT_EQ(fields[1].type, db::ftype::kText);
    EXPECT_EQ(fields[1].size, 40);
    EXPECT_EQ(fields[2].type, db::ftype::kDate);
    EXPECT_EQ(fields[3].type, db::ftype::kDouble);
    EXPECT_EQ(ErrorNumber([&] { Q("SELECT * INTO Copy FROM Orders"); }), err::kObjectExists);
}

TEST_F(JetDml, QuotedTextsKeepKeywordsSemicolonsAndHashes) {
    RunAll(engine, path,
           {"INSERT INTO Orders (ID, Customer) VALUES (5, 'SELECT TOP 1 True; #1/1/2001#')",
            "INSERT INTO Orders (ID, Customer) VALUES (6, 'it''s -- not a comment')"});
    EXPECT_EQ(Q("SELECT Customer FROM Orders WHERE ID >= 5 ORDER BY ID"),
              (Rows{{"SELECT TOP 1 True; #1/1/2001#"}, {"it's -- not a comment"}}));
    EXPECT_EQ(Q("SELECT [ID] FROM [Orders] WHERE [Customer] = 'Cy' -- True; TOP\n"), (Rows{{"4"}}));
}

TEST_F(JetDml, AmpersandJoinsTextAndLikeTakesJetWildcards) {
    EXPECT_EQ(Q("SELECT Customer & '-' & ID FROM Orders WHERE ID = 2"), (Rows{{"Bob-2"}}));
    EXPECT_EQ(Q("SELECT 'x' & NULL, NULL & NULL IS NULL, 1 + 2 & 3 * 4, Amount & ''"
                " FROM Orders WHERE ID = 2"),
              (Rows{{"x", "1", "312", "20"}}));
    EXPECT_EQ(Q("SELECT ID FROM Orders WHERE Customer & 'x' = 'Annx' AND (ID & '') IN "
                "('1', '3') ORDER BY ID"),
              (Rows{{"1"}, {"3"}}));
    EXPECT_EQ(Q("SELECT upper(Customer & '!') FROM Orders WHERE ID = 4"), (Rows{{"CY!"}}));
    EXPECT_EQ(Q("SELECT ID FROM Orders WHERE Customer LIKE 'A*' ORDER BY ID"),
              (Rows{{"1"}, {"3"}}));
    EXPECT_EQ(Q("SELECT ID FROM Orders WHERE Customer LIKE '?o?'"), (Rows{{"2"}}));
    EXPECT_EQ(Q("SELECT ID FROM Orders WHERE Customer LIKE 'C%'"), (Rows{{"4"}}));
}

TEST_F(JetDml, ModIsTheRemainder) {
    EXPECT_EQ(Q("SELECT ID Mod 3, (ID + 1) MOD 2 FROM Orders WHERE ID = 4"), (Rows{{"1", "1"}}));
}

TEST_F(JetDml, NamesInBracketsMayHoldBlanksAndKeywords) {
    RunAll(engine, path,
           {"CREATE TABLE [Order Lines] ([Line No] LONG, [Select] TEXT(10), [It's] MEMO)",
            "CREATE INDEX [By Line] ON [Order Lines] (-[Line No]) WITH PRIMARY",
            "INSERT INTO [Order Lines] VALUES (1, 'a', 'b')"});
    EXPECT_EQ(Q("SELECT [Line No], [Select], [It's] FROM [Order Lines]"), (Rows{{"1", "a", "b"}}));
    Engine fresh;
    auto db = fresh.OpenDatabase(path, false, false, "");
    EXPECT_EQ(db->Indexes("Order Lines")[0].fields, "-Line No");
    EXPECT_EQ(db->Fields("Order Lines")[1].size, 10);
}

TEST_F(JetDml, DeleteStarFrom) {
    auto cursor = engine.OpenConnection(AccessConnection(path))
                      ->Execute("DELETE * FROM Orders WHERE Customer = 'Ann'");
    EXPECT_EQ(cursor->RecordsAffected(), 2);
    engine.OpenConnection(AccessConnection(path))
        ->Execute("DELETE Orders.* FROM Orders WHERE ID = 2");
    EXPECT_EQ(Q("SELECT ID FROM Orders"), (Rows{{"4"}}));
}

TEST_F(JetDml, EverydayFunctionsOfTheClassicEngine) {
    EXPECT_EQ(Q("SELECT IIf(Paid, 'yes', 'no'), Nz(NULL, 'none'), Nz(Customer), Len('Grüße'), "
                "UCase('abc'), LCase('ABC') FROM Orders WHERE ID = 1"),
              (Rows{{"yes", "none", "Ann", "5", "ABC", "abc"}}));
    EXPECT_EQ(Q("SELECT Left('Grüße', 3), Right('Grüße', 2), Mid('Grüße', 2, 3), Mid('abc', 2), "
                "Len(NULL) IS NULL"),
              (Rows{{"Grü", "ße", "rüß", "bc", "1"}}));
    // Beyond the text is empty; before its first character, or a negative length, is error 5.
    EXPECT_EQ(Q("SELECT Left('abc', 9), Right('abc', 0), Mid('abc', 9), Mid('abc', 2, 0)"),
              (Rows{{"abc", "", "", ""}}));
    for (const char* wrong :
         {"SELECT Mid('abc', 0)", "SELECT Mid('abc', -5, 2)", "SELECT Mid('abc', 1, -1)",
          "SELECT Left('abc', -1)", "SELECT Right('abc', -1)"}) {
        EXPECT_EQ(ErrorNumber([&] { Q(wrong); }), err::kInvalidArgument) << wrong;
    }
    EXPECT_EQ(Q("SELECT Year(Placed), Month(Placed), Day(Placed) FROM Orders WHERE ID = 2"),
              (Rows{{"2001", "2", "3"}}));
    EXPECT_EQ(Q("SELECT CLng(2.5), CInt(3.5), CDbl('1.25'), CStr(12)"),
              (Rows{{"2", "4", "1.25", "12"}}));
    EXPECT_EQ(Q("SELECT length(Now())"), (Rows{{"19"}}));
}

TEST_F(JetDml, NumberFunctionsRoundAsTheClassicEngineDoes) {
    EXPECT_EQ(Q("SELECT Int(8.4), Int(-8.4), Fix(-8.4), Fix(8.7), Int(5), Sgn(-2.5), Sgn(0), "
                "Sgn(7), Sqr(16)"),
              (Rows{{"8", "-9", "-8", "8", "5", "-1", "0", "1", "4"}}));
    EXPECT_EQ(Q("SELECT Int(NULL) IS NULL, Sgn(NULL) IS NULL, Space(NULL) IS NULL"),
              (Rows{{"1", "1", "1"}}));
    EXPECT_EQ(Q("SELECT '[' || Space(3) || ']', Space(0) = '', StrReverse('Grüße'), "
                "StrReverse('')"),
              (Rows{{"[   ]", "1", "eßürG", ""}}));
    EXPECT_EQ(ErrorNumber([&] { Q("SELECT Sqr(-1)"); }) != 0, true);
    EXPECT_EQ(ErrorNumber([&] { Q("SELECT Space(-1)"); }) != 0, true);
    // Longer than SQLite lets a value be: the classic "Out of string space", not a full disk.
    EXPECT_EQ(ErrorNumber([&] { Q("SELECT Space(2000000000)"); }), err::kOutOfStringSpace);
    EXPECT_EQ(ErrorNumber([&] { Q("SELECT Len(String(2000000000, 'x'))"); }),
              err::kOutOfStringSpace);
}

TEST_F(JetDml, AttachCannotReachAProtectedDatabasePastItsPassword) {
    const std::string locked = dir.File("locked.mdb");
    {
        Engine other;
        other.CreateDatabase(locked, ";pwd=secret", 32);
        other.OpenDatabase(locked, false, false, ";pwd=secret");
        RunAll(other, locked,
               {"CREATE TABLE Precious (ID LONG)", "INSERT INTO Precious VALUES (1)"});
    }
    for (const std::string& statement :
         {"ATTACH DATABASE '" + locked + "' AS o", "attach '" + locked + "' AS o",
          std::string("DETACH DATABASE o"), std::string("detach o")}) {
        std::string description;
        EXPECT_EQ(ErrorNumber([&] { Q(statement); }, &description), err::kInvalidStatement)
            << statement;
        EXPECT_NE(description.find("is not supported"), std::string::npos) << description;
        EXPECT_NE(description.find("dbOpen"), std::string::npos) << description;
    }
    EXPECT_NE(ErrorNumber([&] { Q("DELETE FROM o.Precious"); }), 0);
    Engine owner;
    owner.OpenDatabase(locked, false, false, ";pwd=secret");
    EXPECT_EQ(Query(owner, locked, "SELECT ID FROM Precious"), (Rows{{"1"}}));
}

TEST(JetDateLiteral, Forms) {
    using db::jetsql::JetDateToIso;
    EXPECT_EQ(JetDateToIso("1/2/2003").value_or("?"), "2003-01-02");
    EXPECT_EQ(JetDateToIso("12-31-99").value_or("?"), "1999-12-31");
    EXPECT_EQ(JetDateToIso("1/1/29").value_or("?"), "2029-01-01");
    EXPECT_EQ(JetDateToIso("2004-02-29").value_or("?"), "2004-02-29");
    EXPECT_EQ(JetDateToIso("5-Jan-2001").value_or("?"), "2001-01-05");
    EXPECT_EQ(JetDateToIso("January 5, 2001 12:00 AM").value_or("?"), "2001-01-05 00:00:00");
    EXPECT_EQ(JetDateToIso("10:30").value_or("?"), "10:30:00");
    EXPECT_EQ(JetDateToIso("3:04:05 PM").value_or("?"), "15:04:05");
    EXPECT_FALSE(JetDateToIso("2003-02-29"));
    EXPECT_FALSE(JetDateToIso("nonsense"));
    EXPECT_FALSE(JetDateToIso("25:00"));
    EXPECT_FALSE(JetDateToIso(""));
}

TEST(JetRewrite, LeavesOrdinarySqlAlone) {
    using db::jetsql::RewriteJetSql;
    using db::jetsql::Tokenize;
    const std::string plain = "SELECT a, \"b\", [c] FROM t WHERE d = 'True' /* #1/1/2001# */";
    EXPECT_EQ(RewriteJetSql(plain, Tokenize(plain)), plain);
    const std::string method = "SELECT x.True, True(1) FROM x";
    EXPECT_EQ(RewriteJetSql(method, Tokenize(method)), method);
}

}  // namespace
}  // namespace tessel::test::platform_tests
