// The console program reaches data sources: generate --connect "ODBC;" DSN prints the data
// source's script, and a script run with dbConnect ODBC; and dbOpen DSN; prints its rows.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

#include "odbc_fixture.h"
#include "test_paths.h"

namespace tessel::test {
namespace {

class OdbcCli : public OdbcScriptTest {
  protected:
    void SetUp() override {
        OdbcScriptTest::SetUp();
        if (IsSkipped())
            return;
        file = PartsFile();
        std::string attributes = "Server=";
        attributes += '\0';
        attributes += "Description=";
        attributes += '\0';
        attributes += "Database=" + file;
        attributes += '\0';
        session.engine.RegisterDatabase("Shop", kSqliteDriver, true, attributes);
    }

    // Runs tessel-cli with the test's driver manager configuration; its exit status.
    int Cli(const std::string& arguments) {
        const std::string command = "HOME='" + odbc.Home() + "' TESSEL_HOME='" + dir.File("app") +
                                    "' '" + TESSEL_CLI_PATH + "' " + arguments + " </dev/null >'" +
                                    dir.File("out") + "' 2>'" + dir.File("err") + "'";
        const int raw = std::system(command.c_str());
        out = ReadBytes(dir.File("out"));
        err = ReadBytes(dir.File("err"));
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    std::string file;
    std::string out;
    std::string err;
};

TEST_F(OdbcCli, GenerateFromADataSource) {
    ASSERT_EQ(Cli("generate --connect 'ODBC;' Shop"), 0) << err;
    EXPECT_NE(out.find("CREATE TABLE Parts (Id LONG, Name TEXT (20))"), std::string::npos) << out;
    EXPECT_NE(err.find("status: User Data Source Name: Shop connected."), std::string::npos) << err;
}

TEST_F(OdbcCli, AnUnknownConnectionTypeTextIsAUsageError) {
    EXPECT_EQ(Cli("generate --connect 'Nothing;' Shop"), 2);
    EXPECT_NE(err.find("--connect takes a connection type text"), std::string::npos) << err;
}

TEST_F(OdbcCli, AScriptConnectsToADataSourceAndPrintsItsRows) {
    WriteBytes(dir.File("reach.sqv"),
               "dbConnect ODBC;\r\ndbOpen Shop;\r\nSELECT Name FROM Parts ORDER BY Id;\r\n");
    ASSERT_EQ(Cli("run '" + dir.File("reach.sqv") + "'"), 0) << err;
    EXPECT_NE(out.find("bolt"), std::string::npos) << out;
    EXPECT_NE(out.find("nut"), std::string::npos) << out;
}

}  // namespace
}  // namespace tessel::test
