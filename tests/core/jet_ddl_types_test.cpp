// Every Jet type name created through the DDL layer reads back with the same code, size and
// attributes, from a fresh engine (so from the file, not from memory).
#include <gtest/gtest.h>

#include "core/db/engine.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::Engine;
namespace ftype = db::ftype;

struct TypeCase {
    const char* declaration;
    int code;
    long size;
    bool autoIncrement;
};

void PrintTo(const TypeCase& c, std::ostream* os) {
    *os << c.declaration;
}

class JetTypeRoundTrip : public testing::TestWithParam<TypeCase> {};

TEST_P(JetTypeRoundTrip, ReadsBackWithTheSameTypeAndSize) {
    const TypeCase& c = GetParam();
    TempDir dir;
    std::string path;
    {
        Engine engine;
        path = NewDatabase(engine, dir);
        RunAll(engine, path, {std::string("CREATE TABLE T (F ") + c.declaration + ")"});
    }
    Engine engine;
    auto db = engine.OpenDatabase(path, false, false, "");
    const auto fields = db->Fields("T");
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].name, "F");
    EXPECT_EQ(fields[0].type, c.code);
    EXPECT_EQ(fields[0].size, c.size);
    EXPECT_EQ((fields[0].attributes & db::attr::kAutoIncrField) != 0, c.autoIncrement);
    EXPECT_NE(fields[0].attributes & db::attr::kUpdatableField, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    AllJetNames, JetTypeRoundTrip,
    testing::Values(
        TypeCase{"BIT", ftype::kBoolean, 1, false}, TypeCase{"BOOLEAN", ftype::kBoolean, 1, false},
        TypeCase{"YESNO", ftype::kBoolean, 1, false},
        TypeCase{"LOGICAL", ftype::kBoolean, 1, false}, TypeCase{"BYTE", ftype::kByte, 1, false},
        TypeCase{"TINYINT", ftype::kByte, 1, false}, TypeCase{"INTEGER1", ftype::kByte, 1, false},
        TypeCase{"SHORT", ftype::kInteger, 2, false},
        TypeCase{"SMALLINT", ftype::kInteger, 2, false},
        TypeCase{"INTEGER2", ftype::kInteger, 2, false}, TypeCase{"LONG", ftype::kLong, 4, false},
        TypeCase{"INT", ftype::kLong, 4, false}, TypeCase{"INTEGER", ftype::kLong, 4, false},
        TypeCase{"INTEGER4", ftype::kLong, 4, false}, TypeCase{"COUNTER", ftype::kLong, 4, true},
        TypeCase{"AUTOINCREMENT", ftype::kLong, 4, true},
        TypeCase{"CURRENCY", ftype::kCurrency, 8, false},
        TypeCase{"MONEY", ftype::kCurrency, 8, false}, TypeCase{"SINGLE", ftype::kSingle, 4, false},
        TypeCase{"REAL", ftype::kSingle, 4, false}, TypeCase{"FLOAT4", ftype::kSingle, 4, false},
        TypeCase{"IEEESINGLE", ftype::kSingle, 4, false},
        TypeCase{"DOUBLE", ftype::kDouble, 8, false}, TypeCase{"FLOAT8", ftype::kDouble, 8, false},
        TypeCase{"IEEEDOUBLE", ftype::kDouble, 8, false},
        TypeCase{"NUMBER", ftype::kDouble, 8, false}, TypeCase{"DATETIME", ftype::kDate, 8, false},
        TypeCase{"DATE", ftype::kDate, 8, false}, TypeCase{"BINARY(16)", ftype::kBinary, 16, false},
        TypeCase{"TEXT(50)", ftype::kText, 50, false}, TypeCase{"TEXT", ftype::kText, 255, false},
        TypeCase{"TEXT (20)", ftype::kText, 20, false},
        TypeCase{"VARCHAR(30)", ftype::kText, 30, false},
        TypeCase{"ALPHANUMERIC", ftype::kText, 255, false},
        TypeCase{"LONGBINARY", ftype::kLongBinary, 0, false},
        TypeCase{"OLEOBJECT", ftype::kLongBinary, 0, false},
        TypeCase{"IMAGE", ftype::kLongBinary, 0, false}, TypeCase{"MEMO", ftype::kMemo, 0, false},
        TypeCase{"LONGTEXT", ftype::kMemo, 0, false}, TypeCase{"LONGCHAR", ftype::kMemo, 0, false},
        TypeCase{"NOTE", ftype::kMemo, 0, false}, TypeCase{"GUID", ftype::kGuid, 16, false},
        TypeCase{"UNIQUEIDENTIFIER", ftype::kGuid, 16, false},
        TypeCase{"BIGINT", ftype::kBigInt, 8, false},
        TypeCase{"VARBINARY(100)", ftype::kVarBinary, 100, false},
        TypeCase{"CHAR(10)", ftype::kChar, 10, false},
        TypeCase{"NUMERIC", ftype::kNumeric, 16, false},
        TypeCase{"DECIMAL", ftype::kDecimal, 16, false},
        TypeCase{"DECIMAL(10,2)", ftype::kDecimal, 16, false},
        TypeCase{"FLOAT", ftype::kFloat, 8, false}, TypeCase{"TIME", ftype::kTime, 8, false},
        TypeCase{"TIMESTAMP", ftype::kTimeStamp, 8, false},
        TypeCase{"text(12) not null", ftype::kText, 12, false}));

TEST(JetTypes, GeneratedTypeNamesRoundTripEveryCodeButInteger) {
    // The names the script generator writes for each code.
    const std::pair<int, const char*> written[] = {
        {1, "BIT"},      {2, "BYTE"},     {4, "LONG"},    {5, "CURRENCY"},   {6, "SINGLE"},
        {7, "DOUBLE"},   {8, "DATETIME"}, {9, "BINARY"},  {10, "TEXT (40)"}, {11, "LONGBINARY"},
        {12, "MEMO"},    {15, "GUID"},    {16, "BIGINT"}, {17, "VARBINARY"}, {18, "CHAR"},
        {19, "NUMERIC"}, {20, "DECIMAL"}, {21, "FLOAT"},  {22, "TIME"},      {23, "TIMESTAMP"}};
    TempDir dir;
    Engine engine;
    const std::string path = NewDatabase(engine, dir);
    std::string create = "CREATE TABLE G (";
    for (const auto& [code, name] : written) {
        create += std::string(code == 1 ? "" : ", ") + "F" + std::to_string(code) + " " + name;
    }
    RunAll(engine, path, {create + ")"});
    auto fields = engine.OpenDatabase(path, false, false, "")->Fields("G");
    ASSERT_EQ(fields.size(), std::size(written));
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].type, written[i].first) << fields[i].name;
    }
    EXPECT_EQ(fields[8].size, 40);
}

TEST(JetTypes, AnotherToolsFileReadsWithDerivedTypes) {
    TempDir dir;
    const std::string path = dir.File("plain.sqlite");
    {
        Engine engine;
        const std::string made = NewDatabase(engine, dir, "seed.mdb");
        (void)made;
    }
    // Made with SQLite alone: no metadata tables at all.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT, code "
                           "VARCHAR(12), price REAL, weight DOUBLE, picture BLOB, amount "
                           "NUMERIC, flag BOOLEAN, made DATETIME, whatever, big BIGINT, "
                           "sku CHAR(8), note CLOB, qty INT NOT NULL);"
                           "CREATE UNIQUE INDEX items_code ON items (code DESC, name);"
                           "CREATE INDEX items_partial ON items (price) WHERE price IS NOT NULL;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    Engine engine;
    auto database = engine.OpenDatabase(path, false, false, "");
    EXPECT_EQ(database->Version(), "3.0");
    const auto fields = database->Fields("items");
    const std::vector<std::pair<int, long>> expected = {
        {ftype::kLong, 4},   {ftype::kMemo, 0},       {ftype::kText, 12},    {ftype::kDouble, 8},
        {ftype::kDouble, 8}, {ftype::kLongBinary, 0}, {ftype::kDecimal, 16}, {ftype::kBoolean, 1},
        {ftype::kDate, 8},   {ftype::kLongBinary, 0}, {ftype::kBigInt, 8},   {ftype::kChar, 8},
        {ftype::kMemo, 0},   {ftype::kLong, 4}};
    ASSERT_EQ(fields.size(), expected.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].type, expected[i].first) << fields[i].name;
        EXPECT_EQ(fields[i].size, expected[i].second) << fields[i].name;
    }
    EXPECT_TRUE(fields[13].required);
    EXPECT_FALSE(fields[1].required);

    const auto indexes = database->Indexes("items");
    ASSERT_EQ(indexes.size(), 3u);
    EXPECT_EQ(indexes[0].name, "PrimaryKey");
    EXPECT_EQ(indexes[0].fields, "+id");
    EXPECT_TRUE(indexes[0].primary && indexes[0].unique && indexes[0].required);
    EXPECT_EQ(indexes[1].name, "items_code");
    EXPECT_EQ(indexes[1].fields, "-code;+name");
    EXPECT_TRUE(indexes[1].unique);
    EXPECT_FALSE(indexes[1].primary);
    EXPECT_EQ(indexes[2].name, "items_partial");
    EXPECT_TRUE(indexes[2].ignoreNulls);
    EXPECT_FALSE(indexes[2].unique);
    for (const auto& table : database->TableDefs())
        EXPECT_NE(table.name.rfind("MSys", 0), 0u);
}

}  // namespace
}  // namespace tessel::test::platform_tests

namespace tessel::test::platform_tests {
namespace {

TEST(JetTypes, ASizeThatIsNotAWholeNumberIsRefusedAsAFieldTypeError) {
    TempDir dir;
    Engine engine;
    const std::string path = NewDatabase(engine, dir);
    for (const char* size : {".00", "1.5", "99999999999999999999", "0x1F"}) {
        std::string description;
        EXPECT_EQ(ErrorNumber(
                      [&] {
                          RunAll(engine, path,
                                 {std::string("CREATE TABLE T (A TEXT(") + size + "))"});
                      },
                      &description),
                  db::err::kInvalidFieldType)
            << size;
        EXPECT_NE(description.find("field 'A'"), std::string::npos) << description;
    }
    RunAll(engine, path, {"CREATE TABLE T (A TEXT(12))"});
    EXPECT_EQ(engine.OpenDatabase(path, false, false, "")->Fields("T")[0].size, 12);
}

}  // namespace
}  // namespace tessel::test::platform_tests
