// Choosing connection types and versions, detecting an opened database's version, and the
// connect texts built from the ODBC connection parts.
#include "core/session/connection_types.h"

#include <gtest/gtest.h>

#include "core/session/current_database.h"
#include "open_session_fixture.h"

namespace tessel::test::opening {
namespace {

class ConnectionTypesTest : public OpenSessionTest {
  protected:
    void ExpectType(const std::string& type, int index) {
        EXPECT_EQ(session.state.current.connectionType, type);
        EXPECT_EQ(session.state.current.versionIndex, index);
    }
    void ExpectWarning(const std::string& text, const std::string& caption) {
        ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
        EXPECT_EQ(ui.boxes[0].text, text);
        EXPECT_EQ(ui.boxes[0].style, 48);
        EXPECT_EQ(ui.boxes[0].caption, caption);
    }
    void Ver(std::string version) { DBVer(session, version); }
};

TEST_F(ConnectionTypesTest, TableHoldsTheTwentyOneRowsInOptionsListOrder) {
    const auto& rows = ConnectionTypes();
    const char* listTexts[] = {
        "Access 1.0",  "Access 1.1", "Access 2.0", "Access 3.0", "Btrieve",     "Dbase III",
        "Dbase IV",    "Dbase V",    "Excel 3.0",  "Excel 4.0",  "Excel 5.0",   "Excel 8.0",
        "FoxPro 2.0",  "FoxPro 2.5", "FoxPro 2.6", "FoxPro 3.0", "Paradox 3.x", "Paradox 4.x",
        "Paradox 5.x", "ODBC",       "Text Files"};
    const char* typeTexts[] = {"Access",
                               "Access",
                               "Access",
                               "Access",
                               "Btrieve;",
                               "Dbase III;",
                               "Dbase IV;",
                               "Dbase 5.0;",
                               "Excel 3.0;HDR=YES;",
                               "Excel 4.0;HDR=YES;",
                               "Excel 5.0;HDR=YES;",
                               "Excel 8.0;HDR=YES;",
                               "FoxPro 2.0;",
                               "FoxPro 2.5;",
                               "FoxPro 2.6;",
                               "FoxPro 3.0;",
                               "Paradox 3.X;",
                               "Paradox 4.X;",
                               "Paradox 5.X;",
                               "ODBC;",
                               "Text;"};
    ASSERT_EQ(rows.size(), 21u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_STREQ(rows[i].listText, listTexts[i]) << i;
        EXPECT_STREQ(rows[i].typeText, typeTexts[i]) << i;
    }
    EXPECT_EQ(rows[0].fileFormat, 8);
    EXPECT_EQ(rows[1].fileFormat, 8);
    EXPECT_EQ(rows[2].fileFormat, 16);
    EXPECT_EQ(rows[3].fileFormat, 32);
    EXPECT_EQ(rows[4].fileFormat, 0);
    EXPECT_STREQ(rows[3].odbcDataSource, "MS Access 97 Database;");
    EXPECT_STREQ(rows[4].odbcDataSource, "Btrieve Files;");
    EXPECT_STREQ(rows[6].odbcDataSource, "dBASE Files;");
    EXPECT_STREQ(rows[9].odbcDataSource, "Excel Files;");
    EXPECT_STREQ(rows[13].odbcDataSource, "FoxPro Files;");
    EXPECT_STREQ(rows[17].odbcDataSource, "Paradox Files;");
    EXPECT_STREQ(rows[20].odbcDataSource, "Text Files;");
}

TEST_F(ConnectionTypesTest, DBConnChoosesEachTypeByItsWord) {
    struct Case {
        const char* word;
        const char* type;
        int index;
    };
    const Case cases[] = {{"Btrieve", "Btrieve;", 4},
                          {"Dbase", "Dbase 5.0;", 7},
                          {"Excel", "Excel 8.0;HDR=YES;", 11},
                          {"FoxPro", "FoxPro 3.0;", 15},
                          {"Paradox", "Paradox 5.X;", 18},
                          {"ODBC", "ODBC;", 19},
                          {"Text", "Text;", 20}};
    for (const auto& c : cases) {
        session.state.current.databaseVersionOption = 16;
        DBConn(session, c.word);
        ExpectType(c.type, c.index);
        EXPECT_EQ(session.state.current.databaseVersionOption, 16) << c.word << " keeps the option";
    }
    DBConn(session, "Access");
    ExpectType("Access", 3);
    EXPECT_EQ(session.state.current.databaseVersionOption, 32);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
}

TEST_F(ConnectionTypesTest, DBConnWarnsAndFallsBackToAccessForAnyOtherWord) {
    for (const char* word : {"access", " Access", "Excel 8.0", ""}) {
        ui.boxes.clear();
        DBConn(session, "Paradox");
        session.state.current.databaseVersionOption = 8;
        DBConn(session, word);
        ExpectWarning("Invalid Jet file connection - default to Access version 3",
                      "Invalid Jet connection");
        ExpectType("Access", 3);
        EXPECT_EQ(session.state.current.databaseVersionOption, 32);
    }
}

TEST_F(ConnectionTypesTest, DBVerUnderDbaseReadsTheFirstCharacterOnce) {
    DBConn(session, "Dbase");
    std::string version = "45";
    DBVer(session, version);
    ExpectType("Dbase IV;", 6);
    EXPECT_EQ(version, "4") << "the caller's text is cut to its first character";
    Ver("3");
    ExpectType("Dbase IV;", 6);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
}

TEST_F(ConnectionTypesTest, DBVerUnderDbaseWarnsForAnUnknownVersion) {
    DBConn(session, "Dbase");
    Ver("7");
    ExpectWarning("Invalid Dbase file version - defaults to version 5.x",
                  "Invalid database version");
    ExpectType("Dbase 5.0;", 7);
    ui.boxes.clear();
    Ver("3.0");
    ExpectType("Dbase III;", 5);
}

TEST_F(ConnectionTypesTest, DBVerUnderExcelActsOnlyOnTheVersionFiveText) {
    DBConn(session, "Excel");
    Ver("4");
    ExpectType("Excel 8.0;HDR=YES;", 11);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();

    session.state.current.versionIndex = 10;
    ConnectTypeText(session, 10);
    Ver("4");
    ExpectType("Excel 4.0;HDR=YES;", 9);

    ConnectTypeText(session, 10);
    Ver("8");
    ExpectWarning("Invalid Excel file version - defaults to version 5.x",
                  "Invalid database version");
    ExpectType("Excel 5.0;HDR=YES;", 10);
}

TEST_F(ConnectionTypesTest, DBVerUnderFoxProComparesTheWholeText) {
    DBConn(session, "FoxPro");
    Ver("2.50");
    ExpectWarning("Invalid FoxPro file version - defaults to version 3.0",
                  "Invalid database version");
    ExpectType("FoxPro 3.0;", 15);
    ui.boxes.clear();
    Ver("2.6");
    ExpectType("FoxPro 2.6;", 14);
    Ver("2.0");
    // A second version needs the 3.0 text again.
    ExpectType("FoxPro 2.6;", 14);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
}

TEST_F(ConnectionTypesTest, DBVerUnderParadox) {
    DBConn(session, "Paradox");
    Ver("3.5");
    ExpectType("Paradox 3.X;", 16);
    ConnectTypeText(session, 18);
    Ver("x");
    ExpectWarning("Invalid Paradox file version - defaults to version 5.x",
                  "Invalid database version");
    ExpectType("Paradox 5.X;", 18);
}

TEST_F(ConnectionTypesTest, DBVerUnderAccessSetsTheFileFormatAndCanBeRepeated) {
    DBConn(session, "Access");
    Ver("1.0");
    ExpectType("Access", 0);
    EXPECT_EQ(session.state.current.databaseVersionOption, 8);
    Ver("1.1");
    ExpectType("Access", 1);
    EXPECT_EQ(session.state.current.databaseVersionOption, 8);
    Ver("2.0");
    ExpectType("Access", 2);
    EXPECT_EQ(session.state.current.databaseVersionOption, 16);
    std::string version = "3.0";
    DBVer(session, version);
    EXPECT_EQ(version, "3.0") << "Access versions are read whole";
    ExpectType("Access", 3);
    EXPECT_EQ(session.state.current.databaseVersionOption, 32);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();

    Ver("1.0");
    Ver("");
    ExpectWarning("Invalid Access file version - defaults to version 3",
                  "Invalid database version");
    ExpectType("Access", 3);
    EXPECT_EQ(session.state.current.databaseVersionOption, 32);
}

TEST_F(ConnectionTypesTest, DBVerDoesNothingForOtherTypes) {
    for (const char* word : {"Btrieve", "Text", "ODBC"}) {
        DBConn(session, word);
        const std::string type = session.state.current.connectionType;
        const int index = session.state.current.versionIndex;
        session.state.current.databaseVersionOption = 16;
        Ver("3");
        ExpectType(type, index);
        EXPECT_EQ(session.state.current.databaseVersionOption, 16);
    }
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
}

TEST_F(ConnectionTypesTest, ConnectTypeTextMapsTheIndexAndLeavesTheIndexAlone) {
    session.state.current.versionIndex = 7;
    ConnectTypeText(session, 1);
    EXPECT_EQ(session.state.current.connectionType, "Access");
    ConnectTypeText(session, 14);
    EXPECT_EQ(session.state.current.connectionType, "FoxPro 2.6;");
    ConnectTypeText(session, 20);
    EXPECT_EQ(session.state.current.connectionType, "Text;");
    ConnectTypeText(session, 21);
    EXPECT_EQ(session.state.current.connectionType, "Text;");
    ConnectTypeText(session, -1);
    EXPECT_EQ(session.state.current.connectionType, "Text;");
    EXPECT_EQ(session.state.current.versionIndex, 7);
}

TEST_F(ConnectionTypesTest, DetectVersionReadsAnAccessFilesVersion) {
    const std::string path = MakeDatabase("old.mdb", 16);
    session.state.current.versionIndex = 3;
    OpenDB(session, path, true);
    ASSERT_TRUE(session.state.current.currentDatabase) << Boxes();
    EXPECT_EQ(session.state.current.currentDatabase->Version(), "2.0");
    EXPECT_EQ(session.state.current.versionIndex, 2) << "OpenDB detects the version";

    session.state.current.versionIndex = 0;
    DetectVersion(session);
    EXPECT_EQ(session.state.current.versionIndex, 2);
}

TEST_F(ConnectionTypesTest, DetectVersionOfAVersionThreeFile) {
    const std::string path = MakeDatabase("new.mdb", 32);
    session.state.current.versionIndex = 0;
    OpenDB(session, path, true);
    ASSERT_TRUE(session.state.current.currentDatabase) << Boxes();
    EXPECT_EQ(session.state.current.versionIndex, 3);
}

TEST_F(ConnectionTypesTest, DetectVersionLeavesOtherTypesAlone) {
    const std::string path = MakeDatabase("shop.mdb");
    OpenDB(session, path, true);
    ASSERT_TRUE(session.state.current.currentDatabase) << Boxes();
    session.state.current.connectionType = "Dbase IV;";
    session.state.current.versionIndex = 6;
    DetectVersion(session);
    EXPECT_EQ(session.state.current.versionIndex, 6);
    EXPECT_EQ(session.state.current.connectionType, "Dbase IV;");

    session.state.current.connectionType = "ODBC;";
    DetectVersion(session);
    EXPECT_EQ(session.state.current.versionIndex, 19);
    session.state.current.connectionType = "Text;";
    DetectVersion(session);
    EXPECT_EQ(session.state.current.versionIndex, 20);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
}

TEST_F(ConnectionTypesTest, DetectVersionWithoutADatabaseChangesNothing) {
    session.state.current.versionIndex = 1;
    DetectVersion(session);
    EXPECT_EQ(session.state.current.versionIndex, 1);
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
}

TEST_F(ConnectionTypesTest, ParseConnectFillsThePartsItNames) {
    session.state.odbc.server = "kept";
    session.state.odbc.description = "kept too";
    ParseConnect(session, "ODBC;DSN=Shop;UID=sa;PWD=;DBQ=C:\\db\\shop.mdb;Driver=x");
    ExpectOdbcParts(session.state.odbc,
                    {"Shop", "C:\\db\\shop.mdb", "sa", "", "x", "kept", "kept too"});
}

TEST_F(ConnectionTypesTest, ParseConnectKeysAreCaseSensitiveAndSplitAtTheFirstEquals) {
    ParseConnect(session, "Dsn=a;DRIVER=b;DATABASE=c=d;Server=srv;;UID=u");
    ExpectOdbcParts(session.state.odbc, {"", "c=d", "u", "", "", "srv", ""});
}

TEST_F(ConnectionTypesTest, ParseConnectWithoutEqualsDoesNothing) {
    session.state.odbc.user = "before";
    ParseConnect(session, "ODBC;UID;");
    EXPECT_EQ(session.state.odbc.user, "before");
}

TEST_F(ConnectionTypesTest, ParseConnectTakesABracedDriverSoTheTextRebuildsTheSame) {
    const std::string text = "ODBC;Driver={SQL Server};Server=host;UID=me;PWD=;";
    ParseConnect(session, text);
    EXPECT_EQ(session.state.odbc.driver, "SQL Server");
    EXPECT_EQ(OdbcConnectText(session.state.odbc), text);
}

TEST_F(ConnectionTypesTest, ParseConnectKeepsASemicolonInsideBracesOrQuotes) {
    ParseConnect(session, "ODBC;DSN=Shop;PWD={a;b};UID=\"x;y\";Server=s");
    ExpectOdbcParts(session.state.odbc, {"Shop", "", "x;y", "a;b", "", "s", ""});
}

TEST(ConnectTexts, OdbcConnectTextWithADataSourceName) {
    OdbcParts parts;
    parts.dataSourceName = "Shop";
    parts.user = "sa";
    EXPECT_EQ(OdbcConnectText(parts), "ODBC;DSN=Shop;UID=sa;PWD=;");
    parts.database = "sales";
    parts.password = "pw";
    EXPECT_EQ(OdbcConnectText(parts), "ODBC;DSN=Shop;UID=sa;PWD=pw;Database=sales;");
}

TEST(ConnectTexts, OdbcConnectTextWithADriver) {
    OdbcParts parts;
    parts.driver = "SQLite3";
    parts.server = "host";
    parts.user = "me";
    EXPECT_EQ(OdbcConnectText(parts), "ODBC;Driver={SQLite3};Server=host;UID=me;PWD=;");
}

TEST(ConnectTexts, StatementConnectionTextForAFileDatabase) {
    SharedState state;
    state.current.connectionType = "Access";
    state.current.currentDatabaseFileName = "/db/shop.mdb";
    EXPECT_EQ(StatementConnectionText(state, ""),
              "Provider=MSDASQL.1;Extended Properties=DSN=MS Access 97 Database;"
              "DBQ=/db/shop.mdb;");
    state.current.connectionType = "Dbase III;";
    state.current.currentDatabaseFileName = "/data/dbf";
    EXPECT_EQ(StatementConnectionText(state, ""),
              "Provider=MSDASQL.1;Extended Properties=DSN=dBASE Files;DBQ=/data/dbf;");
}

TEST(ConnectTexts, StatementConnectionTextForADataSource) {
    SharedState state;
    state.current.connectionType = "ODBC;";
    state.odbc.dataSourceName = "Shop";
    EXPECT_EQ(StatementConnectionText(state, "ODBC;DSN=Shop;UID=sa;PWD=;"),
              "PROVIDER=MSDASQL.1;DSN=Shop;UID=sa;PWD=;");
    EXPECT_EQ(StatementDataSource(state), "DSN=Shop;");
}

TEST(ConnectTexts, StatementDataSourceFollowsTheTypeText) {
    SharedState state;
    const std::pair<const char*, const char*> cases[] = {{"Access", "MS Access 97 Database;"},
                                                         {"Btrieve;", "Btrieve Files;"},
                                                         {"Dbase 5.0;", "dBASE Files;"},
                                                         {"Excel 3.0;HDR=YES;", "Excel Files;"},
                                                         {"FoxPro 2.5;", "FoxPro Files;"},
                                                         {"Paradox 4.X;", "Paradox Files;"},
                                                         {"Text;", "Text Files;"},
                                                         {"Unknown;", ""}};
    for (const auto& [type, source] : cases) {
        state.current.connectionType = type;
        EXPECT_EQ(StatementDataSource(state), source) << type;
    }
}

TEST(ConnectTexts, RegistrationAttributesAreNulSeparated) {
    OdbcParts parts;
    parts.server = "srv";
    parts.description = "Shop data";
    parts.database = "/db/shop.db";
    const std::string expected = std::string("Server=srv") + '\0' + "Description=Shop data" + '\0' +
                                 "Database=/db/shop.db" + '\0';
    EXPECT_EQ(RegistrationAttributes(parts), expected);
}

}  // namespace
}  // namespace tessel::test::opening
