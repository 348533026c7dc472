// Design masters, replicas and the exchange of row changes, at the engine: rows travel in the
// chosen direction, changes made by other programs are found, rows changed on both sides end
// the same in both files with the loser kept as a conflict, and an exchange killed at any
// moment leaves both files as they were or both exchanged.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/db/replication.h"
#include "platform_test_util.h"
#include "support/database_rows.h"
#include "support/temp_dir.h"

namespace tessel::test {
namespace {

using db::EngineError;

void Exec(const std::string& path, const std::string& sql) {
    ASSERT_EQ(ExecuteSql(path, sql), "") << sql;
}

std::vector<std::string> Rows(const std::string& path, const std::string& table) {
    return FirstColumn(
        path, "SELECT Id || '=' || ifnull(Name, 'NULL') FROM \"" + table + "\" ORDER BY Id");
}

class ReplicationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        master = dir.File("shop.mdb");
        replica = dir.File("branch.mdb");
        engine.CreateDatabase(master, ";LANGID=0x0409;CP=1252;COUNTRY=0", db::dbformat::kVersion30);
        Exec(master,
             "CREATE TABLE Customers (Id INTEGER PRIMARY KEY, Name TEXT);"
             "INSERT INTO Customers VALUES (1, 'Ann'), (2, 'Bob');"
             "CREATE TABLE Notes (Id INTEGER PRIMARY KEY, Name TEXT);"
             "INSERT INTO Notes VALUES (1, 'private');");
    }

    void MakeMasterAndReplica() {
        auto database = engine.OpenDatabase(master, true, false, "");
        db::CreateTableProperty(*database, "notes", "KeepLocal", db::ftype::kText,
                                std::string("T"));
        database->CreateProperty("Replicable", db::ftype::kText, std::string("T"));
        db::MakeReplica(*database, replica, "Replica of db");
    }

    db::SyncResult Sync(const std::string& opened, const std::string& target, int direction) {
        auto database = engine.OpenDatabase(opened, false, false, "");
        return db::Synchronize(*database, target, direction);
    }

    TempDir dir;
    db::Engine engine;
    std::string master;
    std::string replica;
};

TEST_F(ReplicationTest, AReplicaHasTheRowsButNotTheTablesKeptLocal) {
    MakeMasterAndReplica();
    EXPECT_EQ(Rows(replica, "Customers"), (std::vector<std::string>{"1=Ann", "2=Bob"}));
    EXPECT_TRUE(
        FirstColumn(replica, "SELECT name FROM sqlite_schema WHERE name = 'Notes'").empty());
    EXPECT_EQ(Rows(master, "Notes"), std::vector<std::string>{"1=private"});
    EXPECT_EQ(FirstColumn(replica, "SELECT DesignMaster FROM MSysReplica"),
              std::vector<std::string>{"0"});
    EXPECT_EQ(FirstColumn(master, "SELECT DesignMaster FROM MSysReplica"),
              std::vector<std::string>{"1"});
    // One replica set, two members.
    EXPECT_EQ(FirstColumn(replica, "SELECT ReplicaSet FROM MSysReplica"),
              FirstColumn(master, "SELECT ReplicaSet FROM MSysReplica"));
    EXPECT_NE(FirstColumn(replica, "SELECT ReplicaId FROM MSysReplica"),
              FirstColumn(master, "SELECT ReplicaId FROM MSysReplica"));
    EXPECT_EQ(FirstColumn(master,
                          "SELECT Value FROM MSysProperties WHERE PropertyName ="
                          " 'Replicable'"),
              std::vector<std::string>{"T"});
}

TEST_F(ReplicationTest, ChangesTravelOneWayThenTheOtherAndASecondExchangeChangesNothing) {
    MakeMasterAndReplica();
    // The master's changes through the program's own statement runner, the branch's through
    // another SQLite program.
    {
        auto statements = engine.OpenConnection(platform_tests::AccessConnection(master));
        statements->Execute("UPDATE Customers SET Name = 'Anne' WHERE Id = 1");
        statements->Execute("INSERT INTO Customers VALUES (3, 'Cid')");
    }
    Exec(replica, "INSERT INTO Customers VALUES (10, 'Dee'); DELETE FROM Customers WHERE Id = 2;");

    auto sent = Sync(master, replica, db::exchange::kSend);
    EXPECT_EQ(sent.rowsWritten, 2);
    EXPECT_EQ(Rows(replica, "Customers"), (std::vector<std::string>{"1=Anne", "3=Cid", "10=Dee"}));
    EXPECT_EQ(Rows(master, "Customers"), (std::vector<std::string>{"1=Anne", "2=Bob", "3=Cid"}));

    auto received = Sync(master, replica, db::exchange::kReceive);
    EXPECT_EQ(received.rowsWritten, 2);
    EXPECT_EQ(Rows(master, "Customers"), (std::vector<std::string>{"1=Anne", "3=Cid", "10=Dee"}));
    EXPECT_EQ(received.conflicts, 0);

    const std::string masterBytes = ReadBytes(master);
    const std::string replicaBytes = ReadBytes(replica);
    auto again = Sync(replica, master, db::exchange::kBoth);
    EXPECT_EQ(again.rowsWritten, 0);
    EXPECT_EQ(again.conflicts, 0);
    EXPECT_EQ(ReadBytes(master), masterBytes);
    EXPECT_EQ(ReadBytes(replica), replicaBytes);
    // The table kept local was never touched.
    EXPECT_EQ(Rows(master, "Notes"), std::vector<std::string>{"1=private"});
}

TEST_F(ReplicationTest, RowsWrittenWithoutTheTriggersAreFoundToo) {
    MakeMasterAndReplica();
    // A tool that dropped the triggers (or rebuilt the table) and loaded rows.
    Exec(master,
         "DROP TRIGGER \"MSysReplica_Customers_i\"; INSERT INTO Customers VALUES (7, 'Eve');");
    Sync(master, replica, db::exchange::kBoth);
    EXPECT_EQ(Rows(replica, "Customers"), (std::vector<std::string>{"1=Ann", "2=Bob", "7=Eve"}));
    EXPECT_EQ(FirstColumn(master,
                          "SELECT count(*) FROM sqlite_schema WHERE name ="
                          " 'MSysReplica_Customers_i'"),
              std::vector<std::string>{"1"});
}

TEST_F(ReplicationTest, ARowChangedOnBothSidesConvergesAndTheLoserIsKept) {
    MakeMasterAndReplica();
    const std::string masterCopy = dir.File("shop-copy.mdb");
    const std::string replicaCopy = dir.File("branch-copy.mdb");
    Exec(master, "UPDATE Customers SET Name = 'Master Ann' WHERE Id = 1;");
    Exec(replica, "UPDATE Customers SET Name = 'Branch Ann' WHERE Id = 1;");
    std::filesystem::copy_file(master, masterCopy);
    std::filesystem::copy_file(replica, replicaCopy);

    auto result = Sync(master, replica, db::exchange::kBoth);
    EXPECT_EQ(result.conflicts, 2);  // kept in each file
    const auto winner = Rows(master, "Customers");
    EXPECT_EQ(Rows(replica, "Customers"), winner);
    const std::string loser = winner[0] == "1=Master Ann" ? "Branch Ann" : "Master Ann";
    for (const auto& file : {master, replica}) {
        EXPECT_EQ(FirstColumn(file, "SELECT Name FROM Customers_Conflict"),
                  std::vector<std::string>{loser});
        EXPECT_EQ(FirstColumn(file,
                              "SELECT Value FROM MSysProperties WHERE ObjectName ="
                              " 'Customers_Conflict' AND PropertyName = 'KeepLocal'"),
                  std::vector<std::string>{"T"});
    }
    // The rule does not depend on which file was opened.
    Sync(replicaCopy, masterCopy, db::exchange::kBoth);
    EXPECT_EQ(Rows(masterCopy, "Customers"), winner);
    // Once resolved, nothing more happens.
    auto again = Sync(master, replica, db::exchange::kBoth);
    EXPECT_EQ(again.rowsWritten, 0);
    EXPECT_EQ(again.conflicts, 0);
}

TEST_F(ReplicationTest, AnUpdateAgainstADeletionIsAConflictAndARepeatedChangeWins) {
    MakeMasterAndReplica();
    // Two edits in the branch, counted at two exchanges, against one deletion in the master.
    Exec(replica, "UPDATE Customers SET Name = 'Bobby' WHERE Id = 2;");
    Sync(master, replica, db::exchange::kSend);  // counts the edit, sends nothing back
    EXPECT_EQ(Rows(master, "Customers"), (std::vector<std::string>{"1=Ann", "2=Bob"}));
    Exec(replica, "UPDATE Customers SET Name = 'Robert' WHERE Id = 2;");
    Exec(master, "DELETE FROM Customers WHERE Id = 2;");
    Sync(master, replica, db::exchange::kBoth);
    EXPECT_EQ(Rows(master, "Customers"), (std::vector<std::string>{"1=Ann", "2=Robert"}));
    EXPECT_EQ(Rows(replica, "Customers"), (std::vector<std::string>{"1=Ann", "2=Robert"}));
    const auto reasons = FirstColumn(master, "SELECT ConflictReason FROM Customers_Conflict");
    ASSERT_EQ(reasons.size(), 1u);
    EXPECT_NE(reasons[0].find("deleted"), std::string::npos) << reasons[0];
}

TEST_F(ReplicationTest, TwoNewRowsWithOneKeyAreKeptAsAConflictNotLost) {
    MakeMasterAndReplica();
    Exec(master, "INSERT INTO Customers VALUES (5, 'Master Five');");
    Exec(replica, "INSERT INTO Customers VALUES (5, 'Branch Five');");
    auto first = Sync(master, replica, db::exchange::kBoth);
    EXPECT_EQ(first.conflicts, 2);
    EXPECT_EQ(FirstColumn(master, "SELECT Name FROM Customers_Conflict"),
              std::vector<std::string>{"Branch Five"});
    EXPECT_EQ(FirstColumn(replica, "SELECT Name FROM Customers_Conflict"),
              std::vector<std::string>{"Master Five"});
    const auto reason = FirstColumn(master, "SELECT ConflictReason FROM Customers_Conflict");
    ASSERT_EQ(reason.size(), 1u);
    EXPECT_EQ(reason[0].rfind("Not applied: ", 0), 0u) << reason[0];
    auto second = Sync(master, replica, db::exchange::kBoth);
    EXPECT_EQ(second.conflicts, 0);
    EXPECT_EQ(FirstColumn(master, "SELECT count(*) FROM Customers_Conflict"),
              std::vector<std::string>{"1"});
}

TEST_F(ReplicationTest, WhatCannotBeExchangedIsRefusedWithItsReason) {
    auto plain = engine.OpenDatabase(master, false, false, "");
    try {
        db::MakeReplica(*plain, replica, "Replica of db");
        FAIL() << "a plain database was replicated";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Number(), db::err::kNotSupported);
        EXPECT_NE(error.Description().find("Replicable"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(replica));
    plain.reset();

    MakeMasterAndReplica();
    auto database = engine.OpenDatabase(master, false, false, "");
    try {
        db::Synchronize(*database, master, db::exchange::kBoth);
        FAIL() << "a file was synchronised with itself";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Number(), db::err::kInvalidArgument);
    }
    try {
        db::Synchronize(*database, replica, 3);
        FAIL() << "direction 3 was taken";
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Number(), db::err::kInvalidArgument);
    }
    // A design master of another set.
    const std::string other = dir.File("other.mdb");
    engine.CreateDatabase(other, ";LANGID=0x0409;CP=1252;COUNTRY=0", db::dbformat::kVersion30);
    Exec(other, "CREATE TABLE Customers (Id INTEGER PRIMARY KEY, Name TEXT);");
    engine.OpenDatabase(other, false, false, "")
        ->CreateProperty("Replicable", db::ftype::kText, std::string("T"));
    EXPECT_THROW(db::Synchronize(*database, other, db::exchange::kBoth), EngineError);
    // A table changed in design on one side only.
    Exec(replica, "ALTER TABLE Customers ADD COLUMN Phone TEXT;");
    try {
        db::Synchronize(*database, replica, db::exchange::kBoth);
        FAIL() << "tables of different fields were exchanged";
    } catch (const EngineError& error) {
        EXPECT_NE(error.Description().find("different fields"), std::string::npos);
    }
    // A property a table already has.
    EXPECT_THROW(db::CreateTableProperty(*database, "Notes", "KeepLocal", db::ftype::kText,
                                         std::string("T")),
                 EngineError);
    EXPECT_THROW(db::CreateTableProperty(*database, "Missing", "KeepLocal", db::ftype::kText,
                                         std::string("T")),
                 EngineError);
}

// Both files after a child that was exchanging was killed: each as it was, or both exchanged.
TEST_F(ReplicationTest, AnExchangeKilledAtAnyMomentLeavesBothFilesWholeAndInStep) {
    MakeMasterAndReplica();
    std::string masterRows = "BEGIN;";
    std::string replicaRows = "BEGIN;";
    for (int i = 0; i < 1500; ++i) {
        masterRows += "INSERT INTO Customers VALUES (" + std::to_string(1000 + i) + ", 'm');";
        replicaRows += "INSERT INTO Customers VALUES (" + std::to_string(100000 + i) + ", 'r');";
    }
    Exec(master, masterRows + "COMMIT;");
    Exec(replica, replicaRows + "COMMIT;");
    const std::string masterBefore = dir.File("m0.mdb");
    const std::string replicaBefore = dir.File("r0.mdb");
    std::filesystem::copy_file(master, masterBefore);
    std::filesystem::copy_file(replica, replicaBefore);

    int interrupted = 0;
    for (int delayMs : {0, 10, 40, 120, 300}) {
        std::filesystem::copy_file(masterBefore, master,
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy_file(replicaBefore, replica,
                                   std::filesystem::copy_options::overwrite_existing);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                db::Engine childEngine;
                auto database = childEngine.OpenDatabase(master, false, false, "");
                db::Synchronize(*database, replica, db::exchange::kBoth);
            } catch (...) {
                _exit(3);
            }
            _exit(0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        if (WIFSIGNALED(status))
            ++interrupted;
        else
            ASSERT_EQ(WEXITSTATUS(status), 0);
        // Opening rolls back what a killed exchange left half done.
        const auto masterCount = FirstColumn(master, "SELECT count(*) FROM Customers");
        const auto replicaCount = FirstColumn(replica, "SELECT count(*) FROM Customers");
        EXPECT_EQ(FirstColumn(master, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
        EXPECT_EQ(FirstColumn(replica, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
        const bool before = masterCount == std::vector<std::string>{"1502"} &&
                            replicaCount == std::vector<std::string>{"1502"};
        const bool after = masterCount == std::vector<std::string>{"3002"} &&
                           replicaCount == std::vector<std::string>{"3002"};
        EXPECT_TRUE(before || after)
            << "after " << delayMs << " ms: " << masterCount[0] << " and " << replicaCount[0];
        // Whatever state they were left in, a new exchange completes them.
        Sync(master, replica, db::exchange::kBoth);
        EXPECT_EQ(FirstColumn(master, "SELECT count(*) FROM Customers"),
                  std::vector<std::string>{"3002"});
        EXPECT_EQ(FirstColumn(replica, "SELECT count(*) FROM Customers"),
                  std::vector<std::string>{"3002"});
    }
    EXPECT_GT(interrupted, 0) << "no kill landed during an exchange";
}

}  // namespace
}  // namespace tessel::test
