// Moving a file aside before it is replaced: the first free backup name, journals kept paired,
// nothing overwritten.
#include "core/base/backup_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace tessel::test {
namespace {

namespace fs = std::filesystem;

TEST(BackupFile, NamesRunBakThenBak1Bak2) {
    EXPECT_EQ(base::BackupName("/d/shop.mdb", 1), "/d/shop.mdb.bak");
    EXPECT_EQ(base::BackupName("/d/shop.mdb", 2), "/d/shop.mdb.bak1");
    EXPECT_EQ(base::BackupName("/d/shop.mdb", 3), "/d/shop.mdb.bak2");
}

TEST(BackupFile, NothingToMoveIsNoFailure) {
    TempDir dir;
    std::error_code error;
    const base::MovedAside moved = base::MoveAsideAsBackup(dir.File("none"), {"-journal"}, error);
    EXPECT_FALSE(error);
    EXPECT_EQ(moved.backup, "");
}

TEST(BackupFile, TheJournalMovesWithItsDatabaseToAFreeSlot) {
    TempDir dir;
    const std::string path = dir.File("shop.mdb");
    WriteBytes(path, "new");
    ::chmod(path.c_str(), 0640);
    WriteBytes(path + "-journal", "hot");
    WriteBytes(path + ".bak", "oldest");
    // A slot whose journal name is taken is passed over, so no journal pairs with a stranger.
    WriteBytes(path + ".bak1-journal", "stranger");
    std::error_code error;
    const base::MovedAside moved = base::MoveAsideAsBackup(path, {"-journal", "-wal"}, error);
    ASSERT_FALSE(error) << error.message();
    EXPECT_EQ(moved.backup, path + ".bak2");
    EXPECT_EQ(moved.mode, 0640u);
    EXPECT_EQ(ReadBytes(path + ".bak2"), "new");
    EXPECT_EQ(ReadBytes(path + ".bak2-journal"), "hot");
    EXPECT_EQ(ReadBytes(path + ".bak"), "oldest");
    EXPECT_EQ(ReadBytes(path + ".bak1-journal"), "stranger");
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(path + "-journal"));
    EXPECT_FALSE(fs::exists(path + ".bak2-wal"));
}

TEST(BackupFile, ALinkIsMovedAsALinkAndItsTargetStays) {
    TempDir dir;
    WriteBytes(dir.File("target"), "data");
    fs::create_symlink(dir.File("target"), dir.File("shop.mdb"));
    std::error_code error;
    const base::MovedAside moved = base::MoveAsideAsBackup(dir.File("shop.mdb"), {}, error);
    ASSERT_FALSE(error);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(moved.backup)));
    EXPECT_EQ(ReadBytes(dir.File("target")), "data");
}

}  // namespace
}  // namespace tessel::test
