// The structure an open database reports follows schema changes made through any connection,
// also those of other programs, though the engine keeps the schema between reads.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "core/db/engine.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

void RunOutside(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message), SQLITE_OK)
        << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
}

TEST(PlatformSchemaCatalog, ChangesThroughStatementsAndOtherProgramsAreSeen) {
    TempDir dir;
    db::Engine engine;
    const std::string file = NewDatabase(engine, dir);
    RunAll(engine, file, {"CREATE TABLE A (X LONG)"});
    auto database = engine.OpenDatabase(file, false, false, "");
    EXPECT_EQ(UserTables(*database), std::vector<std::string>({"A"}));

    RunAll(engine, file, {"CREATE TABLE B (Y TEXT(10))", "CREATE INDEX BY ON B (Y)"});
    EXPECT_EQ(UserTables(*database), std::vector<std::string>({"A", "B"}));
    ASSERT_EQ(database->Indexes("B").size(), 1u);
    EXPECT_EQ(database->Indexes("B")[0].fields, "+Y");

    RunOutside(file, "DROP TABLE A; CREATE TABLE C (Z INTEGER); CREATE INDEX CZ ON C (Z DESC);");
    EXPECT_EQ(UserTables(*database), std::vector<std::string>({"B", "C"}));
    EXPECT_EQ(ErrorNumber([&] { database->Fields("A"); }), db::err::kItemNotFound);
    ASSERT_EQ(database->Indexes("C").size(), 1u);
    EXPECT_EQ(database->Indexes("C")[0].fields, "-Z");

    // A change that is rolled back leaves the structure as it was.
    RunOutside(file, "BEGIN; CREATE TABLE D (W INTEGER); ROLLBACK;");
    EXPECT_EQ(UserTables(*database), std::vector<std::string>({"B", "C"}));
}

}  // namespace
}  // namespace tessel::test::platform_tests
