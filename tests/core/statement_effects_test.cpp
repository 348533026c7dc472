// What a statement may change decides which caches of a connection it makes stale: a verdict
// that is too mild leaves stale structure or a stale password behind.
#include "core/db/sqlite/statement_effects.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "core/db/sqlite/handle.h"
#include "support/temp_dir.h"

namespace tessel::db::sqlite {
namespace {

std::string Verdict(const StatementEffects& effects) {
    std::string text;
    text += effects.data ? 'D' : '-';
    text += effects.schema ? 'S' : '-';
    text += effects.properties ? 'P' : '-';
    text += effects.schemaRewrite ? 'R' : '-';
    return text;
}

TEST(StatementEffects, EachKindOfStatementEndsWhatItMayChange) {
    EXPECT_EQ(Verdict(EffectsOf("SELECT * FROM t", true)), "----");
    EXPECT_EQ(Verdict(EffectsOf("INSERT INTO t VALUES (1)", false)), "D---");
    EXPECT_EQ(Verdict(EffectsOf("  -- note\n/* c */ update MsysProperties SET x = 1", false)),
              "D-P-");
    EXPECT_EQ(Verdict(EffectsOf("WITH a AS (SELECT 1) DELETE FROM t", false)), "D---");
    // New objects are added at the end of the schema table; anything else rewrites it.
    EXPECT_EQ(Verdict(EffectsOf("CREATE TABLE t (a)", false)), "DS--");
    EXPECT_EQ(Verdict(EffectsOf("create table MSysProperties (a)", false)), "DSP-");
    EXPECT_EQ(Verdict(EffectsOf("DROP TABLE t", false)), "DSPR");
    EXPECT_EQ(Verdict(EffectsOf("ALTER TABLE t ADD COLUMN b", false)), "DSPR");
    EXPECT_EQ(Verdict(EffectsOf("PRAGMA writable_schema = 1", false)), "DSPR");
    // SQLite calls ROLLBACK read-only, yet it undoes changes of every kind.
    EXPECT_EQ(Verdict(EffectsOf("rollback", true)), "DSPR");
    EXPECT_EQ(Verdict(EffectsOf("ROLLBACK TO tessel_0", true)), "DSPR");
    EXPECT_EQ(Verdict(EffectsOf("COMMIT", true)), "----");
    EXPECT_EQ(Verdict(EffectsOf("", false)), "DSPR");
}

TEST(StatementEffects, TextRunAsAWholeIsJudgedByEveryPart) {
    EXPECT_EQ(Verdict(EffectsOfScript("SAVEPOINT tessel_0")), "----");
    EXPECT_EQ(Verdict(EffectsOfScript("RELEASE tessel_0;  ")), "----");
    EXPECT_EQ(Verdict(EffectsOfScript("CREATE TABLE a (x); CREATE INDEX i ON a (x);")), "DS--");
    EXPECT_EQ(Verdict(EffectsOfScript("CREATE TABLE a (x); DROP TABLE b")), "DSPR");
    EXPECT_EQ(Verdict(EffectsOfScript("SAVEPOINT s; INSERT INTO MSysProperties VALUES (1)")),
              "D-P-");
    // A semicolon inside a literal only makes the verdict more cautious.
    EXPECT_EQ(Verdict(EffectsOfScript("INSERT INTO t VALUES ('a; DROP it')")), "DSPR");
}

TEST(StatementEffects, PropertiesTableNameInAnyCase) {
    EXPECT_TRUE(IsPropertiesTableName("MSysProperties"));
    EXPECT_TRUE(IsPropertiesTableName("msysPROPERTIES"));
    EXPECT_FALSE(IsPropertiesTableName("MSysColumns"));
    EXPECT_FALSE(IsPropertiesTableName("MSysProperties2"));
    EXPECT_FALSE(IsPropertiesTableName(""));
}

// The rows of the schema table that the catalogue reads, as the statements it runs bind them.
class CatalogReads : public ::testing::Test {
  protected:
    void SetUp() override {
        handle = Handle::Create(dir.File("catalog.db"));
        sqlite3_trace_v2(
            handle->Raw(), SQLITE_TRACE_STMT,
            [](unsigned, void* self, void* statement, void*) {
                char* sql = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(statement));
                const std::string text = sql == nullptr ? "" : sql;
                sqlite3_free(sql);
                if (text.find("FROM sqlite_master WHERE rowid >") != std::string::npos)
                    static_cast<CatalogReads*>(self)->reads.push_back(text.substr(text.rfind('>')));
                return 0;
            },
            this);
    }

    bool Has(const std::string& name) {
        return handle->Catalog().Find(*handle, name, "table") != nullptr;
    }

    test::TempDir dir;
    std::shared_ptr<Handle> handle;
    std::vector<std::string> reads;
};

TEST_F(CatalogReads, NewObjectsAreReadAloneAndOtherChangesReadEverything) {
    handle->Exec("CREATE TABLE a (x)");
    EXPECT_TRUE(Has("A"));
    handle->Exec("CREATE TABLE b (y); CREATE INDEX bi ON b (y)");
    EXPECT_TRUE(Has("b"));
    EXPECT_EQ(handle->Catalog().Named(*handle, "BI")->table, "b");
    handle->Prepare("INSERT INTO a VALUES (1)").Run();
    EXPECT_TRUE(Has("a"));
    // The first read takes everything, the second only what came after table a's row.
    EXPECT_EQ(reads, (std::vector<std::string>{"> 0 ORDER BY rowid", "> 1 ORDER BY rowid"}));

    handle->Exec("DROP TABLE a");
    EXPECT_FALSE(Has("a"));
    EXPECT_EQ(reads.back(), "> 0 ORDER BY rowid");

    // Made and rolled back in a transaction: gone again.
    handle->Exec("BEGIN");
    handle->Exec("CREATE TABLE c (z)");
    EXPECT_TRUE(Has("c"));
    handle->Exec("ROLLBACK");
    EXPECT_FALSE(Has("c"));
    EXPECT_TRUE(Has("b"));
    EXPECT_EQ(handle->Catalog().OfTable(*handle, "B", "index").size(), 1u);
}

}  // namespace
}  // namespace tessel::db::sqlite
