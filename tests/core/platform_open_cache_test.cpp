// Opening a database again (as every statement does) reuses what the last open read, yet what
// another program changed in the file between two statements is seen at once: tables, stored
// properties such as the password and the version, the file itself replaced.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "core/db/engine.h"
#include "core/db/sha256.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

// Runs `sql` in a child process with SQLite alone, as another program would.
void RunInAnotherProcess(const std::string& file, const std::string& sql) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3* db = nullptr;
        int rc = sqlite3_open(file.c_str(), &db);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        ::_exit(rc == SQLITE_OK ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << sql;
}

class PlatformOpenCache : public ::testing::Test {
  protected:
    // Each statement through its own connection, then the database opened again: the path
    // every statement of a script takes.
    Rows Statement(const std::string& sql, const std::string& connect = "") {
        Rows rows;
        {
            auto connection = engine.OpenConnection(AccessConnection(file));
            auto cursor = connection->Execute(sql);
            rows = ReadRows(*cursor);
        }
        current = engine.OpenDatabase(file, false, false, connect);
        return rows;
    }

    TempDir dir;
    db::Engine engine;
    std::string file = NewDatabase(engine, dir);
    std::unique_ptr<db::Database> current = engine.OpenDatabase(file, false, false, "");
};

TEST_F(PlatformOpenCache, TablesMadeOrDroppedByAnotherProgramAreSeenByTheNextStatement) {
    Statement("CREATE TABLE Mine (A LONG)");
    Statement("INSERT INTO Mine VALUES (1)");
    EXPECT_EQ(UserTables(*current), (std::vector<std::string>{"Mine"}));

    RunInAnotherProcess(file,
                        "CREATE TABLE Theirs (B INTEGER); INSERT INTO Theirs VALUES (7), (8);");
    EXPECT_EQ(Statement("SELECT count(*) FROM Theirs"), (Rows{{"2"}}));
    EXPECT_EQ(UserTables(*current), (std::vector<std::string>{"Mine", "Theirs"}));
    EXPECT_EQ(current->Fields("Theirs").size(), 1u);

    RunInAnotherProcess(file, "ALTER TABLE Theirs ADD COLUMN C TEXT; DROP TABLE Mine;");
    EXPECT_EQ(current->Fields("Theirs").size(), 2u);
    EXPECT_EQ(UserTables(*current), (std::vector<std::string>{"Theirs"}));
    EXPECT_EQ(ErrorNumber([&] { Statement("SELECT * FROM Mine"); }), db::err::kTableNotFound);
}

TEST_F(PlatformOpenCache, RowsWrittenByAnotherProgramBetweenTwoStatementsAreRead) {
    Statement("CREATE TABLE T (A LONG)");
    EXPECT_EQ(Statement("SELECT count(*) FROM T"), (Rows{{"0"}}));
    RunInAnotherProcess(file, "INSERT INTO T VALUES (1), (2), (3);");
    EXPECT_EQ(Statement("SELECT count(*) FROM T"), (Rows{{"3"}}));
    // In write-ahead-log mode the header's counter stands still: nothing may be kept.
    RunInAnotherProcess(file, "PRAGMA journal_mode = WAL; INSERT INTO T VALUES (4);");
    EXPECT_EQ(Statement("SELECT count(*) FROM T"), (Rows{{"4"}}));
    RunInAnotherProcess(file, "CREATE TABLE U (B INTEGER); INSERT INTO T VALUES (5);");
    EXPECT_EQ(Statement("SELECT count(*) FROM T"), (Rows{{"5"}}));
    EXPECT_EQ(UserTables(*current), (std::vector<std::string>{"T", "U"}));
}

TEST_F(PlatformOpenCache, APasswordOrVersionSetByAnotherProgramCountsAtTheNextOpen) {
    Statement("CREATE TABLE T (A LONG)");
    EXPECT_EQ(current->Version(), "3.0");

    // Another program stores a version and a password digest (of the form older files keep),
    // between two statements of this one.
    const std::string salt = "00112233445566778899aabb";
    const std::string digest = salt + "$" + db::Sha256Hex(salt + "Open Sesame");
    RunInAnotherProcess(file,
                        "UPDATE MSysProperties SET Value = '2.0' WHERE ObjectKind = 'Database' "
                        "AND PropertyName = 'Version'; INSERT INTO MSysProperties (ObjectKind, "
                        "ObjectName, PropertyName, TypeCode, Value) VALUES ('Database', '', "
                        "'Password', 10, '" +
                            digest + "');");
    EXPECT_EQ(ErrorNumber([&] { Statement("SELECT count(*) FROM T"); }), db::err::kBadPassword);
    EXPECT_EQ(ErrorNumber([&] { engine.OpenDatabase(file, false, false, ";pwd=wrong"); }),
              db::err::kBadPassword);
    auto opened = engine.OpenDatabase(file, false, false, ";pwd=Open Sesame");
    EXPECT_EQ(opened->Version(), "2.0");
    EXPECT_EQ(Query(engine, file, "SELECT count(*) FROM T"), (Rows{{"0"}}));
}

TEST_F(PlatformOpenCache, PropertiesChangedByAStatementOrItsTriggerAreReadAgain) {
    EXPECT_EQ(current->Version(), "3.0");
    Statement("UPDATE MSysProperties SET Value = '2.0' WHERE PropertyName = 'Version'");
    EXPECT_EQ(current->Version(), "2.0");

    // A trigger's write names the properties table in no statement that this program runs.
    Statement("CREATE TABLE Log (V TEXT(10))");
    RunInAnotherProcess(file,
                        "CREATE TRIGGER Bump AFTER INSERT ON Log BEGIN UPDATE MSysProperties "
                        "SET Value = NEW.V WHERE PropertyName = 'Version'; END;");
    EXPECT_EQ(current->Version(), "2.0");
    Statement("INSERT INTO Log VALUES ('1.1')");
    EXPECT_EQ(current->Version(), "1.1");
}

TEST_F(PlatformOpenCache, AFileReplacedUnderItsNameIsTheOneOpenedNext) {
    Statement("CREATE TABLE Old (A LONG)");
    db::Engine other;
    const std::string replacement = NewDatabase(other, dir, "new.mdb");
    RunAll(other, replacement, {"CREATE TABLE Fresh (B LONG)", "INSERT INTO Fresh VALUES (5)"});
    std::filesystem::rename(replacement, file);

    EXPECT_EQ(Statement("SELECT B FROM Fresh"), (Rows{{"5"}}));
    EXPECT_EQ(UserTables(*current), (std::vector<std::string>{"Fresh"}));

    // Bytes of another kind written over the file in place: a clear refusal, not stale rows.
    const auto size = std::filesystem::file_size(file);
    std::FILE* stream = std::fopen(file.c_str(), "r+b");
    ASSERT_NE(stream, nullptr);
    const std::string junk(static_cast<std::size_t>(size), 'x');
    std::fwrite(junk.data(), 1, junk.size(), stream);
    std::fclose(stream);
    EXPECT_EQ(ErrorNumber([&] { Statement("SELECT B FROM Fresh"); }), db::err::kUnreadableDatabase);
}

}  // namespace
}  // namespace tessel::test::platform_tests
