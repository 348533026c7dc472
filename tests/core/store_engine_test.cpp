// The engine's statements run the same over a table-source driver (the memory driver, through
// the virtual-table adapter) as over a SQLite file: DDL, changes, conditions, joins,
// aggregates, subqueries, the Jet dialect, and statements that fail half-way.
#include <gtest/gtest.h>

#include "core/db/engine.h"
#include "drivers/memory/memory_driver.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

namespace err = db::err;
namespace ftype = db::ftype;

// A database file of the SQLite driver, reached through the engine.
struct SqliteBackend {
    SqliteBackend()
        : path(NewDatabase(engine, dir)),
          connection(engine.OpenConnection(AccessConnection(path))) {}
    TempDir dir;
    db::Engine engine;
    std::string path;
    std::unique_ptr<db::StatementConnection> connection;
};

// A database of the memory driver, its tables shown to SQLite by the adapter.
struct MemoryBackend {
    MemoryBackend()
        : store(driver.Hold("memory:shop")), connection(driver.Connect("memory:shop", "Text;")) {}
    memory::MemoryDriver driver;
    std::shared_ptr<memory::MemoryStore> store;
    std::unique_ptr<db::StatementConnection> connection;
};

template <typename Backend>
class StoreEngine : public testing::Test {
  protected:
    void SetUp() override {
        for (const char* statement :
             {"CREATE TABLE Customers (ID LONG PRIMARY KEY, Name TEXT(30) NOT NULL, City "
              "TEXT(20))",
              "CREATE TABLE Orders (OrderID LONG PRIMARY KEY, CustomerID LONG, Amount DOUBLE, "
              "Placed DATETIME, Paid BIT)",
              "INSERT INTO Customers VALUES (1, 'Ann', 'Oslo')",
              "INSERT INTO Customers VALUES (2, 'Bob', 'Rome')",
              "INSERT INTO Customers (ID, Name) VALUES (3, 'Cy')",
              "INSERT INTO Orders VALUES (10, 1, 10.5, #1/15/2001#, True)",
              "INSERT INTO Orders VALUES (11, 2, 20, #2001-02-03#, False)",
              "INSERT INTO Orders VALUES (12, 1, 30, #12/31/1999#, True)",
              "INSERT INTO Orders VALUES (13, 3, 40, #3/4/2002#, False)"}) {
            Run(statement);
        }
    }

    std::unique_ptr<db::Cursor> Run(const std::string& statement) {
        return backend.connection->Execute(statement);
    }
    Rows Q(const std::string& statement) { return ReadRows(*Run(statement)); }

    Backend backend;
};

using Backends = testing::Types<SqliteBackend, MemoryBackend>;
class BackendNames {
  public:
    template <typename T>
    static std::string GetName(int) {
        return std::is_same_v<T, SqliteBackend> ? "Sqlite" : "Memory";
    }
};
TYPED_TEST_SUITE(StoreEngine, Backends, BackendNames);

TYPED_TEST(StoreEngine, CreatedTablesHoldTheInsertedRowsWithTheirTypes) {
    auto cursor = this->Run("SELECT ID, Name, City FROM Customers ORDER BY ID");
    const auto& columns = cursor->Columns();
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0].type, ftype::kLong);
    EXPECT_EQ(columns[1].type, ftype::kText);
    EXPECT_EQ(columns[1].size, 30);
    EXPECT_EQ(columns[2].size, 20);
    EXPECT_EQ(ReadRows(*cursor),
              (Rows{{"1", "Ann", "Oslo"}, {"2", "Bob", "Rome"}, {"3", "Cy", "<null>"}}));
    // Values take the kind of their field, as SQLite's column types make them.
    this->Run("INSERT INTO Customers VALUES ('4', 'Di', 42)");
    EXPECT_EQ(this->Q("SELECT typeof(ID), typeof(City) FROM Customers WHERE Name = 'Di'"),
              (Rows{{"integer", "text"}}));
}

TYPED_TEST(StoreEngine, WhereTakesEqualityAndRanges) {
    EXPECT_EQ(this->Q("SELECT Name FROM Customers WHERE ID = 2"), (Rows{{"Bob"}}));
    EXPECT_EQ(this->Q("SELECT OrderID FROM Orders WHERE Amount > 15 AND Amount <= 30 "
                      "ORDER BY OrderID"),
              (Rows{{"11"}, {"12"}}));
    EXPECT_EQ(this->Q("SELECT OrderID FROM Orders WHERE Amount BETWEEN 10 AND 20.5 "
                      "ORDER BY OrderID DESC"),
              (Rows{{"11"}, {"10"}}));
    EXPECT_EQ(this->Q("SELECT OrderID FROM Orders WHERE Amount < '25' ORDER BY OrderID"),
              (Rows{{"10"}, {"11"}}));
    EXPECT_EQ(this->Q("SELECT Name FROM Customers WHERE City = 'Rome' OR City IS NULL "
                      "ORDER BY Name"),
              (Rows{{"Bob"}, {"Cy"}}));
}

TYPED_TEST(StoreEngine, UpdateAndDeleteChangeTheRowsTheyName) {
    EXPECT_EQ(
        this->Run("UPDATE Orders SET Amount = Amount * 2 WHERE CustomerID = 1")->RecordsAffected(),
        2);
    EXPECT_EQ(this->Q("SELECT OrderID, Amount FROM Orders ORDER BY OrderID"),
              (Rows{{"10", "21"}, {"11", "20"}, {"12", "60"}, {"13", "40"}}));
    EXPECT_EQ(this->Run("DELETE FROM Orders WHERE Paid = False")->RecordsAffected(), 2);
    EXPECT_EQ(this->Q("SELECT OrderID FROM Orders ORDER BY OrderID"), (Rows{{"10"}, {"12"}}));
    this->Run("DELETE * FROM Orders");
    EXPECT_EQ(this->Q("SELECT count(*) FROM Orders"), (Rows{{"0"}}));
}

TYPED_TEST(StoreEngine, JoinsAggregatesAndSubqueries) {
    EXPECT_EQ(this->Q("SELECT c.Name, o.Amount FROM Customers AS c INNER JOIN Orders AS o "
                      "ON o.CustomerID = c.ID WHERE o.Amount >= 20 ORDER BY o.OrderID"),
              (Rows{{"Bob", "20"}, {"Ann", "30"}, {"Cy", "40"}}));
    EXPECT_EQ(this->Q("SELECT CustomerID, COUNT(*), SUM(Amount) FROM Orders GROUP BY CustomerID "
                      "ORDER BY CustomerID"),
              (Rows{{"1", "2", "40.5"}, {"2", "1", "20"}, {"3", "1", "40"}}));
    EXPECT_EQ(this->Q("SELECT Name FROM Customers WHERE ID IN (SELECT CustomerID FROM Orders "
                      "WHERE Amount > 25) ORDER BY Name"),
              (Rows{{"Ann"}, {"Cy"}}));
    EXPECT_EQ(this->Q("SELECT Name, (SELECT MAX(Amount) FROM Orders WHERE CustomerID = "
                      "Customers.ID) FROM Customers ORDER BY ID"),
              (Rows{{"Ann", "30"}, {"Bob", "20"}, {"Cy", "40"}}));
}

TYPED_TEST(StoreEngine, JetDialectWorks) {
    EXPECT_EQ(this->Q("SELECT OrderID FROM Orders WHERE Placed < #1/1/2001# OR Placed = "
                      "#2002-03-04#"),
              (Rows{{"12"}, {"13"}}));
    EXPECT_EQ(this->Q("SELECT OrderID FROM Orders WHERE Paid = True ORDER BY OrderID"),
              (Rows{{"10"}, {"12"}}));
    EXPECT_EQ(this->Q("SELECT Name & ' of ' & City FROM Customers ORDER BY ID"),
              (Rows{{"Ann of Oslo"}, {"Bob of Rome"}, {"Cy of "}}));
    EXPECT_EQ(this->Q("SELECT TOP 2 IIf(Amount > 25, 'big', 'small') FROM Orders ORDER BY "
                      "OrderID DESC"),
              (Rows{{"big"}, {"big"}}));
    EXPECT_EQ(this->Q("SELECT Name FROM Customers WHERE Name LIKE 'B*'"), (Rows{{"Bob"}}));
}

TYPED_TEST(StoreEngine, StatementThatFailsHalfWayChangesNothing) {
    const Rows customers = this->Q("SELECT ID, Name, City FROM Customers ORDER BY ID");
    // The second row's new key collides with the first's.
    EXPECT_EQ(ErrorNumber([&] { this->Run("UPDATE Customers SET ID = 7, City = 'Bern'"); }),
              err::kDuplicateValue);
    // Two rows go in before the third one's Null name is refused.
    EXPECT_EQ(ErrorNumber([&] {
                  this->Run(
                      "INSERT INTO Customers (ID, Name) SELECT OrderID, IIf(OrderID = "
                      "12, Null, 'New') FROM Orders ORDER BY OrderID");
              }),
              err::kNullNotAllowed);
    EXPECT_EQ(this->Q("SELECT ID, Name, City FROM Customers ORDER BY ID"), customers);
    // The connection stays usable.
    this->Run("INSERT INTO Customers VALUES (4, 'Di', 'Bern')");
    EXPECT_EQ(this->Q("SELECT count(*) FROM Customers"), (Rows{{"4"}}));
}

TYPED_TEST(StoreEngine, DroppedTableIsGone) {
    this->Run("DROP TABLE Orders");
    EXPECT_EQ(ErrorNumber([&] { this->Q("SELECT * FROM Orders"); }), err::kTableNotFound);
    EXPECT_EQ(ErrorNumber([&] { this->Run("DROP TABLE Orders"); }), err::kNoSuchTable);
    EXPECT_EQ(ErrorNumber([&] { this->Run("CREATE TABLE Customers (X LONG)"); }),
              err::kObjectExists);
}

}  // namespace
}  // namespace tessel::test::platform_tests
