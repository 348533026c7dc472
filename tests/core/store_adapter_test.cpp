// What the virtual-table adapter adds over a table-source driver: conditions handed to the
// store, SQLite's own tables joined with the store's, transactions and savepoints reaching the
// store, the structure of its Database, and clear refusals of what a store cannot do.
#include <gtest/gtest.h>

#include "core/db/engine.h"
#include "drivers/memory/memory_driver.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

namespace err = db::err;
namespace ftype = db::ftype;

class StoreAdapter : public testing::Test {
  protected:
    void SetUp() override {
        store = driver.Hold("memory:shop");
        connection = driver.Connect("memory:shop", "Text;");
        Run("CREATE TABLE Customers (ID LONG PRIMARY KEY, Name TEXT(30) NOT NULL, City TEXT(20), "
            "CONSTRAINT OneName UNIQUE (Name))");
        Run("INSERT INTO Customers VALUES (1, 'Ann', 'Oslo')");
        Run("INSERT INTO Customers VALUES (2, 'Bob', 'Rome')");
        Run("INSERT INTO Customers VALUES (3, 'Cy', 'Oslo')");
    }
    std::unique_ptr<db::Cursor> Run(const std::string& statement) {
        return connection->Execute(statement);
    }
    Rows Q(const std::string& statement) { return ReadRows(*Run(statement)); }

    memory::MemoryDriver driver;
    std::shared_ptr<memory::MemoryStore> store;
    std::unique_ptr<db::StatementConnection> connection;
};

TEST_F(StoreAdapter, ConditionsOnNumericColumnsReachTheStore) {
    EXPECT_EQ(Q("SELECT Name FROM Customers WHERE ID >= 2 AND ID < 3"), (Rows{{"Bob"}}));
    EXPECT_EQ(store->LastScanConditions(), 2u);
    // The store leaves text conditions to SQLite, which still applies them.
    EXPECT_EQ(Q("SELECT ID FROM Customers WHERE City = 'Oslo' ORDER BY ID"), (Rows{{"1"}, {"3"}}));
    EXPECT_EQ(store->LastScanConditions(), 0u);
}

TEST_F(StoreAdapter, StoreTablesJoinSqliteTablesOfTheSameConnection) {
    Run("CREATE TEMP TABLE Regions (City TEXT, Region TEXT)");
    Run("INSERT INTO Regions VALUES ('Oslo', 'North'), ('Rome', 'South')");
    EXPECT_EQ(Q("SELECT c.Name, r.Region FROM Customers AS c INNER JOIN Regions AS r "
                "ON r.City = c.City ORDER BY c.ID"),
              (Rows{{"Ann", "North"}, {"Bob", "South"}, {"Cy", "North"}}));
    // Rows can go from one to the other in one statement.
    Run("INSERT INTO Customers (ID, Name, City) SELECT 10 + rowid, Region, City FROM Regions");
    EXPECT_EQ(Q("SELECT ID, Name FROM Customers WHERE ID > 10 ORDER BY ID"),
              (Rows{{"11", "North"}, {"12", "South"}}));
    Run("DROP TABLE Regions");
    EXPECT_EQ(Q("SELECT count(*) FROM Customers"), (Rows{{"5"}}));
}

TEST_F(StoreAdapter, TransactionsAndSavepointsReachTheStore) {
    const int commits = store->Commits();
    Run("INSERT INTO Customers VALUES (4, 'Di', 'Bern')");
    EXPECT_EQ(store->Commits(), commits + 1);
    EXPECT_GT(store->Syncs(), 0);

    Run("BEGIN");
    Run("INSERT INTO Customers VALUES (5, 'Ed', 'Bern')");
    Run("ROLLBACK");
    EXPECT_EQ(Q("SELECT count(*) FROM Customers WHERE ID = 5"), (Rows{{"0"}}));

    Run("BEGIN");
    Run("INSERT INTO Customers VALUES (5, 'Ed', 'Bern')");
    Run("SAVEPOINT before_fi");
    Run("INSERT INTO Customers VALUES (6, 'Fi', 'Bern')");
    // A failing statement inside the transaction undoes only itself.
    EXPECT_EQ(ErrorNumber([&] {
                  Run("UPDATE Customers SET Name = IIf(ID = 6, 'Ann', Name & '2') WHERE ID >= 5");
              }),
              err::kDuplicateValue);
    EXPECT_EQ(Q("SELECT Name FROM Customers WHERE ID >= 5 ORDER BY ID"), (Rows{{"Ed"}, {"Fi"}}));
    Run("ROLLBACK TO before_fi");
    Run("COMMIT");
    EXPECT_EQ(Q("SELECT ID FROM Customers WHERE ID >= 4 ORDER BY ID"), (Rows{{"4"}, {"5"}}));
}

TEST_F(StoreAdapter, StoreErrorsReachThePersonUnchanged) {
    std::string description;
    EXPECT_EQ(
        ErrorNumber([&] { Run("INSERT INTO Customers VALUES (9, 'Bob', 'Rome')"); }, &description),
        err::kDuplicateValue);
    EXPECT_NE(description.find("'OneName'"), std::string::npos) << description;
    EXPECT_EQ(
        ErrorNumber([&] { Run("UPDATE Customers SET rowid = 9 WHERE ID = 1"); }, &description),
        err::kNotSupported);
    EXPECT_EQ(Q("SELECT count(*) FROM Customers"), (Rows{{"3"}}));
}

TEST_F(StoreAdapter, IndexesAndNewFieldsReachTheStore) {
    const std::size_t before = store->Indexes("Customers").size();
    Run("CREATE UNIQUE INDEX ByCity ON Customers (City DESC) WITH IGNORE NULL");
    const auto indexes = store->Indexes("Customers");
    ASSERT_EQ(indexes.size(), before + 1);
    EXPECT_EQ(indexes.back().name, "ByCity");
    EXPECT_EQ(indexes.back().fields, "-City");
    EXPECT_TRUE(indexes.back().unique);
    EXPECT_TRUE(indexes.back().ignoreNulls);
    Run("DROP INDEX ByCity");  // without ON: the one table that holds it
    EXPECT_EQ(store->Indexes("Customers").size(), before);
    EXPECT_EQ(ErrorNumber([&] { Run("DROP INDEX Nowhere"); }), err::kItemNotFound);

    // The connection declares the table again, so the new field is there at once.
    Run("ALTER TABLE Customers ADD COLUMN Age LONG");
    Run("UPDATE Customers SET Age = 40 WHERE ID = 1");
    EXPECT_EQ(Q("SELECT ID, Age FROM Customers WHERE ID <= 2 ORDER BY ID"),
              (Rows{{"1", "40"}, {"2", "<null>"}}));
}

TEST_F(StoreAdapter, DdlTheStoreCannotKeepIsRefusedClearly) {
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { Run("ALTER TABLE Customers DROP COLUMN City"); }, &description),
              err::kNotSupported);
    EXPECT_NE(description.find("'City'"), std::string::npos) << description;
    EXPECT_NE(description.find("'Customers'"), std::string::npos) << description;
    EXPECT_EQ(
        ErrorNumber([&] { Run("ALTER TABLE Customers ADD COLUMN Age LONG NOT NULL UNIQUE"); }),
        err::kNotSupported);
    EXPECT_EQ(ErrorNumber([&] { Run("CREATE TABLE T (A LONG, CHECK (A > 0))"); }),
              err::kNotSupported);
    EXPECT_EQ(ErrorNumber([&] { Run("SELECT * INTO Copy FROM Customers"); }), err::kNotSupported);
    EXPECT_EQ(store->Tables(), (std::vector<std::string>{"Customers"}));
}

TEST_F(StoreAdapter, OtherConnectionsSeeTablesMadeAndDropped) {
    auto other = driver.Connect("memory:shop", "Text;");
    EXPECT_EQ(ReadRows(*other->Execute("SELECT count(*) FROM Customers")), (Rows{{"3"}}));
    Run("CREATE TABLE Notes (Body MEMO)");
    Run("INSERT INTO Notes VALUES ('hello')");
    EXPECT_EQ(ReadRows(*other->Execute("SELECT Body FROM Notes")), (Rows{{"hello"}}));
    other->Execute("DROP TABLE Notes");
    EXPECT_EQ(ErrorNumber([&] { Run("SELECT * FROM Notes"); }), err::kTableNotFound);
}

TEST_F(StoreAdapter, ATableIsNamedByEachOfItsOtherNamesToo) {
    store->AddOtherName("Customers", "people.csv");
    store->AddOtherName("Customers", "customers");  // the same name again is declared once
    EXPECT_EQ(Q("SELECT Name FROM [people.csv] WHERE ID = 2"), (Rows{{"Bob"}}));
    Run("UPDATE [people.csv] SET City = 'Bern' WHERE ID = 2");
    EXPECT_EQ(Q("SELECT c.City FROM Customers AS c INNER JOIN [people.csv] AS p ON p.ID = c.ID "
                "WHERE p.ID = 2"),
              (Rows{{"Bern"}}));
    // The store lists the table once, under its own name.
    EXPECT_EQ(store->Tables(), (std::vector<std::string>{"Customers"}));
    Run("DROP TABLE [people.csv]");
    EXPECT_EQ(ErrorNumber([&] { Q("SELECT * FROM [people.csv]"); }), err::kTableNotFound);
    EXPECT_EQ(ErrorNumber([&] { Q("SELECT * FROM Customers"); }), err::kTableNotFound);
}

TEST_F(StoreAdapter, DatabaseShowsTheStoreStructure) {
    db::OpenRequest request;
    request.name = "memory:shop";
    request.connect = "Text;";
    auto database = driver.Open(request);
    EXPECT_EQ(database->Version(), "1.0");
    ASSERT_EQ(database->TableDefs().size(), 1u);
    EXPECT_EQ(database->TableDefs()[0].name, "Customers");
    EXPECT_TRUE(database->QueryDefs().empty());
    const auto fields = database->Fields("customers");
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0].type, ftype::kLong);
    EXPECT_TRUE(fields[0].required);
    EXPECT_EQ(fields[1].type, ftype::kText);
    EXPECT_EQ(fields[1].size, 30);
    EXPECT_TRUE(fields[1].required);
    EXPECT_FALSE(fields[2].required);
    const auto indexes = database->Indexes("Customers");
    ASSERT_EQ(indexes.size(), 2u);
    EXPECT_TRUE(indexes[0].primary);
    EXPECT_EQ(indexes[0].fields, "+ID");
    EXPECT_EQ(indexes[1].name, "OneName");
    EXPECT_TRUE(indexes[1].unique);
    EXPECT_EQ(ErrorNumber([&] { database->Fields("Nothing"); }), err::kItemNotFound);
    EXPECT_EQ(ErrorNumber([&] { database->RenameField("Customers", "City", "Town"); }),
              err::kNotSupported);

    database->RenameTable("Customers", "Clients");
    EXPECT_EQ(Q("SELECT Name FROM Clients WHERE ID = 1"), (Rows{{"Ann"}}));

    database->Close();
    EXPECT_EQ(ErrorNumber([&] { database->TableDefs(); }), err::kObjectClosed);
}

}  // namespace
}  // namespace tessel::test::platform_tests
