// The rules of the field types, written into the table definitions: each refusal with its
// number and a sentence naming the field, nothing written, the rules kept through changes of
// the table and checked by any SQLite tool; text compared without regard to case.
#include <sqlite3.h>

#include <gtest/gtest.h>

#include "core/db/drivers/sqlite/table_rebuild.h"
#include "core/db/engine.h"
#include "core/db/jetsql/ddl_parser.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::Engine;
namespace err = db::err;

class TypeRules : public testing::Test {
  protected:
    void SetUp() override { path = NewDatabase(engine, dir); }

    void Run(const std::vector<std::string>& statements) { RunAll(engine, path, statements); }
    platform_tests::Rows Select(const std::string& sql) { return Query(engine, path, sql); }
    long Refusal(const std::string& sql, std::string* description = nullptr) {
        return ErrorNumber([&] { Run({sql}); }, description);
    }
    // SQL run past the engine, as another SQLite tool would; SQLite's result code.
    int RawSql(const std::string& sql) {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return rc;
    }
    std::string StoredSql(const std::string& table) {
        return Select("SELECT sql FROM sqlite_master WHERE name = '" + table + "'").at(0).at(0);
    }

    TempDir dir;
    Engine engine;
    std::string path;
};

struct RefusalCase {
    const char* type;
    const char* bad;
    long number;
    const char* good;  // kept, and read back as this text
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.type << " <- " << c.bad;
}

class EveryTypeRefuses : public TypeRules, public testing::WithParamInterface<RefusalCase> {};

TEST_P(EveryTypeRefuses, WhatDoesNotFitWithItsNumberAndKeepsWhatFits) {
    const RefusalCase& c = GetParam();
    Run({std::string("CREATE TABLE T (F ") + c.type + ")"});
    std::string description;
    EXPECT_EQ(Refusal(std::string("INSERT INTO T (F) VALUES (") + c.bad + ")", &description),
              c.number);
    EXPECT_NE(description.find("'T.F'"), std::string::npos) << description;
    Run({std::string("INSERT INTO T (F) VALUES (") + c.good + ")",
         "INSERT INTO T (F) VALUES (NULL)"});
    EXPECT_EQ(Select("SELECT count(*) FROM T").at(0).at(0), "2");
}

INSTANTIATE_TEST_SUITE_P(
    Types, EveryTypeRefuses,
    testing::Values(
        RefusalCase{"BYTE", "256", err::kNumericOverflow, "255"},
        RefusalCase{"BYTE", "-1", err::kNumericOverflow, "0"},
        RefusalCase{"BYTE", "'abc'", err::kDataTypeMismatch, "'12'"},
        RefusalCase{"SHORT", "32768", err::kNumericOverflow, "-32768"},
        RefusalCase{"SMALLINT", "1.5", err::kDataTypeMismatch, "32767"},
        RefusalCase{"LONG", "3000000000", err::kNumericOverflow, "-2147483648"},
        RefusalCase{"INTEGER", "'abc'", err::kDataTypeMismatch, "2147483647"},
        RefusalCase{"COUNTER", "'abc'", err::kDataTypeMismatch, "7"},
        RefusalCase{"BIGINT", "'abc'", err::kDataTypeMismatch, "3000000000"},
        RefusalCase{"SINGLE", "1E+39", err::kNumericOverflow, "3.4E+38"},
        RefusalCase{"DOUBLE", "'abc'", err::kDataTypeMismatch, "1E+300"},
        RefusalCase{"CURRENCY", "922337203685478", err::kNumericOverflow, "922337203685477"},
        RefusalCase{"CURRENCY", "1.23456", err::kDataTypeMismatch, "1.2345"},
        RefusalCase{"TEXT (5)", "'abcdef'", err::kFieldTooSmall, "'abcde'"},
        RefusalCase{"VARCHAR (3)", "1234", err::kFieldTooSmall, "123"},
        RefusalCase{"CHAR (2)", "'abc'", err::kFieldTooSmall, "'ab'"},
        RefusalCase{"MEMO", "X'00'", err::kDataTypeMismatch, "'any text at all'"},
        RefusalCase{"DATETIME", "'not a date'", err::kDataTypeMismatch, "#2001-02-03#"},
        RefusalCase{"DATETIME", "'2021-02-30'", err::kDataTypeMismatch, "'2020-02-29'"},
        RefusalCase{"DATETIME", "'1900-02-29'", err::kDataTypeMismatch, "'2001-02-03 04:05:06'"},
        RefusalCase{"DATETIME", "'0099-01-01'", err::kDataTypeMismatch, "'0100-01-01'"},
        RefusalCase{"DATETIME", "'24:00:00'", err::kDataTypeMismatch, "'23:59:59'"},
        RefusalCase{"DATETIME", "2021", err::kDataTypeMismatch, "'9999-12-31'"},
        RefusalCase{"BIT", "2", err::kDataTypeMismatch, "-1"},
        RefusalCase{"YESNO", "'abc'", err::kDataTypeMismatch, "True"},
        RefusalCase{"GUID", "'{1234}'", err::kDataTypeMismatch,
                    "'{6F9619FF-8B86-D011-B42D-00C04FC964FF}'"},
        RefusalCase{"BINARY (2)", "X'010203'", err::kFieldTooSmall, "X'0102'"},
        RefusalCase{"VARBINARY (2)", "'ab'", err::kDataTypeMismatch, "X'01'"},
        RefusalCase{"LONGBINARY", "12", err::kDataTypeMismatch, "X'0102030405'"}));

TEST_F(TypeRules, TheMessageNamesTableAndFieldWithBlanksQuotesAndPunctuation) {
    Run({"CREATE TABLE [My \"Odd\" Table] ([Qty: it's #1 (a;b)] LONG, [x y] TEXT (2))"});
    std::string description;
    EXPECT_EQ(Refusal("INSERT INTO [My \"Odd\" Table] VALUES (3000000000, NULL)", &description),
              err::kNumericOverflow);
    EXPECT_EQ(description,
              "Numeric field overflow: the value does not fit the Long field 'My \"Odd\" "
              "Table.Qty: it's #1 (a;b)'.");
    EXPECT_EQ(Refusal("INSERT INTO [My \"Odd\" Table] VALUES ('x', NULL)", &description),
              err::kDataTypeMismatch);
    EXPECT_EQ(description,
              "Data type mismatch: the Long field 'My \"Odd\" Table.Qty: it's #1 (a;b)' cannot "
              "hold that value.");
    EXPECT_EQ(Refusal("INSERT INTO [My \"Odd\" Table] VALUES (1, 'abc')", &description),
              err::kFieldTooSmall);
    EXPECT_EQ(description,
              "The field 'My \"Odd\" Table.x y' is too small to accept the amount of data you "
              "attempted to add. Try inserting or pasting less data.");
}

TEST_F(TypeRules, AMultiRowInsertWithOneBadRowWritesNothing) {
    Run({"CREATE TABLE Src (Id, Qty)", "INSERT INTO Src VALUES (1, 10)",
         "INSERT INTO Src VALUES (2, 'many')", "INSERT INTO Src VALUES (3, 30)",
         "CREATE TABLE T (Id LONG, Qty BYTE)"});
    EXPECT_EQ(Refusal("INSERT INTO T SELECT Id, Qty FROM Src"), err::kDataTypeMismatch);
    EXPECT_EQ(Select("SELECT count(*) FROM T").at(0).at(0), "0");
    EXPECT_EQ(Refusal("UPDATE Src SET Qty = Qty * 10"), 0);  // the source has no rules
    EXPECT_EQ(Refusal("INSERT INTO T SELECT Id, Qty FROM Src WHERE Id <> 2"),
              err::kNumericOverflow);
    EXPECT_EQ(Select("SELECT count(*) FROM T").at(0).at(0), "0");
}

TEST_F(TypeRules, UpdatesAreCheckedToo) {
    Run({"CREATE TABLE T (N SHORT)", "INSERT INTO T VALUES (30000)"});
    EXPECT_EQ(Refusal("UPDATE T SET N = N + 10000"), err::kNumericOverflow);
    EXPECT_EQ(Select("SELECT N FROM T"), (platform_tests::Rows{{"30000"}}));
}

TEST_F(TypeRules, AUsersOwnCheckKeepsItsNumber) {
    Run({"CREATE TABLE T (N LONG, CONSTRAINT Positive CHECK (N > 0))"});
    EXPECT_EQ(Refusal("INSERT INTO T VALUES (-1)"), err::kValidationFailed);
}

TEST_F(TypeRules, AnotherSqliteToolMeetsTheSameRules) {
    Run({"CREATE TABLE T (N BYTE, S TEXT (3), D DATETIME)"});
    EXPECT_EQ(RawSql("INSERT INTO T (N) VALUES (300)"), SQLITE_CONSTRAINT);
    EXPECT_EQ(RawSql("INSERT INTO T (S) VALUES ('abcd')"), SQLITE_CONSTRAINT);
    EXPECT_EQ(RawSql("INSERT INTO T (D) VALUES ('2021-02-30')"), SQLITE_CONSTRAINT);
    EXPECT_EQ(RawSql("INSERT INTO T VALUES (3, 'abc', '2021-02-28')"), SQLITE_OK);
    EXPECT_EQ(Select("SELECT N, S, D FROM T"), (platform_tests::Rows{{"3", "abc", "2021-02-28"}}));
}

TEST_F(TypeRules, TheFieldListReadsBackUnchanged) {
    Run({"CREATE TABLE T (A TEXT (5), B BYTE, C MEMO)"});
    auto db = engine.OpenDatabase(path, false, false, "");
    const auto fields = db->Fields("T");
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0].type, db::ftype::kText);
    EXPECT_EQ(fields[0].size, 5);
    EXPECT_EQ(fields[1].type, db::ftype::kByte);
    EXPECT_EQ(fields[2].type, db::ftype::kMemo);
}

TEST_F(TypeRules, AddedFieldsGetTheirRules) {
    Run({"CREATE TABLE T (A LONG)", "ALTER TABLE T ADD COLUMN B TEXT (2)",
         "ALTER TABLE T ADD COLUMN C BYTE NOT NULL DEFAULT 0"});
    EXPECT_EQ(Refusal("INSERT INTO T (A, B) VALUES (1, 'abc')"), err::kFieldTooSmall);
    EXPECT_EQ(Refusal("INSERT INTO T (A, C) VALUES (1, 256)"), err::kNumericOverflow);
}

TEST_F(TypeRules, AlterColumnGivesTheNewTypesRuleAndKeepsTheOthers) {
    Run({"CREATE TABLE T (A TEXT (10), B BYTE, CONSTRAINT Small CHECK (B < 100))",
         "INSERT INTO T VALUES ('12', 5)", "ALTER TABLE T ALTER COLUMN A SHORT"});
    EXPECT_EQ(Refusal("INSERT INTO T VALUES (40000, 1)"), err::kNumericOverflow);
    EXPECT_EQ(Refusal("INSERT INTO T VALUES ('abc', 1)"), err::kDataTypeMismatch);
    EXPECT_EQ(Refusal("INSERT INTO T VALUES (1, 300)"), err::kNumericOverflow);
    EXPECT_EQ(Refusal("INSERT INTO T VALUES (1, 150)"), err::kValidationFailed);
    Run({"INSERT INTO T VALUES (32767, 1)"});
    EXPECT_EQ(Select("SELECT A FROM T ORDER BY A"), (platform_tests::Rows{{"12"}, {"32767"}}));
    EXPECT_EQ(StoredSql("T").find("jet_type:size:Text"), std::string::npos);
    Run({"ALTER TABLE T ALTER COLUMN A TEXT (5)"});
    EXPECT_EQ(Refusal("INSERT INTO T VALUES ('abcdef', 1)"), err::kFieldTooSmall);
    EXPECT_EQ(Select("SELECT count(*) FROM T WHERE A = '32767'").at(0).at(0), "1");
}

TEST_F(TypeRules, DroppingAFieldKeepsTheOthersRules) {
    Run({"CREATE TABLE T (A TEXT (2), B BYTE, C LONG)", "ALTER TABLE T DROP COLUMN B"});
    EXPECT_EQ(Refusal("INSERT INTO T VALUES ('abc', 1)"), err::kFieldTooSmall);
    EXPECT_EQ(Refusal("INSERT INTO T VALUES ('ab', 'x')"), err::kDataTypeMismatch);
}

TEST_F(TypeRules, RenamedTablesAndFieldsAreNamedInTheMessage) {
    Run({"CREATE TABLE T (A BYTE)", "INSERT INTO T VALUES (1)"});
    auto db = engine.OpenDatabase(path, false, false, "");
    db->RenameTable("T", "Stock");
    db->RenameField("Stock", "A", "Count");
    db.reset();
    std::string description;
    EXPECT_EQ(Refusal("INSERT INTO Stock VALUES (300)", &description), err::kNumericOverflow);
    EXPECT_NE(description.find("'Stock.Count'"), std::string::npos) << description;
    EXPECT_EQ(Select("SELECT Count FROM Stock"), (platform_tests::Rows{{"1"}}));
}

TEST_F(TypeRules, SelectIntoMakesATableWithRules) {
    Run({"CREATE TABLE S (N BYTE, T TEXT (4))", "INSERT INTO S VALUES (1, 'ab')",
         "SELECT * INTO Copy FROM S"});
    EXPECT_EQ(Refusal("INSERT INTO Copy (N) VALUES ('abc')"), err::kDataTypeMismatch);
    EXPECT_EQ(Select("SELECT count(*) FROM Copy WHERE T = 'AB'").at(0).at(0), "1");
}

TEST_F(TypeRules, TablesOfEarlierBuildsKeepWorking) {
    // Made as earlier builds made tables: declared types, no rules, no collation.
    Run({"CREATE TABLE Old (Id INTEGER, Name VARCHAR(5), Born DATETIME)"});
    ASSERT_EQ(RawSql("DROP TABLE Old; CREATE TABLE Old (Id INTEGER, Name VARCHAR(5), Born "
                     "DATETIME)"),
              SQLITE_OK);
    Run({"INSERT INTO Old VALUES ('abc', 'far too long', 'not a date')",
         "ALTER TABLE Old ADD COLUMN Extra BYTE", "UPDATE Old SET Extra = 3"});
    EXPECT_EQ(Select("SELECT Id, Name, Born, Extra FROM Old"),
              (platform_tests::Rows{{"abc", "far too long", "not a date", "3"}}));
    EXPECT_EQ(Refusal("UPDATE Old SET Extra = 300"), err::kNumericOverflow);
    Run({"UPDATE Old SET Id = 1", "ALTER TABLE Old ALTER COLUMN Id SHORT"});
    EXPECT_EQ(Refusal("UPDATE Old SET Id = 'x'"), err::kDataTypeMismatch);
    Run({"UPDATE Old SET Name = 'still too long'"});  // kept as it was
    auto db = engine.OpenDatabase(path, false, false, "");
    EXPECT_EQ(db->Fields("Old").at(1).size, 5);
}

TEST(StoredTableSql, CollationAndChecksRoundTrip) {
    const std::string sql =
        "CREATE TABLE \"T\" (\"A\" VARCHAR(5) COLLATE NOCASE CONSTRAINT \"jet_type:size:Text:T.A\" "
        "CHECK (length(\"A\") <= 5) NOT NULL, \"B\" TEXT COLLATE \"my coll\", CONSTRAINT \"C\" "
        "CHECK (\"B\" <> 'x'))";
    const auto parsed = db::jetsql::ParseStoredTable(sql);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->columns.at(0).collation, "NOCASE");
    EXPECT_EQ(parsed->columns.at(1).collation, "my coll");
    EXPECT_EQ(db::sqlite::InlineTableSql("T", *parsed), sql);
}

// ---- text without regard to case ----

class CaseInsensitiveText : public TypeRules {
  protected:
    void SetUp() override {
        TypeRules::SetUp();
        Run({"CREATE TABLE W (Name TEXT (10), Note MEMO, Code CHAR (3))",
             "INSERT INTO W VALUES ('alpha', 'One', 'abc')",
             "INSERT INTO W VALUES ('Beta', 'two', 'ABD')",
             "INSERT INTO W VALUES ('ALPHA', 'ONE', 'Abe')",
             "INSERT INTO W VALUES ('gamma', 'three', 'abf')"});
    }
};

TEST_F(CaseInsensitiveText, EqualsFindsEveryCase) {
    EXPECT_EQ(Select("SELECT count(*) FROM W WHERE Name = 'ALPHA'").at(0).at(0), "2");
    EXPECT_EQ(Select("SELECT count(*) FROM W WHERE Note = 'one'").at(0).at(0), "2");
    EXPECT_EQ(Select("SELECT count(*) FROM W WHERE Code = 'ABC'").at(0).at(0), "1");
}

TEST_F(CaseInsensitiveText, LessThanAndOrderByIgnoreCase) {
    EXPECT_EQ(Select("SELECT count(*) FROM W WHERE Name < 'b'").at(0).at(0), "2");
    EXPECT_EQ(Select("SELECT Code FROM W ORDER BY Code"),
              (platform_tests::Rows{{"abc"}, {"ABD"}, {"Abe"}, {"abf"}}));
}

TEST_F(CaseInsensitiveText, LikeInGroupByAndDistinctIgnoreCase) {
    EXPECT_EQ(Select("SELECT count(*) FROM W WHERE Name LIKE 'AL*'").at(0).at(0), "2");
    EXPECT_EQ(Select("SELECT count(*) FROM W WHERE Name IN ('BETA', 'GAMMA')").at(0).at(0), "2");
    EXPECT_EQ(Select("SELECT count(*) FROM (SELECT Name FROM W GROUP BY Name)").at(0).at(0), "3");
    EXPECT_EQ(Select("SELECT count(*) FROM (SELECT DISTINCT Note FROM W)").at(0).at(0), "3");
}

TEST_F(CaseInsensitiveText, JoinsMatchWithoutRegardToCase) {
    Run({"CREATE TABLE K (Name TEXT (10), Rank LONG)", "INSERT INTO K VALUES ('BETA', 2)"});
    EXPECT_EQ(Select("SELECT W.Note, K.Rank FROM W INNER JOIN K ON W.Name = K.Name"),
              (platform_tests::Rows{{"two", "2"}}));
}

TEST_F(CaseInsensitiveText, ACollationTheStatementNamesStays) {
    Run({"CREATE TABLE B (Name TEXT (10) COLLATE BINARY)", "INSERT INTO B VALUES ('alpha')"});
    EXPECT_EQ(Select("SELECT count(*) FROM B WHERE Name = 'ALPHA'").at(0).at(0), "0");
    EXPECT_EQ(Refusal("INSERT INTO B VALUES ('far too long')"), err::kFieldTooSmall);
}

TEST_F(CaseInsensitiveText, AUniqueIndexRefusesTheSameWordInOtherCase) {
    Run({"CREATE TABLE U (Name TEXT (10))", "CREATE UNIQUE INDEX ByName ON U (Name)",
         "INSERT INTO U VALUES ('alpha')"});
    EXPECT_EQ(Refusal("INSERT INTO U VALUES ('Alpha')"), err::kDuplicateValue);
}

}  // namespace
}  // namespace tessel::test::platform_tests
