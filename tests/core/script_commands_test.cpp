// Script > Execute and the script commands: dispatch by "db", the five command words, and the
// failures that end a run.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/session/shared_state.h"
#include "script_run_fixture.h"

namespace tessel::test {
namespace {

namespace fs = std::filesystem;

using ScriptCommands = ScriptRunTest;

TEST_F(ScriptCommands, DbConnectAccessSetsTypeIndexAndFileFormat) {
    session.state.current.databaseVersionOption = 0;
    Run("dbConnect Dbase;\r\ndbConnect Access;\r\n");
    EXPECT_EQ(session.state.current.connectionType, "Access");
    EXPECT_EQ(session.state.current.versionIndex, 3);
    EXPECT_EQ(session.state.current.databaseVersionOption, 32);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
}

TEST_F(ScriptCommands, CommandWordsInAnyCaseAreAlike) {
    Run("dbconnect Dbase;");
    EXPECT_EQ(session.state.current.connectionType, "Dbase 5.0;");
    Run("dbCONNECT FoxPro;");
    EXPECT_EQ(session.state.current.connectionType, "FoxPro 3.0;");
    EXPECT_EQ(session.state.current.versionIndex, 15);
    Run("dbConnect Access;\r\ndbVERSION 1.0;");
    EXPECT_EQ(session.state.current.versionIndex, 0);
    EXPECT_EQ(session.state.current.databaseVersionOption, 8);
}

TEST_F(ScriptCommands, ArgumentKeepsAFurtherBlank) {
    Run("dbConnect Dbase;\r\ndbConnect  Access;");
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].text, "Invalid Jet file connection - default to Access version 3");
    EXPECT_EQ(ui.boxes[0].caption, "Invalid Jet connection");
    EXPECT_EQ(ui.boxes[0].style, 48);
    EXPECT_EQ(session.state.current.connectionType, "Access");
}

TEST_F(ScriptCommands, CapitalsAndALeadingBlankGoToTheSqlPath) {
    Run("dbMake " + dir.File("caps") + ";\r\nDBCONNECT Dbase;\r\n dbConnect Dbase;\r\n");
    ASSERT_EQ(ui.boxes.size(), 2u) << Boxes();
    for (const auto& box : ui.boxes) {
        EXPECT_EQ(box.caption, "DBEngine error");
        EXPECT_EQ(box.style, 16);
    }
    EXPECT_EQ(session.state.current.connectionType, "Access");
}

TEST_F(ScriptCommands, DbCloseWithoutBlankEndsTheRunWithTheStandardBox) {
    const std::string base = dir.File("close");
    Run("dbMake " + base + ";\r\ndbClose;\r\nCREATE TABLE NeverMade (A LONG);\r\n");
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].text,
              "5: The script command \"dbClose\" has no blank after its command word; write it "
              "as \"dbClose ;\".");
    EXPECT_EQ(ui.boxes[0].style, 16);
    EXPECT_EQ(ui.boxes[0].caption, kErrorSource);
    // Neither the close nor anything after it ran.
    EXPECT_TRUE(session.state.current.databaseOpen);
    EXPECT_TRUE(
        Column(base + ".MDB", "SELECT name FROM sqlite_master WHERE name = 'NeverMade'").empty());
}

TEST_F(ScriptCommands, DbCloseWithABlankClosesAndIgnoresItsWord) {
    const std::string base = dir.File("close");
    Run("dbMake " + base + ";\r\ndbClose now;\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_FALSE(session.state.current.databaseOpen);
    EXPECT_FALSE(session.state.current.currentDatabase);
    EXPECT_EQ(session.state.current.currentDatabaseFileName, base + ".MDB");
    Run("dbOpen " + base + ".MDB;\r\ndbClose ;\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_FALSE(session.state.current.databaseOpen);
}

TEST_F(ScriptCommands, UnknownCommandWordDoesNothingAndTheScriptGoesOn) {
    Run("dbFoo with any argument;\r\ndbMake " + dir.File("after") + ";\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_TRUE(fs::exists(dir.File("after.MDB")));
}

TEST_F(ScriptCommands, DbMakeUnderAccessCreatesAndOpensTheFile) {
    const std::string base = dir.File("new/shop");
    Run("dbConnect Access;\r\ndbMake " + base + ";\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_TRUE(fs::exists(base + ".MDB"));
    ASSERT_TRUE(session.state.current.currentDatabase);
    EXPECT_EQ(session.state.current.currentDatabase->Name(), base + ".MDB");
    EXPECT_EQ(session.state.current.currentDatabase->Version(), "3.0");
}

TEST_F(ScriptCommands, DbVersionChoosesTheFormatOfTheNextDbMake) {
    Run("dbConnect Access;\r\ndbVersion 2.0;\r\ndbMake " + dir.File("old") + ";\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    ASSERT_TRUE(session.state.current.currentDatabase);
    EXPECT_EQ(session.state.current.currentDatabase->Version(), "2.0");
}

TEST_F(ScriptCommands, DbMakeUnderExcelIsRefusedAndTheScriptGoesOn) {
    const std::string before = dir.File("before");
    Run("dbMake " + before + ";\r\ndbConnect Excel;\r\ndbMake " + dir.File("book") +
        ";\r\ndbConnect Access;\r\nCREATE TABLE Later (A LONG);\r\n");
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].text, "Unable to make Excel files");
    EXPECT_EQ(ui.boxes[0].caption, "New file error");
    ASSERT_TRUE(session.state.current.currentDatabase);
    EXPECT_EQ(session.state.current.currentDatabase->Name(), before + ".MDB");
    EXPECT_EQ(Column(before + ".MDB", "SELECT name FROM sqlite_master WHERE name = 'Later'"),
              std::vector<std::string>{"Later"});
}

TEST_F(ScriptCommands, DbOpenOpensTheNamedFileWithBlanksInItsName) {
    const std::string path = dir.File("with blank.mdb");
    session.engine.CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0", 32);
    Run("dbOpen " + path + ";\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    ASSERT_TRUE(session.state.current.currentDatabase);
    EXPECT_EQ(session.state.current.currentDatabase->Name(), path);
    EXPECT_GT(ui.treeReloads, 0);
}

TEST_F(ScriptCommands, ScriptWithoutSemicolonRunsNothingAndShowsTheInvalidArgumentBox) {
    Run("dbMake " + dir.File("never"));
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].text.rfind("5: The statement on line 1 does not end with \";\"", 0), 0u);
    EXPECT_FALSE(fs::exists(dir.File("never.MDB")));
}

TEST_F(ScriptCommands, CommentAfterTheLastSemicolonWithoutLineBreakRunsThenFails) {
    Run("dbMake " + dir.File("first") + "; // no line break follows");
    EXPECT_TRUE(fs::exists(dir.File("first.MDB")));
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].text,
              "5: The statement on line 1 does not end with \";\":  // no line break follows");
}

TEST_F(ScriptCommands, EmptyEditorDoesNothing) {
    session.state.recordsets.recordsetCount = 5;
    ui.viewVisible = true;
    Run("");
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(session.state.recordsets.recordsetCount, 5);
    EXPECT_TRUE(ui.viewVisible);
}

TEST_F(ScriptCommands, BlanksCommentsAndLineBreaksRunNothingAndShowNothing) {
    session.state.recordsets.recordsetCount = 5;
    ui.viewVisible = true;
    Run("   \r\n// only a comment\r\n\r\n  ");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(session.state.recordsets.recordsetCount, 0);
    EXPECT_FALSE(ui.viewVisible) << "the view grid is hidden when a run starts";
}

// Mended: a script of any length runs.
TEST_F(ScriptCommands, ScriptLongerThan32767CharactersRuns) {
    const std::string base = dir.File("long");
    std::string script = "dbMake " + base + ";\r\nCREATE TABLE T (N LONG, Note MEMO);\r\n";
    const std::string note = "a note; with // inside" + std::string(1000, '.');
    for (int i = 0; i < 40; ++i) {
        script += "INSERT INTO T VALUES (" + std::to_string(i) + ", '" + note + "');\r\n";
    }
    ASSERT_GT(script.size(), 32767u);
    Run(script);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(Column(base + ".MDB", "SELECT count(*) FROM T"), std::vector<std::string>{"40"});
    EXPECT_EQ(Column(base + ".MDB", "SELECT Note FROM T WHERE N = 39"),
              std::vector<std::string>{note});
}

}  // namespace
}  // namespace tessel::test
