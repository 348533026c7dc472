// Databases given a password are encrypted page by page: no other tool reads them, a wrong
// password is refused, a changed byte is reported as damage, the journal is sealed too, and a
// writer killed mid-transaction leaves a file that rolls back to its last commit.
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "core/db/engine.h"
#include "core/db/sqlite/crypt_vfs.h"
#include "core/db/sqlite/page_cipher.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::Engine;
namespace err = db::err;
namespace fs = std::filesystem;
namespace crypt = db::sqlite::crypt;

constexpr const char* kPassword = "Correct Horse 42";
constexpr const char* kLocale = ";LANGID=0x0409;CP=1252;COUNTRY=0";
constexpr int kPage = 4096;

std::string WithPassword(const std::string& password) {
    return std::string(kLocale) + ";pwd=" + password;
}

// What the sqlite3 shell prints for a query on the file (its errors included), and its status.
std::pair<std::string, int> Shell(const std::string& path, const std::string& sql) {
    const std::string command = "sqlite3 -batch '" + path + "' \"" + sql + "\" 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        output += buffer;
    const int status = ::pclose(pipe);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// An encrypted database with a table of secret rows, made and filled through the engine.
std::string MakeSecrets(Engine& engine, const TempDir& dir, const std::string& name = "vault.mdb",
                        int rows = 2000) {
    const std::string path = dir.File(name);
    engine.CreateDatabase(path, WithPassword(kPassword), 32);
    engine.OpenDatabase(path, false, false, std::string(";pwd=") + kPassword);
    RunAll(engine, path,
           {"CREATE TABLE Secrets (ID LONG PRIMARY KEY, Note TEXT(100))",
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                std::to_string(rows) +
                ") INSERT INTO Secrets SELECT i, 'PlainSecretText number ' || i FROM n"});
    return path;
}

void FlipBit(const std::string& path, std::size_t offset) {
    std::string bytes = ReadBytes(path);
    ASSERT_LT(offset, bytes.size());
    bytes[offset] = static_cast<char>(bytes[offset] ^ 0x10);
    WriteBytes(path, bytes);
}

bool Contains(const std::string& path, const std::string& text) {
    return ReadBytes(path).find(text) != std::string::npos;
}

TEST(EncryptedDatabase, TheSqliteShellCannotReadItAndNoRowIsInPlainText) {
    TempDir dir;
    Engine engine;
    const std::string path = MakeSecrets(engine, dir);
    const auto [output, status] = Shell(path, "SELECT count(*) FROM Secrets");
    EXPECT_NE(status, 0) << output;
    EXPECT_NE(output.find("file is not a database"), std::string::npos) << output;
    EXPECT_FALSE(Contains(path, "PlainSecretText"));
    EXPECT_FALSE(Contains(path, "SQLite format 3"));
    EXPECT_FALSE(Contains(path, "CREATE TABLE"));
    EXPECT_EQ(ReadBytes(path).substr(0, 6), "TSLENC");
    EXPECT_EQ(fs::file_size(path) % kPage, 0u);
}

TEST(EncryptedDatabase, OpensWithItsPasswordOnlyAndAWrongOneIs3031) {
    TempDir dir;
    std::string path;
    {
        Engine engine;
        path = MakeSecrets(engine, dir, "vault.mdb", 10);
    }
    Engine engine;
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { engine.OpenDatabase(path, false, false, ""); }, &description),
              err::kBadPassword);
    EXPECT_EQ(description,
              "Not a valid password: the database '" + path + "' is protected by a password.");
    EXPECT_EQ(
        ErrorNumber([&] { engine.OpenDatabase(path, false, false, ";pwd=correct horse 42"); }),
        err::kBadPassword);
    // Statements reach it only once it was opened with its password.
    EXPECT_EQ(ErrorNumber([&] { Query(engine, path, "SELECT count(*) FROM Secrets"); }),
              err::kBadPassword);
    // The last pwd part counts, as for every password.
    auto database =
        engine.OpenDatabase(path, false, false, std::string(";pwd=wrong;pwd=") + kPassword);
    EXPECT_EQ(database->Version(), "3.0");
    EXPECT_EQ(UserTables(*database), (std::vector<std::string>{"Secrets"}));
    EXPECT_EQ(Query(engine, path, "SELECT Note FROM Secrets WHERE ID = 7"),
              (Rows{{"PlainSecretText number 7"}}));
    // Read-only opens need it as much.
    Engine other;
    EXPECT_EQ(ErrorNumber([&] { other.OpenDatabase(path, false, true, ";pwd="); }),
              err::kBadPassword);
    EXPECT_EQ(other.OpenDatabase(path, false, true, std::string(";pwd=") + kPassword)->Version(),
              "3.0");
}

TEST(EncryptedDatabase, AnEmptyPasswordCreatesAPlainFile) {
    TempDir dir;
    Engine engine;
    const std::string path = dir.File("plain.mdb");
    engine.CreateDatabase(path, WithPassword(""), 32);
    EXPECT_EQ(ReadBytes(path).substr(0, 15), "SQLite format 3");
    EXPECT_EQ(Shell(path, "PRAGMA integrity_check").first, "ok\n");
}

TEST(EncryptedDatabase, AFlippedBitIsReportedAsDamageNeverAsData) {
    for (const std::size_t offset :
         {std::size_t{3 * kPage + 700}, std::size_t{kPage + 30}, std::size_t{500},
          std::size_t{2 * kPage - 20} /* a tag */, std::size_t{5 * kPage - 30} /* a nonce */}) {
        TempDir dir;
        std::string path;
        {
            Engine engine;
            path = MakeSecrets(engine, dir);
        }
        FlipBit(path, offset);
        Engine engine;
        std::string description;
        const long number = ErrorNumber(
            [&] {
                engine.OpenDatabase(path, false, false, std::string(";pwd=") + kPassword);
                Query(engine, path, "SELECT sum(length(Note)), count(*) FROM Secrets");
                // Pages no query above needs are read by the check.
                Query(engine, path, "PRAGMA integrity_check");
            },
            &description);
        EXPECT_EQ(number, err::kUnreadableDatabase) << offset << ": " << description;
        EXPECT_NE(description.find("fails its integrity check"), std::string::npos) << description;
        EXPECT_NE(description.find(path), std::string::npos) << description;
    }
}

TEST(EncryptedDatabase, APageMovedToAnotherPlaceIsRefused) {
    TempDir dir;
    std::string path;
    {
        Engine engine;
        path = MakeSecrets(engine, dir);
    }
    std::string bytes = ReadBytes(path);
    ASSERT_GT(bytes.size(), 6u * kPage);
    bytes.replace(4 * kPage, kPage, bytes.substr(3 * kPage, kPage));
    WriteBytes(path, bytes);
    Engine engine;
    EXPECT_EQ(ErrorNumber([&] {
                  engine.OpenDatabase(path, false, false, std::string(";pwd=") + kPassword);
                  Query(engine, path, "SELECT count(*), sum(length(Note)) FROM Secrets");
                  Query(engine, path, "PRAGMA integrity_check");
              }),
              err::kUnreadableDatabase);
}

TEST(EncryptedDatabase, RepairRefusesAnEncryptedFileAndLeavesItAlone) {
    TempDir dir;
    Engine engine;
    const std::string path = MakeSecrets(engine, dir, "vault.mdb", 10);
    const std::string before = ReadBytes(path);
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { engine.RepairDatabase(path); }, &description), err::kNotSupported);
    EXPECT_NE(description.find("encrypted"), std::string::npos) << description;
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_FALSE(fs::exists(path + ".bak"));
}

// A writer that dies in the middle of a transaction, after SQLite has already written changed
// pages into the file (the journal holds the originals).
void KilledWriter(const std::string& path) {
    const std::string head = ReadBytes(path).substr(0, crypt::kHeaderSize);
    crypt::Salt salt;
    std::copy(head.begin() + 8, head.begin() + 24, salt.begin());
    auto key = std::make_shared<const crypt::FileKey>(crypt::FileKey::Derive(kPassword, salt));
    crypt::OfferKey(key);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, crypt::VfsName()) != SQLITE_OK)
        ::_exit(2);
    const char* sql =
        "PRAGMA temp_store = MEMORY; PRAGMA cache_size = 8; BEGIN;"
        "UPDATE Secrets SET Note = 'UncommittedChange ' || ID;"
        "WITH RECURSIVE n(i) AS (SELECT 5000 UNION ALL SELECT i + 1 FROM n WHERE i < 9000) "
        "INSERT INTO Secrets SELECT i, 'UncommittedChange ' || i FROM n;";
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        ::_exit(3);
    ::_exit(0);  // no commit, no rollback, no close
}

TEST(EncryptedDatabase, AWriterKilledMidTransactionLeavesTheLastCommitAndASealedJournal) {
    TempDir dir;
    std::string path;
    std::string committed;
    {
        Engine engine;
        path = MakeSecrets(engine, dir);
    }
    const std::string before = ReadBytes(path);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        KilledWriter(path);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    const std::string journal = path + "-journal";
    ASSERT_TRUE(fs::exists(journal));
    // The writer did change the file, and the journal keeps the old pages: both sealed.
    EXPECT_NE(ReadBytes(path), before);
    EXPECT_GT(fs::file_size(journal), static_cast<std::uintmax_t>(kPage));
    for (const std::string& file : {path, journal}) {
        EXPECT_FALSE(Contains(file, "PlainSecretText")) << file;
        EXPECT_FALSE(Contains(file, "UncommittedChange")) << file;
        EXPECT_FALSE(Contains(file, "CREATE TABLE")) << file;
    }

    Engine engine;
    engine.OpenDatabase(path, false, false, std::string(";pwd=") + kPassword);
    EXPECT_EQ(Query(engine, path, "SELECT count(*), min(Note), max(ID) FROM Secrets"),
              (Rows{{"2000", "PlainSecretText number 1", "2000"}}));
    EXPECT_EQ(Query(engine, path, "PRAGMA integrity_check"), (Rows{{"ok"}}));
    EXPECT_FALSE(fs::exists(journal));
}

TEST(EncryptedDatabase, CompactingEncryptsAndDecryptsARoundTrip) {
    TempDir dir;
    Engine engine;
    const std::string plain = NewDatabase(engine, dir, "plain.mdb");
    RunAll(engine, plain,
           {"CREATE TABLE Stock (ID COUNTER PRIMARY KEY, Item TEXT(50) NOT NULL)",
            "INSERT INTO Stock (Item) VALUES ('VisibleWidget')",
            "INSERT INTO Stock (Item) VALUES ('VisibleGadget')",
            "CREATE INDEX ByItem ON Stock(Item)"});
    const std::string sealed = dir.File("sealed.mdb");
    engine.CompactDatabase(plain, sealed, WithPassword(kPassword),
                           db::dbformat::kVersion20 + db::dbformat::kEncrypt);
    EXPECT_FALSE(Contains(sealed, "VisibleWidget"));
    EXPECT_NE(Shell(sealed, "SELECT * FROM Stock").second, 0);

    Engine next;
    EXPECT_EQ(ErrorNumber([&] { next.OpenDatabase(sealed, false, false, ""); }), err::kBadPassword);
    auto database = next.OpenDatabase(sealed, false, false, std::string(";pwd=") + kPassword);
    EXPECT_EQ(database->Version(), "2.0");
    EXPECT_EQ(database->Indexes("Stock").size(), 2u);
    EXPECT_EQ(Query(next, sealed, "SELECT ID, Item FROM Stock ORDER BY ID"),
              (Rows{{"1", "VisibleWidget"}, {"2", "VisibleGadget"}}));
    RunAll(next, sealed, {"INSERT INTO Stock (Item) VALUES ('VisibleThird')"});

    // Decrypting needs no password once the source was opened; the copy has none.
    const std::string opened = dir.File("opened.mdb");
    next.CompactDatabase(sealed, opened, kLocale,
                         db::dbformat::kVersion30 + db::dbformat::kDecrypt);
    EXPECT_TRUE(Contains(opened, "VisibleThird"));
    EXPECT_EQ(Shell(opened, "SELECT Item FROM Stock ORDER BY ID").first,
              "VisibleWidget\nVisibleGadget\nVisibleThird\n");
    EXPECT_EQ(Shell(opened, "PRAGMA integrity_check").first, "ok\n");
    Engine last;
    EXPECT_EQ(last.OpenDatabase(opened, false, false, "")->Version(), "3.0");

    // With neither option the copy stays encrypted with the same password.
    const std::string kept = dir.File("kept.mdb");
    next.CompactDatabase(sealed, kept, kLocale, 0);
    EXPECT_FALSE(Contains(kept, "VisibleThird"));
    EXPECT_EQ(ErrorNumber([&] { last.OpenDatabase(kept, false, false, ";pwd=x"); }),
              err::kBadPassword);
    last.OpenDatabase(kept, false, false, std::string(";pwd=") + kPassword);
    EXPECT_EQ(Query(last, kept, "SELECT count(*) FROM Stock"), (Rows{{"3"}}));
}

TEST(EncryptedDatabase, CompactingRefusesWhatCannotBeDone) {
    TempDir dir;
    Engine engine;
    const std::string plain = NewDatabase(engine, dir, "plain.mdb");
    const std::string sealed = MakeSecrets(engine, dir, "vault.mdb", 5);
    std::string description;
    // Encrypting a plain file needs a password.
    EXPECT_EQ(ErrorNumber(
                  [&] {
                      engine.CompactDatabase(plain, dir.File("a.mdb"), kLocale,
                                             32 + db::dbformat::kEncrypt);
                  },
                  &description),
              err::kBadPassword);
    EXPECT_NE(description.find("needs a password"), std::string::npos) << description;
    // A decrypted copy cannot have one, and both options at once mean nothing.
    EXPECT_EQ(ErrorNumber([&] {
                  engine.CompactDatabase(sealed, dir.File("b.mdb"), WithPassword("new"),
                                         32 + db::dbformat::kDecrypt);
              }),
              err::kInvalidArgument);
    EXPECT_EQ(ErrorNumber([&] {
                  engine.CompactDatabase(sealed, dir.File("c.mdb"), WithPassword("new"),
                                         32 + db::dbformat::kEncrypt + db::dbformat::kDecrypt);
              }),
              err::kInvalidArgument);
    // Another run has not unlocked the source.
    Engine other;
    EXPECT_EQ(ErrorNumber([&] {
                  other.CompactDatabase(sealed, dir.File("d.mdb"), kLocale,
                                        32 + db::dbformat::kDecrypt);
              }),
              err::kBadPassword);
    for (const char* name : {"a.mdb", "b.mdb", "c.mdb", "d.mdb"})
        EXPECT_FALSE(fs::exists(dir.File(name))) << name;
    // Its own password, given with the copy's locale, unlocks it.
    other.CompactDatabase(sealed, dir.File("e.mdb"), WithPassword(kPassword),
                          32 + db::dbformat::kEncrypt);
    other.OpenDatabase(dir.File("e.mdb"), false, false, std::string(";pwd=") + kPassword);
    EXPECT_EQ(Query(other, dir.File("e.mdb"), "SELECT count(*) FROM Secrets"), (Rows{{"5"}}));
}

TEST(EncryptedDatabase, ANewPasswordReencryptsTheCopy) {
    TempDir dir;
    Engine engine;
    const std::string sealed = MakeSecrets(engine, dir, "vault.mdb", 5);
    const std::string copy = dir.File("copy.mdb");
    engine.CompactDatabase(sealed, copy, WithPassword("Another one"), 32 + db::dbformat::kEncrypt);
    // A new salt: no page of the copy equals the source's.
    EXPECT_NE(ReadBytes(copy).substr(8, 16), ReadBytes(sealed).substr(8, 16));
    Engine next;
    EXPECT_EQ(ErrorNumber(
                  [&] { next.OpenDatabase(copy, false, false, std::string(";pwd=") + kPassword); }),
              err::kBadPassword);
    next.OpenDatabase(copy, false, false, ";pwd=Another one");
    EXPECT_EQ(Query(next, copy, "SELECT count(*) FROM Secrets"), (Rows{{"5"}}));
}

// A statement reaches the tables of an encrypted file from another encrypted database; from a
// plain one it gets a clear error, never one that calls the file damaged.
TEST(EncryptedDatabase, ItsTablesAreReachedFromEncryptedDatabasesOnly) {
    TempDir dir;
    Engine engine;
    const std::string vault = MakeSecrets(engine, dir, "vault.mdb", 3);
    const std::string statement = "SELECT COUNT(*) FROM Secrets IN '" + vault + "' ';pwd=" +
                                  std::string(kPassword) + "'";

    const std::string plain = dir.File("plain.mdb");
    engine.CreateDatabase(plain, kLocale, 32);
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { Query(engine, plain, statement); }, &description),
              err::kNotSupported);
    EXPECT_NE(description.find("encrypted"), std::string::npos) << description;
    EXPECT_NE(description.find(vault), std::string::npos) << description;
    EXPECT_EQ(description.find("damaged"), std::string::npos) << description;

    const std::string other = MakeSecrets(engine, dir, "other.mdb", 1);
    EXPECT_EQ(Query(engine, other, statement), (Rows{{"3"}}));
}

TEST(EncryptedDatabase, ThePasswordIsWrittenToNoFile) {
    TempDir dir;
    {
        Engine engine;
        const std::string sealed = MakeSecrets(engine, dir, "vault.mdb", 50);
        engine.CompactDatabase(sealed, dir.File("copy.mdb"), kLocale, 32);
        engine.CompactDatabase(sealed, dir.File("open.mdb"), kLocale, 32 + db::dbformat::kDecrypt);
        engine.CompactDatabase(dir.File("open.mdb"), dir.File("again.mdb"), WithPassword(kPassword),
                               32 + db::dbformat::kEncrypt);
    }
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        EXPECT_FALSE(Contains(entry.path().string(), kPassword)) << entry.path();
        EXPECT_FALSE(Contains(entry.path().string(), "Correct Horse")) << entry.path();
    }
    EXPECT_EQ(files, 4);
}

// Rough speed of an encrypted file against a plain one (printed, and bounded loosely so that
// a pathological slowdown fails).
TEST(EncryptedDatabase, SpeedAgainstAPlainFile) {
    TempDir dir;
    Engine engine;
    const auto timed = [&](const std::string& name, const std::string& locale) {
        const std::string path = dir.File(name);
        engine.CreateDatabase(path, locale, 32);
        engine.OpenDatabase(path, false, false, std::string(";pwd=") + kPassword);
        const auto start = std::chrono::steady_clock::now();
        RunAll(engine, path,
               {"CREATE TABLE T (ID LONG PRIMARY KEY, Note TEXT(100))",
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 50000) "
                "INSERT INTO T SELECT i, hex(randomblob(40)) FROM n"});
        for (int i = 0; i < 100; ++i)
            RunAll(engine, path, {"UPDATE T SET Note = 'x' WHERE ID = " + std::to_string(i * 7)});
        const auto written = std::chrono::steady_clock::now();
        for (int i = 0; i < 5; ++i)
            Query(engine, path, "SELECT count(*), sum(length(Note)) FROM T");
        const auto read = std::chrono::steady_clock::now();
        using Ms = std::chrono::duration<double, std::milli>;
        return std::pair{Ms(written - start).count(), Ms(read - written).count()};
    };
    const auto plain = timed("plain.mdb", kLocale);
    const auto sealed = timed("sealed.mdb", WithPassword(kPassword));
    std::printf("[speed] 50000 rows + 100 single-row commits: plain %.0f ms, encrypted %.0f ms\n",
                plain.first, sealed.first);
    std::printf("[speed] 5 full scans: plain %.0f ms, encrypted %.0f ms\n", plain.second,
                sealed.second);
    EXPECT_LT(sealed.first, plain.first * 20 + 2000);
    EXPECT_LT(sealed.second, plain.second * 20 + 2000);
}

}  // namespace
}  // namespace tessel::test::platform_tests
