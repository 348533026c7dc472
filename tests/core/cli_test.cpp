// The console program: tessel-cli run prints captured rows, reports boxes on standard error,
// answers dialogs from its options, and exits 0, 1 or 2.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <chrono>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "core/db/engine.h"
#include "support/temp_dir.h"
#include "test_paths.h"

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

    // Runs tessel-cli with `arguments` in the work directory, with TESSEL_HOME and the
    // variables of `environment` set, and no terminal on standard input.
    CliResult Run(const std::string& arguments, const std::string& environment = "") {
        const std::string command = "cd '" + work + "' && unset TESSEL_PASSWORD; TESSEL_HOME='" +
                                    home + "' " + environment + " '" + TESSEL_CLI_PATH + "' " +
                                    arguments + " < /dev/null > '" + dir.File("out") + "' 2> '" +
                                    dir.File("err") + "'";
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

TEST_F(Cli, PasswordFileAnswersEveryPromptUntilItIsRefused) {
    db::Engine engine;
    engine.CreateDatabase(work + "/locked.mdb", ";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=secret", 32);
    WriteScript("locked.sqv",
                "dbOpen locked.mdb;\r\nCREATE TABLE T (A LONG);\r\nSELECT A FROM T;\r\n");
    // Only the first line counts, without its line break.
    WriteBytes(work + "/right.txt", "secret\r\nsecond line\n");
    WriteBytes(work + "/wrong.txt", "guess");
    // Once opened with its password, the statements and the reopen after each ask no more.
    const CliResult right = Run("run --password-file right.txt locked.sqv");
    EXPECT_EQ(right.status, 0) << right.err;
    EXPECT_EQ(right.err,
              "Password Required: (answered from --password-file)\n"
              "status: Opening Database " +
                  work + "/locked.mdb\n");
    const CliResult wrong = Run("run --password-file wrong.txt --no-rows locked.sqv");
    const std::string refused =
        "Password Required: (answered from --password-file)\n"
        "status: Opening Database " +
        work +
        "/locked.mdb\n"
        "Password Required: (cancelled: the password from --password-file was refused)\n";
    EXPECT_EQ(wrong.err.substr(0, refused.size()), refused);
    EXPECT_EQ(wrong.status, 1);
    const CliResult none = Run("run --no-rows locked.sqv");
    EXPECT_EQ(
        none.err.rfind(
            "Password Required: (cancelled: give --password-file FILE or TESSEL_PASSWORD)\n", 0),
        0u)
        << none.err;
    EXPECT_EQ(none.status, 1);
}

TEST_F(Cli, PasswordFromTheEnvironmentUnlessAFileGivesOne) {
    db::Engine engine;
    engine.CreateDatabase(work + "/locked.mdb", ";pwd=s3cret word", 32);
    WriteScript("locked.sqv", "dbOpen locked.mdb;\r\nSELECT 1 AS One;\r\n");
    const CliResult right = Run("run --no-rows locked.sqv", "TESSEL_PASSWORD='s3cret word'");
    EXPECT_EQ(right.status, 0) << right.err;
    EXPECT_EQ(right.err.rfind("Password Required: (answered from TESSEL_PASSWORD)\n", 0), 0u)
        << right.err;
    WriteBytes(work + "/pw", "s3cret word\n");
    const CliResult file =
        Run("run --no-rows --password-file pw locked.sqv", "TESSEL_PASSWORD=wrong");
    EXPECT_EQ(file.status, 0) << file.err;
    EXPECT_EQ(file.err.rfind("Password Required: (answered from --password-file)\n", 0), 0u)
        << file.err;
    // generate takes it the same way, and the script it prints holds no password.
    const CliResult generated = Run("generate locked.mdb", "TESSEL_PASSWORD='s3cret word'");
    EXPECT_EQ(generated.status, 0) << generated.err;
    EXPECT_NE(generated.out.find("dbMake "), std::string::npos) << generated.out;
    EXPECT_EQ(generated.out.find("s3cret"), std::string::npos) << generated.out;
}

TEST_F(Cli, PasswordIsNeverAnArgument) {
    for (const char* arguments : {"run --password secret x.sqv", "run --password=secret x.sqv",
                                  "generate --password secret x.mdb"}) {
        const CliResult result = Run(arguments);
        EXPECT_EQ(result.status, 2) << arguments;
        EXPECT_NE(result.err.find("--password is not accepted"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("--password-file FILE"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("TESSEL_PASSWORD"), std::string::npos) << result.err;
    }
    const CliResult missing = Run("run --password-file nowhere.txt x.sqv");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err.rfind("tessel-cli run: cannot read the password file nowhere.txt: No "
                                "such file or directory\n",
                                0),
              0u)
        << missing.err;
    const CliResult directory = Run("run --password-file . x.sqv");
    EXPECT_EQ(directory.status, 2);
    EXPECT_NE(directory.err.find("cannot read the password file .:"), std::string::npos)
        << directory.err;
}

// The console program on a terminal of its own (a pseudo-terminal), running locked.sqv over
// a database whose password is "typed secret".
class CliOnATerminal : public Cli {
  protected:
    void SetUp() override {
        Cli::SetUp();
        db::Engine engine;
        engine.CreateDatabase(work + "/locked.mdb", ";pwd=typed secret", 32);
        WriteScript("locked.sqv", "dbOpen locked.mdb;\r\nSELECT 1 AS One;\r\n");
        // The child only changes directory and runs the program: its environment is made here.
        std::vector<std::string> variables{"TESSEL_HOME=" + home};
        for (char** variable = environ; *variable != nullptr; ++variable) {
            const std::string text = *variable;
            if (text.rfind("TESSEL_", 0) != 0)
                variables.push_back(text);
        }
        std::vector<char*> environment;
        for (auto& variable : variables)
            environment.push_back(variable.data());
        environment.push_back(nullptr);
        const char* const arguments[] = {"tessel-cli", "run", "--no-rows", "locked.sqv", nullptr};
        child = forkpty(&terminal, nullptr, nullptr, nullptr);
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (chdir(work.c_str()) == 0)
                execve(TESSEL_CLI_PATH, const_cast<char* const*>(arguments), environment.data());
            _exit(127);
        }
    }

    // Everything the terminal shows, until `wanted` appears or the program ends.
    void ReadUntil(const std::string& wanted) {
        while (wanted.empty() || shown.find(wanted) == std::string::npos) {
            pollfd ready{terminal, POLLIN, 0};
            if (poll(&ready, 1, 60000) <= 0)
                return;
            char buffer[256];
            const ssize_t got = read(terminal, buffer, sizeof buffer);
            if (got <= 0)
                return;  // EIO once the program has ended
            shown.append(buffer, static_cast<std::size_t>(got));
        }
    }

    // Waits for the program to end; its status.
    int Ended() {
        ReadUntil("");
        int status = 0;
        waitpid(child, &status, 0);
        return status;
    }

    void TearDown() override {
        if (terminal >= 0)
            close(terminal);
        Cli::TearDown();
    }

    pid_t child = -1;
    int terminal = -1;
    std::string shown;
};

TEST_F(CliOnATerminal, PasswordIsAskedWithoutEcho) {
    ReadUntil("Password Required: ");
    ASSERT_NE(shown.find("Password Required: "), std::string::npos) << shown;
    const std::string typed = "typed secret\n";
    ASSERT_EQ(write(terminal, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    const int status = Ended();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << shown;
    EXPECT_EQ(shown.find("typed secret"), std::string::npos) << shown;
    EXPECT_NE(shown.find("status: Opening Database " + work + "/locked.mdb"), std::string::npos)
        << shown;
}

TEST_F(CliOnATerminal, CtrlCAtThePasswordPromptGivesTheTerminalItsEchoBack) {
    ReadUntil("Password Required: ");
    ASSERT_NE(shown.find("Password Required: "), std::string::npos) << shown;
    const char interrupt = '\x03';
    ASSERT_EQ(write(terminal, &interrupt, 1), 1);
    const int status = Ended();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << shown;
    termios after{};
    ASSERT_EQ(tcgetattr(terminal, &after), 0);
    EXPECT_NE(after.c_lflag & ECHO, 0u) << "the terminal was left without echo";
}

// Ctrl-C during a long statement: the statement is cancelled, the rest of the script does not
// run, what ran before stays, the recordset files go, and the exit status says so.
TEST_F(Cli, InterruptCancelsTheRunningStatementAndEndsTheRun) {
    WriteScript("long.sqv",
                "dbMake long.mdb;\r\n"
                "CREATE TABLE T (N LONG);\r\n"
                "INSERT INTO T VALUES (1);\r\n"
                "SELECT N FROM T;\r\n"
                "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                "WHERE x < 4000000000) SELECT count(*) AS Many FROM c;\r\n"
                "INSERT INTO T VALUES (2);\r\n");
    const auto started = std::chrono::steady_clock::now();
    const CliResult result = Run("run long.sqv", "timeout --preserve-status -s INT 5");
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(result.status, 130) << result.err;
    EXPECT_LT(took, std::chrono::seconds(20));
    EXPECT_NE(result.err.find("DBEngine error: 3059: Operation cancelled"), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("tessel-cli run: interrupted"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(home + "/recordset1.rst"));
    EXPECT_FALSE(fs::exists(home + "/recordset2.rst"));
    WriteScript("check.sqv", "dbOpen long.mdb;\r\nSELECT N FROM T ORDER BY N;\r\n");
    const CliResult check = Run("run check.sqv");
    EXPECT_EQ(check.status, 0) << check.err;
    EXPECT_EQ(check.out, "recordset1\nN\n-\n1\n(1 row)\n") << check.out;
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
         {"run SCRIPT.sqv", "generate DATABASE", "export SCRIPT.sqv", "--csv", "--password-file",
          "TESSEL_PASSWORD", "--yes", "--no", "--keep-recordsets", "TESSEL_HOME", "Exit status"}) {
        EXPECT_NE(result.out.find(text), std::string::npos) << text;
    }
    EXPECT_EQ(Run("run --help").status, 0);
}

}  // namespace
}  // namespace tessel::test
