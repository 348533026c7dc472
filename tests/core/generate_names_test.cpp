// Names the generator cannot write so that the script reads back as the statements it meant:
// refused with an error naming the object or file and the cause, and no script written.
#include <gtest/gtest.h>

#include "cli/commands.h"
#include "core/db/errors.h"
#include "core/generate/ansi_export.h"
#include "core/generate/schema_script.h"
#include "core/generate/written_names.h"
#include "core/script/script_runner.h"
#include "core/session/shared_state.h"
#include "open_session_fixture.h"
#include "schema_fixture.h"

namespace tessel {
namespace {

// A name that, written as it is, closes its brackets and runs three statements of its own.
const std::string kInjectedName = "a];dbOpen other.mdb;DELETE FROM Precious;CREATE TABLE [z";

class GenerateNames : public test::SchemaTest {
  protected:
    // Generates into the editor, which held "kept" before; the one box's text, or "".
    std::string GenerateRefused() {
        ui.editorText = "kept";
        GenerateSQL(session);
        EXPECT_EQ(ui.editorText, "kept");
        EXPECT_EQ(ui.editorAssignments, 0);
        EXPECT_EQ(ui.boxes.size(), 1u) << ui.BoxLog();
        if (ui.boxes.empty())
            return "";
        EXPECT_EQ(ui.boxes[0].style & msgbox::kCritical, msgbox::kCritical);
        return ui.boxes[0].text;
    }

    struct ConsoleRun {
        int status = -1;
        std::string out;
        std::string err;
    };
    ConsoleRun Generate(const std::string& path) {
        test::opening::ScopedEnv home("TESSEL_HOME", dir.File("home"));
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        ConsoleRun run;
        run.status = cli::GenerateCommand({path});
        run.out = ::testing::internal::GetCapturedStdout();
        run.err = ::testing::internal::GetCapturedStderr();
        return run;
    }
};

TEST_F(GenerateNames, InjectedTableNameIsRefusedAndNoScriptIsWritten) {
    const std::string path = MakeDatabase("stored.mdb", {"CREATE TABLE Fine (ID LONG)"});
    RawSql(path, "CREATE TABLE \"" + kInjectedName + "\" (ID INTEGER)");
    OpenAsCurrent(path);
    const std::string text = GenerateRefused();
    EXPECT_NE(text.find("the name of the table '" + kInjectedName + "'"), std::string::npos)
        << text;
    EXPECT_NE(text.find("holds \"]\""), std::string::npos) << text;
}

TEST_F(GenerateNames, ConsoleGenerateRefusesTheInjectedNameWithStatusOne) {
    const std::string path = MakeDatabase("console.mdb", {"CREATE TABLE Fine (ID LONG)"});
    RawSql(path, "CREATE TABLE \"" + kInjectedName + "\" (ID INTEGER)");
    const ConsoleRun run = Generate(path);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(kInjectedName), std::string::npos) << run.err;
}

TEST_F(GenerateNames, FieldAndIndexNamesAreCheckedLikeTableNames) {
    const std::string path = MakeDatabase("fields.mdb", {});
    RawSql(path, "CREATE TABLE T (\"x]; DROP TABLE T; //\" INTEGER)");
    OpenAsCurrent(path);
    EXPECT_NE(GenerateRefused().find("the name of the field 'x]; DROP TABLE T; //' of the "
                                     "table 'T'"),
              std::string::npos);

    const std::string other = MakeDatabase("index.mdb", {"CREATE TABLE T (A LONG)"});
    RawSql(other, "CREATE INDEX \"i];DELETE FROM T;CREATE INDEX [j\" ON T(A)");
    ui.boxes.clear();
    OpenAsCurrent(other);
    EXPECT_NE(GenerateRefused().find("the name of the index 'i];DELETE FROM T;CREATE INDEX [j' "
                                     "on the table 'T'"),
              std::string::npos);
}

TEST_F(GenerateNames, ControlCharactersInNamesAreRefused) {
    const std::string path = MakeDatabase("control.mdb", {});
    RawSql(path, "CREATE TABLE \"two\nlines\" (ID INTEGER)");
    OpenAsCurrent(path);
    EXPECT_NE(GenerateRefused().find("holds a line break"), std::string::npos);

    const std::string other = MakeDatabase("bell.mdb", {});
    RawSql(other, "CREATE TABLE \"be\x07ll\" (ID INTEGER)");
    ui.boxes.clear();
    OpenAsCurrent(other);
    EXPECT_NE(GenerateRefused().find("holds a control character"), std::string::npos);
}

TEST_F(GenerateNames, DatabaseFileNameHoldingASemicolonIsRefused) {
    const std::string name = "x.mdb;dbOpen other.mdb;DELETE FROM Precious;y.mdb";
    // Made and filled past the connection text, whose ";" would cut the name.
    const std::string path = dir.File(name);
    session.engine.CreateDatabase(path, "", 32);
    RawSql(path, "CREATE TABLE Fine (ID INTEGER)");
    OpenAsCurrent(path);
    const std::string text = GenerateRefused();
    EXPECT_NE(text.find("the name of the database file '" + path + "'"), std::string::npos) << text;
    EXPECT_NE(text.find("holds \";\""), std::string::npos) << text;

    const ConsoleRun run = Generate(path);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
}

TEST_F(GenerateNames, StoredVersionHoldingStatementsIsRefused) {
    const std::string path = MakeDatabase("version.mdb", {"CREATE TABLE Fine (ID LONG)"});
    RawSql(path,
           "UPDATE MSysProperties SET Value = '3.0;dbOpen other.mdb;DELETE FROM Precious' "
           "WHERE PropertyName = 'Version'");
    OpenAsCurrent(path);
    const std::string text = GenerateRefused();
    EXPECT_NE(text.find("the version '3.0;dbOpen other.mdb;DELETE FROM Precious'"),
              std::string::npos)
        << text;
}

// Only what would read back differently is refused: in brackets a ";" or "//" is a part of the
// name, and the script splits back into the statements the generator meant.
TEST_F(GenerateNames, NamesThatReadBackAsWrittenAreKept) {
    const std::string path = MakeDatabase("kept.mdb", {});
    RawSql(path,
           "CREATE TABLE \"a;b // c\" (\"Ship Date\" INTEGER, \"Gr\xC3\xB6\xC3\x9F"
           "e\" "
           "INTEGER, \"a+b\" INTEGER, \"x.y\" INTEGER);"
           "CREATE INDEX \"By a+b\" ON \"a;b // c\" (\"a+b\" DESC, \"Ship Date\")");
    OpenAsCurrent(path);
    GenerateSQL(session);
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
    std::vector<std::string> sql;
    for (const auto& statement : SplitScript(ui.editorText)) {
        if (!statement.isCommand)
            sql.push_back(statement.text);
    }
    ASSERT_EQ(sql.size(), 2u) << ui.editorText;
    EXPECT_EQ(sql[0],
              "CREATE TABLE [a;b // c] ([Ship Date] LONG, Gr\xC3\xB6\xC3\x9F"
              "e LONG, [a+b] "
              "LONG, [x.y] LONG)");
    EXPECT_EQ(sql[1], "CREATE INDEX [By a+b] ON [a;b // c](-[a+b],[Ship Date])");
}

TEST_F(GenerateNames, IndexOverAFieldHoldingASemicolonIsRefused) {
    const std::string path = MakeDatabase("semi.mdb", {});
    RawSql(path,
           "CREATE TABLE T (\"a;b\" INTEGER, a INTEGER, b INTEGER);"
           "CREATE INDEX Both ON T(\"a;b\")");
    OpenAsCurrent(path);
    const std::string text = GenerateRefused();
    EXPECT_NE(text.find("the field 'a;b' holds \";\""), std::string::npos) << text;
}

TEST(StatementLineTest, CommandsMustSplitBackIntoThemselves) {
    EXPECT_EQ(StatementLine("dbMake /tmp/shop.mdb", true, "f", db::err::kBadPath),
              "dbMake /tmp/shop.mdb;");
    // The command takes its argument as it stands: blanks and brackets are kept.
    EXPECT_EQ(StatementLine("dbMake  /tmp/a [b] .mdb ", true, "f", db::err::kBadPath),
              "dbMake  /tmp/a [b] .mdb ;");
    const std::vector<std::string> refused = {"dbMake /tmp//shop.mdb", "dbMake /tmp/a\r\nb.mdb",
                                              "dbMake /tmp/a;b.mdb",
                                              std::string("dbMake /tmp/a\0b", 15)};
    for (const auto& bad : refused) {
        try {
            StatementLine(bad, true, "the name of the database file 'F'", db::err::kBadPath);
            ADD_FAILURE() << bad;
        } catch (const db::EngineError& error) {
            EXPECT_EQ(error.Number(), db::err::kBadPath);
            EXPECT_NE(error.Description().find("the name of the database file 'F' holds"),
                      std::string::npos)
                << error.Description();
        }
    }
}

// The export writes one statement a line: a line break kept inside quotes would make the rest
// of the statement a statement of its own.
TEST(AnsiExportLines, StatementHoldingALineBreakIsRefused) {
    TypeLists types;
    FillTypeLists(types);
    const std::string script =
        "INSERT INTO Notes VALUES ('a\r\nDELETE FROM Precious');\r\nSELECT 1;\r\n";
    try {
        AnsiScript(script, types);
        ADD_FAILURE() << "the statement was exported";
    } catch (const db::EngineError& error) {
        EXPECT_EQ(error.Number(), db::err::kInvalidArgument);
        EXPECT_NE(error.Description().find("INSERT INTO Notes VALUES ('a\" holds a line break"),
                  std::string::npos)
            << error.Description();
    }
    EXPECT_EQ(AnsiScript("INSERT INTO Notes VALUES ('a;b');\r\n", types),
              "INSERT INTO Notes VALUES ('a;b')\r\n");

    test::TempDir dir;
    test::WriteBytes(dir.File("s.sqv"), script);
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int status = cli::ExportCommand({dir.File("s.sqv")});
    const std::string out = ::testing::internal::GetCapturedStdout();
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out.find("DELETE FROM Precious"), std::string::npos) << out;
}

}  // namespace
}  // namespace tessel
