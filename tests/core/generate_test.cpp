// The schema script generator: Script > Generate, GenerateSQL, FieldType and idxFields.
#include "core/generate/schema_script.h"

#include <gtest/gtest.h>

#include "cli/commands.h"
#include "core/db/engine.h"
#include "core/generate/ansi_export.h"
#include "core/script/script_runner.h"
#include "open_session_fixture.h"
#include "schema_fixture.h"

namespace tessel {
namespace {

using Lines = std::vector<std::string>;

class GenerateTest : public test::SchemaTest {
  protected:
    // The nine lines of a database without user tables.
    Lines Frame(const std::string& path, const Lines& body = {}) const {
        Lines lines{"// ************************", "// Generated Quillet script",
                    "// ************************", "// ",
                    "dbConnect Access;",           "dbVersion 3.0;",
                    "dbMake " + path + ";",        "// "};
        lines.insert(lines.end(), body.begin(), body.end());
        lines.push_back("// end of script");
        return lines;
    }
};

TEST_F(GenerateTest, DatabaseWithoutUserTablesGivesNineLines) {
    const std::string path = MakeDatabase("empty.mdb", {});
    OpenAsCurrent(path);
    GenerateSQL(session);
    EXPECT_EQ(EditorLines(), Frame(path));
    EXPECT_EQ(ui.editorAssignments, 1);
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
}

TEST_F(GenerateTest, PrimaryKeyExample) {
    const std::string path = MakeDatabase("pk.mdb", {"CREATE TABLE T (ID LONG, Name TEXT (50))",
                                                     "CREATE INDEX PK ON T(ID) WITH PRIMARY"});
    OpenAsCurrent(path);
    GenerateSQL(session);
    EXPECT_EQ(EditorLines(), Frame(path, {"CREATE TABLE T (ID LONG, Name TEXT (50));",
                                          "CREATE INDEX PK ON T(ID) WITH PRIMARY;", "// "}));
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
}

TEST_F(GenerateTest, SystemTablesAreSkippedEntirely) {
    const std::string path = MakeDatabase("sys.mdb", {"CREATE TABLE A (ID COUNTER, N SHORT)"});
    OpenAsCurrent(path);
    // The engine keeps its own tables in the file; they must be there for the test to mean
    // something.
    bool sawSystemTable = false;
    for (const auto& table : session.state.current.currentDatabase->TableDefs()) {
        if (table.attributes & db::attr::kSystemObjectMask)
            sawSystemTable = true;
    }
    ASSERT_TRUE(sawSystemTable);
    GenerateSQL(session);
    // An auto-increment field is written with its plain type; code 3 is INTEGER.
    EXPECT_EQ(EditorLines(), Frame(path, {"CREATE TABLE A (ID LONG, N INTEGER);", "// "}));
}

TEST_F(GenerateTest, EveryTypeNameOfTheTable) {
    const std::string path = MakeDatabase(
        "types.mdb", {"CREATE TABLE T (a BIT, b BYTE, c SHORT, d LONG, e CURRENCY, f SINGLE, "
                      "g DOUBLE, h DATETIME, i BINARY, j TEXT (12), k LONGBINARY, l MEMO, m GUID, "
                      "n BIGINT, o VARBINARY, p CHAR, q NUMERIC, r DECIMAL, s FLOAT, t TIME, "
                      "u TIMESTAMP)"});
    OpenAsCurrent(path);
    GenerateSQL(session);
    EXPECT_EQ(EditorLines(),
              Frame(path, {"CREATE TABLE T (a BIT, b BYTE, c INTEGER, d LONG, e CURRENCY, "
                           "f SINGLE, g DOUBLE, h DATETIME, i BINARY, j TEXT (12), k LONGBINARY, "
                           "l MEMO, m GUID, n BIGINT, o VARBINARY, p CHAR, q NUMERIC, r DECIMAL, "
                           "s FLOAT, t TIME, u TIMESTAMP);",
                           "// "}));
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
}

TEST_F(GenerateTest, EveryIndexForm) {
    const std::string path = MakeDatabase(
        "indexes.mdb",
        {"CREATE TABLE P (ID LONG, A TEXT (10), B LONG, C DATETIME, D TEXT (5), E LONG)",
         "CREATE INDEX PrimaryKey ON P(ID) WITH PRIMARY",
         "CREATE UNIQUE INDEX UqIgnore ON P(A) WITH IGNORE NULL",
         "CREATE UNIQUE INDEX UqPlain ON P(B)",
         "CREATE INDEX Ignore ON P(C, D DESC) WITH IGNORE NULL", "CREATE INDEX Plain ON P(E)",
         "CREATE INDEX Required ON P(D) WITH DISALLOW NULL"});
    OpenAsCurrent(path);
    GenerateSQL(session);
    EXPECT_EQ(
        EditorLines(),
        Frame(path,
              {"CREATE TABLE P (ID LONG, A TEXT (10), B LONG, C DATETIME, D TEXT (5), "
               "E LONG);",
               "CREATE INDEX PrimaryKey ON P(ID) WITH PRIMARY;",
               "CREATE UNIQUE INDEX UqIgnore ON P(A);", "CREATE UNIQUE INDEX UqPlain ON P(B);",
               "CREATE INDEX Ignore ON P(C,-D) WITH IGNORE NULL;", "CREATE INDEX Plain ON P(E);",
               "CREATE INDEX Required ON P(D) WITH DISALLOW NULL;", "// "}));
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
}

TEST_F(GenerateTest, TheRebuiltDatabaseTakesTheNullsThatTheSourceTook) {
    const std::string path = MakeDatabase(
        "nulls.mdb",
        {"CREATE TABLE P (ID LONG, E LONG, R LONG)", "CREATE INDEX Plain ON P(E)",
         "CREATE INDEX Required ON P(R) WITH DISALLOW NULL", "INSERT INTO P VALUES (1, NULL, 1)"});
    OpenAsCurrent(path);
    GenerateSQL(session);
    ASSERT_TRUE(ui.boxes.empty()) << ui.BoxLog();
    // The script makes the database again in place (the source is kept as a backup).
    RunScript(session, ui.editorText);
    ASSERT_TRUE(ui.boxes.empty()) << ui.BoxLog();
    Run(path, {"INSERT INTO P VALUES (1, NULL, 1)"});
    EXPECT_THROW(Run(path, {"INSERT INTO P VALUES (2, 2, NULL)"}), db::EngineError);
    auto rows = session.engine.OpenConnection(ConnectionFor(path))
                    ->Execute("SELECT count(*) FROM P WHERE E IS NULL");
    ASSERT_TRUE(rows->Next());
    EXPECT_EQ(rows->Get(0).integer, 1);
}

TEST_F(GenerateTest, ForeignKeyIndexIsFramedByComments) {
    const std::string path = MakeDatabase(
        "fk.mdb", {"CREATE TABLE P (ID LONG CONSTRAINT PK PRIMARY KEY)",
                   "CREATE TABLE C (ID LONG, PID LONG, CONSTRAINT FK FOREIGN KEY (PID) "
                   "REFERENCES P (ID))"});
    OpenAsCurrent(path);
    const auto indexes = session.state.current.currentDatabase->Indexes("C");
    ASSERT_EQ(indexes.size(), 1u);
    ASSERT_TRUE(indexes[0].foreign);
    GenerateSQL(session);
    EXPECT_EQ(EditorLines(),
              Frame(path, {"CREATE TABLE P (ID LONG);", "CREATE INDEX PK ON P(ID) WITH PRIMARY;",
                           "// ", "CREATE TABLE C (ID LONG, PID LONG);", "// ",
                           "// foreign key: ", "CREATE INDEX FK ON C(PID);", "// ", "// "}));
}

TEST_F(GenerateTest, UnknownTypeCodeShowsTheMessageOncePerField) {
    const std::string path =
        MakeDatabase("odd.mdb", {"CREATE TABLE T (A LONG, B TEXT (5), C DOUBLE)"});
    RawSql(path,
           "UPDATE MSysColumns SET TypeCode = 13 WHERE ColumnName = 'A';"
           "UPDATE MSysColumns SET TypeCode = 99 WHERE ColumnName = 'C';");
    OpenAsCurrent(path);
    GenerateSQL(session);
    EXPECT_EQ(EditorLines(), Frame(path, {"CREATE TABLE T (A ** unidentified Jet field data type, "
                                          "B TEXT (5), C ** unidentified Jet field data type);",
                                          "// "}));
    ASSERT_EQ(ui.boxes.size(), 2u);
    for (const auto& box : ui.boxes) {
        EXPECT_EQ(box.text, "Unidentified Jet SQL data field type");
        EXPECT_EQ(box.style, 48);
        EXPECT_EQ(box.caption, "Jet SQL syntax error");
    }
    EXPECT_TRUE(ui.PointerIsDefault());
}

TEST_F(GenerateTest, ConnectTextWithoutBlankIsWrittenWholeWithItsSemicolon) {
    const std::string path = MakeDatabase("connect.mdb", {});
    OpenAsCurrent(path, ";LANGID=0x0409");
    GenerateSQL(session);
    ASSERT_GE(EditorLines().size(), 5u);
    EXPECT_EQ(EditorLines()[4], "dbConnect ;LANGID=0x0409;");
}

TEST_F(GenerateTest, PasswordIsLeftOutOfTheScriptAndItsExport) {
    const std::string path = dir.File("locked.mdb");
    session.engine.CreateDatabase(path, ";LANGID=0x0409;pwd=Open Sesame", 32);
    OpenAsCurrent(path, ";LANGID=0x0409;PWD=Open Sesame;cp=1252");
    GenerateSQL(session);
    ASSERT_GE(EditorLines().size(), 5u);
    EXPECT_EQ(EditorLines()[4], "dbConnect ;LANGID=0x0409;cp=1252;");
    // A text that held nothing but the password stands for the connection type.
    session.state.current.connectionType = "Access";
    OpenAsCurrent(path, ";pwd=Open Sesame");
    GenerateSQL(session);
    EXPECT_EQ(EditorLines()[4], "dbConnect Access;");
    // Cut at the ";" of the connect text, a password part would become a statement of its own
    // that the export keeps.
    EXPECT_TRUE(ConvertSQL(session));
    for (const std::string& text : {ui.editorText, session.state.ansiExport.exportText}) {
        EXPECT_EQ(text.find("Open"), std::string::npos) << text;
        EXPECT_EQ(text.find("pwd"), std::string::npos) << text;
    }
}

TEST_F(GenerateTest, ConnectionTypeStandsInForAnEmptyConnectText) {
    const std::string path = MakeDatabase("type.mdb", {});
    OpenAsCurrent(path);
    session.state.current.connectionType = "Access";
    GenerateSQL(session);
    EXPECT_EQ(EditorLines()[4], "dbConnect Access;");
}

TEST_F(GenerateTest, ScriptCountsAsAChangedText) {
    const std::string path = MakeDatabase("changed.mdb", {});
    OpenAsCurrent(path);
    session.state.editor.scriptChanged = false;
    GenerateSQL(session);
    EXPECT_TRUE(session.state.editor.scriptChanged);
    ASSERT_GE(ui.pointers.size(), 2u);
    EXPECT_EQ(ui.pointers.front(), Pointer::Busy);
    EXPECT_EQ(ui.pointers.back(), Pointer::Default);
}

TEST_F(GenerateTest, EngineFailureKeepsTheEditorAndShowsTheStandardBox) {
    const std::string path = MakeDatabase("closed.mdb", {"CREATE TABLE T (A LONG)"});
    OpenAsCurrent(path);
    session.state.current.currentDatabase->Close();
    ui.editorText = "previous";
    GenerateSQL(session);
    EXPECT_EQ(ui.editorText, "previous");
    EXPECT_EQ(ui.editorAssignments, 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].style, msgbox::kCritical);
    EXPECT_NE(ui.boxes[0].text.find(": "), std::string::npos);
    EXPECT_TRUE(ui.PointerIsDefault());
}

TEST_F(GenerateTest, NoCurrentDatabaseEndsWithTheStandardBox) {
    ui.editorText = "previous";
    GenerateSQL(session);
    EXPECT_EQ(ui.editorText, "previous");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text.substr(0, 4), "91: ");
    EXPECT_EQ(ui.boxes[0].style, msgbox::kCritical);
    EXPECT_EQ(ui.boxes[0].caption, kErrorSource);
}

TEST_F(GenerateTest, GenerateCommandOpensTheChosenFileAndLeavesAnUntitledScript) {
    const std::string path = MakeDatabase("chosen.mdb", {"CREATE TABLE T (A LONG)"});
    session.state.engineObjects.jetWorkspace =
        session.engine.CreateWorkspace("tessel", "admin", "");
    session.state.editor.currentScriptFileName = "template.sqv";
    ui.fileAnswers.push_back(path);
    ScriptGenerate(session);
    EXPECT_EQ(EditorLines(), Frame(path, {"CREATE TABLE T (A LONG);", "// "})) << ui.BoxLog();
    EXPECT_EQ(session.state.editor.currentScriptFileName, "");
}

TEST_F(GenerateTest, CancelledChoiceChangesNothing) {
    session.state.engineObjects.jetWorkspace =
        session.engine.CreateWorkspace("tessel", "admin", "");
    session.state.editor.currentScriptFileName = "mine.sqv";
    ui.editorText = "kept";
    ScriptGenerate(session);
    EXPECT_EQ(ui.editorText, "kept");
    EXPECT_EQ(session.state.editor.currentScriptFileName, "mine.sqv");
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
}

// The console program's generate command prints what Script > Generate writes.
TEST_F(GenerateTest, ConsoleCommandPrintsTheScript) {
    const std::string path = MakeDatabase(
        "cli.mdb", {"CREATE TABLE T (A LONG, B TEXT (7))", "CREATE INDEX PK ON T(A) WITH PRIMARY"});
    test::opening::ScopedEnv home("TESSEL_HOME", dir.File("home"));
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int status = cli::GenerateCommand({path});
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(err, "");
    ui.editorText = out;
    EXPECT_EQ(EditorLines(), Frame(path, {"CREATE TABLE T (A LONG, B TEXT (7));",
                                          "CREATE INDEX PK ON T(A) WITH PRIMARY;", "// "}));
}

TEST_F(GenerateTest, ConsoleCommandFailsForAMissingDatabase) {
    test::opening::ScopedEnv home("TESSEL_HOME", dir.File("home"));
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int status = cli::GenerateCommand({dir.File("missing.mdb")});
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find(dir.File("missing.mdb")), std::string::npos) << err;
    EXPECT_EQ(cli::GenerateCommand({}), 2);
}

TEST(FieldTypeTest, NamesOfTheCodes) {
    test::ScriptedUi ui;
    Session session(ui);
    const std::vector<std::pair<int, std::string>> expected{
        {1, "BIT"},         {2, "BYTE"},     {3, "INTEGER"},  {4, "LONG"},    {5, "CURRENCY"},
        {6, "SINGLE"},      {7, "DOUBLE"},   {8, "DATETIME"}, {9, "BINARY"},  {10, "TEXT"},
        {11, "LONGBINARY"}, {12, "MEMO"},    {15, "GUID"},    {16, "BIGINT"}, {17, "VARBINARY"},
        {18, "CHAR"},       {19, "NUMERIC"}, {20, "DECIMAL"}, {21, "FLOAT"},  {22, "TIME"},
        {23, "TIMESTAMP"}};
    for (const auto& [code, name] : expected)
        EXPECT_EQ(FieldType(session, code), name) << code;
    EXPECT_TRUE(ui.boxes.empty());
}

TEST(FieldTypeTest, UnknownCodesGiveTheMessageAndTheMarkerText) {
    test::ScriptedUi ui;
    Session session(ui);
    for (int code : {0, 13, 14, 24, -1, 32767}) {
        EXPECT_EQ(FieldType(session, code), "** unidentified Jet field data type");
    }
    EXPECT_EQ(ui.boxes.size(), 6u);
    EXPECT_EQ(ui.boxes[0].text, "Unidentified Jet SQL data field type");
    // The message is shown with the default pointer, then the hourglass comes back.
    ASSERT_EQ(ui.pointers.size(), 12u);
    EXPECT_EQ(ui.pointers[0], Pointer::Default);
    EXPECT_EQ(ui.pointers[1], Pointer::Busy);
}

TEST(IdxFieldsTest, AscendingMarksVanishAndDescendingStay) {
    EXPECT_EQ(idxFields("+CustomerID"), "CustomerID");
    EXPECT_EQ(idxFields("+Name;-Date"), "Name,-Date");
    EXPECT_EQ(idxFields("+A;-B"), "A,-B");
    EXPECT_EQ(idxFields(""), "");
    EXPECT_EQ(idxFields("+Größe;+Ä"), "Größe,Ä");
}

}  // namespace
}  // namespace tessel
