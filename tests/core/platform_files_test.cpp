// What opening a file gives: clear errors for missing files, directories, foreign, damaged and
// genuine Jet files; read-only files open read-only; opening never changes a file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "core/db/engine.h"
#include "platform_test_util.h"
#include "test_paths.h"

namespace tessel::test::platform_tests {
namespace {

using db::Engine;
namespace err = db::err;
namespace fs = std::filesystem;

long OpenError(Engine& engine, const std::string& path, std::string* description = nullptr) {
    return ErrorNumber([&] { engine.OpenDatabase(path, false, false, "")->TableDefs(); },
                       description);
}

std::string MakeFilledDatabase(Engine& engine, const TempDir& dir, const std::string& name) {
    const std::string path = NewDatabase(engine, dir, name);
    RunAll(engine, path,
           {"CREATE TABLE T (ID LONG, Name TEXT(100))",
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199) "
            "INSERT INTO T SELECT i, 'row ' || i || hex(randomblob(40)) FROM n"});
    return path;
}

TEST(PlatformFiles, MissingFileNamesThePathAndIsNotCreated) {
    TempDir dir;
    Engine engine;
    const std::string path = dir.File("absent.mdb");
    std::string description;
    EXPECT_EQ(OpenError(engine, path, &description), err::kFileMissing);
    EXPECT_NE(description.find(path), std::string::npos) << description;
    EXPECT_FALSE(fs::exists(path));
}

TEST(PlatformFiles, DirectoryIsNotADatabaseFile) {
    TempDir dir;
    Engine engine;
    std::string description;
    EXPECT_EQ(OpenError(engine, dir.Path().string(), &description), err::kBadPath);
    EXPECT_NE(description.find("directory"), std::string::npos) << description;
}

TEST(PlatformFiles, RandomBytesAndEmptyFilesAreUnreadable) {
    TempDir dir;
    Engine engine;
    std::mt19937 random(7);
    std::string bytes(8192, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    const std::string noise = dir.File("noise.mdb");
    WriteBytes(noise, bytes);
    std::string description;
    EXPECT_EQ(OpenError(engine, noise, &description), err::kUnreadableDatabase);
    EXPECT_NE(description.find(noise), std::string::npos);
    EXPECT_EQ(ReadBytes(noise), bytes);
    const std::string empty = dir.File("empty.mdb");
    WriteBytes(empty, "");
    EXPECT_EQ(OpenError(engine, empty), err::kUnreadableDatabase);
    EXPECT_EQ(fs::file_size(empty), 0u);
}

TEST(PlatformFiles, TruncatedDatabaseIsUnreadable) {
    TempDir dir;
    Engine engine;
    const std::string path = MakeFilledDatabase(engine, dir, "whole.mdb");
    const std::string whole = ReadBytes(path);
    const std::string cut = dir.File("cut.mdb");
    WriteBytes(cut, whole.substr(0, whole.size() / 2));
    Engine other;
    std::string description;
    EXPECT_EQ(OpenError(other, cut, &description), err::kUnreadableDatabase);
    EXPECT_NE(description.find(cut), std::string::npos) << description;
    const std::string ragged = dir.File("ragged.mdb");
    WriteBytes(ragged, whole.substr(0, whole.size() - 100));
    EXPECT_EQ(OpenError(other, ragged), err::kUnreadableDatabase);
}

TEST(PlatformFiles, DamagedPagesAreReportedAsUnreadable) {
    TempDir dir;
    Engine engine;
    const std::string path = MakeFilledDatabase(engine, dir, "damaged.mdb");
    std::string bytes = ReadBytes(path);
    // Overwrite the schema page's body: the structure cannot be read any more.
    for (std::size_t i = 100; i < 4096 && i < bytes.size(); ++i)
        bytes[i] = '\xff';
    WriteBytes(path, bytes);
    Engine other;
    EXPECT_EQ(OpenError(other, path), err::kUnreadableDatabase);
}

TEST(PlatformFiles, OpeningAndReadingNeverChangesTheFile) {
    TempDir dir;
    std::string path;
    {
        Engine engine;
        path = MakeFilledDatabase(engine, dir, "kept.mdb");
    }
    // A plain file without metadata tables stays without them too.
    const std::string plain = dir.File("plain.db");
    sqlite3* raw = nullptr;
    sqlite3_open(plain.c_str(), &raw);
    sqlite3_exec(raw,
                 "CREATE TABLE p (a INTEGER PRIMARY KEY, b TEXT); INSERT INTO p VALUES (1, 'x')",
                 nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    for (const std::string& file : {path, plain}) {
        const std::string before = ReadBytes(file);
        struct stat info {};
        ::stat(file.c_str(), &info);
        const auto modified = info.st_mtim;
        Engine engine;
        auto db = engine.OpenDatabase(file, false, false, "");
        for (const auto& table : db->TableDefs()) {
            db->Fields(table.name);
            db->Indexes(table.name);
            db->TableProperties(table.name);
        }
        db->Properties();
        db->Version();
        Query(engine, file, "SELECT * FROM " + db->TableDefs().front().name);
        db->Close();
        EXPECT_EQ(ReadBytes(file), before) << file;
        ::stat(file.c_str(), &info);
        EXPECT_EQ(info.st_mtim.tv_sec, modified.tv_sec);
        EXPECT_EQ(info.st_mtim.tv_nsec, modified.tv_nsec);
        EXPECT_FALSE(fs::exists(file + "-journal"));
    }
}

// Runs `check` as an unprivileged user when the tests run as root (root writes to read-only
// files), in a child process; returns the child's exit code.
template <typename Check>
int AsUnprivilegedUser(Check&& check) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(90);
        ::_exit(check());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

TEST(PlatformFiles, ReadOnlyFileOpensAndRefusesWrites) {
    TempDir dir;
    Engine engine;
    const std::string path = MakeFilledDatabase(engine, dir, "locked.mdb");
    ::chmod(dir.Path().c_str(), 0755);
    ::chmod(path.c_str(), 0444);
    const std::string before = ReadBytes(path);
    const int result = AsUnprivilegedUser([&] {
        Engine other;
        auto db = other.OpenDatabase(path, false, false, "");
        if (db->TableDefs().size() != 4u)
            return 1;  // T and the three metadata tables
        if (Query(other, path, "SELECT count(*) FROM T") != Rows{{"200"}})
            return 2;
        if (ErrorNumber([&] { RunAll(other, path, {"DELETE FROM T"}); }) != err::kReadOnly) {
            return 3;
        }
        if (ErrorNumber([&] { RunAll(other, path, {"CREATE TABLE U (A LONG)"}); }) !=
            err::kReadOnly) {
            return 4;
        }
        if (ErrorNumber([&] { db->RenameTable("T", "U"); }) != err::kReadOnly)
            return 5;
        bool updatable = true;
        for (const auto& property : db->Properties()) {
            if (property.name == "Updatable")
                updatable = std::get<bool>(property.value);
        }
        return updatable ? 6 : 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadBytes(path), before);
}

TEST(PlatformFiles, ReadOnlyOpenRefusesWritesOnAWritableFile) {
    TempDir dir;
    Engine engine;
    const std::string path = MakeFilledDatabase(engine, dir, "ro.mdb");
    auto db = engine.OpenDatabase(path, false, true, "");
    EXPECT_EQ(
        ErrorNumber([&] { db->CreateProperty("Owner", db::ftype::kText, std::string("me")); }),
        err::kReadOnly);
    EXPECT_EQ(ErrorNumber([&] { db->RenameTable("T", "U"); }), err::kReadOnly);
    // Statements through the statement runner still write.
    RunAll(engine, path, {"DELETE FROM T WHERE ID = 0"});
}

TEST(PlatformFiles, StatementErrorsCarryNumbersAndSqliteDetails) {
    TempDir dir;
    Engine engine;
    const std::string path = NewDatabase(engine, dir);
    auto connection = engine.OpenConnection(AccessConnection(path));
    try {
        connection->Execute("SELEC * FROM T");
        FAIL() << "no error";
    } catch (const db::EngineError& error) {
        EXPECT_EQ(error.Number(), err::kSyntaxError);
        ASSERT_EQ(error.Details().size(), 1u);
        EXPECT_EQ(error.Details()[0].source, "SQLite");
        EXPECT_EQ(error.Details()[0].number, SQLITE_ERROR);
        EXPECT_NE(error.Description().find(error.Details()[0].description), std::string::npos);
    }
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { connection->Execute("SELECT * FROM Nowhere"); }, &description),
              err::kTableNotFound);
    EXPECT_NE(description.find("Nowhere"), std::string::npos);
    connection->Execute("CREATE TABLE T (A LONG)");
    EXPECT_EQ(ErrorNumber([&] { connection->Execute("SELECT Nope FROM T"); }), err::kUnknownField);
    EXPECT_EQ(ErrorNumber([&] { connection->Execute("SELECT Frobnicate(1)"); }),
              err::kUndefinedFunction);
    EXPECT_EQ(ErrorNumber([&] { connection->Execute("CREATE VIEW T AS SELECT 1"); }),
              err::kObjectExists);
}

TEST(PlatformFiles, GenuineJetFilesAreReadAndNeverChanged) {
    const std::string data = TESSEL_TESTDATA_DIR;
    for (const char* relative :
         {"/jackcess/src/test/data/V1997/testV1997.mdb", "/mdb-reader/test/data/V2000/numeric.mdb",
          "/mdb-reader/test/password/data/V2003_with-password.mdb"}) {
        const std::string file = data + relative;
        ASSERT_TRUE(fs::exists(file)) << file;
        const std::string before = ReadBytes(file);
        const bool protectedFile = std::string(relative).find("with-password") != std::string::npos;
        Engine engine;
        EXPECT_EQ(OpenError(engine, file), protectedFile ? err::kBadPassword : 0) << file;
        EXPECT_EQ(ErrorNumber([&] { engine.OpenConnection(AccessConnection(file)); }),
                  protectedFile ? err::kBadPassword : 0);
        EXPECT_EQ(ReadBytes(file), before);
    }
}

TEST(PlatformFiles, OtherProgramsFilesAreNotDatabases) {
    const std::string data = TESSEL_TESTDATA_DIR;
    const std::string paradox = data + "/paradoxdriver/src/test/resources/db/CUSTOMER.DB";
    ASSERT_TRUE(fs::exists(paradox)) << paradox;
    Engine engine;
    EXPECT_EQ(OpenError(engine, paradox), err::kUnreadableDatabase);
}

}  // namespace
}  // namespace tessel::test::platform_tests
