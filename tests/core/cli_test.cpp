// The console program: tessel-cli run prints captured rows, reports boxes on standard error,
// answers dialogs from its options, and exits 0, 1 or 2.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "core/db/engine.h"
#include "support/temp_dir.h"

namespace tessel::test {
namespace {

namespace fs = std::filesystem;

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test {
  protected:
    Cli() {
        fs::create_directory(dir.File("work"));
        work = dir.File("work");
        home = dir.File("home");
    }

    void WriteScript(const std::string& name, const std::string& text) {
        WriteBytes(work + "/" + name, text);
    }

    // Runs tessel-cli with `arguments` in the work directory, with TESSEL_HOME set.
    CliResult Run(const std::string& arguments) {
        const std::string command = "cd '" + work + "' && TESSEL_HOME='" + home + "' '" +
                                    TESSEL_CLI_PATH + "' " + arguments + " > '" + dir.File("out") +
                                    "' 2> '" + dir.File("err") + "'";
        const int raw = std::system(command.c_str());
        CliResult result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = ReadBytes(dir.File("out"));
        result.err = ReadBytes(dir.File("err"));
        return result;
    }

    TempDir dir;
    std::string work;
    std::string home;
};

const char* kWholeScript =
    "// Make a database, create a table and indexes, insert, select, close.\r\n"
    "dbConnect Access;\r\n"
    "dbMake shop.mdb;\r\n"
    "CREATE TABLE Items (ID LONG NOT NULL, Name TEXT (50), Price DOUBLE);\r\n"
    "CREATE UNIQUE INDEX ItemKey ON Items (ID);\r\n"
    "CREATE INDEX ByName ON Items (Name);\r\n"
    "INSERT INTO Items VALUES (1, 'Spade', 12.5);\r\n"
    "INSERT INTO Items VALUES (2, 'Rake; long', 7.25);\r\n"
    "SELECT ID, Name, Price FROM Items ORDER BY ID;\r\n"
    "dbClose ;\r\n";

TEST_F(Cli, RunPrintsTheRowsAndExitsZero) {
    WriteScript("shop.sqv", kWholeScript);
    const CliResult result = Run("run shop.sqv");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "recordset1\n"
              "ID | Name       | Price\n"
              "---+------------+------\n"
              " 1 | Spade      |  12.5\n"
              " 2 | Rake; long |  7.25\n"
              "(2 rows)\n");
    // Relative names are meant from where the command started, not the application directory.
    EXPECT_TRUE(fs::exists(work + "/shop.mdb"));
    // The recordset files are deleted at exit, as when the program closes.
    EXPECT_FALSE(fs::exists(home + "/recordset1.rst"));
}

TEST_F(Cli, SyntaxErrorPrintsTheDBEngineErrorAndExitsOne) {
    WriteScript("bad.sqv",
                "dbMake bad.mdb;\r\nCREATE TABLE T (A LONG);\r\nSELEC A FROM T;\r\n"
                "INSERT INTO T VALUES (4);\r\nSELECT A FROM T;\r\n");
    const CliResult result = Run("run bad.sqv");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("DBEngine error: 3075: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find("SELEC"), std::string::npos) << result.err;
    // The script went on after the failing statement.
    EXPECT_EQ(result.out, "recordset1\nA\n-\n4\n(1 row)\n");
}

TEST_F(Cli, CsvPrintsEveryRecordsetAsCsv) {
    WriteScript("csv.sqv",
                "dbMake csv.mdb;\r\nCREATE TABLE P (Name TEXT (30), Qty LONG);\r\n"
                "INSERT INTO P VALUES ('with, comma', 2);\r\nINSERT INTO P VALUES (NULL, 3);\r\n"
                "SELECT Name, Qty FROM P;\r\nSELECT Sum(Qty) AS Total FROM P;\r\n");
    const CliResult result = Run("run --csv csv.sqv");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Name,Qty\r\n\"with, comma\",2\r\n,3\r\n\r\nTotal\r\n5\r\n");
}

TEST_F(Cli, KeepRecordsetsLeavesTheFilesAndNoRowsPrintsNothing) {
    WriteScript("keep.sqv", "dbMake keep.mdb;\r\nSELECT 1 AS One;\r\nSELECT 2 AS Two;\r\n");
    const CliResult result = Run("run --keep-recordsets --no-rows keep.sqv");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(fs::exists(home + "/recordset1.rst"));
    EXPECT_TRUE(fs::exists(home + "/recordset2.rst"));
}

TEST_F(Cli, QuestionsAreAnsweredFromTheOptions) {
    WriteBytes(work + "/junk.mdb", "not a database at all");
    WriteScript("junk.sqv", "dbOpen junk.mdb;\r\n");
    const CliResult no = Run("run --no junk.sqv");
    EXPECT_EQ(no.status, 0) << "a question is no error box";
    EXPECT_NE(no.err.find("\n\nAttempt to Repair it?\n(answered No)\n"), std::string::npos)
        << no.err;
    const CliResult unanswered = Run("run junk.sqv");
    EXPECT_NE(unanswered.err.find("(answered No)"), std::string::npos) << unanswered.err;
    const CliResult yes = Run("run --yes junk.sqv");
    EXPECT_NE(yes.err.find("(answered Yes)"), std::string::npos) << yes.err;
}

TEST_F(Cli, PasswordAnswersEveryPromptUntilItIsRefused) {
    db::Engine engine;
    engine.CreateDatabase(work + "/locked.mdb", ";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=secret", 32);
    WriteScript("locked.sqv",
                "dbOpen locked.mdb;\r\nCREATE TABLE T (A LONG);\r\nSELECT A FROM T;\r\n");
    // Once opened with its password, the statements and the reopen after each ask no more.
    const CliResult right = Run("run --password secret locked.sqv");
    EXPECT_EQ(right.status, 0) << right.err;
    EXPECT_EQ(right.err,
              "Password Required: (answered with --password)\n"
              "status: Opening Database " +
                  work + "/locked.mdb\n");
    const CliResult wrong = Run("run --password guess --no-rows locked.sqv");
    const std::string refused =
        "Password Required: (answered with --password)\n"
        "status: Opening Database " +
        work +
        "/locked.mdb\n"
        "Password Required: (cancelled: the password given was refused)\n";
    EXPECT_EQ(wrong.err.substr(0, refused.size()), refused);
    const CliResult none = Run("run --no-rows locked.sqv");
    EXPECT_EQ(none.err.rfind("Password Required: (cancelled: give --password)\n", 0), 0u)
        << none.err;
}

TEST_F(Cli, ScriptBytesThatAreNotUtf8ReadAsWindows1252) {
    WriteScript("latin.sqv", "dbMake latin.mdb;\r\nSELECT 'caf\xE9' AS Word;\r\n");
    const CliResult result = Run("run latin.sqv");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "recordset1\nWord\n----\ncaf\xC3\xA9\n(1 row)\n");
}

TEST_F(Cli, UsageErrorsExitTwo) {
    EXPECT_EQ(Run("").status, 2);
    EXPECT_EQ(Run("run").status, 2);
    EXPECT_EQ(Run("run --frobnicate x.sqv").status, 2);
    EXPECT_EQ(Run("run one.sqv two.sqv").status, 2);
    EXPECT_EQ(Run("launch x.sqv").status, 2);
    const CliResult missing = Run("run missing.sqv");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "tessel-cli run: cannot read missing.sqv: No such file or directory\n");
}

TEST_F(Cli, HelpDocumentsTheCommandsAndOptions) {
    const CliResult result = Run("--help");
    EXPECT_EQ(result.status, 0);
    for (const char* text :
         {"run SCRIPT.sqv", "generate DATABASE", "export SCRIPT.sqv", "--csv", "--password",
          "--yes", "--no", "--keep-recordsets", "TESSEL_HOME", "Exit status"}) {
        EXPECT_NE(result.out.find(text), std::string::npos) << text;
    }
    EXPECT_EQ(Run("run --help").status, 0);
}

}  // namespace
}  // namespace tessel::test
