// A directory of tables through the engine and the script engine: statements with joins over
// two .dbf files, a failing multi-row statement that leaves the files as they were, DBMAKE and
// DBOPEN with DetectVersion choosing the row of the table's version.
#include <gtest/gtest.h>

#include "core/db/drivers/dbf/dbf_driver.h"
#include "dbf_test_util.h"
#include "platform_test_util.h"
#include "script_run_fixture.h"

namespace tessel::test::dbf_tests {
namespace {

namespace err = db::err;
using platform_tests::ReadRows;

std::string DbaseConnection(const std::string& directory) {
    return "Provider=MSDASQL.1;Extended Properties=DSN=dBASE Files;DBQ=" + directory + ";";
}

TEST(DbfEngine, JoinOfTwoTablesAndAFailedStatementThatChangesNothing) {
    TempDir dir;
    auto driver = db::dbf::MakeDbfDriver();
    auto connection = driver->Connect(dir.Path().string(), DbaseConnection(dir.Path().string()));
    for (const char* statement :
         {"CREATE TABLE Customers (ID INTEGER, Name TEXT(10))",
          "CREATE TABLE Orders (OrderID INTEGER, CustomerID INTEGER, Amount DOUBLE, Placed "
          "DATETIME)",
          "INSERT INTO Customers VALUES (1, 'Ann')", "INSERT INTO Customers VALUES (2, 'Bob')",
          "INSERT INTO Orders VALUES (10, 1, 5, #1/15/2001#)",
          "INSERT INTO Orders VALUES (11, 2, 7.5, #2/29/2000#)",
          "INSERT INTO Orders VALUES (12, 1, 2, #12/31/1999#)"}) {
        connection->Execute(statement);
    }
    EXPECT_EQ(ReadRows(*connection->Execute(
                  "SELECT c.Name, SUM(o.Amount) AS Total FROM Customers AS c INNER JOIN Orders "
                  "AS o ON o.CustomerID = c.ID GROUP BY c.Name ORDER BY c.Name")),
              (platform_tests::Rows{{"Ann", "7"}, {"Bob", "7.5"}}));

    const std::string before = ReadBytes(dir.File("Customers.dbf"));
    // The third row is too long for its field: the two before it are taken back.
    EXPECT_THROW(connection->Execute("INSERT INTO Customers SELECT OrderID, IIf(OrderID = 12, "
                                     "'far too long a name', 'x') FROM Orders ORDER BY OrderID"),
                 db::EngineError);
    EXPECT_EQ(ReadBytes(dir.File("Customers.dbf")), before);
    EXPECT_THROW(connection->Execute("UPDATE Customers SET Name = Name & ' and a long tail'"),
                 db::EngineError);
    EXPECT_EQ(ReadBytes(dir.File("Customers.dbf")), before);

    connection->Execute("DELETE FROM Customers WHERE ID = 1");
    EXPECT_EQ(ReadRows(*connection->Execute("SELECT ID, Name FROM Customers")),
              (platform_tests::Rows{{"2", "Bob"}}));
    EXPECT_EQ(ReadBytes(dir.File("Customers.dbf"))[32 + 2 * 32 + 1], '*');
}

// A statement that names a damaged table learns why it cannot be read, not that it is missing.
TEST(DbfEngine, AStatementOnADamagedTableNamesTheDamage) {
    TempDir dir;
    CopyFixtures(dir, {"dbase_03.dbf"});
    WriteBytes(dir.File("cut.dbf"), ReadBytes(dir.File("dbase_03.dbf")).substr(0, 3000));
    auto driver = db::dbf::MakeDbfDriver();
    auto connection = driver->Connect(dir.Path().string(), DbaseConnection(dir.Path().string()));
    std::string why;
    EXPECT_EQ(platform_tests::ErrorNumber([&] { connection->Execute("SELECT * FROM cut"); }, &why),
              err::kUnreadableDatabase);
    EXPECT_NE(why.find("cut.dbf"), std::string::npos) << why;
    EXPECT_NE(why.find("cut short"), std::string::npos) << why;
    EXPECT_EQ(platform_tests::ErrorNumber([&] { connection->Execute("SELECT * FROM nowhere"); }),
              err::kTableNotFound);
    EXPECT_EQ(ReadRows(*connection->Execute("SELECT count(*) FROM dbase_03")), (Rows{{"14"}}));
}

TEST(DbfEngine, DatabaseAndConnectionShareTheDirectory) {
    TempDir dir;
    auto driver = db::dbf::MakeDbfDriver();
    db::OpenRequest request;
    request.name = dir.Path().string();
    request.connect = "FoxPro 2.5;";
    auto database = driver->Open(request);
    EXPECT_EQ(database->Version(), "2.5");
    auto connection = driver->Connect(request.name, DbaseConnection(request.name));
    connection->Execute("CREATE TABLE Pets (Name TEXT(8), Born DATETIME)");
    connection->Execute("INSERT INTO Pets VALUES ('Rex', #3/1/2004#)");
    ASSERT_EQ(platform_tests::UserTables(*database), (std::vector<std::string>{"Pets"}));
    EXPECT_EQ(database->Fields("Pets")[1].type, db::ftype::kDate);
    // FoxPro 2.5 writes 0x03 for a table without memo fields; the connect text tells the version.
    EXPECT_EQ(database->Version(), "2.5");
    EXPECT_EQ(static_cast<unsigned char>(ReadBytes(dir.File("Pets.dbf"))[0]), 0x03);
}

TEST(DbfEngine, MissingDirectoryAndTheMaintenanceTools) {
    TempDir dir;
    auto driver = db::dbf::MakeDbfDriver();
    db::OpenRequest request;
    request.name = dir.File("nowhere");
    request.connect = "Dbase IV;";
    std::string why;
    EXPECT_EQ(platform_tests::ErrorNumber([&] { driver->Open(request); }, &why), err::kFileMissing);
    EXPECT_NE(why.find("nowhere"), std::string::npos) << why;
    EXPECT_FALSE(driver->Recognises(request.name));
    driver->Create(request.name, 0, "");
    EXPECT_TRUE(driver->Recognises(request.name));
    EXPECT_EQ(platform_tests::ErrorNumber([&] { driver->Create(request.name, 0, ""); }),
              err::kDatabaseExists);
    EXPECT_EQ(platform_tests::ErrorNumber(
                  [&] { driver->Compact(request.name, dir.File("copy"), 0, std::nullopt); }),
              err::kNotSupported);
    EXPECT_EQ(platform_tests::ErrorNumber([&] { driver->Repair(request.name); }),
              err::kNotSupported);
}

class DbfScript : public ScriptRunTest {};

TEST_F(DbfScript, DetectVersionChoosesTheRowOfTheTables) {
    const std::string dbase3 = dir.File("dbase3");
    std::filesystem::create_directory(dbase3);
    std::filesystem::copy_file(Fixture("dbase_83.dbf"), dbase3 + "/dbase_83.dbf");
    std::filesystem::copy_file(Fixture("dbase_83.dbt"), dbase3 + "/dbase_83.dbt");
    Run("dbConnect Dbase;\r\ndbOpen " + dbase3 + ";\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(session.state.current.versionIndex, 5);

    const std::string visual = dir.File("visual");
    std::filesystem::create_directory(visual);
    std::filesystem::copy_file(Fixture("dbase_31.dbf"), visual + "/dbase_31.dbf");
    Run("dbConnect FoxPro;\r\ndbOpen " + visual +
        ";\r\n"
        "SELECT PRODUCTNAM FROM dbase_31 WHERE PRODUCTID = 2;\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(session.state.current.versionIndex, 15);
    auto captured = RecordsetFile::Open(RecordsetPath(1));
    const auto rows = captured->ReadRows(0, 10);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].bytes, "Chang");
}

TEST_F(DbfScript, MakeCreatesTheDirectoryAndScriptsBuildTables) {
    const std::string target = dir.File("made");
    Run("dbConnect Dbase;\r\ndbVersion 4;\r\ndbMake " + target +
        ";\r\n"
        "CREATE TABLE Stock (Item TEXT(12), Qty INTEGER, Price CURRENCY, Notes MEMO);\r\n"
        "INSERT INTO Stock VALUES ('bolt', 40, 0.25, 'zinc');\r\n"
        "INSERT INTO Stock VALUES ('nut', 15, 0.1, NULL);\r\n"
        "SELECT Item, Qty * Price AS Worth, Notes FROM Stock ORDER BY Item;\r\n");
    EXPECT_TRUE(ui.boxes.empty()) << Boxes();
    EXPECT_EQ(session.state.current.connectionType, "Dbase IV;");
    const std::string bytes = ReadBytes(target + "/Stock.dbf");
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x8B);
    EXPECT_EQ(HeaderCount(bytes), 2u);
    auto captured = RecordsetFile::Open(RecordsetPath(1));
    const auto rows = captured->ReadRows(0, 10);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].bytes, "bolt");
    EXPECT_EQ(rows[0][2].bytes, "zinc");
    EXPECT_EQ(rows[1][2].kind, db::ValueView::Kind::Null);
}

}  // namespace
}  // namespace tessel::test::dbf_tests
