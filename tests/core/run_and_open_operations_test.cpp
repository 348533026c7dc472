// Running a given script text and opening the current database by name: the operations under
// Script > Execute and File > Open, without the editor and without dialogs.
#include <gtest/gtest.h>

#include <string>

#include "core/db/errors.h"
#include "core/script/script_runner.h"
#include "core/session/current_database.h"
#include "open_session_fixture.h"
#include "script_run_fixture.h"

namespace tessel::test {
namespace {

using RunScriptOperation = ScriptRunTest;

TEST_F(RunScriptOperation, RunsTheGivenTextWithoutTheEditor) {
    const std::string base = dir.File("run");
    RunScript(session, "dbMake " + base +
                           ";\r\nCREATE TABLE T (A LONG);\r\n"
                           "INSERT INTO Missing VALUES (1);\r\nINSERT INTO T VALUES (2);\r\n");
    // The failed statement has its own box and the script goes on.
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].caption, kDBEngineErrorCaption);
    EXPECT_EQ(Column(base + ".MDB", "SELECT A FROM T"), std::vector<std::string>{"2"});
    EXPECT_EQ(ui.editorText, "");
    EXPECT_EQ(ui.editorAssignments, 0);
}

TEST_F(RunScriptOperation, FailedCommandThrowsAfterTheStatementsBeforeIt) {
    const std::string base = dir.File("stop");
    try {
        RunScript(session, "dbMake " + base +
                               ";\r\nCREATE TABLE T (A LONG);\r\ndbClose;\r\n"
                               "CREATE TABLE NeverMade (A LONG);\r\n");
        FAIL() << "a command without its blank ran";
    } catch (const db::EngineError& error) {
        EXPECT_EQ(error.Number(), db::err::kInvalidArgument);
        EXPECT_NE(error.Description().find("dbClose"), std::string::npos) << error.Description();
    }
    // Shown by no one: the caller reports it.
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(Column(base + ".MDB",
                     "SELECT name FROM sqlite_master WHERE type = 'table' AND "
                     "name IN ('T', 'NeverMade')"),
              std::vector<std::string>{"T"});
}

using OpenCurrentOperation = opening::OpenSessionTest;

TEST_F(OpenCurrentOperation, OpensByNameAndMakesItCurrent) {
    const std::string path = MakeDatabase("one.mdb");
    OpenCurrentDatabase(session, path);
    EXPECT_TRUE(session.state.current.databaseOpen);
    ASSERT_NE(session.state.current.currentDatabase, nullptr);
    EXPECT_EQ(session.state.current.currentDatabase->Name(), path);
    EXPECT_EQ(session.state.current.currentDatabaseFileName, path);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(ui.fileRequests.size(), 0u);
}

TEST_F(OpenCurrentOperation, MissingFileThrowsAndLeavesNothingCurrent) {
    OpenCurrentDatabase(session, MakeDatabase("first.mdb"));
    const std::string missing = dir.File("missing.mdb");
    try {
        OpenCurrentDatabase(session, missing);
        FAIL() << "a missing file was opened";
    } catch (const db::EngineError& error) {
        EXPECT_NE(error.Description().find(missing), std::string::npos) << error.Description();
    }
    EXPECT_FALSE(session.state.current.databaseOpen);
    EXPECT_EQ(session.state.current.currentDatabase, nullptr);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
}

TEST_F(OpenCurrentOperation, PasswordIsNotAskedButTakenFromTheConnectText) {
    const std::string path = dir.File("locked.mdb");
    session.engine.CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=secret", 32);
    try {
        OpenCurrentDatabase(session, path);
        FAIL() << "a locked file was opened without its password";
    } catch (const db::EngineError& error) {
        EXPECT_EQ(error.Number(), db::err::kBadPassword);
    }
    EXPECT_EQ(ui.passwordPrompts, 0);
    OpenCurrentDatabase(session, path, ";pwd=secret");
    EXPECT_TRUE(session.state.current.databaseOpen);
    EXPECT_EQ(session.state.current.currentConnect, ";pwd=secret");
}

}  // namespace
}  // namespace tessel::test
