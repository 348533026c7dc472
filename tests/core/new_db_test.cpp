// Making new databases: the refusal for workbooks, new single-file databases and new
// directory databases.
#include "core/session/new_db.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/session/connection_types.h"
#include "core/session/current_database.h"
#include "open_session_fixture.h"

namespace tessel::test::opening {
namespace {

namespace fs = std::filesystem;

class NewDbTest : public OpenSessionTest {
  protected:
    void ExpectOneCriticalBoxNaming(const std::string& what) {
        ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
        EXPECT_EQ(ui.boxes[0].style, 16);
        EXPECT_NE(ui.boxes[0].text.find(what), std::string::npos) << Boxes();
        EXPECT_TRUE(ui.PointerIsDefault());
    }
    void ExpectConsistentState() {
        EXPECT_EQ(session.state.current.databaseOpen,
                  static_cast<bool>(session.state.current.currentDatabase));
    }
};

TEST_F(NewDbTest, ExcelTypesAreRefusedAndTheCurrentDatabaseStays) {
    const std::string path = MakeDatabase("kept.mdb");
    OpenDB(session, path, true);
    for (int index = 8; index <= 11; ++index) {
        ui.boxes.clear();
        ConnectTypeText(session, index);
        std::string name = dir.File("book");
        NewDB(session, name);
        ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
        EXPECT_EQ(ui.boxes[0].text, "Unable to make Excel files");
        EXPECT_EQ(ui.boxes[0].style, 64);
        EXPECT_EQ(ui.boxes[0].caption, "New file error");
        EXPECT_EQ(name, dir.File("book"));
        EXPECT_FALSE(fs::exists(dir.File("book")));
        ASSERT_TRUE(session.state.current.currentDatabase);
        EXPECT_EQ(session.state.current.currentDatabase->Name(), path);
    }
}

TEST_F(NewDbTest, AccessMakesAVersionTwoFileReplacingTheOldOne) {
    DBConn(session, "Access");
    std::string version = "2.0";
    DBVer(session, version);
    const std::string target = dir.File("old.MDB");
    WriteBytes(target, "an old file of the same name, replaced without asking");
    std::string name = dir.File("old");
    NewDB(session, name);
    EXPECT_EQ(name, target) << "the caller's name gets its extension";
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    ASSERT_TRUE(session.state.current.currentDatabase);
    EXPECT_TRUE(session.state.current.databaseOpen);
    EXPECT_EQ(session.state.current.currentDatabaseFileName, target);
    EXPECT_EQ(session.state.current.currentDatabase->Version(), "2.0");
    EXPECT_EQ(session.state.current.versionIndex, 2);
    EXPECT_EQ(ui.treeReloads, 1);
    EXPECT_TRUE(ui.PointerIsDefault());
}

TEST_F(NewDbTest, CreateMDBMakesTheMissingDirectory) {
    std::string name = dir.File("new/shop");
    CreateMDB(session, name);
    EXPECT_EQ(name, dir.File("new/shop.MDB"));
    EXPECT_TRUE(fs::is_regular_file(name));
    ASSERT_TRUE(session.state.current.currentDatabase) << Boxes();
    EXPECT_EQ(session.state.current.currentDatabase->Name(), name);
    EXPECT_EQ(session.state.current.currentDatabase->Version(), "3.0");
    EXPECT_EQ(session.state.current.databaseVersionOption, 32)
        << "derived from the version index 3";
}

TEST_F(NewDbTest, CreateMDBReplacesTheDatabaseThatIsOpen) {
    std::string name = dir.File("shop");
    CreateMDB(session, name);
    ASSERT_TRUE(session.state.current.currentDatabase) << Boxes();
    session.state.current.currentDatabase->CreateProperty("Marker", db::ftype::kText,
                                                          std::string("first file"));
    std::string again = dir.File("shop");
    CreateMDB(session, again);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    ASSERT_TRUE(session.state.current.currentDatabase);
    EXPECT_EQ(session.state.current.currentDatabase->Name(), name);
    EXPECT_EQ(ui.treeClears, 1) << "the open database is closed first";
    for (const auto& property : session.state.current.currentDatabase->Properties()) {
        EXPECT_NE(property.name, "Marker") << "the new file replaced the old one";
    }

    // The replaced database is not lost: it stays beside the new file.
    auto old = session.engine.OpenDatabase(name + ".bak", false, true, "");
    bool marked = false;
    for (const auto& property : old->Properties())
        marked = marked || property.name == "Marker";
    EXPECT_TRUE(marked) << "the backup holds the first file";
}

TEST_F(NewDbTest, AStaleJournalOfTheReplacedFileGoesWithIt) {
    const std::string target = dir.File("shop.MDB");
    WriteBytes(target, "old");
    WriteBytes(target + "-journal", "a journal left behind by a crash of the old file");
    std::string name = dir.File("shop");
    CreateMDB(session, name);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_FALSE(fs::exists(target + "-journal"));
    EXPECT_EQ(ReadBytes(target + ".bak-journal"),
              "a journal left behind by a crash of the old file")
        << "the journal stays with the file it belongs to";
    ASSERT_TRUE(session.state.current.currentDatabase);
    EXPECT_EQ(session.state.current.currentDatabase->Version(), "3.0");
}

TEST_F(NewDbTest, AnOlderBackupAndItsJournalAreKept) {
    const std::string target = dir.File("shop.MDB");
    WriteBytes(target, "second");
    WriteBytes(target + ".bak", "first");
    WriteBytes(target + ".bak-journal", "journal of the first");
    std::string name = dir.File("shop");
    CreateMDB(session, name);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(ReadBytes(target + ".bak"), "first");
    EXPECT_EQ(ReadBytes(target + ".bak-journal"), "journal of the first");
    EXPECT_EQ(ReadBytes(target + ".bak1"), "second");
}

TEST_F(NewDbTest, ANameWithADotKeepsItsExtension) {
    std::string name = dir.File("shop.db");
    CreateMDB(session, name);
    EXPECT_EQ(name, dir.File("shop.db"));
    EXPECT_TRUE(fs::is_regular_file(name)) << Boxes();
}

TEST_F(NewDbTest, ADotInADirectoryNameIsNoExtension) {
    fs::create_directory(dir.File(".hidden"));
    std::string name = dir.File(".hidden/shop");
    CreateMDB(session, name);
    EXPECT_EQ(name, dir.File(".hidden/shop.MDB"));
    EXPECT_TRUE(fs::is_regular_file(name)) << Boxes();
}

TEST_F(NewDbTest, TheFileFormatComesFromTheVersionIndexWhenNoneWasChosen) {
    const std::pair<int, const char*> cases[] = {{1, "1.1"}, {2, "2.0"}, {0, "3.0"}};
    int n = 0;
    for (const auto& [index, version] : cases) {
        session.state.current.databaseVersionOption = 0;
        session.state.current.versionIndex = index;
        std::string name = dir.File("format" + std::to_string(n++));
        CreateMDB(session, name);
        ASSERT_TRUE(session.state.current.currentDatabase) << Boxes();
        EXPECT_EQ(session.state.current.currentDatabase->Version(), version) << index;
    }
}

TEST_F(NewDbTest, AnEmptyNameDoesNothing) {
    std::string name;
    CreateMDB(session, name);
    CreateDBDir(session, name);
    EXPECT_EQ(name, "");
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(ui.pointers.empty());
    EXPECT_FALSE(session.state.current.currentDatabase);
}

TEST_F(NewDbTest, AReadOnlyDirectoryGivesAClearErrorBox) {
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only directories";
    const std::string locked = dir.File("locked");
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    std::string name = locked + "/shop";
    CreateMDB(session, name);
    ExpectOneCriticalBoxNaming("shop.MDB");
    EXPECT_FALSE(fs::exists(name));
    ExpectConsistentState();
    EXPECT_FALSE(session.state.current.currentDatabase);
}

TEST_F(NewDbTest, AFileInThePlaceOfTheDirectoryGivesAClearErrorBox) {
    const std::string blocker = dir.File("blocker");
    WriteBytes(blocker, "a file, not a directory");
    std::string name = blocker + "/shop";
    CreateMDB(session, name);
    ExpectOneCriticalBoxNaming(blocker);
    EXPECT_EQ(ReadBytes(blocker), "a file, not a directory");
    EXPECT_FALSE(session.state.current.currentDatabase);
    ExpectConsistentState();
}

TEST_F(NewDbTest, OnlyOneMissingDirectoryLevelIsMade) {
    std::string name = dir.File("a/b/shop");
    CreateMDB(session, name);
    ExpectOneCriticalBoxNaming(dir.File("a/b"));
    EXPECT_TRUE(ui.boxes[0].text.rfind("76: ", 0) == 0) << Boxes();
    EXPECT_FALSE(fs::exists(dir.File("a")));
}

TEST_F(NewDbTest, ADirectoryOfTheFilesNameIsNotDeleted) {
    fs::create_directories(dir.File("shop.MDB/inside"));
    std::string name = dir.File("shop");
    CreateMDB(session, name);
    ExpectOneCriticalBoxNaming(dir.File("shop.MDB"));
    EXPECT_TRUE(fs::is_directory(dir.File("shop.MDB/inside")));
}

TEST_F(NewDbTest, DirectoryTypesMakeTheDirectoryAndOpenItWithTheirType) {
    DBConn(session, "Dbase");
    std::string version = "4";
    DBVer(session, version);
    std::string name = dir.File("dbf");
    NewDB(session, name);
    EXPECT_TRUE(fs::is_directory(name));
    EXPECT_EQ(session.state.current.currentDatabaseFileName, name);
    EXPECT_EQ(session.state.current.currentConnect, "Dbase IV;");
    ExpectConsistentState();
    for (const auto& box : ui.boxes)
        EXPECT_EQ(box.style, 16) << Boxes();
}

TEST_F(NewDbTest, ATypeWithoutADriverGivesTheNoDriverBox) {
    DBConn(session, "Btrieve");
    std::string name = dir.File("btrieve");
    NewDB(session, name);
    EXPECT_TRUE(fs::is_directory(name));
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].style, 16);
    EXPECT_EQ(ui.boxes[0].text.rfind("3170: ", 0), 0u) << Boxes();
    EXPECT_FALSE(session.state.current.currentDatabase);
    ExpectConsistentState();
    EXPECT_TRUE(ui.PointerIsDefault());
}

TEST_F(NewDbTest, CreateDBDirOverAFileGivesAClearErrorBox) {
    const std::string blocker = dir.File("plain");
    WriteBytes(blocker, "x");
    DBConn(session, "Text");
    CreateDBDir(session, blocker);
    ExpectOneCriticalBoxNaming(blocker);
    EXPECT_EQ(ReadBytes(blocker), "x");
}

}  // namespace
}  // namespace tessel::test::opening
