// A file that cannot be opened gives the same number whether the engine or the recordset file
// code meets it.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "core/db/errors.h"
#include "core/db/sqlite/error_map.h"
#include "core/db/sqlite/handle.h"
#include "core/script/recordset_sqlite.h"
#include "support/temp_dir.h"

namespace tessel {
namespace {

using db::EngineError;

long EngineNumber(const std::string& path) {
    try {
        db::sqlite::Handle::Open(path, false);
    } catch (const EngineError& error) {
        EXPECT_NE(error.Description().find(path), std::string::npos) << error.Description();
        return error.Number();
    }
    ADD_FAILURE() << "the engine opened " << path;
    return 0;
}

long RecordsetNumber(const std::string& path) {
    try {
        recordset_sqlite::Open(path, SQLITE_OPEN_READONLY, "read", path);
    } catch (const EngineError& error) {
        EXPECT_EQ(error.Description(),
                  "Cannot read the recordset file " + path + ": unable to open database file.");
        return error.Number();
    }
    ADD_FAILURE() << "the recordset code opened " << path;
    return 0;
}

TEST(SqliteErrorNumber, AFileUnderAPlainFileIsPathNotFoundEverywhere) {
    test::TempDir dir;
    test::WriteBytes(dir.File("plain"), "a file where a directory should be");
    const std::string path = dir.File("plain/data.sqlite");
    EXPECT_EQ(EngineNumber(path), db::err::kPathNotFound);
    EXPECT_EQ(RecordsetNumber(path), db::err::kPathNotFound);
}

TEST(SqliteErrorNumber, AMissingFileIsPathNotFoundEverywhere) {
    test::TempDir dir;
    const std::string path = dir.File("missing/data.sqlite");
    EXPECT_EQ(EngineNumber(path), db::err::kPathNotFound);
    EXPECT_EQ(RecordsetNumber(path), db::err::kPathNotFound);
}

TEST(SqliteErrorNumber, TheSameCodeAndErrnoGiveTheSameNumber) {
    EXPECT_EQ(db::sqlite::SqliteErrorNumber(SQLITE_CANTOPEN, "unable to open database file", 13),
              db::err::kPermissionDenied);
    EXPECT_EQ(db::sqlite::SqliteErrorNumber(SQLITE_CANTOPEN, "unable to open database file", 0),
              db::err::kBadPath);
    EXPECT_EQ(db::sqlite::MapSqliteError(SQLITE_CANTOPEN, "unable to open database file", "f", 2)
                  .Number(),
              db::err::kPathNotFound);
    // An errno left from an earlier failure does not change a failure of another kind.
    EXPECT_EQ(db::sqlite::SqliteErrorNumber(SQLITE_BUSY, "database is locked", 2),
              db::err::kLocked);
}

}  // namespace
}  // namespace tessel
