// The generator's and the ANSI export's operations: results from a database or a script text,
// failures thrown, nothing shown.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/db/engine.h"
#include "core/db/errors.h"
#include "core/generate/ansi_export.h"
#include "core/generate/schema_script.h"
#include "core/session/shared_state.h"
#include "support/temp_dir.h"

namespace tessel {
namespace {

// No session and no Ui: only the engine and a file in a temporary directory.
class GenerateOperations : public ::testing::Test {
  protected:
    std::unique_ptr<db::Database> MakeAndOpen(const std::string& name,
                                              const std::vector<std::string>& statements) {
        const std::string path = dir.File(name);
        engine.CreateDatabase(path, "", 32);
        auto connection = engine.OpenConnection(
            "Provider=MSDASQL.1;Extended Properties=DSN=MS Access 97 Database;DBQ=" + path + ";");
        for (const auto& statement : statements)
            connection->Execute(statement);
        connection.reset();
        return engine.OpenDatabase(path, false, false, "");
    }

    db::Engine engine;
    test::TempDir dir;
};

TEST_F(GenerateOperations, SchemaScriptReturnsTheScriptOfADatabase) {
    auto database = MakeAndOpen("shop.mdb", {"CREATE TABLE Items (ID LONG, Name TEXT (40))",
                                             "CREATE INDEX ByName ON Items(Name DESC)"});
    const std::string path = dir.File("shop.mdb");
    EXPECT_EQ(SchemaScript(*database, "Access"),
              "// ************************\r\n"
              "// Generated Quillet script\r\n"
              "// ************************\r\n"
              "// \r\n"
              "dbConnect Access;\r\n"
              "dbVersion 3.0;\r\n"
              "dbMake " +
                  path +
                  ";\r\n"
                  "// \r\n"
                  "CREATE TABLE Items (ID LONG, Name TEXT (40));\r\n"
                  "CREATE INDEX ByName ON Items(-Name);\r\n"
                  "// \r\n"
                  "// end of script\r\n");
}

TEST_F(GenerateOperations, DatabaseWithoutConnectTextIsWrittenWithTheGivenType) {
    auto database = MakeAndOpen("plain.mdb", {});
    const std::string script = SchemaScript(*database, "FoxPro 2.6;");
    EXPECT_NE(script.find("\r\ndbConnect FoxPro 2.6;;\r\n"), std::string::npos) << script;
}

TEST_F(GenerateOperations, ClosedDatabaseThrowsNamingItsFile) {
    auto database = MakeAndOpen("gone.mdb", {"CREATE TABLE T (A LONG)"});
    database->Close();
    try {
        SchemaScript(*database, "Access");
        FAIL() << "a closed database gave a script";
    } catch (const db::EngineError& error) {
        EXPECT_NE(error.Description().find(dir.File("gone.mdb")), std::string::npos)
            << error.Description();
    }
}

TEST_F(GenerateOperations, UnknownFieldTypeIsToldAndWrittenAsThePlaceholder) {
    std::vector<std::string> notices;
    const auto notice = [&](const std::string& message) { notices.push_back(message); };
    EXPECT_EQ(JetFieldTypeName(db::ftype::kLong, notice), "LONG");
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(JetFieldTypeName(9999, notice), kUnidentifiedFieldType);
    EXPECT_EQ(notices, std::vector<std::string>{"Unidentified Jet SQL data field type"});
    // Without a notice the placeholder is all there is.
    EXPECT_EQ(JetFieldTypeName(9999), kUnidentifiedFieldType);
}

class AnsiOperations : public ::testing::Test {
  protected:
    AnsiOperations() { FillTypeLists(types); }
    TypeLists types;
};

TEST_F(AnsiOperations, AnsiScriptReturnsTheConvertedStatements) {
    EXPECT_EQ(AnsiScript("dbConnect Access;\r\n// made by hand\r\n"
                         "CREATE TABLE T (ID LONG, Name TEXT (50), Notes MEMO);\r\n"
                         "SELECT Name\r\nFROM T;",
                         types),
              "CREATE TABLE T (ID INTEGER, Name CHARACTER (50))\r\nSELECT NameFROM T\r\n");
}

TEST_F(AnsiOperations, ScriptOfCommandsOnlyGivesNothing) {
    EXPECT_EQ(AnsiScript("dbMake x.mdb;\r\n// end of script\r\n", types), "");
}

TEST_F(AnsiOperations, TextEndingInsideQuotesThrows) {
    try {
        AnsiScript("SELECT 1;\r\nSELECT 'open;", types);
        FAIL() << "an open quote was converted";
    } catch (const db::EngineError& error) {
        EXPECT_EQ(error.Number(), db::err::kInvalidArgument);
    }
}

TEST_F(AnsiOperations, UnknownMappedNameIsToldAndRemoved) {
    std::vector<std::string> notices;
    types.ANSIMappedTypeList.push_back("WIDGET");
    const std::string result =
        AnsiStatements("CREATE TABLE T (A WIDGET, B LONG)", types,
                       [&](const std::string& message) { notices.push_back(message); });
    EXPECT_EQ(result, "CREATE TABLE T (A , B INTEGER)");
    EXPECT_EQ(notices, std::vector<std::string>{"Unidentified Jet SQL data type"});
}

}  // namespace
}  // namespace tessel
