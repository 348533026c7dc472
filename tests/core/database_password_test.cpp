// The password of older files, which only guards the door: an Argon2id digest in the metadata,
// a damaged value that refuses the open, and digests of the older salted SHA-256 form accepted
// once and rewritten. (Files given a password now are encrypted: encrypted_database_test.)
#include <sqlite3.h>

#include <gtest/gtest.h>

#include "core/db/engine.h"
#include "core/db/sha256.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::Engine;
namespace err = db::err;

// Reads or writes the stored password past the engine, as a damaged or older file holds it.
class StoredPassword : public ::testing::Test {
  protected:
    // Such a file as an older run left it: a digest of the older form, which the first open
    // with the password rewrites as an Argon2id digest.
    StoredPassword() : path(dir.File("locked.mdb")) {
        {
            Engine engine;
            engine.CreateDatabase(path, ";LANGID=0x0409", 32);
        }
        const std::string salt = "00112233445566778899aabb";
        Raw("INSERT INTO MSysProperties (ObjectKind, ObjectName, PropertyName, TypeCode, Value) "
            "VALUES ('Database', '', 'Password', 10, '" +
            salt + "$" + db::Sha256Hex(salt + "Open Sesame") + "') RETURNING 1");
        Engine engine;
        engine.OpenDatabase(path, false, false, ";pwd=Open Sesame");
    }

    std::string Raw(const std::string& sql) {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        std::string result;
        char* error = nullptr;
        const int rc = sqlite3_exec(
            db, sql.c_str(),
            [](void* out, int, char** values, char**) {
                *static_cast<std::string*>(out) = values[0] ? values[0] : "<null>";
                return 0;
            },
            &result, &error);
        EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
        return result;
    }

    std::string Stored() {
        return Raw("SELECT Value FROM MSysProperties WHERE PropertyName = 'Password'");
    }
    void Store(const std::string& valueSql) {
        Raw("UPDATE MSysProperties SET Value = " + valueSql + " WHERE PropertyName = 'Password'");
    }

    TempDir dir;
    std::string path;
};

TEST_F(StoredPassword, DigestIsArgon2idWithoutThePassword) {
    const std::string stored = Stored();
    EXPECT_EQ(stored.rfind("$argon2id$v=19$", 0), 0u) << stored;
    EXPECT_EQ(stored.find("Open Sesame"), std::string::npos);
    Engine engine;
    EXPECT_EQ(ErrorNumber([&] { engine.OpenDatabase(path, false, false, ";pwd=Open sesame"); }),
              err::kBadPassword);
    EXPECT_EQ(engine.OpenDatabase(path, false, false, ";pwd=Open Sesame")->Version(), "3.0");
}

TEST_F(StoredPassword, DamagedValueRefusesTheOpenNamingTheDatabase) {
    const std::string sound = Stored();
    for (const std::string& damaged :
         {std::string("'no digest here'"), std::string("42"), std::string("NULL"),
          "'" + sound.substr(0, sound.size() - 1) + "!'", std::string("'$argon2id$v=19$m=1'"),
          "'abc$" + std::string(64, '0') + "'"}) {
        Store(damaged);
        Engine engine;
        std::string description;
        EXPECT_EQ(ErrorNumber([&] { engine.OpenDatabase(path, false, false, ""); }, &description),
                  err::kReserved)
            << damaged;
        EXPECT_NE(description.find(path), std::string::npos) << description;
        EXPECT_NE(description.find("password"), std::string::npos) << description;
        EXPECT_NE(ErrorNumber([&] { engine.OpenConnection(AccessConnection(path)); }), 0)
            << damaged;
    }
}

TEST_F(StoredPassword, OlderDigestIsAcceptedOnceAndRewritten) {
    const std::string salt = "0123456789abcdef01234567";
    Store("'" + salt + "$" + db::Sha256Hex(salt + "Open Sesame") + "'");
    {
        Engine engine;
        EXPECT_EQ(ErrorNumber([&] { engine.OpenDatabase(path, false, false, ";pwd=wrong"); }),
                  err::kBadPassword);
        EXPECT_EQ(Stored().substr(0, salt.size()), salt);
        EXPECT_EQ(engine.OpenDatabase(path, false, false, ";pwd=Open Sesame")->Version(), "3.0");
        // The statements of the same run still reach it.
        EXPECT_NO_THROW(engine.OpenConnection(AccessConnection(path)));
    }
    EXPECT_EQ(Stored().rfind("$argon2id$", 0), 0u) << Stored();
    Engine nextRun;
    EXPECT_EQ(ErrorNumber([&] { nextRun.OpenDatabase(path, false, false, ";pwd=wrong"); }),
              err::kBadPassword);
    EXPECT_EQ(nextRun.OpenDatabase(path, false, false, ";pwd=Open Sesame")->Version(), "3.0");
}

TEST_F(StoredPassword, CompactingWithAPasswordEncryptsTheCopyAndDropsTheDigest) {
    Engine engine;
    const std::string sealed = dir.File("sealed.mdb");
    engine.CompactDatabase(path, sealed, ";LANGID=0x0409;pwd=Open Sesame",
                           32 + db::dbformat::kEncrypt);
    EXPECT_EQ(ReadBytes(sealed).substr(0, 6), "TSLENC");
    // Without a new password the copy keeps the gate, and decrypting removes it.
    const std::string gated = dir.File("gated.mdb");
    engine.CompactDatabase(path, gated, ";LANGID=0x0409", 32);
    const std::string open = dir.File("open.mdb");
    engine.CompactDatabase(path, open, ";LANGID=0x0409", 32 + db::dbformat::kDecrypt);

    Engine next;
    EXPECT_EQ(ErrorNumber([&] { next.OpenDatabase(sealed, false, false, ""); }), err::kBadPassword);
    next.OpenDatabase(sealed, false, false, ";pwd=Open Sesame");
    EXPECT_EQ(
        Query(next, sealed, "SELECT count(*) FROM MSysProperties WHERE PropertyName = 'Password'"),
        (Rows{{"0"}}));
    EXPECT_EQ(ErrorNumber([&] { next.OpenDatabase(gated, false, false, ";pwd=open sesame"); }),
              err::kBadPassword);
    EXPECT_EQ(next.OpenDatabase(gated, false, false, ";pwd=Open Sesame")->Version(), "3.0");
    EXPECT_EQ(next.OpenDatabase(open, false, false, "")->Version(), "3.0");
}

}  // namespace
}  // namespace tessel::test::platform_tests
