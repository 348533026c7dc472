// ALTER TABLE changes that rebuild the table: field types, relationships, checks and NOT NULL
// added and removed, with rows, indexes, counters and metadata kept.
#include <gtest/gtest.h>

#include "core/db/engine.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::Engine;
namespace err = db::err;
namespace ftype = db::ftype;

class JetAlter : public testing::Test {
  protected:
    void SetUp() override {
        path = NewDatabase(engine, dir);
        Exec("CREATE TABLE Customers (ID COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(10))");
        Exec("CREATE INDEX ByName ON Customers (-Name)");
        Exec("INSERT INTO Customers (Name) VALUES ('Ann')");
        Exec("INSERT INTO Customers (Name) VALUES ('Bob')");
        Exec("INSERT INTO Customers (Name) VALUES ('Cy')");
        Exec("DELETE FROM Customers WHERE Name = 'Cy'");
        Exec("CREATE TABLE Orders (OrderID LONG, CustID LONG, Qty SHORT)");
        Exec("INSERT INTO Orders VALUES (1, 1, 5)");
        Exec(
            "CREATE VIEW Named AS SELECT o.OrderID, c.Name FROM Orders o JOIN Customers c ON "
            "c.ID = o.CustID");
    }
    void Exec(const std::string& statement) { RunAll(engine, path, {statement}); }
    long Fails(const std::string& statement) {
        return ErrorNumber([&] { Exec(statement); });
    }
    std::unique_ptr<db::Database> Fresh() {
        fresh = std::make_unique<Engine>();
        return fresh->OpenDatabase(path, false, false, "");
    }

    TempDir dir;
    Engine engine;
    std::unique_ptr<Engine> fresh;
    std::string path;
};

TEST_F(JetAlter, AlterColumnChangesTypeAndSizeKeepingRowsIndexesAndCounters) {
    Exec("ALTER TABLE Customers ALTER COLUMN Name TEXT(50) NOT NULL");
    auto db = Fresh();
    const auto fields = db->Fields("Customers");
    EXPECT_EQ(fields[1].type, ftype::kText);
    EXPECT_EQ(fields[1].size, 50);
    EXPECT_TRUE(fields[1].required);
    EXPECT_NE(fields[0].attributes & db::attr::kAutoIncrField, 0u);
    const auto indexes = db->Indexes("Customers");
    ASSERT_EQ(indexes.size(), 2u);
    EXPECT_EQ(indexes[0].name, "PK");
    EXPECT_EQ(indexes[1].name, "ByName");
    EXPECT_EQ(indexes[1].fields, "-Name");
    Exec("INSERT INTO Customers (Name) VALUES ('Dee')");
    EXPECT_EQ(Query(engine, path, "SELECT ID, Name FROM Customers ORDER BY ID"),
              (Rows{{"1", "Ann"}, {"2", "Bob"}, {"4", "Dee"}}));
    EXPECT_EQ(Fails("INSERT INTO Customers (Name) VALUES (NULL)"), err::kNullNotAllowed);
    EXPECT_EQ(Query(engine, path, "SELECT Name FROM Named"), (Rows{{"Ann"}}));

    Exec("ALTER TABLE Orders ALTER COLUMN Qty DOUBLE");
    EXPECT_EQ(Fresh()->Fields("Orders")[2].type, ftype::kDouble);
    EXPECT_EQ(Fails("ALTER TABLE Customers ALTER COLUMN ID TEXT(5)"), err::kNotSupported);
    EXPECT_EQ(Fails("ALTER TABLE Orders ALTER COLUMN Nope LONG"), err::kItemNotFound);
}

TEST_F(JetAlter, RelationshipsAreAddedAndRemoved) {
    Exec("INSERT INTO Orders VALUES (2, 9, 1)");
    // An orphan row refuses the relationship and leaves everything as it was.
    EXPECT_EQ(Fails("ALTER TABLE Orders ADD CONSTRAINT FK_Cust FOREIGN KEY (CustID) REFERENCES "
                    "Customers (ID)"),
              err::kRelatedRecordRequired);
    EXPECT_TRUE(Fresh()->Indexes("Orders").empty());
    EXPECT_EQ(Query(engine, path, "SELECT count(*) FROM Orders"), (Rows{{"2"}}));

    Exec("DELETE FROM Orders WHERE CustID = 9");
    Exec("ALTER TABLE Orders ADD CONSTRAINT FK_Cust FOREIGN KEY (CustID) REFERENCES Customers");
    auto indexes = Fresh()->Indexes("Orders");
    ASSERT_EQ(indexes.size(), 1u);
    EXPECT_EQ(indexes[0].name, "FK_Cust");
    EXPECT_TRUE(indexes[0].foreign);
    EXPECT_EQ(Fails("INSERT INTO Orders VALUES (3, 9, 1)"), err::kRelatedRecordRequired);
    EXPECT_EQ(Fails("DROP INDEX FK_Cust ON Orders"), err::kInRelationship);

    Exec("ALTER TABLE Orders DROP CONSTRAINT FK_Cust");
    EXPECT_TRUE(Fresh()->Indexes("Orders").empty());
    Exec("INSERT INTO Orders VALUES (3, 9, 1)");
    EXPECT_EQ(Fails("ALTER TABLE Orders DROP CONSTRAINT Nope"), err::kItemNotFound);
}

TEST_F(JetAlter, ChecksAndNotNullAreAddedAndRemoved) {
    EXPECT_EQ(Fails("ALTER TABLE Orders ADD CONSTRAINT Positive CHECK (Qty > 5)"),
              err::kValidationFailed);
    Exec("ALTER TABLE Orders ADD CONSTRAINT Positive CHECK (Qty > 0)");
    EXPECT_EQ(Fails("INSERT INTO Orders VALUES (2, 1, 0)"), err::kValidationFailed);
    Exec("ALTER TABLE Orders DROP CONSTRAINT Positive");
    Exec("INSERT INTO Orders VALUES (2, 1, 0)");

    Exec("ALTER TABLE Orders ADD CONSTRAINT NN NOT NULL (CustID)");
    EXPECT_TRUE(Fresh()->Fields("Orders")[1].required);
    EXPECT_EQ(Fails("INSERT INTO Orders (OrderID) VALUES (3)"), err::kNullNotAllowed);
}

TEST_F(JetAlter, RequiredFieldsAreAddedToEmptyTablesOnly) {
    EXPECT_EQ(Fails("ALTER TABLE Orders ADD COLUMN Note TEXT(20) NOT NULL"), err::kNullNotAllowed);
    Exec("CREATE TABLE Empty (A LONG)");
    Exec("CREATE INDEX IA ON Empty (A) WITH PRIMARY");
    Exec("ALTER TABLE Empty ADD COLUMN Note TEXT(20) NOT NULL");
    auto db = Fresh();
    const auto fields = db->Fields("Empty");
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_TRUE(fields[1].required);
    EXPECT_EQ(fields[1].size, 20);
    EXPECT_EQ(db->Indexes("Empty").size(), 1u);
    EXPECT_EQ(Fails("INSERT INTO Empty (A) VALUES (1)"), err::kNullNotAllowed);
    Exec("INSERT INTO Empty VALUES (1, 'x')");
}

TEST_F(JetAlter, TablesMayReferToThemselves) {
    Exec(
        "CREATE TABLE Staff (ID LONG CONSTRAINT PK PRIMARY KEY, Boss LONG CONSTRAINT FK_Boss "
        "REFERENCES Staff)");
    Exec("INSERT INTO Staff VALUES (1, NULL)");
    Exec("INSERT INTO Staff VALUES (2, 1)");
    EXPECT_EQ(Fails("INSERT INTO Staff VALUES (3, 7)"), err::kRelatedRecordRequired);
    const auto indexes = Fresh()->Indexes("Staff");
    ASSERT_EQ(indexes.size(), 2u);
    EXPECT_TRUE(indexes[1].foreign);
}

}  // namespace
}  // namespace tessel::test::platform_tests
