// SQL statements: the statement connection, the reopening of the database, the capture of
// rows into recordset files, the view caption, and the "DBEngine error" box.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/session/current_database.h"
#include "script_run_fixture.h"

namespace tessel::test {
namespace {

namespace fs = std::filesystem;
using db::EngineError;
using Kind = db::ValueView::Kind;

class SqlStatement : public ScriptRunTest {
  protected:
    // A new database with a table of three items, current, and nothing shown yet.
    void MakeShop() {
        shop = dir.File("shop.mdb");
        Run("dbMake " + shop +
            ";\r\n"
            "CREATE TABLE Items (ID LONG, Name TEXT (50), Price DOUBLE, Code TEXT (10));\r\n"
            "INSERT INTO Items VALUES (1, 'Spade', 12.5, '007');\r\n"
            "INSERT INTO Items VALUES (2, 'Rake', 7, NULL);\r\n"
            "INSERT INTO Items VALUES (3, 'Hoe; long', -0.5, '');\r\n");
        ASSERT_TRUE(ui.boxes.empty()) << Boxes();
        session.state.recordsets.recordsetCount = 0;
        ui.pointers.clear();
    }

    std::string shop;
};

TEST(DBEngineErrorText, ErrorThenBlankLineThenOneLinePerEngineError) {
    const EngineError error(
        3075, "Syntax error in the statement.", "Tessel engine",
        {{1, "near \"SELEC\": syntax error", "SQLite"}, {3075, "second entry", "Tessel engine"}});
    EXPECT_EQ(DBEngineErrorText(error),
              "3075: Syntax error in the statement. Tessel engine\r\n\r\n"
              "1 near \"SELEC\": syntax error SQLite\r\n"
              "3075 second entry Tessel engine\r\n");
    EXPECT_EQ(DBEngineErrorText(EngineError(3024, "No file.", "Tessel engine")),
              "3024: No file. Tessel engine\r\n\r\n");
}

TEST_F(SqlStatement, RunsThroughTheStatementConnectionTextAndReloadsTheTree) {
    MakeShop();
    const int reloadsBefore = ui.treeReloads;
    SQL(session, "UPDATE Items SET Price = 8 WHERE ID = 2");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    ASSERT_TRUE(session.state.engineObjects.adoConnection);
    EXPECT_EQ(session.state.engineObjects.adoConnection->ConnectionString(),
              "Provider=MSDASQL.1;Extended Properties=DSN=MS Access 97 Database;DBQ=" + shop + ";");
    EXPECT_EQ(ui.treeReloads, reloadsBefore + 1);
    EXPECT_GT(ui.treeClears, 0) << "the database was closed before it was opened again";
    ASSERT_TRUE(session.state.current.currentDatabase);
    EXPECT_EQ(session.state.current.currentDatabase->Name(), shop);
    EXPECT_EQ(Column(shop, "SELECT Price FROM Items WHERE ID = 2"),
              std::vector<std::string>{"8.0"});
    ASSERT_FALSE(ui.pointers.empty());
    EXPECT_EQ(ui.pointers.front(), Pointer::Busy);
    EXPECT_EQ(ui.pointers.back(), Pointer::Default);
}

TEST_F(SqlStatement, SyntaxErrorShowsOneBoxAndTheScriptGoesOn) {
    MakeShop();
    Run("SELEC * FROM Items;\r\nDELETE FROM Items WHERE ID = 1;\r\n");
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    const ShownBox& box = ui.boxes[0];
    EXPECT_EQ(box.caption, "DBEngine error");
    EXPECT_EQ(box.style, 16);
    EXPECT_EQ(box.text.rfind("3075: ", 0), 0u) << box.text;
    const std::size_t blankLine = box.text.find("\r\n\r\n");
    ASSERT_NE(blankLine, std::string::npos) << box.text;
    // One line for each engine error after the blank line.
    const std::string list = box.text.substr(blankLine + 4);
    EXPECT_FALSE(list.empty());
    EXPECT_EQ(list.substr(list.size() - 2), "\r\n");
    EXPECT_NE(list.find("SELEC"), std::string::npos) << list;
    EXPECT_EQ(Column(shop, "SELECT count(*) FROM Items"), std::vector<std::string>{"2"});
    EXPECT_TRUE(ui.PointerIsDefault());
}

TEST_F(SqlStatement, FailingStatementLeavesTheDatabaseOpenWithoutReopening) {
    MakeShop();
    const int reloadsBefore = ui.treeReloads;
    SQL(session, "SELECT * FROM Missing");
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].text.rfind("3078: ", 0), 0u) << Boxes();
    EXPECT_EQ(ui.treeReloads, reloadsBefore);
    ASSERT_TRUE(session.state.current.currentDatabase);
    EXPECT_EQ(session.state.current.currentDatabase->Name(), shop);
    EXPECT_EQ(session.state.recordsets.recordsetCount, 0);
    EXPECT_EQ(ui.pointers, (std::vector<Pointer>{Pointer::Busy, Pointer::Default}));
}

TEST_F(SqlStatement, EmptyStatementFailsInTheStatementRunner) {
    MakeShop();
    Run(";;SELECT ID FROM Items;");
    ASSERT_EQ(ui.boxes.size(), 2u) << Boxes();
    EXPECT_EQ(ui.boxes[0].caption, "DBEngine error");
    EXPECT_EQ(ui.boxes[1].caption, "DBEngine error");
    EXPECT_EQ(session.state.recordsets.recordsetCount, 1) << "the statement after them still ran";
}

TEST_F(SqlStatement, CaptionsCountCapturesAndAnUpdateLeavesTheLastOne) {
    MakeShop();
    SQL(session, "SELECT ID FROM Items WHERE ID = 1");
    EXPECT_EQ(ui.viewCaption, "recordset1");
    EXPECT_EQ(ui.viewFile, RecordsetPath(1));
    SQL(session, "select Name from Items where ID = 2");
    EXPECT_EQ(ui.viewCaption, "recordset2");
    EXPECT_EQ(ui.viewFile, RecordsetPath(2));
    SQL(session, "UPDATE Items SET Price = 1");
    EXPECT_EQ(ui.viewCaption, "recordset2");
    EXPECT_EQ(ui.viewFile, "") << "a statement without rows binds no file";
    EXPECT_TRUE(ui.viewVisible);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
}

TEST_F(SqlStatement, CaptionIsRecordsetZeroBeforeAnyCapture) {
    MakeShop();
    SQL(session, "DELETE FROM Items WHERE ID = 3");
    EXPECT_EQ(ui.viewCaption, "recordset0");
    EXPECT_FALSE(fs::exists(RecordsetPath(1)));
}

TEST_F(SqlStatement, RecordsetFileHoldsTheRowsOfTheDatabase) {
    MakeShop();
    SQL(session, "SELECT ID, Name, Price, Code FROM Items ORDER BY ID");
    ASSERT_TRUE(ui.boxes.empty()) << Boxes();
    auto file = RecordsetFile::Open(RecordsetPath(1));
    EXPECT_EQ(file->Statement(), "SELECT ID, Name, Price, Code FROM Items ORDER BY ID");
    ASSERT_EQ(file->Columns().size(), 4u);
    EXPECT_EQ(file->Columns()[0].name, "ID");
    EXPECT_EQ(file->Columns()[1].name, "Name");
    EXPECT_EQ(file->Columns()[1].type, db::ftype::kText);
    EXPECT_EQ(file->Columns()[2].type, db::ftype::kDouble);
    ASSERT_EQ(file->RowCount(), 3);
    const auto rows = file->ReadRows(0, 10);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0].kind, Kind::Integer);
    EXPECT_EQ(rows[0][0].integer, 1);
    EXPECT_EQ(rows[0][1].bytes, "Spade");
    EXPECT_EQ(rows[0][2].kind, Kind::Real);
    EXPECT_EQ(rows[0][2].real, 12.5);
    EXPECT_EQ(rows[0][3].kind, Kind::Text);
    EXPECT_EQ(rows[0][3].bytes, "007");
    EXPECT_EQ(rows[1][2].real, 7.0);
    EXPECT_EQ(rows[1][3].kind, Kind::Null);
    EXPECT_EQ(rows[2][1].bytes, "Hoe; long");
    EXPECT_EQ(rows[2][3].kind, Kind::Text);
    EXPECT_EQ(rows[2][3].bytes, "");
    // Every value equals what SQLite itself reads from the database.
    const auto names = Column(shop, "SELECT Name FROM Items ORDER BY ID");
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(rows[i][1].bytes, names[i]);
}

TEST_F(SqlStatement, ThreeSelectsLeaveThreeFilesAndListRows) {
    MakeShop();
    Run("SELECT ID FROM Items;\r\nSELECT Name FROM Items;\r\nSELECT Price FROM Items;\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_TRUE(fs::exists(RecordsetPath(1)) && fs::exists(RecordsetPath(2)) &&
                fs::exists(RecordsetPath(3)));
    EXPECT_EQ(ui.recordsetRows,
              (std::vector<std::string>{"SELECT ID FROM Items", "SELECT Name FROM Items",
                                        "SELECT Price FROM Items"}));
    EXPECT_TRUE(ui.recordsetListVisible);

    // A later, shorter run rewrites recordset1 only; the list shrinks to its rows.
    Run("SELECT Code FROM Items;\r\n");
    EXPECT_EQ(ui.recordsetRows, std::vector<std::string>{"SELECT Code FROM Items"});
    EXPECT_EQ(RecordsetFile::Open(RecordsetPath(1))->Statement(), "SELECT Code FROM Items");
    EXPECT_TRUE(fs::exists(RecordsetPath(3)));
    // Closing deletes every file the session wrote.
    CleanRecordsets(session);
    EXPECT_FALSE(fs::exists(RecordsetPath(1)) || fs::exists(RecordsetPath(2)) ||
                 fs::exists(RecordsetPath(3)));
}

TEST_F(SqlStatement, StatementWithoutRowsHidesTheListUntilTheNextCapture) {
    MakeShop();
    Run("SELECT ID FROM Items;\r\nUPDATE Items SET Price = 2;\r\n");
    EXPECT_FALSE(ui.recordsetListVisible) << "the reopening hid the list";
    EXPECT_EQ(ui.recordsetRows.size(), 1u);
    EXPECT_FALSE(fs::exists(RecordsetPath(2)));
}

// Mended: an INSERT ... SELECT counts as row-returning but returns no rows; it is captured as
// an empty recordset instead of failing after it changed the database.
TEST_F(SqlStatement, InsertSelectIsCapturedAsAnEmptyRecordset) {
    MakeShop();
    Run("CREATE TABLE Copy (ID LONG);\r\nINSERT INTO Copy SELECT ID FROM Items;\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(session.state.recordsets.recordsetCount, 1);
    EXPECT_EQ(ui.viewCaption, "recordset1");
    EXPECT_EQ(ui.recordsetRows, std::vector<std::string>{"INSERT INTO Copy SELECT ID FROM Items"});
    auto file = RecordsetFile::Open(RecordsetPath(1));
    EXPECT_TRUE(file->Columns().empty());
    EXPECT_EQ(file->RowCount(), 0);
    EXPECT_EQ(Column(shop, "SELECT count(*) FROM Copy"), std::vector<std::string>{"3"});
}

// Mended: the recordset count is not limited to 16 bits.
TEST_F(SqlStatement, CaptureNumberedBeyond32767) {
    MakeShop();
    session.state.recordsets.recordsetCount = 32767;
    SQL(session, "SELECT ID FROM Items");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(ui.viewCaption, "recordset32768");
    EXPECT_TRUE(fs::exists(RecordsetPath(32768)));
}

TEST_F(SqlStatement, StatementWithoutCurrentDatabaseFails) {
    SQL(session, "SELECT 1");
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].caption, "DBEngine error");
    EXPECT_EQ(session.state.recordsets.recordsetCount, 0);
}

TEST_F(SqlStatement, StatementRunsAgainstTheFileAfterDbCloseAndOpensItAgain) {
    MakeShop();
    Run("dbClose ;\r\nDELETE FROM Items WHERE ID = 1;\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(Column(shop, "SELECT count(*) FROM Items"), std::vector<std::string>{"2"});
    ASSERT_TRUE(session.state.current.currentDatabase);
    EXPECT_EQ(session.state.current.currentDatabase->Name(), shop);
}

TEST_F(SqlStatement, FailedCaptureIsAStatementFailureAfterTheCountGrew) {
    MakeShop();
    // Something that cannot be replaced stands where the file would go.
    fs::create_directories(RecordsetPath(1) + "/inside");
    SQL(session, "SELECT ID FROM Items");
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].caption, "DBEngine error");
    EXPECT_NE(ui.boxes[0].text.find(RecordsetPath(1)), std::string::npos) << Boxes();
    EXPECT_EQ(session.state.recordsets.recordsetCount, 1);
    EXPECT_TRUE(ui.PointerIsDefault());
}

}  // namespace
}  // namespace tessel::test
