// Tables of other databases in a statement: a text table joined with a dBase table in both
// spellings, a single-file database's table read from a dBase directory and a dBase table read
// from a single-file database, and the errors that name what is missing.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform_test_util.h"
#include "test_paths.h"

namespace tessel::test::platform_tests {
namespace {

namespace err = db::err;

class InClause : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(Dbf());
        std::filesystem::create_directories(Csv());
        Run(DbfConnection(), "CREATE TABLE orders (OrderID LONG, PersonID LONG, Amount DOUBLE)");
        Run(DbfConnection(), "INSERT INTO orders VALUES (10, 1, 5.5)");
        Run(DbfConnection(), "INSERT INTO orders VALUES (11, 2, 7)");
        Run(DbfConnection(), "INSERT INTO orders VALUES (12, 1, 2)");
        Run(CsvConnection(), "CREATE TABLE [people#csv] (ID LONG, Name TEXT(20))");
        Run(CsvConnection(), "INSERT INTO [people#csv] VALUES (1, 'Ann')");
        Run(CsvConnection(), "INSERT INTO [people#csv] VALUES (2, 'Bob')");
        Run(CsvConnection(), "INSERT INTO [people#csv] VALUES (3, 'Cy')");
    }

    std::string Dbf() const { return dir_.File("dbf"); }
    std::string Csv() const { return dir_.File("csv"); }
    std::string DbfConnection() const {
        return "Provider=MSDASQL.1;Extended Properties=DSN=dBASE Files;DBQ=" + Dbf() + ";";
    }
    std::string CsvConnection() const {
        return "Provider=MSDASQL.1;Extended Properties=DSN=Text Files;DBQ=" + Csv() + ";";
    }
    std::string Shop() {
        const std::string file = NewDatabase(engine_, dir_, "shop.mdb");
        RunAll(engine_, file,
               {"CREATE TABLE Customers (ID LONG, City TEXT(20))",
                "INSERT INTO Customers VALUES (1, 'Oslo')",
                "INSERT INTO Customers VALUES (2, 'Rome')"});
        return file;
    }

    void Run(const std::string& connection, const std::string& statement) {
        engine_.OpenConnection(connection)->Execute(statement);
    }
    Rows Q(const std::string& connection, const std::string& statement) {
        auto open = engine_.OpenConnection(connection);
        return ReadRows(*open->Execute(statement));
    }
    long Fails(const std::string& connection, const std::string& statement,
               std::string* description) {
        return ErrorNumber([&] { Q(connection, statement); }, description);
    }

    TempDir dir_;
    db::Engine engine_;
};

const Rows kTotals{{"Ann", "7.5"}, {"Bob", "7"}};

TEST_F(InClause, TextTableJoinsDbaseTableNamedByIn) {
    EXPECT_EQ(Q(CsvConnection(),
                "SELECT p.Name, SUM(o.Amount) FROM [people#csv] AS p INNER JOIN "
                "orders AS o IN '" +
                    Dbf() +
                    "' 'dBase IV;' ON o.PersonID = p.ID GROUP BY p.Name ORDER "
                    "BY p.Name"),
              kTotals);
}

TEST_F(InClause, TextTableJoinsDbaseTableNamedByBracketedConnect) {
    EXPECT_EQ(Q(CsvConnection(),
                "SELECT p.Name, SUM(o.Amount) FROM [people#csv] AS p INNER JOIN "
                "[dBase IV;DATABASE=" +
                    Dbf() +
                    "].orders AS o ON o.PersonID = p.ID GROUP BY p.Name ORDER "
                    "BY p.Name"),
              kTotals);
}

TEST_F(InClause, EmptyPathWithConnectTextAndAliasAfterTheClause) {
    EXPECT_EQ(Q(DbfConnection(),
                "SELECT o.OrderID, p.Name FROM orders AS o INNER JOIN "
                "[people#csv] IN \"\" [Text;DATABASE=" +
                    Csv() + "] AS p ON o.PersonID = p.ID ORDER BY o.OrderID"),
              (Rows{{"10", "Ann"}, {"11", "Bob"}, {"12", "Ann"}}));
}

TEST_F(InClause, SingleFileTableReadFromDbaseDirectory) {
    const std::string shop = Shop();
    EXPECT_EQ(Q(DbfConnection(),
                "SELECT o.OrderID, c.City FROM orders AS o INNER JOIN Customers "
                "AS c IN '" +
                    shop + "' ON c.ID = o.PersonID ORDER BY o.OrderID"),
              (Rows{{"10", "Oslo"}, {"11", "Rome"}, {"12", "Oslo"}}));
    EXPECT_EQ(Q(DbfConnection(), "SELECT COUNT(*) FROM [;DATABASE=" + shop + "].Customers"),
              (Rows{{"2"}}));
}

TEST_F(InClause, DbaseTableReadFromSingleFileDatabase) {
    const std::string shop = Shop();
    EXPECT_EQ(
        Query(engine_, shop,
              "SELECT c.City, COUNT(*) FROM Customers AS c INNER JOIN orders AS o IN '" + Dbf() +
                  "' 'dBase IV;' ON o.PersonID = c.ID GROUP BY c.City ORDER BY c.City"),
        (Rows{{"Oslo", "2"}, {"Rome", "1"}}));
    // The other database is gone again for the next statement.
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { Query(engine_, shop, "SELECT * FROM orders"); }, &description),
              err::kTableNotFound)
        << description;
}

TEST_F(InClause, GenuineJetTableReadFromDbaseDirectory) {
    const std::string file =
        std::string(TESSEL_TESTDATA_DIR) + "/mdb-reader/test/data/V2016/currency.accdb";
    EXPECT_EQ(Q(DbfConnection(),
                "SELECT o.OrderID, j.Money FROM orders AS o INNER JOIN [Table] "
                "AS j IN '" +
                    file + "' ON j.ID = o.PersonID ORDER BY o.OrderID"),
              (Rows{{"10", "42"}, {"12", "42"}}));
    std::string description;
    EXPECT_EQ(Fails(DbfConnection(), "DELETE FROM [;DATABASE=" + file + "].[Table]", &description),
              err::kNotSupported);
}

TEST_F(InClause, ChangesGoToAttachedSingleFileButNotToStores) {
    const std::string shop = Shop();
    Run(CsvConnection(),
        "INSERT INTO Customers IN '" + shop + "' SELECT ID + 10, Name FROM [people#csv]");
    EXPECT_EQ(Query(engine_, shop, "SELECT COUNT(*) FROM Customers"), (Rows{{"5"}}));
    std::string description;
    EXPECT_EQ(
        Fails(AccessConnection(shop),
              "INSERT INTO orders IN '" + Dbf() + "' 'dBase IV;' VALUES (13, 2, 1)", &description),
        err::kNotSupported);
    EXPECT_NE(description.find("orders"), std::string::npos) << description;
    EXPECT_EQ(Q(DbfConnection(), "SELECT COUNT(*) FROM orders"), (Rows{{"3"}}));
}

TEST_F(InClause, MissingDatabaseIsNamed) {
    const std::string missing = dir_.File("nowhere");
    std::string description;
    EXPECT_EQ(Fails(CsvConnection(), "SELECT * FROM orders IN '" + missing + "' 'dBase IV;'",
                    &description),
              err::kFileMissing);
    EXPECT_NE(description.find(missing), std::string::npos) << description;
    EXPECT_EQ(Fails(CsvConnection(), "SELECT * FROM [;DATABASE=" + missing + ".mdb].Customers",
                    &description),
              err::kFileMissing);
    EXPECT_NE(description.find(missing + ".mdb"), std::string::npos) << description;
}

TEST_F(InClause, UnknownConnectTypeIsNamed) {
    std::string description;
    EXPECT_EQ(Fails(CsvConnection(), "SELECT * FROM orders IN '" + Dbf() + "' 'Lotus 123;'",
                    &description),
              err::kNoDriver);
    EXPECT_NE(description.find("Lotus 123;"), std::string::npos) << description;
}

TEST_F(InClause, MissingTableIsNamed) {
    const std::string shop = Shop();
    std::string description;
    EXPECT_EQ(Fails(CsvConnection(), "SELECT * FROM invoices IN '" + Dbf() + "' 'dBase IV;'",
                    &description),
              err::kTableNotFound);
    EXPECT_NE(description.find("'invoices'"), std::string::npos) << description;
    EXPECT_NE(description.find(Dbf()), std::string::npos) << description;
    EXPECT_EQ(
        Fails(DbfConnection(), "SELECT * FROM [;DATABASE=" + shop + "].Suppliers", &description),
        err::kTableNotFound);
    EXPECT_NE(description.find("'Suppliers'"), std::string::npos) << description;
}

TEST_F(InClause, ValueListsKeepTheirIn) {
    EXPECT_EQ(Q(DbfConnection(), "SELECT OrderID FROM orders WHERE OrderID IN (10, 12) ORDER BY 1"),
              (Rows{{"10"}, {"12"}}));
}

}  // namespace
}  // namespace tessel::test::platform_tests
