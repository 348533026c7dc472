// Registering and connecting ODBC data sources with the SQLite3 driver: the driver list, the
// registration that the driver manager's own tool lists, dbMake and dbOpen under "ODBC;" with
// their status texts, statements through the data source, and a data source without a file.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/script/odbc_data_sources.h"
#include "core/session/connection_types.h"
#include "odbc_fixture.h"

namespace tessel::test {
namespace {

using OdbcSqlite = OdbcScriptTest;

TEST_F(OdbcSqlite, AFreshMachineOffersTheInstalledDrivers) {
    const auto drivers = GetDSNsAndDrivers();
    EXPECT_EQ(drivers, (std::vector<std::string>{kSqliteDriver, kPostgresDriver}));
}

TEST_F(OdbcSqlite, RegistrationWritesADataSourceThatTheDriverManagerLists) {
    const std::string file =
        AccessFile("shop.sqlite", "CREATE TABLE Parts (Id LONG, Name TEXT(20))");
    AnswerRegistration("Shop");
    Run("dbConnect ODBC;\r\ndbMake " + file + ";");

    ASSERT_EQ(ui.odbcForms.size(), 1u);
    // The dialog opens with the file and the first driver whose name holds its extension's end.
    EXPECT_EQ(ui.odbcForms[0].database, file);
    EXPECT_EQ(ui.odbcForms[0].driver, kSqliteDriver);
    EXPECT_EQ(Boxes(), "");
    EXPECT_EQ(ui.StatusText(), "User Data Source Name registration: Shop succeeded.");
    EXPECT_EQ(ListedDataSources(), "[Shop]\n");
    // The SQLite3 driver reads the file from Database.
    EXPECT_NE(ReadBytes(odbc.UserIni()).find("Database=" + file), std::string::npos)
        << ReadBytes(odbc.UserIni());
    // The data source's driver, then the installed drivers, neighbours reduced to one.
    EXPECT_EQ(GetDSNsAndDrivers(), (std::vector<std::string>{kSqliteDriver, kPostgresDriver}));
}

TEST_F(OdbcSqlite, CancelRegistersNothingAndShowsNothing) {
    Run("dbConnect ODBC;dbMake " + dir.File("x.sqlite") + ";");
    EXPECT_EQ(ui.odbcForms.size(), 1u);
    EXPECT_EQ(Boxes(), "");
    EXPECT_EQ(ListedDataSources(), "");
    EXPECT_GE(ui.treeClears, 1);
}

TEST_F(OdbcSqlite, AnUnknownDriverIsReportedNotDropped) {
    AnswerRegistration("Ghost", "No Such Driver");
    Run("dbConnect ODBC;dbMake " + dir.File("x.sqlite") + ";");
    EXPECT_NE(Boxes().find("3170: The data source 'Ghost' could not be registered"),
              std::string::npos)
        << Boxes();
    EXPECT_EQ(ListedDataSources(), "");
}

TEST_F(OdbcSqlite, DbOpenConnectsAndOpensTheDataSourcesFile) {
    const std::string file = PartsFile();
    AnswerRegistration("Shop");
    Run("dbConnect ODBC;dbMake " + file + ";dbOpen Shop;");

    EXPECT_EQ(Boxes(), "") << ReadBytes(odbc.UserIni());
    EXPECT_EQ(ui.StatusText(), "User Data Source Name: Shop connected.");
    ASSERT_TRUE(session.state.current.databaseOpen);
    ASSERT_TRUE(session.state.current.currentDatabase);
    EXPECT_EQ(session.state.current.currentDatabase->Name(), file);
    EXPECT_EQ(session.state.odbc.database, file);
    EXPECT_EQ(session.state.current.connectionType, "ODBC;");
    EXPECT_EQ(session.state.current.currentConnect,
              "ODBC;DSN=Shop;UID=;PWD=;Database=" + file + ";");
    EXPECT_GE(ui.treeReloads, 1);
}

TEST_F(OdbcSqlite, StatementsRunThroughTheDataSourceAndItIsConnectedAgain) {
    const std::string file = PartsFile();
    AnswerRegistration("Shop");
    Run("dbConnect ODBC;dbMake " + file + ";dbOpen Shop;SELECT Name FROM Parts ORDER BY Id;");

    EXPECT_EQ(Boxes(), "");
    EXPECT_EQ(ui.viewCaption, "recordset1");
    EXPECT_EQ(ui.StatusText(), "User Data Source Name: Shop connected.");
    EXPECT_TRUE(session.state.current.databaseOpen);
    EXPECT_EQ(FirstColumn(RecordsetPath(1), "SELECT Name FROM recordset"),
              (std::vector<std::string>{"bolt", "nut"}));
}

TEST_F(OdbcSqlite, AStatementTheDataSourceRefusesShowsOneBoxAndTheScriptGoesOn) {
    const std::string file = AccessFile("shop.sqlite", "CREATE TABLE Parts (Id LONG)");
    AnswerRegistration("Shop");
    Run("dbConnect ODBC;dbMake " + file + ";dbOpen Shop;SELEC nonsense;SELECT Id FROM Parts;");
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].caption, "DBEngine error");
    EXPECT_EQ(ui.boxes[0].text.rfind("3146: ", 0), 0u) << ui.boxes[0].text;
    EXPECT_EQ(ui.viewCaption, "recordset1");
}

TEST_F(OdbcSqlite, ADataSourceWithoutAFileIsItselfTheCurrentDatabase) {
    AnswerRegistration("Scratch", kSqliteDriver, "");
    Run("dbConnect ODBC;dbMake " + dir.File("unused.sqlite") + ";dbOpen Scratch;");
    EXPECT_EQ(ui.StatusText(), "User Data Source Name: Scratch connected.") << Boxes();
    // Registered without a database, the driver has no file to name.
    EXPECT_EQ(ReadBytes(odbc.UserIni()).find("Database="), std::string::npos)
        << ReadBytes(odbc.UserIni());
    ASSERT_TRUE(session.state.current.currentDatabase) << Boxes();
    EXPECT_EQ(session.state.current.currentDatabase->Name(), "Scratch");
    EXPECT_EQ(Boxes(), "");
}

TEST_F(OdbcSqlite, AStatementConnectionToAnUnknownDataSourceNamesIt) {
    try {
        session.engine.OpenConnection("PROVIDER=MSDASQL.1;DSN=Nowhere;UID=sa;PWD=;");
        FAIL() << "connected to a data source that does not exist";
    } catch (const db::EngineError& error) {
        EXPECT_EQ(error.Number(), db::err::kOdbcFailed);
        EXPECT_NE(error.Description().find("DSN=Nowhere;UID=sa;"), std::string::npos)
            << error.Description();
        ASSERT_FALSE(error.Details().empty());
        EXPECT_NE(error.Details()[0].description.find("[IM002]"), std::string::npos);
    }
}

TEST_F(OdbcSqlite, DbOpenAfterDbConnectAccessOpensTheFileAgain) {
    const std::string file = AccessFile("shop.mdb", "CREATE TABLE Parts (Id LONG)");
    Run("dbConnect ODBC;dbOpen " + file + ";dbConnect Access;dbOpen " + file + ";");
    // Under ODBC the name is a data source's, which the machine does not have.
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].text.rfind("3146: ", 0), 0u);
    ASSERT_TRUE(session.state.current.currentDatabase);
    EXPECT_EQ(session.state.current.currentDatabase->Name(), file);
}

TEST_F(OdbcSqlite, AnUnknownDataSourceLeavesNoDatabaseCurrent) {
    const std::string file = AccessFile("shop.sqlite", "CREATE TABLE Parts (Id LONG)");
    Run("dbOpen " + file + ";dbConnect ODBC;dbOpen Nowhere;");
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].text.rfind("3146: The data source could not be connected", 0), 0u)
        << ui.boxes[0].text;
    EXPECT_FALSE(session.state.current.databaseOpen);
    EXPECT_FALSE(session.state.current.currentDatabase);
}

}  // namespace
}  // namespace tessel::test
