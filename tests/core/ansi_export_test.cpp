// The ANSI export: conversion of the editor's script and Script > Export.
#include "core/generate/ansi_export.h"

#include <gtest/gtest.h>

#include "cli/commands.h"
#include "core/files/script_files.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tessel {
namespace {

class AnsiExportTest : public ::testing::Test {
  protected:
    AnsiExportTest() { FillTypeLists(session.state.types); }

    // What Script > Export would write, without the file: ConvertSQL over `script`.
    std::string Convert(const std::string& script) {
        ui.editorText = script;
        EXPECT_TRUE(ConvertSQL(session));
        return session.state.ansiExport.exportText;
    }

    std::string Rewrite(std::string text) { return ConvertSQLANSI(session, text); }

    test::ScriptedUi ui;
    Session session{ui};
};

TEST_F(AnsiExportTest, ScriptOfCommentsAndCommandsExportsEmpty) {
    EXPECT_EQ(Convert("// a comment\r\ndbConnect Access;\r\ndbVersion 3.0;\r\n// \r\n"
                      "dbMake /tmp/x.mdb;\r\n// end of script\r\n"),
              "");
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
}

TEST_F(AnsiExportTest, CommandIsDroppedAndStatementLinesAreJoined) {
    EXPECT_EQ(Convert("dbOpen C:\\x.mdb;\r\nSELECT a,\r\nb FROM t;"), "SELECT a,b FROM t\r\n");
}

TEST_F(AnsiExportTest, StatementWithoutFinalSemicolonEndsWithoutLineBreak) {
    EXPECT_EQ(Convert("SELECT 1;\r\nSELECT 2"), "SELECT 1\r\nSELECT 2");
    EXPECT_EQ(Convert("SELECT 1;\r\n// last words"), "SELECT 1\r\n// last words");
    EXPECT_EQ(Convert("SELECT 1;\r\ndbClose"), "SELECT 1\r\ndbClose");
}

TEST_F(AnsiExportTest, EmptyStatementsGiveEmptyLinesAndBlanksAtTheEndsGo) {
    EXPECT_EQ(Convert("  SELECT 1;;SELECT 2;  "), "SELECT 1\r\n\r\nSELECT 2\r\n");
}

TEST_F(AnsiExportTest, MemoColumnGoesWithTheCommaBeforeIt) {
    EXPECT_EQ(Convert("CREATE TABLE T (ID LONG, Name TEXT (50), Notes MEMO);"),
              "CREATE TABLE T (ID INTEGER, Name CHARACTER (50))\r\n");
}

TEST_F(AnsiExportTest, FirstColumnGoesWithTheCommaAfterIt) {
    EXPECT_EQ(Rewrite("CREATE TABLE T (ID COUNTER, Name TEXT (50))"),
              "CREATE TABLE T ( Name CHARACTER (50))");
}

TEST_F(AnsiExportTest, RemovingTheOnlyColumnKeepsTheClosingParenthesis) {
    EXPECT_EQ(Rewrite("CREATE TABLE T (N MEMO)"), "CREATE TABLE T ()");
    EXPECT_EQ(Rewrite("CREATE TABLE T (A TEXT (5), N MEMO )"), "CREATE TABLE T (A CHARACTER (5))");
}

TEST_F(AnsiExportTest, WholeDefinitionGoesWithItsConstraint) {
    EXPECT_EQ(Rewrite("CREATE TABLE T (ID COUNTER CONSTRAINT PK PRIMARY KEY, B TEXT (9))"),
              "CREATE TABLE T ( B CHARACTER (9))");
    EXPECT_EQ(Rewrite("CREATE TABLE T (A DECIMAL(10,2), B BIT NOT NULL)"),
              "CREATE TABLE T (A DECIMAL(10,2))");
}

TEST_F(AnsiExportTest, NamesThatContainTypeWordsStayAsTheyAre) {
    EXPECT_EQ(Rewrite("CREATE TABLE T (Longitude LONG, Textual TEXT (5), MyVarBinary VARBINARY)"),
              "CREATE TABLE T (Longitude INTEGER, Textual CHARACTER (5), MyVarBinary VARBINARY)");
}

TEST_F(AnsiExportTest, DbInsideAStatementDoesNotCutIt) {
    EXPECT_EQ(Convert("SELECT * FROM mydb;\r\nSELECT dbx FROM t;"),
              "SELECT * FROM mydb\r\nSELECT dbx FROM t\r\n");
}

TEST_F(AnsiExportTest, OnlyLowerCaseDbAtTheStartOfAStatementIsACommand) {
    EXPECT_EQ(Convert("DBOPEN x;SELECT 1;dbOpen y;"), "DBOPEN x\r\nSELECT 1\r\n");
}

TEST_F(AnsiExportTest, TypeNamesMapInListOrder) {
    EXPECT_EQ(Rewrite("CREATE TABLE T (A LONG, B INTEGER, C BINARY, D DATETIME, E DOUBLE, F FLOAT, "
                      "G SINGLE, H TEXT (1), I TIMESTAMP)"),
              "CREATE TABLE T (A INTEGER, B SMALLINT, C BIT, D DATE, E DOUBLE PRECISION, F FLOAT, "
              "G REAL, H CHARACTER (1), I TIMESTAMP)");
}

TEST_F(AnsiExportTest, UnmappedTypeNamesOnlyTurnUpperCase) {
    EXPECT_EQ(Rewrite("create table t (a bigint, b char, c decimal, d numeric, e short, "
                      "f longtext, g varbinary)"),
              "create table t (a BIGINT, b CHAR, c DECIMAL, d NUMERIC, e SHORT, f LONGTEXT, "
              "g VARBINARY)");
}

TEST_F(AnsiExportTest, MatchingIgnoresLetterCase) {
    EXPECT_EQ(Rewrite("create table t (id long, n memo, b Bit)"), "create table t (id INTEGER)");
}

TEST_F(AnsiExportTest, IndexClausesStay) {
    EXPECT_EQ(Convert("CREATE INDEX PK ON T(ID) WITH PRIMARY;\r\n"
                      "CREATE INDEX A ON T(X,-Y) WITH IGNORE NULL;\r\n"
                      "CREATE INDEX B ON T(Z) WITH DISALLOW NULL;\r\n"
                      "CREATE UNIQUE INDEX C ON T(W);"),
              "CREATE INDEX PK ON T(ID) WITH PRIMARY\r\n"
              "CREATE INDEX A ON T(X,-Y) WITH IGNORE NULL\r\n"
              "CREATE INDEX B ON T(Z) WITH DISALLOW NULL\r\n"
              "CREATE UNIQUE INDEX C ON T(W)\r\n");
}

TEST_F(AnsiExportTest, QuotedTextsAndNamesAreNotRewritten) {
    EXPECT_EQ(Convert("INSERT INTO T VALUES ('a long text; memo', [Text]);"),
              "INSERT INTO T VALUES ('a long text; memo', [Text])\r\n");
}

TEST_F(AnsiExportTest, AColumnNamedLikeATypeIsNotRemoved) {
    // Only the type position counts; the name itself is a type word and is rewritten as one.
    EXPECT_EQ(Rewrite("CREATE TABLE T (Memo TEXT (5))"), "CREATE TABLE T (MEMO CHARACTER (5))");
    EXPECT_EQ(Rewrite("CREATE INDEX X ON T(Bit,-Memo)"), "CREATE INDEX X ON T(BIT,-MEMO)");
}

TEST_F(AnsiExportTest, ATypeWordOutsideAColumnListStays) {
    EXPECT_EQ(Convert("ALTER TABLE T ADD COLUMN N MEMO;\r\nCREATE TABLE U (A BIT, B MEMO);"),
              "ALTER TABLE T ADD COLUMN N MEMO\r\nCREATE TABLE U ()\r\n");
}

TEST_F(AnsiExportTest, EqualPiecesGoEverywhereAtOnce) {
    EXPECT_EQ(
        Convert("CREATE TABLE A (ID LONG, Notes MEMO);\r\nCREATE TABLE B (ID LONG, notes memo);"),
        "CREATE TABLE A (ID INTEGER)\r\nCREATE TABLE B (ID INTEGER)\r\n");
}

TEST_F(AnsiExportTest, PassesEndAtTheFirstPassWithoutMemo) {
    // One pass takes the first BIT column; no MEMO is found in it, so no second pass starts.
    EXPECT_EQ(Rewrite("CREATE TABLE T (ID LONG, A BIT, B BIT)"),
              "CREATE TABLE T (ID INTEGER, B BIT)");
    // With a MEMO column a second pass runs and takes the second BIT column as well.
    EXPECT_EQ(Rewrite("CREATE TABLE T (ID LONG, A BIT, B BIT, N MEMO)"),
              "CREATE TABLE T (ID INTEGER)");
}

TEST_F(AnsiExportTest, EveryNoSizeTypeIsRemoved) {
    EXPECT_EQ(Rewrite("CREATE TABLE T (K LONG, A BIT, B BYTE, C LONGBINARY, D COUNTER, E CURRENCY, "
                      "F GUID, G MEMO, H MEMO)"),
              "CREATE TABLE T (K INTEGER)");
}

TEST_F(AnsiExportTest, MultiByteCharactersSurvive) {
    EXPECT_EQ(Convert("CREATE TABLE Größe (Straße TEXT (10), Ünïcödé MEMO, Zähler LONG);"),
              "CREATE TABLE Größe (Straße CHARACTER (10), Zähler INTEGER)\r\n");
}

TEST_F(AnsiExportTest, ScriptsLongerThan32767CharactersConvert) {
    std::string script;
    while (script.size() <= 40000)
        script += "SELECT a FROM t WHERE n = 1;\r\n";
    const std::string result = Convert(script);
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
    EXPECT_GT(result.size(), 32767u);
    EXPECT_EQ(result.substr(0, 32), "SELECT a FROM t WHERE n = 1\r\nSEL");
}

TEST_F(AnsiExportTest, ScriptEndingInsideQuotesIsReportedAndExportTextKept) {
    session.state.ansiExport.exportText = "earlier";
    ui.editorText = "SELECT 1;\r\nSELECT 'open;";
    EXPECT_FALSE(ConvertSQL(session));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].style, msgbox::kCritical);
    EXPECT_EQ(ui.boxes[0].text.substr(0, 3), "5: ");
    EXPECT_EQ(session.state.ansiExport.exportText, "earlier");
    EXPECT_TRUE(ui.PointerIsDefault());
}

TEST_F(AnsiExportTest, JetANSITypeKnowsTheNineNamesExactly) {
    EXPECT_EQ(JetANSIType(session, "LONG"), "INTEGER");
    EXPECT_EQ(JetANSIType(session, "TEXT"), "CHARACTER");
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(JetANSIType(session, "long"), "");
    EXPECT_EQ(JetANSIType(session, "MEMO"), "");
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text, "Unidentified Jet SQL data type");
    EXPECT_EQ(ui.boxes[0].style, 48);
    EXPECT_EQ(ui.boxes[0].caption, "Jet SQL syntax error");
    EXPECT_EQ(ui.pointers.back(), Pointer::Busy);
}

TEST_F(AnsiExportTest, ConvertSQLANSIRewritesInPlace) {
    std::string text = "CREATE TABLE T (A SINGLE)";
    const std::string result = ConvertSQLANSI(session, text);
    EXPECT_EQ(result, "CREATE TABLE T (A REAL)");
    EXPECT_EQ(text, result);
}

class ScriptExportTest : public AnsiExportTest {
  protected:
    ScriptExportTest() {
        session.state.app.appPath = home.Path().string();
        session.state.editor.currentScriptFileName = "mine.sqv";
        session.state.editor.scriptChanged = true;
        ui.editorText = "// x\r\ndbOpen /tmp/a.mdb;\r\nCREATE TABLE T (ID LONG, N MEMO);\r\n";
    }
    test::TempDir home;
};

TEST_F(ScriptExportTest, WritesTheConvertedScriptWhereTheDialogPoints) {
    const std::string target = home.File("out.sqv");
    ui.fileAnswers.push_back(target);
    ScriptExport(session);

    ASSERT_EQ(ui.statusTexts.size(), 2u);
    EXPECT_EQ(ui.statusTexts[0], "Converting Jet SQL to ANSI SQL...wait");
    EXPECT_EQ(ui.statusTexts[1], "");
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    const FileDialogRequest& request = ui.fileRequests[0];
    EXPECT_EQ(request.kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(request.title, "Export to universal ANSI SQL script file");
    EXPECT_EQ(request.flags, 6);
    EXPECT_EQ(request.filter, "SQL script files (*.sqv)|*.sqv|All Files (*.*)|*.*");
    EXPECT_EQ(request.fileName, "");
    EXPECT_EQ(request.initialDirectory, home.File("export"));

    EXPECT_EQ(test::ReadBytes(target), "CREATE TABLE T (ID INTEGER)\r\n\r\n");
    EXPECT_TRUE(session.state.ansiExport.exportMode);
    EXPECT_EQ(session.state.editor.currentScriptFileName, "mine.sqv");
    // The script itself was not saved: closing must still offer to save it.
    EXPECT_TRUE(session.state.editor.scriptChanged);
    EXPECT_EQ(ui.editorText.substr(0, 4), "// x");
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
}

TEST_F(ScriptExportTest, BareNameLandsInTheExportDirectoryWithTheDefaultExtension) {
    ui.fileAnswers.push_back("plain");
    ScriptExport(session);
    EXPECT_EQ(test::ReadBytes(home.File("export/plain.SQV")),
              "CREATE TABLE T (ID INTEGER)\r\n\r\n");
}

TEST_F(ScriptExportTest, CancelledDialogWritesNothing) {
    ScriptExport(session);
    EXPECT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_TRUE(session.state.ansiExport.exportMode);
    EXPECT_EQ(session.state.ansiExport.exportText, "CREATE TABLE T (ID INTEGER)\r\n");
    EXPECT_TRUE(std::filesystem::is_empty(home.File("export")));
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
}

TEST_F(ScriptExportTest, FailedConversionShowsNoDialog) {
    ui.editorText = "SELECT '";
    ScriptExport(session);
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(ui.fileRequests.empty());
    EXPECT_FALSE(session.state.ansiExport.exportMode);
}

struct ConsoleRun {
    int status = -1;
    std::string out;
    std::string err;
};

ConsoleRun RunExportCommand(const std::vector<std::string>& args) {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    ConsoleRun run;
    run.status = cli::ExportCommand(args);
    run.out = ::testing::internal::GetCapturedStdout();
    run.err = ::testing::internal::GetCapturedStderr();
    return run;
}

TEST(ExportCommandTest, PrintsOrWritesTheConversion) {
    test::TempDir dir;
    const std::string script = dir.File("s.sqv");
    test::WriteBytes(script, "dbOpen x.mdb;\r\nCREATE TABLE T (ID LONG, N MEMO);\r\nSELECT 1;\r\n");
    const std::string expected = "CREATE TABLE T (ID INTEGER)\r\nSELECT 1\r\n\r\n";

    const ConsoleRun printed = RunExportCommand({script});
    EXPECT_EQ(printed.status, 0) << printed.err;
    EXPECT_EQ(printed.out, expected);

    const ConsoleRun written = RunExportCommand({script, "-o", dir.File("ansi.sql")});
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.out, "");
    EXPECT_EQ(test::ReadBytes(dir.File("ansi.sql")), expected);
}

TEST(ExportCommandTest, FailuresGiveStatusOneAndUsageErrorsTwo) {
    test::TempDir dir;
    const ConsoleRun missing = RunExportCommand({dir.File("none.sqv")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, std::string("Ollam Quillet script editor: Can't open file: ") + dir.File("none.sqv") + "\n");

    test::WriteBytes(dir.File("s.sqv"), "SELECT 1;");
    const ConsoleRun unwritable =
        RunExportCommand({dir.File("s.sqv"), "-o", dir.File("no/dir/out.sql")});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("Cannot write"), std::string::npos) << unwritable.err;

    EXPECT_EQ(RunExportCommand({}).status, 2);
    EXPECT_EQ(RunExportCommand({"a.sqv", "-o"}).status, 2);
}

}  // namespace
}  // namespace tessel
