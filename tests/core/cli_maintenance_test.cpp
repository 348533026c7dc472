// tessel-cli compact and repair: the files they write, the status texts on standard error,
// passwords as `run` takes them, and the exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "core/db/engine.h"
#include "platform_test_util.h"
#include "support/temp_dir.h"
#include "test_paths.h"

namespace tessel::test {
namespace {

namespace fs = std::filesystem;
using platform_tests::ErrorNumber;
using platform_tests::Query;
using platform_tests::Rows;
using platform_tests::RunAll;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class CliMaintenance : public ::testing::Test {
  protected:
    // tessel-cli in the test directory, TESSEL_HOME inside it, nothing on standard input.
    Outcome Cli(const std::string& arguments, const std::string& environment = "") {
        const std::string command =
            "cd '" + dir.Path().string() + "' && unset TESSEL_PASSWORD; TESSEL_HOME='" +
            dir.File("home") + "' " + environment + " '" + TESSEL_CLI_PATH + "' " + arguments +
            " < /dev/null > '" + dir.File("out") + "' 2> '" + dir.File("err") + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(dir.File("out")),
                ReadBytes(dir.File("err"))};
    }
    std::string MakeShop(const std::string& name) {
        const std::string path = dir.File(name);
        engine.CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0", 32);
        RunAll(engine, path,
               {"CREATE TABLE Items (ID LONG, Name TEXT(50))",
                "INSERT INTO Items VALUES (1, 'Spade')", "INSERT INTO Items VALUES (2, 'Rake')"});
        return path;
    }
    TempDir dir;
    db::Engine engine;
};

TEST_F(CliMaintenance, CompactWritesTheCopyAndReportsOnStandardError) {
    MakeShop("shop.mdb");
    const Outcome outcome = Cli("compact shop.mdb copy.mdb --version 2.0");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find("status: Compacting shop.mdb into copy.mdb\n"), std::string::npos)
        << outcome.err;
    EXPECT_NE(outcome.err.find("status: Compacted: copy.mdb\n"), std::string::npos) << outcome.err;
    EXPECT_EQ(engine.OpenDatabase(dir.File("copy.mdb"), false, false, "")->Version(), "2.0");
    EXPECT_EQ(Query(engine, dir.File("copy.mdb"), "SELECT Name FROM Items ORDER BY ID"),
              (Rows{{"Spade"}, {"Rake"}}));
}

TEST_F(CliMaintenance, CompactIntoItselfLeavesNoTemporaryFile) {
    MakeShop("shop.mdb");
    const Outcome outcome = Cli("compact shop.mdb shop.mdb");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_FALSE(fs::exists(dir.File("shop.mdN")));
    EXPECT_EQ(Query(engine, dir.File("shop.mdb"), "SELECT count(*) FROM Items"), (Rows{{"2"}}));
}

TEST_F(CliMaintenance, EncryptTakesThePasswordFromTheFileAndDecryptRemovesIt) {
    MakeShop("shop.mdb");
    WriteBytes(dir.File("pw.txt"), "t0ps3cret\n");
    Outcome outcome = Cli("compact shop.mdb locked.mdb --encrypt --password-file pw.txt");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err.find("t0ps3cret"), std::string::npos);
    EXPECT_EQ(ErrorNumber([&] { engine.OpenDatabase(dir.File("locked.mdb"), false, false, ""); }),
              db::err::kBadPassword);
    EXPECT_EQ(
        engine.OpenDatabase(dir.File("locked.mdb"), false, false, ";pwd=t0ps3cret")->Version(),
        "3.0");

    // Without the password the protected source is not opened, and nothing is written.
    outcome = Cli("compact locked.mdb open.mdb --decrypt");
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_FALSE(fs::exists(dir.File("open.mdb")));

    outcome = Cli("compact locked.mdb open.mdb --decrypt", "TESSEL_PASSWORD=t0ps3cret");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(engine.OpenDatabase(dir.File("open.mdb"), false, false, "")->Version(), "3.0");
}

TEST_F(CliMaintenance, EncryptWithoutAPasswordWritesNothing) {
    MakeShop("shop.mdb");
    const Outcome outcome = Cli("compact shop.mdb locked.mdb --encrypt");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("--encrypt needs the new password"), std::string::npos)
        << outcome.err;
    EXPECT_FALSE(fs::exists(dir.File("locked.mdb")));
}

TEST_F(CliMaintenance, CompactConvertsAGenuineAccessFile) {
    const std::string source =
        std::string(TESSEL_TESTDATA_DIR) + "/jackcess/src/test/data/V1997/testV1997.mdb";
    const Outcome outcome = Cli("compact '" + source + "' converted.mdb");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(Query(engine, dir.File("converted.mdb"), "SELECT count(*) FROM Table1"),
              (Rows{{"2"}}));
}

TEST_F(CliMaintenance, AFailedCompactionExitsOneWithTheErrorBox) {
    const Outcome outcome = Cli("compact none.mdb copy.mdb");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("none.mdb"), std::string::npos) << outcome.err;
    EXPECT_FALSE(fs::exists(dir.File("copy.mdb")));
}

TEST_F(CliMaintenance, RepairReportsEachTableAndKeepsTheDamagedOriginal) {
    const std::string path = MakeShop("shop.mdb");
    // Stray bytes after the last page make the file damaged.
    WriteBytes(path, ReadBytes(path) + "stray");
    const Outcome outcome = Cli("repair shop.mdb");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.err.find("status: shop.mdb repaired; 'Items': 2 of 2 rows saved\n"),
              std::string::npos)
        << outcome.err;
    EXPECT_TRUE(fs::exists(path + ".bak"));
    EXPECT_EQ(Query(engine, path, "SELECT count(*) FROM Items"), (Rows{{"2"}}));
}

TEST_F(CliMaintenance, UsageErrorsExitTwo) {
    EXPECT_EQ(Cli("compact only.mdb").status, 2);
    EXPECT_EQ(Cli("compact a.mdb b.mdb --version 4.0").status, 2);
    EXPECT_EQ(Cli("compact a.mdb b.mdb --encrypt --decrypt").status, 2);
    EXPECT_EQ(Cli("repair").status, 2);
    EXPECT_EQ(Cli("repair a.mdb b.mdb").status, 2);
    const Outcome help = Cli("--help");
    EXPECT_NE(help.out.find("compact SRC DST"), std::string::npos);
    EXPECT_NE(help.out.find("repair FILE"), std::string::npos);
}

}  // namespace
}  // namespace tessel::test
