// Tables made and changed through the store are what other programs expect: a new table in the
// format of the connect text, appended records, records rewritten in place, deleted records
// marked '*', memo values in new blocks, the header count and date kept right, and everything a
// transaction did undone byte for byte on rollback.
#include <gtest/gtest.h>

#include <chrono>

#include "core/db/drivers/dbf/dbf_header.h"
#include "dbf_test_util.h"
#include "platform_test_util.h"

namespace tessel::test::dbf_tests {
namespace {

namespace ftype = db::ftype;
namespace err = db::err;
using platform_tests::ErrorNumber;

db::FieldInfo Field(const std::string& name, int type, long size = 0, bool required = false) {
    db::FieldInfo field;
    field.name = name;
    field.type = type;
    field.size = size;
    field.required = required;
    return field;
}

std::vector<db::FieldInfo> PeopleFields() {
    return {Field("ID", ftype::kLong),       Field("Name", ftype::kText, 20),
            Field("Born", ftype::kDate),     Field("Paid", ftype::kBoolean),
            Field("Amount", ftype::kDouble), Field("Notes", ftype::kMemo)};
}

db::Row Person(std::int64_t id, const std::string& name, db::Value born, db::Value paid,
               db::Value amount, db::Value notes) {
    return {id, name, std::move(born), std::move(paid), std::move(amount), std::move(notes)};
}

TEST(DbfWrite, NewDbaseIVTableHoldsWhatWasInserted) {
    TempDir dir;
    {
        auto store = StoreOn(dir, db::Family::Dbase, "4.0");
        store->CreateTable("People", PeopleFields(), {});
        store->Insert("People", Person(1, "Ann", std::string("2000-02-29"), true, 10.5,
                                       std::string("likes tea")));
        store->Insert("People",
                      Person(2, "Bob", std::string("1900-03-01"), false, 0.25, std::monostate{}));
        store->Insert("People", Person(3, "Cy", std::monostate{}, std::monostate{},
                                       std::monostate{}, std::string(2000, 'x')));
    }
    const std::string bytes = ReadBytes(dir.File("People.dbf"));
    ASSERT_GT(bytes.size(), 32u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x8B);  // dBase IV with a memo file
    EXPECT_EQ(HeaderCount(bytes), 3u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[29]), 0x03);  // Windows-1252
    EXPECT_EQ(bytes.back(), '\x1A');
    EXPECT_TRUE(std::filesystem::exists(dir.File("People.dbt")));

    auto fresh = StoreOn(dir, db::Family::Dbase, "4.0");
    const auto columns = fresh->Columns("people");
    ASSERT_EQ(columns.size(), 6u);
    EXPECT_EQ(columns[0].name, "ID");
    EXPECT_EQ(columns[0].type, ftype::kDouble);  // N(11,0): wider than a Long's 9 digits
    EXPECT_EQ(columns[1].name, "NAME");
    EXPECT_EQ(columns[1].size, 20);
    EXPECT_EQ(columns[2].type, ftype::kDate);
    EXPECT_EQ(columns[3].type, ftype::kBoolean);
    EXPECT_EQ(columns[5].type, ftype::kMemo);
    EXPECT_EQ(ReadTable(*fresh, "People"),
              (Rows{{"1", "Ann", "2000-02-29", "true", "10.5", "likes tea"},
                    {"2", "Bob", "1900-03-01", "false", "0.25", "<null>"},
                    {"3", "Cy", "<null>", "<null>", "<null>", std::string(2000, 'x')}}));
}

TEST(DbfWrite, UpdateRewritesInPlaceAndDeleteMarksTheRecord) {
    TempDir dir;
    auto store = StoreOn(dir, db::Family::Dbase, "3.0");
    store->CreateTable("T", {Field("K", ftype::kInteger), Field("S", ftype::kText, 5)}, {});
    store->Insert("T", {std::int64_t{1}, std::string("a")});
    store->Insert("T", {std::int64_t{2}, std::string("b")});
    store->Insert("T", {std::int64_t{3}, std::string("c")});
    store->Update("T", 2, {std::int64_t{20}, std::string("bee")});
    store->Delete("T", 1);

    const std::string bytes = ReadBytes(dir.File("T.dbf"));
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x03);
    EXPECT_EQ(HeaderCount(bytes), 3u);  // deleted records stay in the file
    const std::size_t header = 32 + 2 * 32 + 1;
    EXPECT_EQ(bytes.substr(header, 12), std::string("*     1a    "));
    EXPECT_EQ(bytes.substr(header + 12, 12), std::string("     20bee  "));

    auto fresh = StoreOn(dir, db::Family::Dbase, "3.0");
    EXPECT_EQ(ReadTable(*fresh, "T"), (Rows{{"20", "bee"}, {"3", "c"}}));
}

TEST(DbfWrite, RollbackLeavesTheFilesByteForByte) {
    TempDir dir;
    auto store = StoreOn(dir, db::Family::FoxPro, "2.6");
    store->CreateTable("Notes", {Field("N", ftype::kLong), Field("Body", ftype::kMemo)}, {});
    store->Insert("Notes", {std::int64_t{1}, std::string("first")});
    store->Insert("Notes", {std::int64_t{2}, std::string("second")});
    const std::string table = ReadBytes(dir.File("Notes.dbf"));
    const std::string memo = ReadBytes(dir.File("Notes.fpt"));
    EXPECT_EQ(static_cast<unsigned char>(table[0]), 0xF5);

    store->Begin();
    store->Insert("Notes", {std::int64_t{3}, std::string("third")});
    store->Savepoint(0);
    store->Update("Notes", 1, {std::int64_t{10}, std::string("changed")});
    store->Delete("Notes", 2);
    store->RollbackTo(0);
    EXPECT_EQ(ReadTable(*store, "Notes"), (Rows{{"1", "first"}, {"2", "second"}, {"3", "third"}}));
    store->Update("Notes", 3, {std::int64_t{30}, std::string(300, 'y')});
    store->Sync();  // the header is written, and still undone
    store->Rollback();

    EXPECT_EQ(ReadBytes(dir.File("Notes.dbf")), table);
    EXPECT_EQ(ReadBytes(dir.File("Notes.fpt")), memo);
    EXPECT_EQ(ReadTable(*StoreOn(dir, db::Family::FoxPro, "2.6"), "Notes"),
              (Rows{{"1", "first"}, {"2", "second"}}));
}

TEST(DbfWrite, VisualFoxProNullsAndAutoincrement) {
    TempDir dir;
    auto store = StoreOn(dir, db::Family::FoxPro, "3.0");
    auto id = Field("ID", ftype::kLong);
    id.attributes = db::attr::kAutoIncrField;
    store->CreateTable("Items",
                       {id, Field("Name", ftype::kText, 10), Field("Price", ftype::kCurrency),
                        Field("At", ftype::kDate), Field("Qty", ftype::kLong, 0, true)},
                       {});
    store->Insert("Items", {std::monostate{}, std::string("pen"), 1.25,
                            std::string("2024-02-29 13:45:10"), std::int64_t{7}});
    store->Insert("Items", {std::monostate{}, std::monostate{}, std::monostate{}, std::monostate{},
                            std::int64_t{0}});

    const std::string bytes = ReadBytes(dir.File("Items.dbf"));
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x31);
    db::dbf::TableHeader header = db::dbf::ParseHeader(bytes, bytes.size(), "Items.dbf");
    ASSERT_GE(header.nullFlagsField, 0);
    EXPECT_EQ(header.fields[0].type, 'I');
    EXPECT_EQ(header.fields[0].autoNext, 3u);  // the next value, kept in the descriptor

    auto fresh = StoreOn(dir, db::Family::FoxPro, "3.0");
    EXPECT_NE(fresh->Columns("Items")[0].attributes & db::attr::kAutoIncrField, 0u);
    EXPECT_EQ(ReadTable(*fresh, "Items"), (Rows{{"1", "pen", "1.25", "2024-02-29 13:45:10", "7"},
                                                {"2", "<null>", "<null>", "<null>", "0"}}));
}

TEST(DbfWrite, ValuesTheFieldCannotHoldAreRefusedNamingFieldAndTable) {
    TempDir dir;
    auto store = StoreOn(dir, db::Family::Dbase, "5.0");
    store->CreateTable("Small", {Field("S", ftype::kText, 3), Field("B", ftype::kByte)}, {});
    std::string why;
    EXPECT_EQ(ErrorNumber(
                  [&] {
                      store->Insert("Small", {std::string("long"), std::int64_t{1}});
                  },
                  &why),
              err::kFieldTooSmall);
    EXPECT_NE(why.find("'S'"), std::string::npos) << why;
    EXPECT_NE(why.find("'Small'"), std::string::npos) << why;
    EXPECT_EQ(ErrorNumber([&] {
                  store->Insert("Small", {std::string("a"), std::int64_t{1000}});
              }),
              err::kNumericOverflow);
    // A character that Windows-1252 has no place for.
    EXPECT_EQ(ErrorNumber(
                  [&] {
                      store->Insert("Small", {std::string("Ж"), std::int64_t{1}});
                  },
                  &why),
              err::kDataTypeMismatch);
    EXPECT_NE(why.find("code page"), std::string::npos) << why;
    EXPECT_EQ(ErrorNumber([&] { store->Insert("Small", {std::string("é"), std::int64_t{1}}); }), 0);
    EXPECT_EQ(ReadTable(*store, "Small"), (Rows{{"é", "1"}}));
    EXPECT_EQ(HeaderCount(ReadBytes(dir.File("Small.dbf"))), 1u);
}

TEST(DbfWrite, DefinitionsTheFormatCannotHoldAreRefused) {
    TempDir dir;
    auto store = StoreOn(dir, db::Family::Dbase, "3.0");
    EXPECT_EQ(
        ErrorNumber([&] { store->CreateTable("A", {Field("ElevenChars", ftype::kLong)}, {}); }),
        err::kInvalidName);
    EXPECT_EQ(ErrorNumber([&] { store->CreateTable("A", {Field("T", ftype::kText, 255)}, {}); }),
              err::kInvalidFieldType);
    EXPECT_EQ(ErrorNumber([&] { store->CreateTable("A", {Field("P", ftype::kLongBinary)}, {}); }),
              err::kInvalidFieldType);
    db::IndexInfo key;
    key.name = "PrimaryKey";
    key.fields = "+K";
    key.primary = key.unique = true;
    std::string why;
    EXPECT_EQ(
        ErrorNumber([&] { store->CreateTable("A", {Field("K", ftype::kLong)}, {key}); }, &why),
        err::kNotSupported);
    EXPECT_NE(why.find("'A'"), std::string::npos) << why;
    EXPECT_TRUE(store->Tables().empty());

    store->CreateTable("A", {Field("K", ftype::kLong)}, {});
    EXPECT_EQ(ErrorNumber([&] { store->CreateTable("a", {Field("K", ftype::kLong)}, {}); }),
              err::kObjectExists);
    key.primary = key.unique = false;
    EXPECT_EQ(ErrorNumber([&] { store->CreateIndex("A", key); }, &why), err::kNotSupported);
    EXPECT_NE(why.find("index files"), std::string::npos) << why;
    EXPECT_EQ(ErrorNumber([&] { store->DropIndex("A", "K"); }), err::kNotSupported);
}

TEST(DbfWrite, FieldsAreAddedAndDroppedKeepingTheRows) {
    TempDir dir;
    auto store = StoreOn(dir, db::Family::FoxPro, "3.0");
    store->CreateTable("T", {Field("A", ftype::kLong), Field("B", ftype::kText, 4)}, {});
    store->Insert("T", {std::int64_t{1}, std::string("one")});
    store->Insert("T", {std::int64_t{2}, std::monostate{}});
    store->Delete("T", 1);
    store->AddColumn("T", Field("C", ftype::kMemo));
    EXPECT_TRUE(std::filesystem::exists(dir.File("T.fpt")));
    store->Insert("T", {std::int64_t{3}, std::string("x"), std::string("memo")});
    EXPECT_EQ(ReadTable(*store, "T"), (Rows{{"2", "<null>", "<null>"}, {"3", "x", "memo"}}));
    store->DropColumn("T", "b");
    EXPECT_EQ(ReadTable(*StoreOn(dir, db::Family::FoxPro, "3.0"), "T"),
              (Rows{{"2", "<null>"}, {"3", "memo"}}));
    // The deleted record stays deleted after the rewrite.
    EXPECT_EQ(HeaderCount(ReadBytes(dir.File("T.dbf"))), 3u);
    EXPECT_EQ(ErrorNumber([&] { store->DropColumn("T", "Nope"); }), err::kItemNotFound);
}

TEST(DbfWrite, TablesAreRenamedAndDroppedWithTheirMemoFiles) {
    TempDir dir;
    auto store = StoreOn(dir, db::Family::Dbase, "4.0");
    store->CreateTable("Old", {Field("M", ftype::kMemo)}, {});
    store->Insert("Old", {std::string("kept")});
    store->RenameTable("old", "New");
    EXPECT_FALSE(std::filesystem::exists(dir.File("Old.dbf")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("New.dbt")));
    EXPECT_EQ(ReadTable(*store, "NEW"), (Rows{{"kept"}}));
    store->DropTable("new");
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    EXPECT_EQ(ErrorNumber([&] { store->DropTable("new"); }), err::kNoSuchTable);
}

TEST(DbfWrite, MissingMemoFileRefusesMemoWritesOnly) {
    TempDir dir;
    CopyFixtures(dir, {"dbase_83_missing_memo.dbf"});
    auto store = StoreOn(dir);
    const std::string before = ReadBytes(dir.File("dbase_83_missing_memo.dbf"));
    auto scan = store->Scan("dbase_83_missing_memo", {});
    ASSERT_TRUE(scan->Next());
    db::Row row;
    for (std::size_t i = 0; i < store->Columns("dbase_83_missing_memo").size(); ++i)
        row.push_back(scan->Get(i));
    const db::RowId id = scan->Id();
    row[11] = std::string("a new description");
    std::string why;
    EXPECT_EQ(ErrorNumber([&] { store->Update("dbase_83_missing_memo", id, row); }, &why),
              err::kFileMissing);
    EXPECT_NE(why.find("dbase_83_missing_memo.dbt"), std::string::npos) << why;
    EXPECT_EQ(ReadBytes(dir.File("dbase_83_missing_memo.dbf")), before);
    row[11] = std::monostate{};
    row[6] = std::string("Renamed");
    EXPECT_EQ(ErrorNumber([&] { store->Update("dbase_83_missing_memo", id, row); }), 0);
    EXPECT_EQ(ColumnOf(*store, "dbase_83_missing_memo", "NAME")[0], "Renamed");
}

TEST(DbfWrite, ManySingleInsertsAndALargeScanAreFast) {
    TempDir dir;
    auto store = StoreOn(dir, db::Family::Dbase, "4.0");
    store->CreateTable("Log", {Field("N", ftype::kLong), Field("Word", ftype::kText, 10)}, {});
    // Each insert is its own transaction and waits for the disk once; the bound is loose
    // because the disk's own wait is most of the time and the machine is shared.
    const auto start = std::chrono::steady_clock::now();
    for (std::int64_t i = 0; i < 2000; ++i)
        store->Insert("Log", {i, std::string("row")});
    const auto inserted = std::chrono::steady_clock::now();
    EXPECT_LT(std::chrono::duration<double>(inserted - start).count(), 60.0);
    EXPECT_EQ(HeaderCount(ReadBytes(dir.File("Log.dbf"))), 2000u);
    EXPECT_EQ(ReadBytes(dir.File("Log.dbf")).size(), 32 + 2 * 32 + 1 + 2000 * 22 + 1u);

    // A million records written directly, then read through one scan.
    db::dbf::TableHeader header;
    header.version = 0x03;
    db::dbf::FieldDescriptor field;
    field.name = "N";
    field.type = 'N';
    field.length = 7;
    header.fields.push_back(field);
    db::dbf::LayOut(header);
    header.recordCount = 1000000;
    std::string bytes = db::dbf::SerializeHeader(header);
    bytes.reserve(bytes.size() + 8000001);
    char record[9];
    for (int i = 0; i < 1000000; ++i) {
        std::snprintf(record, sizeof record, " %7d", i);
        bytes.append(record, 8);
    }
    bytes += '\x1A';
    WriteBytes(dir.File("Big.dbf"), bytes);
    const auto before = std::chrono::steady_clock::now();
    auto scan = store->Scan("Big", {});
    std::int64_t rows = 0;
    std::int64_t sum = 0;
    while (scan->Next()) {
        ++rows;
        sum += std::get<std::int64_t>(scan->Get(0));
    }
    EXPECT_EQ(rows, 1000000);
    EXPECT_EQ(sum, 499999500000);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count(),
              60.0);
}

// Other programs trust an index file to match its table; a change that this program cannot
// carry into the index is refused, and the table, its memo and the index stay as they were.
TEST(DbfWrite, ATableWithAnIndexFileIsNotChanged) {
    TempDir dir;
    CopyFixtures(dir, {"foxprodb/calls.dbf", "foxprodb/calls.CDX", "foxprodb/calls.FPT"});
    const std::string before = ReadBytes(dir.File("calls.dbf"));
    auto store = StoreOn(dir, db::Family::FoxPro, "3.0");
    const std::size_t width = store->Columns("calls").size();
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { store->Insert("calls", db::Row(width)); }, &description),
              err::kReadOnly);
    EXPECT_NE(description.find("calls.CDX"), std::string::npos) << description;
    EXPECT_EQ(ErrorNumber([&] { store->Delete("calls", 1); }), err::kReadOnly);
    EXPECT_EQ(ErrorNumber([&] { store->DropColumn("calls", store->Columns("calls")[0].name); }),
              err::kReadOnly);
    EXPECT_EQ(ReadBytes(dir.File("calls.dbf")), before);

    // Without its index file the table is an ordinary one again.
    std::filesystem::remove(dir.File("calls.CDX"));
    auto fresh = StoreOn(dir, db::Family::FoxPro, "3.0");
    fresh->Delete("calls", 1);
    EXPECT_NE(ReadBytes(dir.File("calls.dbf")), before);
}

}  // namespace
}  // namespace tessel::test::dbf_tests
