// Tools > Make MDB Design Master, Replicate MDB DM copy and Synchronise MDB DM files as a person
// sees them: the dialogs they show, their status texts and boxes, the backup directory, the
// current database, and the rows of the files afterwards.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "core/maintenance/design_master.h"
#include "core/maintenance/synch_dm.h"
#include "core/session/current_database.h"
#include "support/database_rows.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tessel::test {
namespace {

namespace fs = std::filesystem;

void Exec(const std::string& path, const std::string& sql) {
    ASSERT_EQ(ExecuteSql(path, sql), "") << sql;
}

std::vector<std::string> Names(const std::string& path) {
    return FirstColumn(path, "SELECT Name FROM Customers ORDER BY Id");
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class ReplicationToolsTest : public ::testing::Test {
  protected:
    ReplicationToolsTest() : session(ui) {
        session.state.app.appPath = dir.File("app");
        fs::create_directory(session.state.app.appPath);
        session.state.engineObjects.jetWorkspace =
            session.engine.CreateWorkspace("tessel", "admin", "");
        master = dir.File("shop.mdb");
        replica = dir.File("branch.mdb");
        session.engine.CreateDatabase(master, ";LANGID=0x0409;CP=1252;COUNTRY=0",
                                      db::dbformat::kVersion30);
        Exec(master,
             "CREATE TABLE Customers (Id INTEGER PRIMARY KEY, Name TEXT);"
             "INSERT INTO Customers VALUES (1, 'Ann'), (2, 'Bob');"
             "CREATE TABLE Notes (Id INTEGER PRIMARY KEY, Name TEXT);"
             "CREATE TABLE Prices (Id INTEGER PRIMARY KEY, Name TEXT);");
    }

    std::string Backup() const { return session.state.app.appPath + "/backup"; }

    void MakeMaster(std::optional<std::vector<std::string>> keep) {
        ui.fileAnswers.push_back(master);
        ui.keepLocalAnswers.push_back(std::move(keep));
        MakeDM(session);
    }

    void MakeReplica() {
        ui.fileAnswers.push_back(master);
        ui.fileAnswers.push_back(replica);
        ReplicateDM(session);
    }

    void Synch(const std::string& first, const std::string& second, std::optional<int> direction) {
        ui.fileAnswers.push_back(first);
        ui.fileAnswers.push_back(second);
        if (direction)
            ui.directionAnswers.push_back(*direction);
        SynchDM(session);
    }

    TempDir dir;
    ScriptedUi ui;
    Session session;
    std::string master;
    std::string replica;
};

TEST_F(ReplicationToolsTest, MakeDesignMasterKeepsTheChosenTablesLocal) {
    MakeMaster(std::vector<std::string>{"Notes", "Prices"});
    EXPECT_EQ(ui.BoxLog(), "");
    ASSERT_EQ(ui.keepLocalOffers.size(), 1u);
    EXPECT_EQ(ui.keepLocalOffers[0], (std::vector<std::string>{"Customers", "Notes", "Prices"}));
    EXPECT_EQ(ui.StatusText(), "Created Design Master database: " + master);
    EXPECT_TRUE(Contains(ui.statusTexts, "Created backup of design master"));
    EXPECT_TRUE(Contains(ui.statusTexts, "created backup directory " + Backup()));
    EXPECT_TRUE(Contains(ui.statusTexts, "design master compacted: " + master));
    EXPECT_FALSE(fs::exists(Backup()));
    EXPECT_FALSE(fs::exists(dir.File("shop.mdN")));
    EXPECT_TRUE(session.state.current.databaseOpen);
    EXPECT_EQ(session.state.current.currentDatabaseFileName, master);
    EXPECT_TRUE(ui.PointerIsDefault());
    EXPECT_EQ(FirstColumn(master,
                          "SELECT ObjectName FROM MSysProperties WHERE PropertyName ="
                          " 'KeepLocal' ORDER BY ObjectName"),
              (std::vector<std::string>{"Notes", "Prices"}));
    EXPECT_EQ(FirstColumn(master,
                          "SELECT Value FROM MSysProperties WHERE PropertyName ="
                          " 'Replicable'"),
              std::vector<std::string>{"T"});
}

TEST_F(ReplicationToolsTest, CancellingTheKeepLocalDialogKeepsNoTableLocal) {
    MakeMaster(std::nullopt);
    EXPECT_EQ(ui.StatusText(), "Created Design Master database: " + master);
    EXPECT_TRUE(FirstColumn(master,
                            "SELECT ObjectName FROM MSysProperties WHERE PropertyName ="
                            " 'KeepLocal'")
                    .empty());
}

TEST_F(ReplicationToolsTest, AFailedKeepLocalShowsTheBoxAndLeavesTheDialogOpen) {
    ui.fileAnswers.push_back(master);
    ui.keepLocalAnswers.push_back(std::vector<std::string>{"Nowhere"});
    ui.keepLocalAnswers.push_back(std::vector<std::string>{"Notes"});
    MakeDM(session);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].style, 16);
    EXPECT_NE(ui.boxes[0].text.find("3265: "), std::string::npos) << ui.boxes[0].text;
    EXPECT_EQ(FirstColumn(master,
                          "SELECT ObjectName FROM MSysProperties WHERE PropertyName ="
                          " 'KeepLocal'"),
              std::vector<std::string>{"Notes"});
}

TEST_F(ReplicationToolsTest, ADesignMasterMadeTwiceIsPutBackAsItWas) {
    MakeMaster(std::nullopt);
    const std::string before = ReadBytes(master);
    ui.statusTexts.clear();
    MakeMaster(std::nullopt);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "DAO Error");
    EXPECT_EQ(ui.boxes[0].style, 16);
    EXPECT_EQ(ui.boxes[0].text.rfind("3367: ", 0), 0u) << ui.boxes[0].text;
    EXPECT_EQ(ui.StatusText(), "Restored original: " + master);
    EXPECT_EQ(ReadBytes(master), before);
    EXPECT_FALSE(fs::exists(Backup()));
    EXPECT_FALSE(session.state.current.databaseOpen);
}

TEST_F(ReplicationToolsTest, CancelledDialogsChangeNothing) {
    OpenDB(session, master, true);
    ASSERT_TRUE(session.state.current.databaseOpen);
    ui.fileAnswers.push_back(std::nullopt);
    ReplicateDM(session);
    ui.fileAnswers.push_back(master);
    ui.fileAnswers.push_back(std::nullopt);
    ReplicateDM(session);
    ui.fileAnswers.push_back(std::nullopt);
    SynchDM(session);
    ui.fileAnswers.push_back(master);
    ui.fileAnswers.push_back(std::nullopt);
    SynchDM(session);
    EXPECT_FALSE(fs::exists(Backup()));
    EXPECT_TRUE(session.state.current.databaseOpen);
    EXPECT_EQ(ui.BoxLog(), "");
    ASSERT_GE(ui.fileRequests.size(), 6u);
    EXPECT_EQ(ui.fileRequests[0].title, "Select Microsoft Access Design Master source");
    EXPECT_EQ(ui.fileRequests[2].title, "Enter name Microsoft Access Design Master replica");
    EXPECT_EQ(ui.fileRequests[2].flags, 6);
    EXPECT_EQ(ui.fileRequests[3].title, "Select first Microsoft Access Design Master database");
    EXPECT_EQ(ui.fileRequests[5].title, "Select second Microsoft Access Design Master database");
    EXPECT_EQ(ui.fileRequests[5].filter, "Microsoft Access files (*.mdb)|*.mdb");
}

TEST_F(ReplicationToolsTest, AReplicaBecomesTheCurrentDatabase) {
    MakeMaster(std::vector<std::string>{"Notes"});
    MakeReplica();
    EXPECT_EQ(ui.BoxLog(), "");
    EXPECT_EQ(ui.StatusText(), "Created Design Master replica database: " + replica);
    EXPECT_TRUE(Contains(ui.statusTexts, "replica compacted: " + replica));
    EXPECT_TRUE(Contains(ui.statusTexts, "backup directory deleted: " + Backup()));
    EXPECT_TRUE(Contains(ui.statusTexts, "backup file deleted: " + Backup() + "/shop.mdb"));
    EXPECT_EQ(session.state.current.currentDatabaseFileName, replica);
    EXPECT_EQ(session.state.current.currentDatabase->Name(), replica);
    EXPECT_EQ(session.state.replication.firstFileTitle, "shop.mdb");
    EXPECT_EQ(session.state.replication.secondFileTitle, "branch.mdb");
    EXPECT_EQ(Names(replica), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_TRUE(
        FirstColumn(replica, "SELECT name FROM sqlite_schema WHERE name = 'Notes'").empty());
    EXPECT_FALSE(fs::exists(Backup()));
}

TEST_F(ReplicationToolsTest, ReplicatingAFileThatIsNoDesignMasterRestoresIt) {
    const std::string before = ReadBytes(master);
    MakeReplica();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "DAO Error");
    EXPECT_EQ(ui.StatusText(), "Restored original: " + master);
    EXPECT_EQ(ReadBytes(master), before);
    EXPECT_FALSE(fs::exists(replica));
    EXPECT_FALSE(fs::exists(Backup()));
}

TEST_F(ReplicationToolsTest, SynchronisingEachWayCarriesTheRows) {
    MakeMaster(std::nullopt);
    MakeReplica();
    Exec(master, "UPDATE Customers SET Name = 'Anne' WHERE Id = 1;");
    Exec(replica, "INSERT INTO Customers VALUES (3, 'Cid');");

    // Element 1: the second's changes into the first.
    Synch(master, replica, 2);
    EXPECT_EQ(ui.BoxLog(), "");
    ASSERT_EQ(ui.directionTitles.size(), 1u);
    EXPECT_EQ(ui.directionTitles[0],
              std::make_pair(std::string("shop.mdb"), std::string("branch.mdb")));
    EXPECT_EQ(ui.StatusText(), "Synchronised update changes from branch.mdb into shop.mdb");
    EXPECT_EQ(Names(master), (std::vector<std::string>{"Anne", "Bob", "Cid"}));
    EXPECT_EQ(Names(replica), (std::vector<std::string>{"Ann", "Bob", "Cid"}));
    EXPECT_EQ(session.state.current.currentDatabase->Name(), replica);
    EXPECT_FALSE(fs::exists(Backup()));

    // Element 0: the first's into the second.
    Synch(master, replica, 1);
    EXPECT_EQ(ui.StatusText(), "Synchronised update changes from shop.mdb into branch.mdb");
    EXPECT_EQ(Names(replica), (std::vector<std::string>{"Anne", "Bob", "Cid"}));

    // Cancel: both ways.
    Exec(replica, "DELETE FROM Customers WHERE Id = 2;");
    Synch(replica, master, std::nullopt);
    EXPECT_EQ(ui.StatusText(),
              "Synchronised updates exchanged between both branch.mdb and shop.mdb");
    EXPECT_EQ(Names(master), (std::vector<std::string>{"Anne", "Cid"}));
    EXPECT_EQ(ui.BoxLog(), "");
}

TEST_F(ReplicationToolsTest, AFailedSynchronisationPutsBothFilesBack) {
    MakeMaster(std::nullopt);
    MakeReplica();
    Exec(master, "UPDATE Customers SET Name = 'Anne' WHERE Id = 1;");
    Exec(replica, "ALTER TABLE Customers ADD COLUMN Phone TEXT;");
    const std::string masterBefore = ReadBytes(master);
    const std::string replicaBefore = ReadBytes(replica);
    ui.statusTexts.clear();
    Synch(master, replica, 4);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "DAO Error");
    EXPECT_NE(ui.boxes[0].text.find("different fields"), std::string::npos);
    EXPECT_EQ(ui.StatusText(), "Restored originals: shop.mdb and branch.mdb");
    // Put back from their repaired and compacted copies: the same rows.
    EXPECT_EQ(Names(master), (std::vector<std::string>{"Anne", "Bob"}));
    EXPECT_EQ(Names(replica), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(FirstColumn(master, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
    EXPECT_FALSE(fs::exists(Backup()));
    (void)masterBefore;
    (void)replicaBefore;
}

TEST_F(ReplicationToolsTest, TwoFilesOfOneTitleGetTwoBackupCopies) {
    MakeMaster(std::nullopt);
    fs::create_directory(dir.File("other"));
    const std::string twin = dir.File("other/shop.mdb");
    ui.fileAnswers.push_back(master);
    ui.fileAnswers.push_back(twin);
    ReplicateDM(session);
    ASSERT_EQ(ui.BoxLog(), "");
    Exec(master, "UPDATE Customers SET Name = 'Anne' WHERE Id = 1;");
    Exec(twin, "ALTER TABLE Customers ADD COLUMN Phone TEXT;");
    Synch(master, twin, 4);
    EXPECT_EQ(ui.StatusText(), "Restored originals: shop.mdb and shop.mdb");
    // Each file got its own rows back, not the other's.
    EXPECT_EQ(Names(master), (std::vector<std::string>{"Anne", "Bob"}));
    EXPECT_EQ(FirstColumn(twin, "SELECT count(*) FROM pragma_table_info('Customers')"),
              std::vector<std::string>{"3"});
}

TEST_F(ReplicationToolsTest, AnOldBackupDirectoryWithFilesStopsBeforeAnythingChanges) {
    MakeMaster(std::nullopt);
    fs::create_directory(Backup());
    WriteBytes(Backup() + "/left.mdb", "earlier");
    const std::string before = ReadBytes(master);
    MakeReplica();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_NE(ui.boxes[0].text.find(Backup()), std::string::npos) << ui.boxes[0].text;
    EXPECT_EQ(ReadBytes(master), before);
    EXPECT_EQ(ReadBytes(Backup() + "/left.mdb"), "earlier");
    EXPECT_FALSE(fs::exists(replica));
}

TEST(SynchronisedStatusTest, NamesTheDirection) {
    EXPECT_EQ(SynchronisedStatus(1, "a.mdb", "b.mdb"),
              "Synchronised update changes from a.mdb into b.mdb");
    EXPECT_EQ(SynchronisedStatus(2, "a.mdb", "b.mdb"),
              "Synchronised update changes from b.mdb into a.mdb");
    EXPECT_EQ(SynchronisedStatus(4, "a.mdb", "b.mdb"),
              "Synchronised updates exchanged between both a.mdb and b.mdb");
}

}  // namespace
}  // namespace tessel::test
