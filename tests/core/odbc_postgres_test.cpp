// A PostgreSQL server that the test starts itself (initdb into a temporary directory, pg_ctl on
// a free loopback port, as an unprivileged user), reached through a registered data source: the
// server is the current database, statements go to it unchanged, its tables, keys and foreign
// keys are seen through the Database interface, and the script that Generate writes from it
// recreates the tables in a new Access-type database.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "core/db/drivers/odbc/odbc_driver_settings.h"
#include "core/generate/schema_script.h"
#include "core/session/current_database.h"
#include "odbc_fixture.h"
#include "support/postgres_server.h"

namespace tessel::test {
namespace {

class OdbcPostgres : public OdbcScriptTest {
  protected:
    static void SetUpTestSuite() { server = std::make_unique<PostgresServer>(); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        OdbcScriptTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(server->running) << server->problem;
        // Each test gets a database of its own. The data source names differ from the other
        // suites': the driver manager serves what it read of odbc.ini for 20 seconds.
        database = "t" + std::to_string(++databases);
        const std::string server = Server();
        AnswerRegistration("Pg", "", "postgres", server.c_str());
        Run("dbConnect ODBC;dbMake postgres;dbOpen Pg;CREATE DATABASE " + database + ";");
        ASSERT_EQ(Boxes(), "");
        AnswerRegistration("Orders", kPostgresDriver, database.c_str(), server.c_str());
        Run("dbMake " + database + ";dbOpen Orders;");
        ASSERT_EQ(Boxes(), "");
    }

    std::string Server() const { return "127.0.0.1:" + std::to_string(server->port); }

    db::Database& Current() { return *session.state.current.currentDatabase; }

    static inline std::unique_ptr<PostgresServer> server;
    static inline int databases = 0;
    std::string database;
};

const db::IndexInfo* Named(const std::vector<db::IndexInfo>& indexes, const std::string& name) {
    const auto found = std::find_if(indexes.begin(), indexes.end(),
                                    [&](const db::IndexInfo& index) { return index.name == name; });
    return found == indexes.end() ? nullptr : &*found;
}

constexpr const char* kTwoTables =
    "CREATE TABLE customers (id integer PRIMARY KEY, name varchar(40) NOT NULL);"
    "CREATE TABLE orders (id integer PRIMARY KEY, customer_id integer REFERENCES "
    "customers(id), amount double precision, placed date);"
    "CREATE INDEX orders_placed ON orders (placed DESC);"
    "INSERT INTO customers VALUES (1, 'Ada'), (2, 'Brian');"
    "INSERT INTO orders VALUES (10, 1, 2.5, '2000-02-29'), (11, 2, 7, '1900-03-01');";

TEST_F(OdbcPostgres, TheServerItselfBecomesTheCurrentDatabase) {
    EXPECT_EQ(ui.StatusText(), "User Data Source Name: Orders connected.");
    ASSERT_TRUE(session.state.current.databaseOpen);
    EXPECT_EQ(Current().Name(), "Orders");
    EXPECT_EQ(session.state.odbc.database, database);
    // The PostgreSQL driver reads the server and its port under its own keys.
    const std::string ini = ReadBytes(odbc.UserIni());
    EXPECT_NE(ini.find("Servername=127.0.0.1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Port=" + std::to_string(server->port)), std::string::npos) << ini;
    EXPECT_NE(ListedDataSources().find("[Orders]"), std::string::npos);
}

TEST_F(OdbcPostgres, StatementsGoToTheServerAndRowsComeBack) {
    Run(std::string(kTwoTables) +
        "SELECT c.name, o.amount, o.placed FROM orders o JOIN customers c ON c.id = "
        "o.customer_id ORDER BY o.id;");
    EXPECT_EQ(Boxes(), "");
    EXPECT_EQ(ui.viewCaption, "recordset1");
    EXPECT_EQ(FirstColumn(RecordsetPath(1), "SELECT name FROM recordset"),
              (std::vector<std::string>{"Ada", "Brian"}));
    EXPECT_EQ(FirstColumn(RecordsetPath(1), "SELECT placed FROM recordset"),
              (std::vector<std::string>{"2000-02-29", "1900-03-01"}));
    EXPECT_EQ(FirstColumn(RecordsetPath(1), "SELECT amount FROM recordset"),
              (std::vector<std::string>{"2.5", "7.0"}));
    // After each statement the data source is connected again and still current.
    EXPECT_EQ(ui.StatusText(), "User Data Source Name: Orders connected.");
    EXPECT_TRUE(session.state.current.databaseOpen);
}

// Rows come from the driver in blocks: every value of every block arrives exact, Nulls stay
// Null, texts of four-byte characters fill their declared size, and a number longer than the
// size the driver states is read whole.
TEST_F(OdbcPostgres, ManyRowsArriveWithEveryValueExact) {
    Run("CREATE TABLE many (id integer, name varchar(6), big numeric, note text);"
        "INSERT INTO many SELECT g, CASE WHEN g % 7 = 0 THEN NULL WHEN g % 5 = 0 THEN "
        "'\xF0\x9F\x98\x80\xC3\xBC\xF0\x9F\x98\x80\xC3\xBC\xF0\x9F\x98\x80\xC3\xBC' ELSE 'n' || g "
        "END, CASE WHEN g = 1234 THEN 10 ^ 120::numeric + g ELSE g END, repeat('x', g) FROM "
        "generate_series(1, 1500) g;"
        "SELECT id, name, big FROM many ORDER BY id;"
        "SELECT id, note FROM many ORDER BY id;");
    ASSERT_EQ(Boxes(), "");
    // The INSERT with its SELECT is captured too, as recordset1, without rows.
    ASSERT_EQ(ui.viewCaption, "recordset3");
    const std::string bound = RecordsetPath(2);
    EXPECT_EQ(FirstColumn(bound, "SELECT count(*) FROM recordset"),
              (std::vector<std::string>{"1500"}));
    EXPECT_EQ(FirstColumn(bound, "SELECT sum(id) FROM recordset"),
              (std::vector<std::string>{"1125750"}));
    EXPECT_EQ(FirstColumn(bound, "SELECT count(*) FROM recordset WHERE name IS NULL"),
              (std::vector<std::string>{"214"}));
    EXPECT_EQ(
        FirstColumn(bound, "SELECT name FROM recordset WHERE id IN (5, 1499) ORDER BY id"),
        (std::vector<std::string>{
            "\xF0\x9F\x98\x80\xC3\xBC\xF0\x9F\x98\x80\xC3\xBC\xF0\x9F\x98\x80\xC3\xBC", "n1499"}));
    EXPECT_EQ(
        FirstColumn(bound, "SELECT big FROM recordset WHERE id = 1234"),
        (std::vector<std::string>{"1" + std::string(116, '0') + "1234." + std::string(16, '0')}));
    EXPECT_EQ(FirstColumn(bound, "SELECT big FROM recordset WHERE id = 1500"),
              (std::vector<std::string>{"1500"}));
    const std::string unbounded = RecordsetPath(3);
    EXPECT_EQ(FirstColumn(unbounded, "SELECT sum(length(note)) FROM recordset"),
              (std::vector<std::string>{"1125750"}));
}

// The PostgreSQL driver holds a whole result in memory unless it reads through a cursor: the
// program asks for that where neither the connect text nor the data source chose otherwise.
TEST_F(OdbcPostgres, TheDriverIsToldToReadLargeResultsThroughACursor) {
    const auto cursored = [](const std::string& text) {
        return db::odbc::WithRowsAsRead(text).find("UseDeclareFetch=1") != std::string::npos;
    };
    EXPECT_TRUE(cursored("DSN=Orders;"));
    EXPECT_TRUE(cursored(std::string("DRIVER={") + kPostgresDriver + "};Servername=127.0.0.1"));
    EXPECT_FALSE(cursored(std::string("DRIVER={") + kPostgresDriver + "};UseDeclareFetch=0;"));
    EXPECT_EQ(db::odbc::WithRowsAsRead(std::string("DRIVER={") + kSqliteDriver + "};Database=x;"),
              std::string("DRIVER={") + kSqliteDriver + "};Database=x;");
    EXPECT_EQ(db::odbc::WithRowsAsRead("DSN=NoSuchSource;"), "DSN=NoSuchSource;");
}

TEST_F(OdbcPostgres, TablesKeysAndForeignKeysAreSeenThroughTheDatabase) {
    Run(kTwoTables);
    ASSERT_EQ(Boxes(), "");
    std::vector<std::string> tables;
    for (const auto& table : Current().TableDefs())
        tables.push_back(table.name);
    std::sort(tables.begin(), tables.end());
    EXPECT_EQ(tables, (std::vector<std::string>{"customers", "orders"}));

    const auto fields = Current().Fields("customers");
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].name, "id");
    EXPECT_EQ(fields[0].type, db::ftype::kLong);
    EXPECT_EQ(fields[1].name, "name");
    EXPECT_EQ(fields[1].type, db::ftype::kText);
    EXPECT_EQ(fields[1].size, 40);
    EXPECT_TRUE(fields[1].required);
    const auto orderFields = Current().Fields("orders");
    ASSERT_EQ(orderFields.size(), 4u);
    EXPECT_EQ(orderFields[2].type, db::ftype::kDouble);
    EXPECT_EQ(orderFields[3].type, db::ftype::kDate);

    const auto indexes = Current().Indexes("orders");
    const db::IndexInfo* primary = Named(indexes, "orders_pkey");
    ASSERT_NE(primary, nullptr);
    EXPECT_TRUE(primary->primary);
    EXPECT_EQ(primary->fields, "+id");
    const db::IndexInfo* placed = Named(indexes, "orders_placed");
    ASSERT_NE(placed, nullptr);
    EXPECT_FALSE(placed->unique);
    EXPECT_EQ(placed->fields, "-placed");
    const db::IndexInfo* foreign = Named(indexes, "orders_customer_id_fkey");
    ASSERT_NE(foreign, nullptr);
    EXPECT_TRUE(foreign->foreign);
    EXPECT_EQ(foreign->fields, "+customer_id");

    EXPECT_THROW(Current().Fields("nothing"), db::EngineError);
}

TEST_F(OdbcPostgres, GenerateWritesAScriptThatRecreatesTheTablesInAnAccessDatabase) {
    Run(kTwoTables);
    ASSERT_EQ(Boxes(), "");
    std::string script = SchemaScript(Current(), session.state.current.connectionType, {});
    // The header names the data source; the copy goes into a new file instead.
    const auto makeLine = script.find("dbMake ");
    ASSERT_NE(makeLine, std::string::npos) << script;
    const auto bodyStart = script.find("\r\n", makeLine) + 2;
    const std::string copy = dir.File("copy.mdb");
    script = "dbConnect Access;\r\ndbMake " + copy + ";\r\n" + script.substr(bodyStart);
    Run(script);
    ASSERT_EQ(Boxes(), "") << script;

    ASSERT_TRUE(session.state.current.currentDatabase);
    EXPECT_EQ(session.state.current.currentDatabase->Name(), copy);
    db::Database& made = *session.state.current.currentDatabase;
    const auto fields = made.Fields("customers");
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].type, db::ftype::kLong);
    EXPECT_EQ(fields[1].type, db::ftype::kText);
    EXPECT_EQ(fields[1].size, 40);
    const auto indexes = made.Indexes("orders");
    const db::IndexInfo* primary = Named(indexes, "orders_pkey");
    ASSERT_NE(primary, nullptr);
    EXPECT_TRUE(primary->primary);
    EXPECT_NE(Named(indexes, "orders_placed"), nullptr);
    EXPECT_NE(Named(indexes, "orders_customer_id_fkey"), nullptr);
    EXPECT_EQ(made.Fields("orders")[3].type, db::ftype::kDate);
}

TEST_F(OdbcPostgres, TheQueryTimeOutEndsAStatementThatRunsTooLong) {
    session.state.current.queryTimeout = 1;
    const auto started = std::chrono::steady_clock::now();
    Run("SELECT pg_sleep(5);");
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].caption, "DBEngine error");
    EXPECT_EQ(ui.boxes[0].text.rfind("3146: The data source refused the statement", 0), 0u)
        << ui.boxes[0].text;
    EXPECT_LT(seconds.count(), 4.5);
}

TEST_F(OdbcPostgres, TheProgressHookCancelsARunningStatement) {
    int asked = 0;
    session.engine.SetProgressHook([&] { return ++asked < 3; });
    const auto started = std::chrono::steady_clock::now();
    Run("SELECT pg_sleep(5);");
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
    session.engine.SetProgressHook({});
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].text.rfind("3059: ", 0), 0u) << ui.boxes[0].text;
    EXPECT_LT(seconds.count(), 4.5);
}

}  // namespace
}  // namespace tessel::test
