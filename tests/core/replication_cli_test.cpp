// tessel-cli replicate and sync: a design master made and replicated from the command line,
// changes on both sides, an exchange each way, and the exit status of run.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "support/database_rows.h"
#include "support/temp_dir.h"
#include "test_paths.h"

namespace tessel::test {
namespace {

void Exec(const std::string& path, const std::string& sql) {
    ASSERT_EQ(ExecuteSql(path, sql), "") << sql;
}

class ReplicationCli : public ::testing::Test {
  protected:
    // Exit status of tessel-cli ARGUMENTS started in the temporary directory; standard error
    // goes to `err`.
    int Cli(const std::string& arguments) {
        const std::string command = "cd '" + dir.Path().string() +
                                    "' && unset TESSEL_PASSWORD; TESSEL_HOME='" + dir.File("home") +
                                    "' '" + TESSEL_CLI_PATH + "' " + arguments +
                                    " < /dev/null > /dev/null 2> '" + dir.File("stderr") + "'";
        const int raw = std::system(command.c_str());
        err = ReadBytes(dir.File("stderr"));
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    TempDir dir;
    std::string err;
};

TEST_F(ReplicationCli, ReplicateThenSyncEachWay) {
    const std::string master = dir.File("shop.mdb");
    const std::string replica = dir.File("branch.mdb");
    WriteBytes(dir.File("make.sqv"),
               "dbConnect Access;\r\ndbMake shop.mdb;\r\n"
               "CREATE TABLE Items (ID LONG, Name TEXT (20));\r\n"
               "CREATE TABLE Notes (ID LONG, Name TEXT (20));\r\n"
               "INSERT INTO Items VALUES (1, 'Spade');\r\n");
    ASSERT_EQ(Cli("run make.sqv"), 0) << err;

    ASSERT_EQ(Cli("replicate shop.mdb branch.mdb --keep-local Notes"), 0) << err;
    EXPECT_NE(err.find("status: Created Design Master database: " + master), std::string::npos)
        << err;
    EXPECT_NE(err.find("status: Created Design Master replica database: " + replica),
              std::string::npos)
        << err;
    EXPECT_EQ(FirstColumn(replica, "SELECT Name FROM Items"), std::vector<std::string>{"Spade"});
    EXPECT_TRUE(
        FirstColumn(replica, "SELECT name FROM sqlite_schema WHERE name = 'Notes'").empty());

    Exec(master, "INSERT INTO Items VALUES (2, 'Rake');");
    Exec(replica, "INSERT INTO Items VALUES (3, 'Hoe');");
    ASSERT_EQ(Cli("sync shop.mdb branch.mdb --direction send"), 0) << err;
    EXPECT_NE(err.find("status: Synchronised update changes from shop.mdb into branch.mdb"),
              std::string::npos)
        << err;
    EXPECT_EQ(FirstColumn(replica, "SELECT Name FROM Items ORDER BY ID"),
              (std::vector<std::string>{"Spade", "Rake", "Hoe"}));
    EXPECT_EQ(FirstColumn(master, "SELECT Name FROM Items ORDER BY ID"),
              (std::vector<std::string>{"Spade", "Rake"}));
    ASSERT_EQ(Cli("sync shop.mdb branch.mdb --direction receive"), 0) << err;
    EXPECT_EQ(FirstColumn(master, "SELECT Name FROM Items ORDER BY ID"),
              (std::vector<std::string>{"Spade", "Rake", "Hoe"}));
    ASSERT_EQ(Cli("sync branch.mdb shop.mdb"), 0) << err;
    EXPECT_NE(err.find("status: Synchronised updates exchanged between both branch.mdb and "
                       "shop.mdb"),
              std::string::npos)
        << err;
}

TEST_F(ReplicationCli, FailuresExitOneAndUsageErrorsTwo) {
    WriteBytes(dir.File("make.sqv"), "dbConnect Access;\r\ndbMake a.mdb;\r\ndbMake b.mdb;\r\n");
    ASSERT_EQ(Cli("run make.sqv"), 0) << err;
    EXPECT_EQ(Cli("sync a.mdb b.mdb"), 1);
    EXPECT_NE(err.find("DAO Error"), std::string::npos) << err;
    EXPECT_NE(err.find("status: Restored originals: a.mdb and b.mdb"), std::string::npos) << err;
    EXPECT_EQ(Cli("sync a.mdb b.mdb --direction sideways"), 2);
    EXPECT_EQ(Cli("replicate a.mdb"), 2);
    EXPECT_EQ(Cli("sync a.mdb b.mdb --bogus"), 2);
}

}  // namespace
}  // namespace tessel::test
