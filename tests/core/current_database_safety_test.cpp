// The file that statements change is the file that was opened, whatever its name holds and
// wherever the working directory goes; a replaced database is kept; a transaction is never
// dropped without a word; only regular files are opened as databases.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "core/db/connection_text.h"
#include "core/session/connection_types.h"
#include "core/session/current_database.h"
#include "script_run_fixture.h"

namespace tessel::test {
namespace {

namespace fs = std::filesystem;

// Runs the test inside a directory, so that relative names resolve there; then goes back.
class WorkingDirectory {
  public:
    explicit WorkingDirectory(const fs::path& directory) : previous_(fs::current_path()) {
        fs::current_path(directory);
    }
    ~WorkingDirectory() { fs::current_path(previous_); }

  private:
    fs::path previous_;
};

using CurrentDatabaseSafety = ScriptRunTest;

TEST(ConnectTextValue, EveryNameParsesBackExactly) {
    for (const std::string name :
         {"shop.mdb", " lead.mdb", "shop.mdb ", "{x}.mdb", "a;b.mdb", "x}}y", "it's \"q\".mdb",
          "\ttab.mdb", "a=b.mdb", "", "}", "{"}) {
        const std::string text =
            "Provider=MSDASQL.1;Extended Properties=DSN=MS Access "
            "97 Database;DBQ=" +
            db::ConnectTextValue(name) + ";";
        EXPECT_EQ(db::ParseConnectionString(text).file, name) << text;
        EXPECT_EQ(db::ConnectValue("UID=u;PWD=" + db::ConnectTextValue(name) + ";", "PWD"), name);
    }
    // Ordinary names stay readable in messages.
    EXPECT_EQ(db::ConnectTextValue("/home/me/shop.mdb"), "/home/me/shop.mdb");
    EXPECT_EQ(db::ConnectTextValue("{x}.mdb"), "{{x}}.mdb}");
}

TEST_F(CurrentDatabaseSafety, StatementsChangeTheFileThatWasOpenedWhateverItsNameHolds) {
    const WorkingDirectory inside(dir.Path());
    Run("dbMake lead.mdb;\r\nCREATE TABLE Mine (ID LONG);\r\nINSERT INTO Mine VALUES (1);\r\n"
        "dbMake  lead.mdb;\r\nCREATE TABLE Mine (ID LONG);\r\nDELETE FROM Mine;\r\n"
        "dbMake {x}.mdb;\r\nCREATE TABLE Y (ID LONG);\r\n");
    EXPECT_EQ(Column(dir.File("lead.mdb"), "SELECT ID FROM Mine"), std::vector<std::string>{"1"});
    EXPECT_TRUE(fs::exists(dir.File(" lead.mdb")));
    EXPECT_EQ(Column(dir.File(" lead.mdb"), "SELECT count(*) FROM Mine"),
              std::vector<std::string>{"0"});
    EXPECT_EQ(Column(dir.File("{x}.mdb"), "SELECT count(*) FROM Y"), std::vector<std::string>{"0"});
    EXPECT_FALSE(fs::exists(dir.File("x")));
    EXPECT_EQ(Boxes(), "");
}

TEST_F(CurrentDatabaseSafety, AFailedOpenOfANameWithATrailingBlankChangesNoOtherFile) {
    const WorkingDirectory inside(dir.Path());
    Run("dbMake shop.mdb;\r\nCREATE TABLE T (ID LONG);\r\ndbOpen shop.mdb ;\r\n"
        "INSERT INTO T VALUES (5);\r\n");
    EXPECT_EQ(Column(dir.File("shop.mdb"), "SELECT count(*) FROM T"),
              std::vector<std::string>{"0"});
    EXPECT_NE(Boxes().find("shop.mdb ' does not exist"), std::string::npos) << Boxes();
}

TEST_F(CurrentDatabaseSafety, ARelativeNameStaysReachableAfterTheWorkingDirectoryChanges) {
    {
        const WorkingDirectory inside(dir.Path());
        Run("dbMake shop;\r\nCREATE TABLE T (ID LONG);\r\n");
    }
    EXPECT_EQ(session.state.current.currentDatabaseFileName, dir.File("shop.MDB"));
    fs::create_directory(dir.File("elsewhere"));
    const WorkingDirectory elsewhere(dir.File("elsewhere"));
    Run("INSERT INTO T VALUES (7);\r\n");
    EXPECT_EQ(Boxes(), "");
    EXPECT_EQ(Column(dir.File("shop.MDB"), "SELECT ID FROM T"), std::vector<std::string>{"7"});
}

TEST_F(CurrentDatabaseSafety, MakingADatabaseAgainNeverReplacesAnEarlierBackup) {
    const WorkingDirectory inside(dir.Path());
    Run("dbMake shop.mdb;\r\nCREATE TABLE First (ID LONG);\r\n");
    ::chmod(dir.File("shop.mdb").c_str(), 0600);
    Run("dbMake shop.mdb;\r\nCREATE TABLE Second (ID LONG);\r\n");
    Run("dbMake shop.mdb;\r\nCREATE TABLE Third (ID LONG);\r\n");
    EXPECT_EQ(Boxes(), "");
    EXPECT_EQ(Column(dir.File("shop.mdb.bak"), "SELECT count(*) FROM First"),
              std::vector<std::string>{"0"});
    EXPECT_EQ(Column(dir.File("shop.mdb.bak1"), "SELECT count(*) FROM Second"),
              std::vector<std::string>{"0"});
    EXPECT_EQ(Column(dir.File("shop.mdb"), "SELECT count(*) FROM Third"),
              std::vector<std::string>{"0"});
    // The private file's replacements stay private.
    struct stat info {};
    ASSERT_EQ(::stat(dir.File("shop.mdb").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(dir.File("shop.mdb.bak1").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(CurrentDatabaseSafety, AnOpenTransactionSurvivesOpeningManyDatabases) {
    const WorkingDirectory inside(dir.Path());
    std::string script =
        "dbMake t0;\r\nCREATE TABLE A (ID LONG);\r\nBEGIN TRANSACTION;\r\n"
        "INSERT INTO A VALUES (1);\r\n";
    for (int n = 1; n <= 8; ++n)
        script += "dbMake t" + std::to_string(n) + ";\r\n";
    script += "dbOpen t0.MDB;\r\nINSERT INTO A VALUES (2);\r\nCOMMIT;\r\n";
    Run(script);
    EXPECT_EQ(Boxes(), "");
    EXPECT_EQ(Column(dir.File("t0.MDB"), "SELECT ID FROM A ORDER BY ID"),
              (std::vector<std::string>{"1", "2"}));
}

TEST_F(CurrentDatabaseSafety, ARunThatEndsInATransactionSaysSoBeforeRollingItBack) {
    const WorkingDirectory inside(dir.Path());
    Run("dbMake t0;\r\nCREATE TABLE A (ID LONG);\r\nBEGIN TRANSACTION;\r\n"
        "INSERT INTO A VALUES (1);\r\n");
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].style & msgbox::kIconMask, msgbox::kCritical);
    EXPECT_NE(ui.boxes[0].text.find("transaction still open in '" + dir.File("t0.MDB") + "'"),
              std::string::npos)
        << ui.boxes[0].text;
    EXPECT_EQ(Column(dir.File("t0.MDB"), "SELECT count(*) FROM A"), std::vector<std::string>{"0"});
    // The next run starts without it: its statements are kept.
    Run("INSERT INTO A VALUES (2);\r\n");
    EXPECT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(Column(dir.File("t0.MDB"), "SELECT ID FROM A"), std::vector<std::string>{"2"});
}

TEST_F(CurrentDatabaseSafety, AMovedAsideDatabaseOpensAsItselfNotThroughAStaleHandle) {
    const WorkingDirectory inside(dir.Path());
    Run("dbMake x;\r\nCREATE TABLE A (ID LONG);\r\ndbMake x;\r\ndbOpen x.MDB.bak;\r\n"
        "INSERT INTO A VALUES (1);\r\n");
    EXPECT_EQ(Boxes(), "");
    EXPECT_EQ(Column(dir.File("x.MDB.bak"), "SELECT ID FROM A"), std::vector<std::string>{"1"});
}

TEST_F(CurrentDatabaseSafety, OnlyRegularFilesAreOpened) {
    const std::string pipe = dir.File("pipe.mdb");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string socketPath = dir.File("s.mdb");
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);

    OpenDB(session, pipe, true);
    OpenDB(session, "/dev/null", true);
    OpenDB(session, socketPath, true);
    ::close(listening);
    EXPECT_FALSE(session.state.current.databaseOpen);
    ASSERT_EQ(ui.boxes.size(), 3u) << Boxes();
    EXPECT_NE(ui.boxes[0].text.find("'" + pipe + "' is a named pipe, not a database file."),
              std::string::npos)
        << Boxes();
    EXPECT_NE(ui.boxes[1].text.find("'/dev/null' is a device, not a database file."),
              std::string::npos)
        << Boxes();
    EXPECT_NE(ui.boxes[2].text.find("'" + socketPath + "' is a socket, not a database file."),
              std::string::npos)
        << Boxes();
}

}  // namespace
}  // namespace tessel::test

namespace tessel::test {
namespace {

TEST_F(CurrentDatabaseSafety, APasswordHoldingASemicolonOrBlanksIsTakenWhole) {
    const std::string path = dir.File("locked.mdb");
    const std::string password = " a;b} ";
    session.engine.CreateDatabase(path, ";pwd=" + db::ConnectTextValue(password), 32);
    ui.passwordAnswers = {password};
    OpenDB(session, path, true);
    EXPECT_EQ(Boxes(), "");
    EXPECT_TRUE(session.state.current.databaseOpen);
    EXPECT_EQ(ui.passwordPrompts, 1);
}

}  // namespace
}  // namespace tessel::test
