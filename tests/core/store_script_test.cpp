// A script over a table-source driver entered with one line: the memory driver serves the Text
// connection type, and a whole script (DDL, changes, a join, a failing statement) runs over it
// through the engine's registry and the virtual-table adapter.
#include <gtest/gtest.h>

#include "core/base/file_names.h"
#include "core/db/driver_registry.h"
#include "drivers/memory/memory_driver.h"
#include "script_run_fixture.h"

namespace tessel::test {
namespace {

using Kind = db::ValueView::Kind;
using Rows = std::vector<std::vector<std::string>>;

class StoreScript : public ScriptRunTest {
  protected:
    StoreScript() {
        auto driver = std::make_unique<memory::MemoryDriver>();
        // The program keeps a database by its name from the root.
        store = driver->Hold(base::AbsolutePath("memory:shop"));
        session.engine.Drivers().Add(std::move(driver));
    }

    // The rows captured in recordset file `number`, each value as text.
    Rows Captured(long number) {
        auto file = RecordsetFile::Open(RecordsetPath(number));
        Rows rows;
        for (const auto& row : file->ReadRows(0, 100)) {
            std::vector<std::string> values;
            for (const auto& cell : row) {
                if (cell.kind == Kind::Null)
                    values.emplace_back("<null>");
                else if (cell.kind == Kind::Integer)
                    values.push_back(std::to_string(cell.integer));
                else if (cell.kind == Kind::Real)
                    values.push_back(db::ValueToText(cell.real));
                else
                    values.push_back(cell.bytes);
            }
            rows.push_back(std::move(values));
        }
        return rows;
    }

    std::shared_ptr<memory::MemoryStore> store;
};

TEST_F(StoreScript, ScriptRunsOverTheMemoryDriver) {
    Run("dbConnect Text;\r\n"
        "dbOpen memory:shop;\r\n"
        "CREATE TABLE Customers (ID LONG PRIMARY KEY, Name TEXT(30) NOT NULL);\r\n"
        "CREATE TABLE Orders (OrderID LONG, CustomerID LONG, Amount DOUBLE);\r\n"
        "INSERT INTO Customers VALUES (1, 'Ann');\r\n"
        "INSERT INTO Customers VALUES (2, 'Bob');\r\n"
        "INSERT INTO Customers VALUES (3, 'Cy');\r\n"
        "INSERT INTO Orders VALUES (10, 1, 5);\r\n"
        "INSERT INTO Orders VALUES (11, 2, 7.5);\r\n"
        "INSERT INTO Orders VALUES (12, 1, 2);\r\n"
        "UPDATE Orders SET Amount = Amount * 2 WHERE CustomerID = 1;\r\n"
        "DELETE FROM Customers WHERE ID = 3;\r\n"
        "SELECT c.Name, SUM(o.Amount) AS Total FROM Customers AS c INNER JOIN Orders AS o "
        "ON o.CustomerID = c.ID GROUP BY c.Name ORDER BY c.Name;\r\n"
        "UPDATE Customers SET ID = 5, Name = Name & '!';\r\n"
        "SELECT ID, Name FROM Customers ORDER BY ID;\r\n");

    ASSERT_TRUE(session.state.current.currentDatabase);
    EXPECT_EQ(session.state.current.currentDatabase->Name(), base::AbsolutePath("memory:shop"));
    EXPECT_EQ(store->Tables(), (std::vector<std::string>{"Customers", "Orders"}));
    EXPECT_EQ(Captured(1), (Rows{{"Ann", "14"}, {"Bob", "7.5"}}));

    // The failing UPDATE showed the engine's error and changed nothing.
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].caption, "DBEngine error");
    EXPECT_EQ(ui.boxes[0].text.rfind("3022: ", 0), 0u) << ui.boxes[0].text;
    EXPECT_EQ(Captured(2), (Rows{{"1", "Ann"}, {"2", "Bob"}}));
}

TEST_F(StoreScript, UnsupportedDefinitionShowsWhatToDoInstead) {
    Run("dbConnect Text;\r\n"
        "dbOpen memory:shop;\r\n"
        "CREATE TABLE Items (ID LONG, Name TEXT(20));\r\n"
        "ALTER TABLE Items DROP COLUMN Name;\r\n"
        "INSERT INTO Items VALUES (1, 'Spade');\r\n");
    ASSERT_EQ(ui.boxes.size(), 1u) << Boxes();
    EXPECT_EQ(ui.boxes[0].caption, "DBEngine error");
    EXPECT_EQ(ui.boxes[0].text.rfind("3251: ", 0), 0u) << ui.boxes[0].text;
    EXPECT_NE(ui.boxes[0].text.find("Create a new table"), std::string::npos) << ui.boxes[0].text;
    // The script went on after the refused statement.
    EXPECT_EQ(session.state.current.currentDatabase->Fields("Items").size(), 2u);
    auto rows = session.engine
                    .OpenConnection("Provider=MSDASQL.1;Extended Properties=DSN=Text Files;DBQ=" +
                                    base::AbsolutePath("memory:shop") + ";")
                    ->Execute("SELECT Name FROM Items");
    ASSERT_TRUE(rows->Next());
    EXPECT_EQ(rows->Get(0).bytes, "Spade");
}

}  // namespace
}  // namespace tessel::test
