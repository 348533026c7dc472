// Tables made by other programs, in every version the driver reads, give their fields with the
// right Jet types and their values: texts in their code pages, numbers, dates, logicals, memo
// values, Visual FoxPro's binary types, null flags and autoincrement fields, and the tags of
// their index files.
#include <gtest/gtest.h>

#include "core/db/drivers/dbf/dbf_header.h"
#include "dbf_test_util.h"
#include "platform_test_util.h"

namespace tessel::test::dbf_tests {
namespace {

namespace ftype = db::ftype;
namespace err = db::err;
using platform_tests::ErrorNumber;

TEST(DbfRead, DbaseIIITableGivesTypesAndValues) {
    TempDir dir;
    CopyFixtures(dir, {"dbase_03.dbf"});
    auto store = StoreOn(dir);
    EXPECT_EQ(store->Tables(), (std::vector<std::string>{"dbase_03"}));
    const auto columns = store->Columns("DBASE_03");
    ASSERT_EQ(columns.size(), 31u);
    EXPECT_EQ(columns[0].name, "Point_ID");
    EXPECT_EQ(columns[0].type, ftype::kText);
    EXPECT_EQ(columns[0].size, 12);
    EXPECT_EQ(ColumnNamed(columns, "Date_Visit")->type, ftype::kDate);
    EXPECT_EQ(ColumnNamed(columns, "Max_PDOP")->type, ftype::kDouble);    // N(5,1)
    EXPECT_EQ(ColumnNamed(columns, "GPS_Week")->type, ftype::kLong);      // N(6,0)
    EXPECT_EQ(ColumnNamed(columns, "Unfilt_Pos")->type, ftype::kDouble);  // N(10,0)
    // The table holds the name Point_ID twice; the second gets a number.
    EXPECT_EQ(columns[30].name, "Point_ID_2");
    EXPECT_EQ(columns[30].type, ftype::kLong);

    const auto rows = ReadTable(*store, "dbase_03");
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows[0][0], "0507121");
    EXPECT_EQ(rows[0][2], "circular");
}

TEST(DbfRead, DbaseIVTableWithMemoGivesEveryKindOfValue) {
    TempDir dir;
    CopyFixtures(dir, {"dbase_8b.dbf", "dbase_8b.dbt"});
    auto store = StoreOn(dir);
    const auto columns = store->Columns("dbase_8b");
    ASSERT_EQ(columns.size(), 6u);
    EXPECT_EQ(columns[1].type, ftype::kDouble);  // N(20,2)
    EXPECT_EQ(columns[2].type, ftype::kDate);
    EXPECT_EQ(columns[3].type, ftype::kBoolean);
    EXPECT_EQ(columns[4].type, ftype::kDouble);  // F
    EXPECT_EQ(columns[5].type, ftype::kMemo);

    const auto rows = ReadTable(*store, "dbase_8b");
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"One", "1", "1970-01-01", "true",
                                                 "1.23456789012346", "First memo\r\n"}));
    EXPECT_EQ(rows[1][3], "true");    // 'T'
    EXPECT_EQ(rows[2][3], "<null>");  // blank
    EXPECT_EQ(rows[3][2], "1900-01-01");
    EXPECT_EQ(rows[8][2], "<null>");  // a blank date
    EXPECT_EQ(rows[8][4], "<null>");  // a blank number
    EXPECT_EQ(rows[9][0], "Ten records stored in this database");
    EXPECT_EQ(rows[9][1], "10");
}

TEST(DbfRead, DbaseIIIMemoValuesAndAMissingMemoFile) {
    TempDir dir;
    CopyFixtures(dir, {"dbase_83.dbf", "dbase_83.dbt", "dbase_83_missing_memo.dbf"});
    auto store = StoreOn(dir);
    const auto memo = ColumnOf(*store, "dbase_83", "DESC");
    ASSERT_EQ(memo.size(), 67u);
    bool found = false;
    for (const auto& value : memo)
        found = found || value.rfind("Our Original assortment", 0) == 0;
    EXPECT_TRUE(found);
    EXPECT_EQ(ColumnOf(*store, "dbase_83", "NAME")[0], "Assorted Petits Fours");
    EXPECT_EQ(ColumnOf(*store, "dbase_83", "TAXABLE")[0], "true");

    // Without its memo file the table still opens; its memo values are Null.
    for (const auto& value : ColumnOf(*store, "dbase_83_missing_memo", "DESC"))
        EXPECT_EQ(value, "<null>");
    EXPECT_EQ(ColumnOf(*store, "dbase_83_missing_memo", "NAME")[0], "Assorted Petits Fours");
}

TEST(DbfRead, TextsInTheirCodePages) {
    TempDir dir;
    CopyFixtures(dir, {"cp1251.dbf", "dbase_03_cyrillic.dbf"});
    auto store = StoreOn(dir, db::Family::FoxPro, "3.0");
    EXPECT_EQ(ReadTable(*store, "cp1251")[0],
              (std::vector<std::string>{"1", "амбулаторно-поликлиническое"}));
    EXPECT_EQ(ReadTable(*store, "cp1251")[2], (std::vector<std::string>{"3", "НИИ"}));

    // An unmarked table whose bytes are UTF-8, names included.
    const auto columns = store->Columns("dbase_03_cyrillic");
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].name, "ШАР");
    EXPECT_EQ(columns[1].name, "ПЛОЩА");
    EXPECT_EQ(ReadTable(*store, "dbase_03_cyrillic"),
              (Rows{{"Номер", "36.3"}, {"Культ", "99.99"}}));
}

TEST(DbfRead, FoxBaseTableWithItsShortHeader) {
    TempDir dir;
    CopyFixtures(dir, {"dbase_02.dbf"});
    auto store = StoreOn(dir);
    const auto columns = store->Columns("dbase_02");
    ASSERT_EQ(columns.size(), 14u);
    EXPECT_EQ(columns[0].name, "EMP:NMBR");
    EXPECT_EQ(columns[0].type, ftype::kInteger);
    const auto rows = ReadTable(*store, "dbase_02");
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[0][0], "2");
    EXPECT_EQ(rows[0][1], "Stegman");
    EXPECT_EQ(rows[0][12], "6");
    // Read, never written.
    EXPECT_EQ(ErrorNumber([&] { store->Delete("dbase_02", 1); }), err::kReadOnly);
}

TEST(DbfRead, VisualFoxProTypesNullFlagsAndAutoincrement) {
    TempDir dir;
    CopyFixtures(dir, {"dbase_31.dbf", "dbase_32.dbf", "dbase_30.dbf", "dbase_30.fpt"});
    auto store = StoreOn(dir, db::Family::FoxPro, "3.0");
    const auto columns = store->Columns("dbase_31");
    ASSERT_EQ(columns.size(), 10u);  // _NullFlags is not a column
    EXPECT_EQ(columns[0].type, ftype::kLong);
    EXPECT_NE(columns[0].attributes & db::attr::kAutoIncrField, 0u);
    EXPECT_EQ(columns[5].type, ftype::kCurrency);
    EXPECT_EQ(columns[9].type, ftype::kBoolean);
    const auto rows = ReadTable(*store, "dbase_31");
    ASSERT_EQ(rows.size(), 77u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "Chai", "1", "1", "10 boxes x 20 bags", "18",
                                                 "39", "0", "10", "false"}));

    // A Varchar shorter than its field keeps its length in the last byte.
    EXPECT_EQ(store->Columns("dbase_32")[0].type, ftype::kText);
    EXPECT_EQ(ReadTable(*store, "dbase_32"), (Rows{{"Bad Meets Evil"}}));

    const auto visual = store->Columns("dbase_30");
    EXPECT_EQ(ColumnNamed(visual, "FLAGDATE")->type, ftype::kDate);
    EXPECT_EQ(ColumnNamed(visual, "APPNOTES")->type, ftype::kMemo);
    EXPECT_EQ(ColumnOf(*store, "dbase_30", "ACCESSNO")[0], "1999.1");
    EXPECT_EQ(ColumnOf(*store, "dbase_30", "FLAGDATE")[0], "<null>");
}

TEST(DbfRead, FoxProTablesWithMemoAndDateTimes) {
    TempDir dir;
    CopyFixtures(dir, {"dbase_f5.dbf", "dbase_f5.fpt", "foxprodb/calls.dbf", "foxprodb/calls.CDX",
                       "foxprodb/calls.FPT"});
    auto store = StoreOn(dir, db::Family::FoxPro, "2.6");
    const auto rows = ReadTable(*store, "dbase_f5");
    ASSERT_EQ(rows.size(), 975u);
    EXPECT_EQ(rows[0][0], "1");
    EXPECT_EQ(rows[0][1], "h");
    EXPECT_EQ(rows[0][2], "joan-ramon");

    const auto calls = ReadTable(*store, "calls");
    ASSERT_EQ(calls.size(), 16u);
    const auto columns = store->Columns("calls");
    ASSERT_GE(columns.size(), 4u);
    EXPECT_EQ(columns[2].type, ftype::kDate);
    EXPECT_EQ(calls[0][2], "1994-11-21 13:35:39");  // Julian day 2449678, 48939000 ms
}

TEST(DbfRead, StructuralIndexTagsAreListed) {
    TempDir dir;
    CopyFixtures(dir, {"foxprodb/calls.dbf", "foxprodb/calls.CDX", "foxprodb/calls.FPT"});
    auto store = StoreOn(dir, db::Family::FoxPro, "3.0");
    const auto indexes = store->Indexes("calls");
    ASSERT_EQ(indexes.size(), 2u);
    EXPECT_EQ(indexes[0].name, "CALL_ID");
    EXPECT_EQ(indexes[0].fields, "+CALL_ID");
    EXPECT_TRUE(indexes[0].unique);
    EXPECT_EQ(indexes[1].name, "CONTACT_ID");
    EXPECT_FALSE(indexes[1].unique);
}

TEST(DbfRead, DbaseSevenTableIsReadOnly) {
    TempDir dir;
    CopyFixtures(dir, {"dbase_8c.dbf"});
    auto store = StoreOn(dir);
    const auto columns = store->Columns("dbase_8c");
    ASSERT_EQ(columns.size(), 6u);
    EXPECT_EQ(columns[0].name, "ID");
    EXPECT_NE(columns[0].attributes & db::attr::kAutoIncrField, 0u);
    const auto rows = ReadTable(*store, "dbase_8c");
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[0][0], "1");
    EXPECT_EQ(rows[0][1], "Clown Triggerfish");
    EXPECT_EQ(ErrorNumber([&] { store->Insert("dbase_8c", db::Row(6)); }), err::kReadOnly);
}

TEST(DbfRead, VersionComesFromTheTablesOrTheConnectText) {
    TempDir empty;
    EXPECT_EQ(StoreOn(empty, db::Family::Dbase, "4.0")->Version(), "4.0");
    EXPECT_EQ(StoreOn(empty, db::Family::FoxPro, "2.5")->Version(), "2.5");

    TempDir dbase3;
    CopyFixtures(dbase3, {"dbase_83.dbf", "dbase_83.dbt"});
    EXPECT_EQ(StoreOn(dbase3, db::Family::Dbase, "5.0")->Version(), "3.0");

    TempDir dbase4;
    CopyFixtures(dbase4, {"dbase_8b.dbf", "dbase_8b.dbt"});
    EXPECT_EQ(StoreOn(dbase4, db::Family::Dbase, "5.0")->Version(), "5.0");
    EXPECT_EQ(StoreOn(dbase4, db::Family::Dbase, "4.0")->Version(), "4.0");

    TempDir visual;
    CopyFixtures(visual, {"dbase_31.dbf", "dbase_f5.dbf", "dbase_f5.fpt"});
    EXPECT_EQ(StoreOn(visual, db::Family::FoxPro, "3.0")->Version(), "3.0");

    TempDir foxpro2;
    CopyFixtures(foxpro2, {"dbase_f5.dbf", "dbase_f5.fpt"});
    EXPECT_EQ(StoreOn(foxpro2, db::Family::FoxPro, "3.0")->Version(), "2.6");
    EXPECT_EQ(StoreOn(foxpro2, db::Family::FoxPro, "2.0")->Version(), "2.0");
}

}  // namespace
}  // namespace tessel::test::dbf_tests
