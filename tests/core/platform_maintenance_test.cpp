// Whole-file operations: repairing a damaged file, compacting into a new one.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/db/engine.h"
#include "platform_test_util.h"
#include "test_paths.h"

namespace tessel::test::platform_tests {
namespace {

using db::Engine;
namespace err = db::err;
namespace fs = std::filesystem;

std::string MakeShop(Engine& engine, const TempDir& dir, const std::string& name) {
    const std::string path = NewDatabase(engine, dir, name);
    RunAll(engine, path,
           {"CREATE TABLE Small (ID COUNTER PRIMARY KEY, Name TEXT(30) NOT NULL)",
            "INSERT INTO Small (Name) VALUES ('one')", "INSERT INTO Small (Name) VALUES ('two')",
            "CREATE INDEX ByName ON Small(Name) WITH DISALLOW NULL",
            "CREATE TABLE Big (ID LONG, Blob TEXT(200))",
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "INSERT INTO Big SELECT i, hex(randomblob(90)) FROM n",
            "CREATE VIEW Names AS SELECT Name FROM Small"});
    return path;
}

TEST(PlatformRepair, TruncatedFileIsRebuiltFromWhatCanBeReadAndTheOriginalKept) {
    TempDir dir;
    Engine engine;
    const std::string path = MakeShop(engine, dir, "shop.mdb");
    const std::string whole = ReadBytes(path);
    const std::string damaged = whole.substr(0, whole.size() * 6 / 10 / 4096 * 4096);
    WriteBytes(path, damaged);

    Engine other;
    EXPECT_EQ(ErrorNumber([&] { other.OpenDatabase(path, false, false, ""); }),
              err::kUnreadableDatabase);
    other.RepairDatabase(path);
    EXPECT_EQ(ReadBytes(path + ".bak"), damaged);

    auto db = other.OpenDatabase(path, false, false, "");
    EXPECT_EQ(Query(other, path, "PRAGMA integrity_check"), (Rows{{"ok"}}));
    EXPECT_EQ(Query(other, path, "SELECT ID, Name FROM Small ORDER BY ID"),
              (Rows{{"1", "one"}, {"2", "two"}}));
    EXPECT_EQ(Query(other, path, "SELECT * FROM Names ORDER BY Name"), (Rows{{"one"}, {"two"}}));
    const auto big = Query(other, path, "SELECT count(*) FROM Big");
    EXPECT_LT(std::stol(big[0][0]), 3000);
    // Jet-level facts survive: sizes, index names and flags, the counter, the Null guard.
    EXPECT_EQ(db->Fields("Small")[1].size, 30);
    const auto indexes = db->Indexes("Small");
    ASSERT_EQ(indexes.size(), 2u);
    EXPECT_EQ(indexes[1].name, "ByName");
    EXPECT_TRUE(indexes[1].required);
    RunAll(other, path, {"INSERT INTO Small (Name) VALUES ('three')"});
    EXPECT_EQ(Query(other, path, "SELECT max(ID) FROM Small"), (Rows{{"3"}}));
    EXPECT_EQ(ErrorNumber([&] { RunAll(other, path, {"UPDATE Small SET Name = NULL"}); }),
              err::kNullNotAllowed);

    // A second damaged file keeps the first backup.
    WriteBytes(path, damaged);
    other.RepairDatabase(path);
    EXPECT_TRUE(fs::exists(path + ".bak1"));
}

TEST(PlatformRepair, StrayBytesAfterTheLastPageAreCutAway) {
    TempDir dir;
    Engine engine;
    const std::string path = MakeShop(engine, dir, "stray.mdb");
    WriteBytes(path, ReadBytes(path) + "stray");
    EXPECT_EQ(ErrorNumber([&] { engine.OpenDatabase(path, false, false, ""); }),
              err::kUnreadableDatabase);
    engine.RepairDatabase(path);
    EXPECT_EQ(Query(engine, path, "SELECT count(*) FROM Big"), (Rows{{"3000"}}));
}

TEST(PlatformRepair, SoundFileIsLeftAsItIs) {
    TempDir dir;
    Engine engine;
    const std::string path = MakeShop(engine, dir, "sound.mdb");
    const std::string before = ReadBytes(path);
    engine.RepairDatabase(path);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_FALSE(fs::exists(path + ".bak"));
}

TEST(PlatformRepair, WhatIsNoDatabaseCannotBeRepaired) {
    TempDir dir;
    Engine engine;
    const std::string noise = dir.File("noise.mdb");
    WriteBytes(noise, std::string(4096, 'x'));
    EXPECT_EQ(ErrorNumber([&] { engine.RepairDatabase(noise); }), err::kUnreadableDatabase);
    EXPECT_EQ(ReadBytes(noise), std::string(4096, 'x'));
    EXPECT_FALSE(fs::exists(noise + ".bak"));
    EXPECT_EQ(ErrorNumber([&] { engine.RepairDatabase(dir.File("none.mdb")); }), err::kFileMissing);
    const std::string jet =
        std::string(TESSEL_TESTDATA_DIR) + "/jackcess/src/test/data/V1997/testV1997.mdb";
    ASSERT_TRUE(fs::exists(jet)) << jet;
    EXPECT_EQ(ErrorNumber([&] { engine.RepairDatabase(jet); }), err::kNotSupported);
    // A file whose schema page is destroyed has nothing to salvage.
    const std::string path = MakeShop(engine, dir, "gone.mdb");
    std::string bytes = ReadBytes(path);
    for (std::size_t i = 100; i < 4096; ++i)
        bytes[i] = '\x7f';
    WriteBytes(path, bytes);
    Engine other;
    EXPECT_EQ(ErrorNumber([&] { other.RepairDatabase(path); }), err::kUnreadableDatabase);
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST(PlatformCompact, CopiesIntoANewFileAndMayChangeTheVersion) {
    TempDir dir;
    Engine engine;
    const std::string path = MakeShop(engine, dir, "big.mdb");
    RunAll(engine, path, {"DELETE FROM Big WHERE ID > 10"});
    const std::string target = dir.File("small.mdb");
    engine.CompactDatabase(path, target, "", 0);
    EXPECT_LT(fs::file_size(target), fs::file_size(path));
    EXPECT_EQ(Query(engine, target, "SELECT count(*) FROM Big"), (Rows{{"10"}}));
    EXPECT_EQ(engine.OpenDatabase(target, false, false, "")->Version(), "3.0");
    EXPECT_EQ(engine.OpenDatabase(target, false, false, "")->Indexes("Small")[1].name, "ByName");

    const std::string older = dir.File("older.mdb");
    engine.CompactDatabase(path, older, "", db::dbformat::kVersion20);
    EXPECT_EQ(engine.OpenDatabase(older, false, false, "")->Version(), "2.0");
    EXPECT_EQ(engine.OpenDatabase(path, false, false, "")->Version(), "3.0");

    EXPECT_EQ(ErrorNumber([&] { engine.CompactDatabase(path, target, "", 0); }),
              err::kDatabaseExists);

    // A password given in the locale protects the copy; the source stays as it was.
    const std::string locked = dir.File("locked.mdb");
    engine.CompactDatabase(path, locked, ";LANGID=0x0409;pwd=key", 0);
    EXPECT_EQ(ErrorNumber([&] { engine.OpenDatabase(locked, false, false, ""); }),
              err::kBadPassword);
    EXPECT_EQ(engine.OpenDatabase(locked, false, false, ";pwd=key")->Version(), "3.0");
    const std::string unlocked = dir.File("unlocked.mdb");
    engine.CompactDatabase(locked, unlocked, ";pwd=", 0);
    EXPECT_EQ(engine.OpenDatabase(unlocked, false, false, "")->Version(), "3.0");
    EXPECT_EQ(ErrorNumber([&] { engine.CompactDatabase(path, dir.File("no/x.mdb"), "", 0); }),
              err::kBadPath);
    EXPECT_EQ(
        ErrorNumber([&] { engine.CompactDatabase(dir.File("none.mdb"), dir.File("y"), "", 0); }),
        err::kFileMissing);
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
    }
}

}  // namespace
}  // namespace tessel::test::platform_tests
