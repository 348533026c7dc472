// The engine over single-file databases: opening, creating, versions, statements and cursors.
#include <gtest/gtest.h>

#include "core/db/engine.h"
#include "core/db/sha256.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::Engine;
using db::EngineError;
namespace err = db::err;

TEST(PlatformEngine, CreatedDatabasesReadTheirVersion) {
    TempDir dir;
    Engine engine;
    const std::pair<int, const char*> formats[] = {{8, "1.1"}, {16, "2.0"}, {32, "3.0"}};
    for (const auto& [options, version] : formats) {
        const std::string path = NewDatabase(engine, dir, std::string("v") + version, options);
        auto db = engine.OpenDatabase(path, false, false, "");
        EXPECT_EQ(db->Version(), version);
        EXPECT_EQ(db->Name(), path);
        EXPECT_EQ(db->Connect(), "");
    }
}

TEST(PlatformEngine, CreatingOverAnExistingFileOrInAMissingDirectoryFails) {
    TempDir dir;
    Engine engine;
    const std::string path = NewDatabase(engine, dir);
    const std::string before = ReadBytes(path);
    EXPECT_EQ(ErrorNumber([&] { engine.CreateDatabase(path, "", 32); }), err::kDatabaseExists);
    EXPECT_EQ(ReadBytes(path), before);
    std::string description;
    EXPECT_EQ(
        ErrorNumber([&] { engine.CreateDatabase(dir.File("no/such.mdb"), "", 32); }, &description),
        err::kBadPath);
    EXPECT_NE(description.find("no/such.mdb"), std::string::npos) << description;
    EXPECT_EQ(ErrorNumber([&] { engine.CreateDatabase(dir.File("x.mdb"), "", 7); }),
              err::kInvalidArgument);
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.mdb")));
}

TEST(PlatformEngine, StatementsRunAndCursorsStreamRows) {
    TempDir dir;
    Engine engine;
    const std::string path = NewDatabase(engine, dir);
    RunAll(engine, path,
           {"CREATE TABLE t (id INTEGER, name VARCHAR(20), price REAL, data BLOB)",
            "INSERT INTO t VALUES (1, 'one', 1.5, x'0102')",
            "INSERT INTO t VALUES (2, NULL, 2, NULL)"});
    auto connection = engine.OpenConnection(AccessConnection(path));
    auto cursor = connection->Execute("SELECT id, name, price, data FROM t ORDER BY id");
    ASSERT_EQ(cursor->Columns().size(), 4u);
    EXPECT_EQ(cursor->Columns()[0].name, "id");
    EXPECT_EQ(cursor->Columns()[1].declaredType, "VARCHAR(20)");
    EXPECT_EQ(cursor->Columns()[1].type, db::ftype::kText);
    EXPECT_EQ(cursor->Columns()[1].size, 20);
    ASSERT_TRUE(cursor->Next());
    EXPECT_EQ(cursor->Get(0).kind, db::ValueView::Kind::Integer);
    EXPECT_EQ(cursor->Get(1).bytes, "one");
    EXPECT_EQ(cursor->Get(2).real, 1.5);
    EXPECT_EQ(cursor->Get(3).kind, db::ValueView::Kind::Blob);
    EXPECT_EQ(cursor->Get(3).bytes, std::string("\x01\x02"));
    ASSERT_TRUE(cursor->Next());
    EXPECT_EQ(cursor->Get(1).kind, db::ValueView::Kind::Null);
    EXPECT_FALSE(cursor->Next());
    EXPECT_FALSE(cursor->Next());

    auto update = connection->Execute("UPDATE t SET price = price + 1");
    EXPECT_TRUE(update->Columns().empty());
    EXPECT_EQ(update->RecordsAffected(), 2);
    auto none = connection->Execute("SELECT * FROM t WHERE id > 5");
    EXPECT_EQ(none->Columns().size(), 4u);
    EXPECT_FALSE(none->Next());
}

TEST(PlatformEngine, EmptyStatementAndTextAfterTheStatementFail) {
    TempDir dir;
    Engine engine;
    const std::string path = NewDatabase(engine, dir);
    auto connection = engine.OpenConnection(AccessConnection(path));
    EXPECT_EQ(ErrorNumber([&] { connection->Execute(""); }), err::kInvalidStatement);
    EXPECT_EQ(ErrorNumber([&] { connection->Execute("  ;  "); }), err::kInvalidStatement);
    EXPECT_EQ(ErrorNumber([&] { connection->Execute("SELECT 1; SELECT 2"); }),
              err::kTextAfterStatement);
    EXPECT_EQ(Query(engine, path, "SELECT 1;"), (Rows{{"1"}}));
    // A trigger's body holds statements of its own.
    connection->Execute("CREATE TABLE T (A LONG, B LONG)");
    connection->Execute(
        "CREATE TRIGGER T_copy AFTER INSERT ON T BEGIN UPDATE T SET B = NEW.A * 2 WHERE A = "
        "NEW.A; SELECT 1; END");
    connection->Execute("INSERT INTO T (A) VALUES (21)");
    EXPECT_EQ(Query(engine, path, "SELECT B FROM T"), (Rows{{"42"}}));
}

TEST(PlatformEngine, TablesQueriesAndSystemObjects) {
    TempDir dir;
    Engine engine;
    const std::string path = NewDatabase(engine, dir);
    RunAll(engine, path,
           {"CREATE TABLE Customers (id INTEGER)", "CREATE TABLE Orders (id INTEGER)",
            "CREATE VIEW Big AS SELECT * FROM Orders WHERE id > 10"});
    auto db = engine.OpenDatabase(path, false, false, "");
    std::vector<std::string> user;
    for (const auto& table : db->TableDefs()) {
        const bool system = (table.attributes & db::attr::kSystemObjectMask) != 0;
        const bool named = table.name.rfind("MSys", 0) == 0 || table.name.rfind("sqlite_", 0) == 0;
        EXPECT_EQ(system, named) << table.name;
        if (!system)
            user.push_back(table.name);
    }
    EXPECT_EQ(user, (std::vector<std::string>{"Customers", "Orders"}));
    EXPECT_EQ(db->QueryDefs(), (std::vector<std::string>{"Big"}));
    db->Close();
    db->Close();
    EXPECT_EQ(ErrorNumber([&] { db->TableDefs(); }), err::kObjectClosed);
}

TEST(PlatformEngine, ConnectionTypesWithoutADriverNameTheTypeInTheirError) {
    TempDir dir;
    Engine engine;
    const std::string path = NewDatabase(engine, dir);
    for (const char* connect : {"Lotus 1-2-3;", "Btrieve;"}) {
        std::string description;
        EXPECT_EQ(
            ErrorNumber([&] { engine.OpenDatabase(path, false, false, connect); }, &description),
            err::kNoDriver)
            << connect;
        EXPECT_NE(description.find(connect), std::string::npos) << description;
    }
    auto db = engine.OpenDatabase(path, false, false, ";pwd=secret");
    EXPECT_EQ(db->Connect(), ";pwd=secret");
}

TEST(PlatformEngine, ConnectionStringsChooseTheDriver) {
    TempDir dir;
    Engine engine;
    const std::string path = NewDatabase(engine, dir);
    EXPECT_EQ(engine.OpenConnection(AccessConnection(path))->ConnectionString(),
              AccessConnection(path));
    for (const char* source : {"Btrieve Files"}) {
        const std::string text = std::string("Provider=MSDASQL.1;Extended Properties=DSN=") +
                                 source + ";DBQ=" + path + ";";
        EXPECT_EQ(ErrorNumber([&] { engine.OpenConnection(text); }), err::kNoDriver) << source;
    }
    // A directory of tables reaches the dBase and FoxPro driver.
    for (const char* source : {"dBASE Files", "FoxPro Files"}) {
        const std::string text = std::string("Provider=MSDASQL.1;Extended Properties=DSN=") +
                                 source + ";DBQ=" + dir.Path().string() + ";";
        EXPECT_EQ(engine.OpenConnection(text)->ConnectionString(), text) << source;
    }
    // The text and Paradox drivers refuse a single file: their database is a directory.
    EXPECT_EQ(ErrorNumber([&] {
                  engine.OpenConnection(
                      "Provider=MSDASQL.1;Extended Properties=DSN=Paradox Files;"
                      "DBQ=" +
                      path + ";");
              }),
              err::kUnreadableDatabase);
    EXPECT_EQ(ErrorNumber([&] {
                  engine.OpenConnection(
                      "Provider=MSDASQL.1;Extended Properties=DSN=Text Files;"
                      "DBQ=" +
                      path + ";");
              }),
              err::kUnreadableDatabase);
    // A machine's own data source goes to the ODBC driver (odbc_sqlite_test.cpp).
    std::string description;
    const std::string missing = dir.File("missing.mdb");
    EXPECT_EQ(ErrorNumber([&] { engine.OpenConnection(AccessConnection(missing)); }, &description),
              err::kFileMissing);
    EXPECT_NE(description.find(missing), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(PlatformEngine, PasswordProtectedDatabasesNeedTheLastPwdPart) {
    TempDir dir;
    Engine engine;
    const std::string path = dir.File("secret.mdb");
    engine.CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=Open Sesame", 32);
    EXPECT_EQ(ReadBytes(path).find("Open Sesame"), std::string::npos);
    EXPECT_EQ(ErrorNumber([&] { engine.OpenDatabase(path, false, false, ""); }), err::kBadPassword);
    EXPECT_EQ(ErrorNumber([&] { engine.OpenDatabase(path, false, false, ";pwd=open sesame"); }),
              err::kBadPassword);
    auto db = engine.OpenDatabase(path, false, false, ";pwd=wrong;pwd=Open Sesame");
    EXPECT_EQ(db->Version(), "3.0");
    for (const auto& property : db->Properties())
        EXPECT_NE(property.name, "Password");
    // Opened with its password, the file stays open to this run: statements and reopening
    // need no password, while another run must give it again.
    EXPECT_EQ(engine.OpenDatabase(path, false, false, "")->Version(), "3.0");
    EXPECT_NO_THROW(engine.OpenConnection(AccessConnection(path)));
    Engine otherRun;
    EXPECT_EQ(ErrorNumber([&] { otherRun.OpenConnection(AccessConnection(path)); }),
              err::kBadPassword);
    EXPECT_EQ(ErrorNumber([&] { otherRun.OpenDatabase(path, false, false, ""); }),
              err::kBadPassword);
    // A database without a password ignores one given.
    const std::string open = NewDatabase(engine, dir, "open.mdb");
    EXPECT_EQ(engine.OpenDatabase(open, false, false, ";pwd=x")->Version(), "3.0");
}

TEST(PlatformEngine, WorkspacesOpenDatabasesForTheAdminUser) {
    TempDir dir;
    Engine engine;
    const std::string path = NewDatabase(engine, dir);
    auto workspace = engine.CreateWorkspace("#Default Workspace#", "admin", "");
    EXPECT_EQ(workspace->UserName(), "admin");
    EXPECT_EQ(workspace->OpenDatabase(path, false, false, "")->Version(), "3.0");
    workspace->Close();
    EXPECT_EQ(ErrorNumber([&] { workspace->OpenDatabase(path, false, false, ""); }),
              err::kObjectClosed);
}

TEST(PlatformEngine, Sha256Digests) {
    EXPECT_EQ(db::Sha256Hex("abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(db::Sha256Hex(std::string(1000, 'a')),
              "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3");
    EXPECT_EQ(db::Sha256Hex(""),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(PlatformEngine, OpenObjectsSeeChangesAndReplacedFilesAreNotConfused) {
    TempDir dir;
    Engine engine;
    const std::string path = NewDatabase(engine, dir);
    auto db = engine.OpenDatabase(path, false, false, "");
    auto readOnly = engine.OpenDatabase(path, false, true, "");
    RunAll(engine, path, {"CREATE TABLE Fresh (A TEXT(9))"});
    EXPECT_EQ(db->Fields("Fresh")[0].size, 9);
    EXPECT_EQ(readOnly->Fields("Fresh")[0].size, 9);

    // The file is replaced by another database under the same name.
    db->Close();
    readOnly->Close();
    std::filesystem::remove(path);
    engine.CreateDatabase(path, "", db::dbformat::kVersion20);
    auto again = engine.OpenDatabase(path, false, false, "");
    EXPECT_EQ(again->Version(), "2.0");
    EXPECT_EQ(ErrorNumber([&] { again->Fields("Fresh"); }), err::kItemNotFound);
    EXPECT_EQ(ErrorNumber([&] { Query(engine, path, "SELECT * FROM Fresh"); }),
              err::kTableNotFound);
}

// A statement long enough to reach the progress hook many times.
std::string CountTo(int last) {
    return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(last) + ") SELECT count(*) FROM n";
}

TEST(PlatformEngine, AProgressHookKeepsLongStatementsGoingOrCancelsThem) {
    TempDir dir;
    Engine engine;
    const std::string path = NewDatabase(engine, dir);
    const std::string longCount = CountTo(300000);
    int calls = 0;
    engine.SetProgressHook([&] { return ++calls < 5; });
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { Query(engine, path, longCount); }, &description),
              err::kQueryCancelled);
    EXPECT_EQ(calls, 5);
    engine.SetProgressHook([&] { return ++calls > 0; });
    EXPECT_EQ(Query(engine, path, longCount), (Rows{{"300000"}}));
    EXPECT_GT(calls, 10);
    engine.SetProgressHook({});
    const int before = calls;
    EXPECT_EQ(Query(engine, path, longCount), (Rows{{"300000"}}));
    EXPECT_EQ(calls, before);
}

TEST(PlatformEngine, WorkThatMustEndWholeIsNotCancelled) {
    TempDir dir;
    Engine engine;
    const std::string path = NewDatabase(engine, dir);
    const std::string longCount = CountTo(100000);
    int calls = 0;
    engine.SetProgressHook([&] { return ++calls < 0; });  // a stop was asked for
    {
        const Engine::UninterruptedScope outer(engine);
        {
            const Engine::UninterruptedScope inner(engine);
            EXPECT_EQ(Query(engine, path, longCount), (Rows{{"100000"}}));
        }
        EXPECT_EQ(Query(engine, path, longCount), (Rows{{"100000"}}));
        // A hook set meanwhile counts once the work is done.
        engine.SetProgressHook([&] { return ++calls < 2; });
        EXPECT_EQ(Query(engine, path, longCount), (Rows{{"100000"}}));
    }
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(ErrorNumber([&] { Query(engine, path, longCount); }), err::kQueryCancelled);
    EXPECT_EQ(calls, 2);
}

TEST(PlatformEngine, ValuesAsText) {
    EXPECT_EQ(db::ValueToText(db::Value{}), "");
    EXPECT_EQ(db::ValueToText(true), "True");
    EXPECT_EQ(db::ValueToText(false), "False");
    EXPECT_EQ(db::ValueToText(std::int64_t{-42}), "-42");
    EXPECT_EQ(db::ValueToText(2.5), "2.5");
    EXPECT_EQ(db::ValueToText(std::string("3.0")), "3.0");
}

}  // namespace
}  // namespace tessel::test::platform_tests
