// Recordset files: written from a cursor while its rows stream, read back page by page, and
// the capture and clean-up that number and delete them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>

#include "core/script/recordset_file.h"
#include "core/script/script_runner.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tessel {
namespace {

using db::ColumnInfo;
using db::EngineError;
using Kind = db::ValueView::Kind;

RecordsetCell Null() {
    return {};
}
RecordsetCell Int(std::int64_t value) {
    return {Kind::Integer, value, 0, ""};
}
RecordsetCell Real(double value) {
    return {Kind::Real, 0, value, ""};
}
RecordsetCell Text(std::string value) {
    return {Kind::Text, 0, 0, std::move(value)};
}
RecordsetCell Blob(std::string value) {
    return {Kind::Blob, 0, 0, std::move(value)};
}

using Rows = std::vector<std::vector<RecordsetCell>>;

// Rows held in memory, handed out as a statement's cursor would; it can fail after a number of
// rows, as a statement that hits a runtime error does.
class RowsCursor : public db::Cursor {
  public:
    RowsCursor(std::vector<ColumnInfo> columns, Rows rows, long failAfter = -1)
        : columns_(std::move(columns)), rows_(std::move(rows)), failAfter_(failAfter) {}
    const std::vector<ColumnInfo>& Columns() const override { return columns_; }
    bool Next() override {
        if (failAfter_ >= 0 && next_ == static_cast<std::size_t>(failAfter_)) {
            throw EngineError(db::err::kReserved, "The statement failed halfway.");
        }
        if (next_ >= rows_.size())
            return false;
        current_ = next_++;
        return true;
    }
    db::ValueView Get(std::size_t column) const override {
        const RecordsetCell& cell = rows_[current_][column];
        db::ValueView view;
        view.kind = cell.kind;
        view.integer = cell.integer;
        view.real = cell.real;
        view.bytes = cell.bytes;
        return view;
    }

  private:
    std::vector<ColumnInfo> columns_;
    Rows rows_;
    long failAfter_;
    std::size_t next_ = 0;
    std::size_t current_ = 0;
};

void ExpectSameCells(const Rows& actual, const Rows& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t r = 0; r < expected.size(); ++r) {
        ASSERT_EQ(actual[r].size(), expected[r].size()) << "row " << r;
        for (std::size_t c = 0; c < expected[r].size(); ++c) {
            const auto& a = actual[r][c];
            const auto& e = expected[r][c];
            EXPECT_EQ(a.kind, e.kind) << "row " << r << " column " << c;
            EXPECT_EQ(a.integer, e.integer) << "row " << r << " column " << c;
            EXPECT_EQ(a.real, e.real) << "row " << r << " column " << c;
            EXPECT_EQ(a.bytes, e.bytes) << "row " << r << " column " << c;
        }
    }
}

std::vector<ColumnInfo> ShopColumns() {
    return {{"ID", "LONG", db::ftype::kLong, 4},
            {"Name", "TEXT (50)", db::ftype::kText, 50},
            {"Price", "DOUBLE", db::ftype::kDouble, 8},
            {"Code", "TEXT (10)", db::ftype::kText, 10},
            {"Picture", "LONGBINARY", db::ftype::kLongBinary, 0}};
}

Rows ShopRows() {
    return {{Int(1), Text("Spade"), Real(12.5), Text("007"), Blob(std::string("\0\1\2", 3))},
            {Int(2), Text(""), Real(-0.25), Text("1e3"), Blob("")},
            {Int(3), Null(), Null(), Text("caf\xC3\xA9 \"x\"; y"), Null()},
            {Int(-9007199254740993LL), Text(std::string("a\0b", 3)), Real(1e300), Int(42),
             Text("text in a blob column")}};
}

TEST(RecordsetFile, PathIsNumberedInTheApplicationDirectory) {
    EXPECT_EQ(RecordsetFilePath("/home/u/.local/share/Tessel", 1),
              "/home/u/.local/share/Tessel/recordset1.rst");
    EXPECT_EQ(RecordsetFilePath("/app/", 40000), "/app/recordset40000.rst");
}

TEST(RecordsetFile, RowsColumnsAndStatementReadBackEqual) {
    test::TempDir dir;
    const std::string path = dir.File("recordset1.rst");
    RowsCursor cursor(ShopColumns(), ShopRows());
    WriteRecordsetFile(path, "SELECT * FROM Shop", cursor);

    auto file = RecordsetFile::Open(path);
    EXPECT_EQ(file->Statement(), "SELECT * FROM Shop");
    ASSERT_EQ(file->Columns().size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(file->Columns()[i].name, ShopColumns()[i].name);
        EXPECT_EQ(file->Columns()[i].declaredType, ShopColumns()[i].declaredType);
        EXPECT_EQ(file->Columns()[i].type, ShopColumns()[i].type);
        EXPECT_EQ(file->Columns()[i].size, ShopColumns()[i].size);
    }
    EXPECT_EQ(file->RowCount(), 4);
    ExpectSameCells(file->ReadRows(0, 100), ShopRows());
    // Nothing but the previous file is left in the directory.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(RecordsetFile, AnySqliteToolReadsTheRows) {
    test::TempDir dir;
    const std::string path = dir.File("recordset1.rst");
    RowsCursor cursor(ShopColumns(), ShopRows());
    WriteRecordsetFile(path, "SELECT * FROM Shop", cursor);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT Name, Code FROM recordset ORDER BY rowid", -1,
                                 &statement, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "Spade");
    // Stored as it came: the text "007" is not turned into the number 7.
    EXPECT_EQ(sqlite3_column_type(statement, 1), SQLITE_TEXT);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)), "007");
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

TEST(RecordsetFile, RepeatedAndRowNumberColumnNamesKeepTheirNames) {
    test::TempDir dir;
    const std::string path = dir.File("recordset1.rst");
    std::vector<ColumnInfo> columns = {{"ID", "", 4, 4},    {"id", "", 4, 4},
                                       {"rowid", "", 4, 4}, {"_rowid_", "", 4, 4},
                                       {"OID", "", 4, 4},   {"", "", 10, 0}};
    Rows rows = {{Int(1), Int(2), Int(3), Int(4), Int(5), Text("six")},
                 {Int(7), Int(8), Int(9), Int(10), Int(11), Text("twelve")}};
    RowsCursor cursor(columns, rows);
    WriteRecordsetFile(path, "SELECT a.ID, b.id, ...", cursor);

    auto file = RecordsetFile::Open(path);
    ASSERT_EQ(file->Columns().size(), columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        EXPECT_EQ(file->Columns()[i].name, columns[i].name);
    }
    EXPECT_EQ(file->RowCount(), 2);
    ExpectSameCells(file->ReadRows(0, 2), rows);
    ExpectSameCells(file->ReadRows(1, 5), {rows[1]});
}

TEST(RecordsetFile, PagesAnywhereInManyRows) {
    test::TempDir dir;
    const std::string path = dir.File("recordset1.rst");
    Rows rows;
    for (int i = 0; i < 25000; ++i)
        rows.push_back({Int(i), Text("row " + std::to_string(i))});
    RowsCursor cursor({{"N", "LONG", 4, 4}, {"Label", "TEXT (20)", 10, 20}}, rows);
    WriteRecordsetFile(path, "SELECT N, Label FROM Numbers", cursor);

    auto file = RecordsetFile::Open(path);
    EXPECT_EQ(file->RowCount(), 25000);
    const Rows middle = file->ReadRows(12345, 3);
    ExpectSameCells(middle, {rows[12345], rows[12346], rows[12347]});
    const Rows tail = file->ReadRows(24998, 10);
    ExpectSameCells(tail, {rows[24998], rows[24999]});
    EXPECT_TRUE(file->ReadRows(25000, 10).empty());
    EXPECT_TRUE(file->ReadRows(0, 0).empty());
}

TEST(RecordsetFile, StatementWithoutColumnsGivesAnEmptyRecordset) {
    test::TempDir dir;
    const std::string path = dir.File("recordset1.rst");
    RowsCursor cursor({}, {});
    WriteRecordsetFile(path, "INSERT INTO a SELECT * FROM b", cursor);
    auto file = RecordsetFile::Open(path);
    EXPECT_TRUE(file->Columns().empty());
    EXPECT_EQ(file->RowCount(), 0);
    EXPECT_TRUE(file->ReadRows(0, 10).empty());
    EXPECT_EQ(file->Statement(), "INSERT INTO a SELECT * FROM b");
}

TEST(RecordsetFile, ReplacesAnExistingFile) {
    test::TempDir dir;
    const std::string path = dir.File("recordset1.rst");
    test::WriteBytes(path, "an older file");
    RowsCursor cursor({{"A", "", 4, 4}}, {{Int(5)}});
    WriteRecordsetFile(path, "SELECT 5 AS A", cursor);
    ExpectSameCells(RecordsetFile::Open(path)->ReadRows(0, 5), {{Int(5)}});
}

TEST(RecordsetFile, FailingStatementLeavesNoHalfWrittenFile) {
    test::TempDir dir;
    const std::string path = dir.File("recordset1.rst");
    test::WriteBytes(path, "the previous run's file");
    RowsCursor cursor({{"A", "", 4, 4}}, {{Int(1)}, {Int(2)}, {Int(3)}}, 2);
    try {
        WriteRecordsetFile(path, "SELECT A FROM t", cursor);
        FAIL() << "the cursor's failure should pass through";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Description(), "The statement failed halfway.");
    }
    EXPECT_EQ(test::ReadBytes(path), "the previous run's file");
    // Nothing but the previous file is left in the directory.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(RecordsetFile, UnwritablePlaceIsAnErrorNamingTheFile) {
    test::TempDir dir;
    test::WriteBytes(dir.File("plain"), "a file where a directory should be");
    const std::string path = dir.File("plain/recordset1.rst");
    RowsCursor cursor({{"A", "", 4, 4}}, {{Int(1)}});
    try {
        WriteRecordsetFile(path, "SELECT 1 AS A", cursor);
        FAIL() << "writing should fail";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Number(), db::err::kPathNotFound);
        EXPECT_EQ(error.Description().rfind("Cannot write the recordset file " + path + ": ", 0),
                  0u)
            << error.Description();
    }
}

TEST(RecordsetFile, MissingFileAndForeignFileAreClearErrors) {
    test::TempDir dir;
    try {
        RecordsetFile::Open(dir.File("recordset9.rst"));
        FAIL();
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Number(), db::err::kFileNotFound);
        EXPECT_EQ(error.Description(),
                  "The recordset file " + dir.File("recordset9.rst") + " does not exist.");
    }
    test::WriteBytes(dir.File("junk.rst"), std::string(4096, 'x'));
    try {
        RecordsetFile::Open(dir.File("junk.rst"));
        FAIL();
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Number(), db::err::kUnreadableDatabase);
        EXPECT_EQ(error.Description().rfind(dir.File("junk.rst") + " is not a recordset file", 0),
                  0u)
            << error.Description();
    }
}

// Capture and clean-up.

class Capture : public ::testing::Test {
  protected:
    Capture() : session(ui) { session.state.app.appPath = dir.Path().string(); }

    void CaptureRows(const std::string& statement, Rows rows) {
        RowsCursor cursor({{"A", "", 4, 4}}, std::move(rows));
        CaptureRecordset(session, statement, cursor);
    }
    bool Exists(long number) const {
        return std::filesystem::exists(RecordsetFilePath(dir.Path().string(), number));
    }

    test::TempDir dir;
    test::ScriptedUi ui;
    Session session;
};

TEST_F(Capture, NumbersFilesAndAddsListRows) {
    CaptureRows("SELECT 1", {{Int(1)}});
    CaptureRows("SELECT 2", {{Int(2)}});
    CaptureRows("SELECT 3", {{Int(3)}});
    EXPECT_EQ(session.state.recordsets.recordsetCount, 3);
    EXPECT_TRUE(Exists(1) && Exists(2) && Exists(3));
    EXPECT_EQ(session.state.recordsets.recordsetFileName,
              RecordsetFilePath(dir.Path().string(), 3));
    EXPECT_TRUE(ui.recordsetListVisible);
    EXPECT_EQ(ui.recordsetRows, (std::vector<std::string>{"SELECT 1", "SELECT 2", "SELECT 3"}));
    ExpectSameCells(RecordsetFile::Open(RecordsetFilePath(dir.Path().string(), 2))->ReadRows(0, 9),
                    {{Int(2)}});
}

// Mended: the count is not limited to 16 bits.
TEST_F(Capture, CountGoesPast32767) {
    session.state.recordsets.recordsetCount = 32767;
    CaptureRows("SELECT 1", {{Int(1)}});
    EXPECT_EQ(session.state.recordsets.recordsetCount, 32768);
    EXPECT_TRUE(Exists(32768));
}

TEST_F(Capture, FailedCaptureHasAlreadyCounted) {
    RowsCursor cursor({{"A", "", 4, 4}}, {{Int(1)}}, 0);
    EXPECT_THROW(CaptureRecordset(session, "SELECT 1", cursor), EngineError);
    EXPECT_EQ(session.state.recordsets.recordsetCount, 1);
    EXPECT_FALSE(Exists(1));
    EXPECT_TRUE(ui.recordsetRows.empty());
}

// Mended: closing deletes every file the session wrote, also those of a longer earlier run.
TEST_F(Capture, CleanDeletesEveryFileOfTheSession) {
    CaptureRows("SELECT 1", {{Int(1)}});
    CaptureRows("SELECT 2", {{Int(2)}});
    CaptureRows("SELECT 3", {{Int(3)}});
    session.state.recordsets.recordsetCount = 0;  // a new execution
    CaptureRows("SELECT 4", {{Int(4)}});
    EXPECT_EQ(session.state.recordsets.recordsetCount, 1);
    EXPECT_TRUE(Exists(1) && Exists(2) && Exists(3));

    CleanRecordsets(session);
    EXPECT_FALSE(Exists(1) || Exists(2) || Exists(3));
    EXPECT_EQ(session.state.recordsets.recordsetCount, 1);
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
}

TEST_F(Capture, CleanWithNothingWrittenDoesNothing) {
    test::WriteBytes(RecordsetFilePath(dir.Path().string(), 1), "not ours this session");
    CleanRecordsets(session);
    EXPECT_TRUE(Exists(1));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(Capture, CleanStopsAtTheFirstFailureWithTheStandardBox) {
    CaptureRows("SELECT 1", {{Int(1)}});
    CaptureRows("SELECT 2", {{Int(2)}});
    // Something that cannot be deleted stands where the first file was.
    const std::string first = RecordsetFilePath(dir.Path().string(), 1);
    std::filesystem::remove(first);
    std::filesystem::create_directories(first + "/inside");
    CleanRecordsets(session);
    ASSERT_EQ(ui.boxes.size(), 1u) << ui.BoxLog();
    EXPECT_EQ(ui.boxes[0].style, msgbox::kCritical);
    EXPECT_EQ(ui.boxes[0].caption, kErrorSource);
    EXPECT_EQ(ui.boxes[0].text,
              "76: Cannot delete the recordset file " + first + ": Directory not empty.");
    EXPECT_TRUE(Exists(2));
}

}  // namespace
}  // namespace tessel
