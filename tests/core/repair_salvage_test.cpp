// Repairing a file with an unreadable page in the middle of a table: the rows behind it are
// saved too, the status text counts what each table kept, and the repair of a file that is not
// the open database leaves the current one alone.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "core/maintenance/repair_db.h"
#include "core/session/current_database.h"
#include "open_session_fixture.h"
#include "platform_test_util.h"

namespace tessel::test::opening {
namespace {

namespace fs = std::filesystem;
using platform_tests::Query;
using platform_tests::Rows;
using platform_tests::RunAll;

// The leaf pages of a table, in file order, as SQLite's own page statistics list them.
std::vector<long> LeafPages(const std::string& path, const std::string& table) {
    sqlite3* db = nullptr;
    std::vector<long> pages;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT pageno FROM dbstat WHERE name = ?1 AND pagetype = 'leaf' "
                           "ORDER BY pageno",
                           -1, &statement, nullptr);
        sqlite3_bind_text(statement, 1, table.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(statement) == SQLITE_ROW)
            pages.push_back(sqlite3_column_int64(statement, 0));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return pages;
}

// Overwrites one page with bytes that no page type has.
void Destroy(const std::string& path, long page) {
    std::string bytes = ReadBytes(path);
    const std::size_t pageSize =
        (static_cast<unsigned char>(bytes[16]) << 8 | static_cast<unsigned char>(bytes[17]));
    ASSERT_LE(page * pageSize, bytes.size());
    for (std::size_t i = (page - 1) * pageSize; i < page * pageSize; ++i)
        bytes[i] = '\xEE';
    WriteBytes(path, bytes);
}

class RepairSalvageTest : public OpenSessionTest {
  protected:
    // Big: 4096 rows over many pages, with an index that still counts them all.
    std::string MakeBig(const std::string& name) {
        const std::string path = MakeDatabase(name);
        std::vector<std::string> statements = {
            "CREATE TABLE Big (ID LONG CONSTRAINT PK PRIMARY KEY, Label TEXT(200))",
            "CREATE TABLE Small (N LONG)", "INSERT INTO Small VALUES (1)",
            "INSERT INTO Big VALUES (1, '" + std::string(100, 'b') + "')"};
        for (int size = 1; size < 4096; size *= 2) {
            statements.push_back("INSERT INTO Big SELECT ID + " + std::to_string(size) +
                                 ", Label FROM Big");
        }
        statements.push_back("CREATE INDEX ByLabel ON Big (Label)");
        RunAll(session.engine, path, statements);
        return path;
    }
};

TEST_F(RepairSalvageTest, RowsBehindAnUnreadablePageAreSavedAndCounted) {
    const std::string path = MakeBig("shop.mdb");
    const std::vector<long> leaves = LeafPages(path, "Big");
    ASSERT_GT(leaves.size(), 20u);
    Destroy(path, leaves[leaves.size() / 3]);
    const std::string damaged = ReadBytes(path);

    RepairDB(session, path, true);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    db::Engine fresh;
    EXPECT_EQ(Query(fresh, path, "PRAGMA integrity_check"), (Rows{{"ok"}}));
    const long saved = std::stol(Query(fresh, path, "SELECT count(*) FROM Big")[0][0]);
    // One leaf of about a hundred rows is lost; the rows behind it, up to the last, are not.
    EXPECT_LT(saved, 4096);
    EXPECT_GT(saved, 3900);
    EXPECT_EQ(Query(fresh, path, "SELECT max(ID) FROM Big"), (Rows{{"4096"}}));
    EXPECT_EQ(Query(fresh, path, "SELECT N FROM Small"), (Rows{{"1"}}));
    EXPECT_EQ(ui.StatusText(), "shop.mdb repaired; 'Big': " + std::to_string(saved) +
                                   " of 4096 rows saved; 'Small': 1 of 1 row saved");
    // The damaged original is kept beside it.
    EXPECT_EQ(ReadBytes(path + ".bak"), damaged);
}

TEST_F(RepairSalvageTest, SeveralUnreadablePagesEachCostOnlyTheirOwnRows) {
    const std::string path = MakeBig("holes.mdb");
    const std::vector<long> leaves = LeafPages(path, "Big");
    ASSERT_GT(leaves.size(), 20u);
    Destroy(path, leaves.front());
    Destroy(path, leaves[leaves.size() / 2]);
    Destroy(path, leaves[leaves.size() / 2 + 1]);
    RepairDB(session, path, true);
    db::Engine fresh;
    const long saved = std::stol(Query(fresh, path, "SELECT count(*) FROM Big")[0][0]);
    EXPECT_GT(saved, 3700);
    EXPECT_LT(saved, 4096);
    EXPECT_EQ(Query(fresh, path, "SELECT max(ID) FROM Big"), (Rows{{"4096"}}));
    EXPECT_NE(ui.StatusText().find("'Big': " + std::to_string(saved) + " of 4096 rows saved"),
              std::string::npos)
        << ui.StatusText();
}

TEST_F(RepairSalvageTest, RepairingAnotherFileKeepsTheOpenDatabaseCurrent) {
    const std::string open = MakeDatabase("open.mdb");
    const std::string other = MakeBig("other.mdb");
    OpenDB(session, open, true);
    ASSERT_TRUE(session.state.current.databaseOpen) << Boxes();
    ui.fileAnswers = {other};
    RepairDB(session, "", false);
    EXPECT_EQ(session.state.current.currentDatabaseFileName, open);
    EXPECT_EQ(session.state.current.currentDatabase->Name(), open);
    EXPECT_EQ(ui.StatusText(), "other.mdb repaired");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
}

TEST_F(RepairSalvageTest, RepairingTheOpenDatabaseReloadsItsTree) {
    const std::string path = MakeBig("open.mdb");
    OpenDB(session, path, true);
    const int reloads = ui.treeReloads;
    Destroy(path, LeafPages(path, "Big")[3]);
    RepairDB(session, path, true);
    EXPECT_EQ(session.state.current.currentDatabaseFileName, path);
    EXPECT_EQ(ui.treeReloads, reloads + 1);
    EXPECT_NE(ui.StatusText().find("open.mdb repaired; 'Big': "), std::string::npos)
        << ui.StatusText() << Boxes();
}

// A repair killed at any moment leaves the file whole under its name or, between the moving
// aside of the damaged original and the repaired file taking its name, the original whole
// under its backup name.
TEST_F(RepairSalvageTest, AKilledRepairLeavesTheFileOrItsBackup) {
    const std::string path = MakeBig("killed.mdb");
    Destroy(path, LeafPages(path, "Big")[5]);
    const std::string damaged = ReadBytes(path);
    for (int delayMs : {0, 2, 5, 10, 20, 40, 80, 160}) {
        WriteBytes(path, damaged);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ScriptedUi childUi;
            Session childSession{childUi};
            RepairDB(childSession, path, true);
            _exit(0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        if (fs::exists(path)) {
            const std::string now = ReadBytes(path);
            if (now != damaged) {
                db::Engine fresh;
                EXPECT_EQ(Query(fresh, path, "PRAGMA integrity_check"), (Rows{{"ok"}})) << delayMs;
            }
        } else {
            bool kept = false;
            for (const auto& entry : fs::directory_iterator(dir.Path())) {
                const std::string name = entry.path().filename().string();
                kept = kept || (name.rfind("killed.mdb.bak", 0) == 0 &&
                                ReadBytes(entry.path().string()) == damaged);
            }
            EXPECT_TRUE(kept) << delayMs;
        }
        for (const auto& entry : fs::directory_iterator(dir.Path())) {
            if (entry.path().filename().string().rfind("killed.mdb.bak", 0) == 0)
                fs::remove(entry.path());
        }
    }
}

}  // namespace
}  // namespace tessel::test::opening
