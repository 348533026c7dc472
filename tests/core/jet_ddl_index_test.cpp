// Indexes and constraints made through the Jet DDL layer: names per table, "+A;-B" fields,
// the flags, and what they refuse on real inserts.
#include <gtest/gtest.h>

#include "core/db/engine.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::Engine;
using db::IndexInfo;
namespace err = db::err;

class JetIndexes : public testing::Test {
  protected:
    void SetUp() override { path = NewDatabase(engine, dir); }

    void Exec(const std::string& statement) { RunAll(engine, path, {statement}); }

    long Fails(const std::string& statement) {
        return ErrorNumber([&] { Exec(statement); });
    }

    std::vector<IndexInfo> IndexesOf(const std::string& table) {
        Engine fresh;  // read from the file, not from anything cached
        return fresh.OpenDatabase(path, false, false, "")->Indexes(table);
    }

    IndexInfo Only(const std::string& table) {
        auto indexes = IndexesOf(table);
        EXPECT_EQ(indexes.size(), 1u);
        return indexes.empty() ? IndexInfo{} : indexes[0];
    }

    TempDir dir;
    Engine engine;
    std::string path;
};

struct IndexCase {
    const char* statement;
    const char* fields;
    bool primary, unique, ignoreNulls, required;
};

void PrintTo(const IndexCase& c, std::ostream* os) {
    *os << c.statement;
}

class JetIndexForms : public JetIndexes, public testing::WithParamInterface<IndexCase> {};

TEST_P(JetIndexForms, ReadBackWithTheSameFieldsAndFlags) {
    Exec("CREATE TABLE T (A LONG, B TEXT(20), C DATETIME)");
    Exec(GetParam().statement);
    const IndexInfo index = Only("T");
    EXPECT_EQ(index.name, "IX");
    EXPECT_EQ(index.fields, GetParam().fields);
    EXPECT_EQ(index.primary, GetParam().primary);
    EXPECT_EQ(index.unique, GetParam().unique);
    EXPECT_EQ(index.ignoreNulls, GetParam().ignoreNulls);
    EXPECT_EQ(index.required, GetParam().required);
    EXPECT_FALSE(index.foreign);
}

INSTANTIATE_TEST_SUITE_P(
    AllForms, JetIndexForms,
    testing::Values(
        IndexCase{"CREATE INDEX IX ON T(A) WITH PRIMARY", "+A", true, true, false, true},
        IndexCase{"CREATE UNIQUE INDEX IX ON T(A,-B)", "+A;-B", false, true, false, false},
        IndexCase{"CREATE INDEX IX ON T(B) WITH IGNORE NULL", "+B", false, false, true, false},
        IndexCase{"CREATE INDEX IX ON T(B,-C) WITH DISALLOW NULL", "+B;-C", false, false, false,
                  true},
        IndexCase{"CREATE UNIQUE INDEX IX ON T(C) WITH IGNORE NULL", "+C", false, true, true,
                  false},
        IndexCase{"CREATE INDEX IX ON T (A DESC, B ASC)", "-A;+B", false, false, false, false},
        IndexCase{"CREATE INDEX [IX] ON [T] ([A])", "+A", false, false, false, false},
        IndexCase{"ALTER TABLE T ADD CONSTRAINT IX PRIMARY KEY (A, B)", "+A;+B", true, true, false,
                  true},
        IndexCase{"ALTER TABLE T ADD CONSTRAINT IX UNIQUE (C)", "+C", false, true, false, false}));

TEST_F(JetIndexes, TwoTablesMayEachHaveAnIndexOfTheSameName) {
    Exec("CREATE TABLE A (ID LONG, Name TEXT(10))");
    Exec("CREATE TABLE B (ID LONG, Code TEXT(10))");
    Exec("CREATE INDEX PrimaryKey ON A(ID) WITH PRIMARY");
    Exec("CREATE INDEX PrimaryKey ON B(ID) WITH PRIMARY");
    EXPECT_EQ(Only("A").name, "PrimaryKey");
    EXPECT_EQ(Only("B").name, "PrimaryKey");
    EXPECT_EQ(Fails("CREATE INDEX PrimaryKey ON A(Name)"), err::kIndexExists);
    EXPECT_EQ(Fails("CREATE INDEX Other ON A(Name) WITH PRIMARY"), err::kPrimaryKeyExists);
    Exec("DROP INDEX PrimaryKey ON A");
    EXPECT_TRUE(IndexesOf("A").empty());
    EXPECT_EQ(Only("B").name, "PrimaryKey");
    EXPECT_EQ(Fails("DROP INDEX Nope ON B"), err::kItemNotFound);
}

TEST_F(JetIndexes, PrimaryIndexRefusesNullsAndDuplicates) {
    Exec("CREATE TABLE T (ID LONG, Name TEXT(10))");
    Exec("CREATE INDEX PK ON T(ID) WITH PRIMARY");
    Exec("INSERT INTO T VALUES (1, 'a')");
    EXPECT_EQ(Fails("INSERT INTO T VALUES (1, 'b')"), err::kDuplicateValue);
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { Exec("INSERT INTO T (Name) VALUES ('c')"); }, &description),
              err::kNullNotAllowed);
    EXPECT_NE(description.find("T.ID"), std::string::npos) << description;
    EXPECT_EQ(Fails("UPDATE T SET ID = NULL"), err::kNullNotAllowed);
    EXPECT_EQ(Query(engine, path, "SELECT ID, Name FROM T"), (Rows{{"1", "a"}}));
}

TEST_F(JetIndexes, DisallowNullRefusesNullsButAllowsDuplicates) {
    Exec("CREATE TABLE T (ID LONG, Name TEXT(10))");
    Exec("CREATE INDEX ByName ON T(Name) WITH DISALLOW NULL");
    Exec("INSERT INTO T VALUES (1, 'a')");
    Exec("INSERT INTO T VALUES (2, 'a')");
    EXPECT_EQ(Fails("INSERT INTO T VALUES (3, NULL)"), err::kNullNotAllowed);
    EXPECT_EQ(Query(engine, path, "SELECT count(*) FROM T"), (Rows{{"2"}}));
}

TEST_F(JetIndexes, IgnoreNullAllowsManyNullsInAUniqueIndex) {
    Exec("CREATE TABLE T (ID LONG, Code TEXT(10))");
    Exec("CREATE UNIQUE INDEX ByCode ON T(Code) WITH IGNORE NULL");
    Exec("INSERT INTO T VALUES (1, NULL)");
    Exec("INSERT INTO T VALUES (2, NULL)");
    Exec("INSERT INTO T VALUES (3, 'x')");
    EXPECT_EQ(Fails("INSERT INTO T VALUES (4, 'x')"), err::kDuplicateValue);
}

TEST_F(JetIndexes, IndexesOnExistingNullsOrDuplicatesAreRefused) {
    Exec("CREATE TABLE T (ID LONG, Name TEXT(10))");
    Exec("INSERT INTO T VALUES (1, NULL)");
    Exec("INSERT INTO T VALUES (1, 'a')");
    EXPECT_EQ(Fails("CREATE INDEX PK ON T(ID) WITH PRIMARY"), err::kDuplicateValue);
    EXPECT_EQ(Fails("CREATE INDEX N ON T(Name) WITH DISALLOW NULL"), err::kNullInIndex);
    EXPECT_TRUE(IndexesOf("T").empty());
}

TEST_F(JetIndexes, ConstraintsOfCreateTableShowAsIndexes) {
    Exec(
        "CREATE TABLE Customers (ID COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(50) NOT NULL, "
        "Code TEXT(5) CONSTRAINT UQ UNIQUE)");
    Exec(
        "CREATE TABLE Orders (OrderID LONG, CustID LONG, Item TEXT(20), "
        "CONSTRAINT PrimaryKey PRIMARY KEY (OrderID, -Item), "
        "CONSTRAINT FK_Cust FOREIGN KEY (CustID) REFERENCES Customers (ID))");
    Exec("CREATE TABLE Notes (N LONG PRIMARY KEY, CustID LONG REFERENCES Customers)");

    const auto customers = IndexesOf("Customers");
    ASSERT_EQ(customers.size(), 2u);
    EXPECT_EQ(customers[0].name, "PK");
    EXPECT_EQ(customers[0].fields, "+ID");
    EXPECT_TRUE(customers[0].primary && customers[0].unique && customers[0].required);
    EXPECT_EQ(customers[1].name, "UQ");
    EXPECT_TRUE(customers[1].unique);
    EXPECT_FALSE(customers[1].primary);

    const auto orders = IndexesOf("Orders");
    ASSERT_EQ(orders.size(), 2u);
    EXPECT_EQ(orders[0].name, "PrimaryKey");
    EXPECT_EQ(orders[0].fields, "+OrderID;-Item");
    EXPECT_TRUE(orders[0].primary);
    EXPECT_EQ(orders[1].name, "FK_Cust");
    EXPECT_EQ(orders[1].fields, "+CustID");
    EXPECT_TRUE(orders[1].foreign);
    EXPECT_FALSE(orders[1].unique);

    const auto notes = IndexesOf("Notes");
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].name, "PrimaryKey");
    EXPECT_EQ(notes[1].name, "CustomersNotes");
    EXPECT_TRUE(notes[1].foreign);

    Engine fresh;
    const auto fields = fresh.OpenDatabase(path, false, false, "")->Fields("Customers");
    EXPECT_NE(fields[0].attributes & db::attr::kAutoIncrField, 0u);
    EXPECT_TRUE(fields[1].required);

    // The counter numbers rows; the relationship refuses orphans; NOT NULL refuses Nulls.
    Exec("INSERT INTO Customers (Name, Code) VALUES ('Ann', 'A')");
    Exec("INSERT INTO Customers (Name, Code) VALUES ('Bob', 'B')");
    EXPECT_EQ(Query(engine, path, "SELECT ID, Name FROM Customers ORDER BY ID"),
              (Rows{{"1", "Ann"}, {"2", "Bob"}}));
    Exec("INSERT INTO Orders VALUES (1, 2, 'pen')");
    EXPECT_EQ(Fails("INSERT INTO Orders VALUES (2, 9, 'ink')"), err::kRelatedRecordRequired);
    EXPECT_EQ(Fails("INSERT INTO Customers (Code) VALUES ('C')"), err::kNullNotAllowed);
    EXPECT_EQ(Fails("INSERT INTO Customers (Name, Code) VALUES ('Cy', 'A')"), err::kDuplicateValue);
    EXPECT_EQ(Fails("DROP TABLE Customers"), err::kInRelationship);
    EXPECT_EQ(Fails("DROP INDEX FK_Cust ON Orders"), err::kInRelationship);
    EXPECT_EQ(Fails("DROP INDEX PK ON Customers"), err::kNotSupported);
}

TEST_F(JetIndexes, CounterThatIsNotTheKeyStillNumbersRows) {
    Exec("CREATE TABLE T (ID COUNTER, Name TEXT(10))");
    Exec("CREATE INDEX PrimaryKey ON T(ID) WITH PRIMARY");
    Exec("INSERT INTO T (Name) VALUES ('a')");
    Exec("INSERT INTO T (Name) VALUES ('b')");
    Exec("INSERT INTO T (ID, Name) VALUES (10, 'c')");
    Exec("INSERT INTO T (Name) VALUES ('d')");
    EXPECT_EQ(Query(engine, path, "SELECT ID, Name FROM T ORDER BY ID"),
              (Rows{{"1", "a"}, {"2", "b"}, {"10", "c"}, {"11", "d"}}));
}

TEST_F(JetIndexes, ForeignKeyNeedsAUniqueIndexOnTheReferencedFields) {
    Exec("CREATE TABLE P (ID LONG, Name TEXT(10))");
    EXPECT_EQ(Fails("CREATE TABLE C (PID LONG REFERENCES P (ID))"), err::kReserved);
    EXPECT_EQ(Fails("CREATE TABLE C (PID LONG REFERENCES Missing (ID))"), err::kTableNotFound);
    Exec("CREATE UNIQUE INDEX U ON P(ID)");
    Exec("CREATE TABLE C (PID LONG REFERENCES P (ID))");
    EXPECT_EQ(Fails("DROP INDEX U ON P"), err::kInRelationship);
}

TEST_F(JetIndexes, DroppingTablesAndFieldsKeepsMetadataConsistent) {
    Exec("CREATE TABLE T (A LONG, B TEXT(10), C MEMO)");
    Exec("CREATE INDEX IX ON T(B) WITH DISALLOW NULL");
    EXPECT_EQ(Fails("ALTER TABLE T DROP COLUMN B"), err::kFieldInIndex);
    Exec("ALTER TABLE T DROP COLUMN C");
    Exec("ALTER TABLE T ADD COLUMN D CURRENCY");
    Exec("ALTER TABLE T ADD E TEXT(7) CONSTRAINT UE UNIQUE");
    {
        Engine fresh;
        auto db = fresh.OpenDatabase(path, false, false, "");
        const auto fields = db->Fields("T");
        ASSERT_EQ(fields.size(), 4u);
        EXPECT_EQ(fields[2].name, "D");
        EXPECT_EQ(fields[2].type, db::ftype::kCurrency);
        EXPECT_EQ(fields[3].size, 7);
        EXPECT_EQ(db->Indexes("T").size(), 2u);
    }
    Exec("DROP TABLE T");
    Exec("CREATE TABLE T (A TEXT(3))");
    EXPECT_TRUE(IndexesOf("T").empty());
    Engine fresh;
    const auto fields = fresh.OpenDatabase(path, false, false, "")->Fields("T");
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].size, 3);
    EXPECT_EQ(Fails("DROP TABLE Nope"), err::kNoSuchTable);
    EXPECT_EQ(Fails("CREATE TABLE T (X LONG)"), err::kObjectExists);
    EXPECT_EQ(Fails("CREATE TABLE U (X LONG, x TEXT)"), err::kFieldExists);
    EXPECT_EQ(Fails("CREATE INDEX I ON Nope (A)"), err::kTableNotFound);
    EXPECT_EQ(Fails("CREATE INDEX I ON T (Nope)"), err::kItemNotFound);
}

TEST_F(JetIndexes, MalformedDefinitionsAreSyntaxErrors) {
    for (const char* statement : {"CREATE TABLE T (A TEXT(", "CREATE TABLE T A LONG)",
                                  "CREATE INDEX I ON T", "CREATE INDEX I ON T(A) WITH NOTHING",
                                  "ALTER TABLE T FROB A", "CREATE TABLE T (A TEXT(x))"}) {
        EXPECT_EQ(Fails(statement), err::kSyntaxError) << statement;
    }
}

}  // namespace
}  // namespace tessel::test::platform_tests
