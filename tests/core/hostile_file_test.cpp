// Files made to do harm: a schema text that hides more statements, triggers that call the
// program's functions, scripts that try to write SQLite's schema table, and the program's own
// metadata tables damaged by another tool.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <utility>

#include "core/db/sqlite/handle.h"
#include "core/session/current_database.h"
#include "script_run_fixture.h"

namespace tessel::test {
namespace {

// Runs `sql` with SQLite itself, as any other tool could; fails the test on an error.
void RunWithSqlite(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
}

class HostileFile : public ScriptRunTest {
  protected:
    // A database with a table of precious rows that nothing in these tests may change.
    std::string MakePrecious() {
        const std::string path = dir.File("precious.mdb");
        Run("dbMake " + path +
            ";\r\nCREATE TABLE Precious (ID LONG, Name TEXT(20));\r\n"
            "INSERT INTO Precious VALUES (1, 'gold');\r\n"
            "INSERT INTO Precious VALUES (2, 'silver');\r\ndbClose ;\r\n");
        EXPECT_TRUE(ui.boxes.empty()) << Boxes();
        return path;
    }
    std::string MakeDatabase(const std::string& name, const std::string& statements) {
        const std::string path = dir.File(name);
        Run("dbMake " + path + ";\r\n" + statements + "dbClose ;\r\n");
        EXPECT_TRUE(ui.boxes.empty()) << Boxes();
        return path;
    }
    bool StatusShows(const std::string& part) const {
        return std::any_of(
            ui.statusTexts.begin(), ui.statusTexts.end(),
            [&](const std::string& text) { return text.find(part) != std::string::npos; });
    }
};

TEST_F(HostileFile, RepairRunsNoStatementHiddenInAStoredDefinition) {
    const std::string precious = MakePrecious();
    const std::string crafted =
        MakeDatabase("crafted.mdb",
                     "CREATE TABLE Bait (A LONG);\r\nINSERT INTO Bait VALUES (7);\r\n"
                     "CREATE TABLE Kept (B LONG);\r\nINSERT INTO Kept VALUES (8);\r\n");
    RunWithSqlite(crafted,
                  "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = "
                  "'CREATE TABLE Bait(A); ATTACH ''" +
                      precious + "'' AS o; DELETE FROM o.Precious' WHERE name = 'Bait';");
    // Stray bytes after the last page: the open offers the repair.
    WriteBytes(crafted, ReadBytes(crafted) + "stray");
    ui.boxes.clear();
    ui.boxAnswers.push_back(msgbox::kYes);
    OpenDB(session, crafted, true);

    EXPECT_EQ(Column(precious, "SELECT Name FROM Precious ORDER BY ID"),
              (std::vector<std::string>{"gold", "silver"}));
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].style, 52) << Boxes();
    EXPECT_TRUE(
        StatusShows("crafted.mdb repaired; 'Kept': 1 of 1 row saved; left out 'Bait' "
                    "(its stored definition is not a single CREATE TABLE statement)"))
        << ui.StatusText();
    // The sound part of the file is kept, the refused table is not made.
    EXPECT_EQ(Column(crafted, "SELECT B FROM Kept"), (std::vector<std::string>{"8"}));
    EXPECT_EQ(Column(crafted, "SELECT count(*) FROM sqlite_master WHERE name = 'Bait'"),
              (std::vector<std::string>{"0"}));
}

TEST_F(HostileFile, RepairRefusesADefinitionOfAnotherKindOrName) {
    const std::string crafted =
        MakeDatabase("kinds.mdb",
                     "CREATE TABLE Kept (B LONG);\r\nINSERT INTO Kept VALUES (8);\r\n"
                     "CREATE INDEX ByB ON Kept (B);\r\n"
                     "CREATE VIEW Everything AS SELECT B FROM Kept;\r\n");
    RunWithSqlite(
        crafted,
        "PRAGMA writable_schema = ON;"
        "UPDATE sqlite_master SET sql = 'CREATE VIEW Other AS SELECT 1' WHERE name = "
        "'Everything';"
        "UPDATE sqlite_master SET sql = 'CREATE TABLE Kept2 (B)' WHERE name = 'Kept_ByB';");
    WriteBytes(crafted, ReadBytes(crafted) + "stray");
    ui.boxAnswers.push_back(msgbox::kYes);
    OpenDB(session, crafted, true);
    EXPECT_EQ(Column(crafted,
                     "SELECT name FROM sqlite_master WHERE name NOT LIKE 'MSys%' AND "
                     "name NOT LIKE 'sqlite%' ORDER BY name"),
              (std::vector<std::string>{"Kept"}));
    EXPECT_TRUE(
        StatusShows("'Kept_ByB' (its stored definition is not a single CREATE INDEX "
                    "statement)"))
        << ui.StatusText();
    EXPECT_TRUE(
        StatusShows("'Everything' (its stored definition is not a single CREATE VIEW "
                    "statement)"))
        << ui.StatusText();
}

TEST_F(HostileFile, ViewsOfAFileKeepUsingTheClassicFunctions) {
    const std::string path = MakeDatabase("views.mdb",
                                          "CREATE TABLE Names (Name TEXT(20));\r\n"
                                          "INSERT INTO Names VALUES ('ada');\r\n");
    RunWithSqlite(path,
                  "CREATE VIEW Loud AS SELECT UCASE(Name) AS Big, LEN(Name) AS Size, "
                  "IIF(NOW() IS NULL, 0, 1) AS Known FROM Names;");
    Run("dbOpen " + path + ";\r\nSELECT Big, Size, Known FROM Loud;\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    ASSERT_EQ(ui.recordsetRows.size(), 1u);
}

// A function with an effect, registered on a connection of the program as a plug-in might.
void Remember(sqlite3_context* context, int, sqlite3_value**) {
    ++*static_cast<int*>(sqlite3_user_data(context));
    sqlite3_result_null(context);
}

TEST_F(HostileFile, TriggersOfAFileCannotCallAFunctionWithAnEffect) {
    const std::string path = MakeDatabase("trigger.mdb", "CREATE TABLE T (A LONG);\r\n");
    RunWithSqlite(path,
                  "CREATE TRIGGER Sneak AFTER INSERT ON T BEGIN SELECT REMEMBER(new.A); END;");
    auto handle = db::sqlite::Handle::Open(path, false);
    int calls = 0;
    ASSERT_EQ(sqlite3_create_function(handle->Raw(), "REMEMBER", 1, SQLITE_UTF8, &calls, Remember,
                                      nullptr, nullptr),
              SQLITE_OK);
    // Called by the program's own statement, it runs.
    handle->Prepare("SELECT REMEMBER(1)").Run();
    EXPECT_EQ(calls, 1);
    try {
        handle->Prepare("INSERT INTO T VALUES (1)").Run();
        ADD_FAILURE() << "the trigger called the function";
    } catch (const db::EngineError& error) {
        EXPECT_NE(error.Description().find("unsafe use of REMEMBER()"), std::string::npos)
            << error.Description();
    }
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Column(path, "SELECT count(*) FROM T"), (std::vector<std::string>{"0"}));
}

TEST_F(HostileFile, AScriptCannotWriteTheSchemaTable) {
    const std::string path = MakeDatabase("schema.mdb", "CREATE TABLE T (A LONG);\r\n");
    const auto before = Column(path, "SELECT sql FROM sqlite_master WHERE name = 'T'");
    Run("dbOpen " + path +
        ";\r\nPRAGMA writable_schema = ON;\r\n"
        "UPDATE sqlite_master SET sql = 'CREATE TABLE T (A, B)' WHERE name = 'T';\r\n");
    EXPECT_EQ(Column(path, "SELECT sql FROM sqlite_master WHERE name = 'T'"), before);
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_NE(ui.boxes.back().text.find("sqlite_master"), std::string::npos) << Boxes();
}

// The program's metadata tables, damaged by another tool, are damage of the database: the
// message names the database, not a field that the statement never named.
TEST_F(HostileFile, DamagedMetadataTablesAreReportedAsADamagedDatabase) {
    const std::string dropped = MakeDatabase("dropped.mdb", "CREATE TABLE T (Name TEXT(20));\r\n");
    RunWithSqlite(dropped, "ALTER TABLE MSysColumns DROP COLUMN Size;");
    const std::string viewed = MakeDatabase("viewed.mdb", "CREATE TABLE T (Name TEXT(20));\r\n");
    RunWithSqlite(viewed, "DROP TABLE MSysIndexes; CREATE VIEW MSysIndexes AS SELECT 1 AS X;");
    const std::pair<std::string, std::string> cases[] = {
        {dropped, "ALTER TABLE T ADD COLUMN Code TEXT(10)"},
        {viewed, "CREATE INDEX ByName ON T (Name)"}};
    for (const auto& [path, statement] : cases) {
        ui.boxes.clear();
        Run("dbOpen " + path + ";\r\n" + statement + ";\r\n");
        // Reading the structure when the file opens finds the damage first: the repair is
        // offered, and every box speaks of the damaged database, none of a field.
        ASSERT_FALSE(ui.boxes.empty()) << path;
        EXPECT_EQ(ui.boxes[0].style, 52) << Boxes();
        for (const ShownBox& box : ui.boxes) {
            EXPECT_NE(box.text.find("The database '" + path + "' is damaged"), std::string::npos)
                << Boxes();
            EXPECT_EQ(box.text.find("field"), std::string::npos) << Boxes();
        }
        EXPECT_EQ(ui.boxes.back().caption, "DBEngine error") << Boxes();
        EXPECT_EQ(ui.boxes.back().text.rfind("3049: ", 0), 0u) << Boxes();
        EXPECT_EQ(ui.boxes.back().style, 16) << Boxes();
    }
}

}  // namespace
}  // namespace tessel::test
