// The text driver behind the engine and the script engine: a directory made by DBMAKE and
// filled by a script, a join of two files, the generated script that makes the same files
// again, and the driver's clear refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/db/driver_registry.h"
#include "core/generate/schema_script.h"
#include "script_run_fixture.h"
#include "text_test_util.h"

namespace tessel::test::text_tests {
namespace {

namespace err = db::err;

TEST(TextEngine, TwoFilesJoinThroughTheEngine) {
    TextDirectory dir;
    dir.Write("customers.csv", "ID,Name\r\n1,Ann\r\n2,Bob\r\n3,Cy\r\n");
    dir.Write("orders.txt", "OrderID,CustomerID,Amount\r\n10,1,5.5\r\n11,2,7\r\n12,1,2\r\n");
    EXPECT_EQ(dir.Q("SELECT c.Name, SUM(o.Amount) AS Total, COUNT(*) FROM [customers#csv] AS c "
                    "INNER JOIN [orders.txt] AS o ON o.CustomerID = c.ID GROUP BY c.Name "
                    "ORDER BY c.Name"),
              (Rows{{"Ann", "7.5", "2"}, {"Bob", "7", "1"}}));
    EXPECT_EQ(dir.Q("SELECT Name FROM [customers#csv] WHERE ID NOT IN "
                    "(SELECT CustomerID FROM [orders#txt])"),
              (Rows{{"Cy"}}));
}

TEST(TextEngine, TheDriverNamesMissingDirectoriesAndRefusesMaintenance) {
    TextDirectory dir;
    db::Engine& engine = dir.Engine();
    const std::string missing = dir.File("nowhere");
    std::string description;
    EXPECT_EQ(
        ErrorNumber([&] { engine.OpenDatabase(missing, false, false, "Text;"); }, &description),
        err::kFileMissing);
    EXPECT_NE(description.find(missing), std::string::npos) << description;
    dir.Write("plain.csv", "ID\r\n");
    EXPECT_EQ(
        ErrorNumber([&] { engine.OpenDatabase(dir.File("plain.csv"), false, false, "Text;"); }),
        err::kUnreadableDatabase);
    auto& driver = engine.Drivers().ForCreate(db::Family::Text, dir.Path());
    EXPECT_EQ(ErrorNumber([&] { driver.Compact(dir.Path(), missing, 0, std::nullopt); }),
              err::kNotSupported);
    EXPECT_EQ(ErrorNumber([&] { driver.Repair(dir.Path()); }), err::kNotSupported);
    EXPECT_EQ(dir.Open()->Version(), "1.0");
}

TEST(TextEngine, TheTreeAndTheStatementsShareWhatTheyChange) {
    TextDirectory dir;
    auto database = dir.Open();
    auto connection = dir.Connect();
    connection->Execute("CREATE TABLE [items#csv] (ID LONG, Name TEXT(10))");
    EXPECT_EQ(platform_tests::UserTables(*database), (std::vector<std::string>{"items#csv"}));
    EXPECT_EQ(database->Fields("items.csv").size(), 2u);
    database->RenameTable("items#csv", "goods#csv");
    connection->Execute("INSERT INTO [goods#csv] VALUES (1, 'pen')");
    EXPECT_EQ(dir.Read("goods.csv"), "ID,Name\r\n1,\"pen\"\r\n");
}

class TextScript : public ScriptRunTest {};

TEST_F(TextScript, DbMakeMakesADirectoryThatTheGeneratedScriptMakesAgain) {
    const std::string made = dir.File("shop");
    Run("dbConnect Text;\r\n"
        "dbMake " +
        made +
        ";\r\n"
        "CREATE TABLE [customers#csv] (ID LONG, Name TEXT(30), Joined DATETIME);\r\n"
        "CREATE TABLE orders (OrderID LONG, CustomerID LONG, Amount DOUBLE, Paid BIT);\r\n"
        "INSERT INTO [customers#csv] VALUES (1, 'Ann', #2000-02-29#);\r\n"
        "INSERT INTO [orders.csv] VALUES (10, 1, 2.5, True);\r\n"
        "SELECT c.Name, o.Amount FROM [customers#csv] AS c INNER JOIN [orders#csv] AS o "
        "ON o.CustomerID = c.ID;\r\n");
    EXPECT_EQ(Boxes(), "");
    ASSERT_TRUE(std::filesystem::is_directory(made));
    EXPECT_EQ(ReadBytes(made + "/customers.csv"), "ID,Name,Joined\r\n1,\"Ann\",2000-02-29\r\n");
    EXPECT_EQ(ReadBytes(made + "/orders.csv"),
              "OrderID,CustomerID,Amount,Paid\r\n10,1,2.5,True\r\n");
    auto captured = RecordsetFile::Open(RecordsetPath(1));
    ASSERT_EQ(captured->ReadRows(0, 10).size(), 1u);

    ASSERT_TRUE(session.state.current.currentDatabase);
    std::string script = SchemaScript(*session.state.current.currentDatabase, "Text;");
    const std::string again = dir.File("again");
    const std::size_t at = script.find(made);
    ASSERT_NE(at, std::string::npos) << script;
    script.replace(at, made.size(), again);
    // The generated "dbConnect Text;;" leaves an empty statement, which the runner refuses.
    ui.boxes.clear();
    Run(script);
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes() << script;
    EXPECT_EQ(ui.boxes[0].text.rfind("3129: ", 0), 0u) << ui.boxes[0].text;
    EXPECT_EQ(ReadBytes(again + "/customers.csv"), "ID,Name,Joined\r\n");
    EXPECT_EQ(ReadBytes(again + "/orders.csv"), "OrderID,CustomerID,Amount,Paid\r\n");
    EXPECT_EQ(ReadBytes(again + "/schema.ini"), ReadBytes(made + "/schema.ini"));
}

}  // namespace
}  // namespace tessel::test::text_tests
