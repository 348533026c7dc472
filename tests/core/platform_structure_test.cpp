// The structure a person browses: property collections, renames that keep the metadata
// consistent, user properties and the query time-out.
#include <gtest/gtest.h>

#include "core/db/engine.h"
#include "platform_test_util.h"

namespace tessel::test::platform_tests {
namespace {

using db::Engine;
using db::Property;
namespace err = db::err;

std::vector<std::string> Names(const std::vector<Property>& properties) {
    std::vector<std::string> names;
    for (const auto& property : properties)
        names.push_back(property.name);
    return names;
}

const Property& Find(const std::vector<Property>& properties, const std::string& name) {
    for (const auto& property : properties) {
        if (property.name == name)
            return property;
    }
    static Property none;
    ADD_FAILURE() << "no property " << name;
    return none;
}

class PlatformStructure : public testing::Test {
  protected:
    void SetUp() override {
        path = NewDatabase(engine, dir);
        RunAll(engine, path,
               {"CREATE TABLE Customers (ID COUNTER CONSTRAINT PK PRIMARY KEY, Name TEXT(40) NOT "
                "NULL, Since DATETIME DEFAULT #1/1/2000#)",
                "CREATE TABLE Orders (OrderID LONG, CustID LONG CONSTRAINT FK REFERENCES "
                "Customers (ID), Item TEXT(20))",
                "CREATE INDEX ByItem ON Orders(Item, -OrderID) WITH DISALLOW NULL",
                "CREATE VIEW Recent AS SELECT * FROM Orders WHERE OrderID > 10",
                "INSERT INTO Customers (Name) VALUES ('Ann')"});
        db = engine.OpenDatabase(path, false, false, "");
    }

    TempDir dir;
    Engine engine;
    std::string path;
    std::unique_ptr<db::Database> db;
};

TEST_F(PlatformStructure, DatabaseProperties) {
    const auto properties = db->Properties();
    EXPECT_EQ(
        Names(properties),
        (std::vector<std::string>{"Name", "Connect", "Transactions", "Updatable", "CollatingOrder",
                                  "QueryTimeout", "Version", "RecordsAffected"}));
    EXPECT_EQ(db::ValueToText(Find(properties, "Name").value), path);
    EXPECT_EQ(db::ValueToText(Find(properties, "Version").value), "3.0");
    EXPECT_EQ(db::ValueToText(Find(properties, "Updatable").value), "True");
    EXPECT_EQ(db::ValueToText(Find(properties, "QueryTimeout").value), "60");
    EXPECT_EQ(db->QueryTimeout(), 60);
    db->SetQueryTimeout(5);
    EXPECT_EQ(db->QueryTimeout(), 5);
    EXPECT_EQ(db::ValueToText(Find(db->Properties(), "QueryTimeout").value), "5");
}

TEST_F(PlatformStructure, UserPropertiesPersistAndMayNotRepeat) {
    db->CreateProperty("Owner", db::ftype::kText, std::string("Ann"));
    db->CreateProperty("Replicable", db::ftype::kText, std::string("T"));
    db->CreateProperty("Copies", db::ftype::kLong, std::int64_t{3});
    EXPECT_EQ(ErrorNumber([&] { db->CreateProperty("owner", db::ftype::kText, std::string("x")); }),
              err::kDuplicateName);
    EXPECT_EQ(
        ErrorNumber([&] { db->CreateProperty("Version", db::ftype::kText, std::string("x")); }),
        err::kDuplicateName);
    Engine fresh;
    const auto properties = fresh.OpenDatabase(path, false, false, "")->Properties();
    const auto names = Names(properties);
    ASSERT_EQ(names.size(), 11u);
    EXPECT_EQ(names[8], "Owner");
    EXPECT_EQ(names[9], "Replicable");
    EXPECT_EQ(names[10], "Copies");
    EXPECT_EQ(db::ValueToText(properties[8].value), "Ann");
    EXPECT_EQ(db::ValueToText(properties[10].value), "3");
    EXPECT_EQ(properties[10].type, db::ftype::kLong);
}

TEST_F(PlatformStructure, TableFieldIndexAndQueryProperties) {
    const auto table = db->TableProperties("Customers");
    EXPECT_EQ(Names(table),
              (std::vector<std::string>{"Name", "Updatable", "DateCreated", "LastUpdated",
                                        "Connect", "Attributes", "SourceTableName",
                                        "ValidationRule", "ValidationText", "RecordCount"}));
    EXPECT_EQ(db::ValueToText(Find(table, "RecordCount").value), "1");
    EXPECT_EQ(Find(table, "DateCreated").type, db::ftype::kDate);
    EXPECT_EQ(db::ValueToText(Find(table, "DateCreated").value).size(), 19u);

    const auto field = db->FieldProperties("Customers", "Since");
    EXPECT_EQ(Names(field),
              (std::vector<std::string>{"Value", "Attributes", "CollatingOrder", "Type", "Name",
                                        "OrdinalPosition", "Size", "SourceField", "SourceTable",
                                        "DataUpdatable", "DefaultValue", "ValidationRule",
                                        "ValidationText", "Required", "AllowZeroLength"}));
    EXPECT_FALSE(Find(field, "Value").readable);
    EXPECT_EQ(db::ValueToText(Find(field, "Type").value), "8");
    EXPECT_EQ(db::ValueToText(Find(field, "OrdinalPosition").value), "2");
    EXPECT_EQ(db::ValueToText(Find(field, "DefaultValue").value), "'2000-01-01'");
    EXPECT_EQ(db::ValueToText(Find(db->FieldProperties("Customers", "Name"), "Required").value),
              "True");

    const auto index = db->IndexProperties("Orders", "ByItem");
    EXPECT_EQ(Names(index),
              (std::vector<std::string>{"Name", "Foreign", "IgnoreNulls", "Primary", "Required",
                                        "Unique", "Clustered", "Fields"}));
    EXPECT_EQ(db::ValueToText(Find(index, "Fields").value), "+Item;-OrderID");
    EXPECT_EQ(db::ValueToText(Find(index, "Required").value), "True");
    EXPECT_EQ(db::ValueToText(Find(db->IndexProperties("Orders", "FK"), "Foreign").value), "True");

    const auto query = db->QueryProperties("Recent");
    EXPECT_EQ(Names(query), (std::vector<std::string>{"Name", "SQL", "Type", "Updatable",
                                                      "ReturnsRecords", "Connect"}));
    EXPECT_EQ(db::ValueToText(Find(query, "SQL").value), "SELECT * FROM Orders WHERE OrderID > 10");

    EXPECT_EQ(ErrorNumber([&] { db->TableProperties("Nope"); }), err::kItemNotFound);
    EXPECT_EQ(ErrorNumber([&] { db->FieldProperties("Customers", "Nope"); }), err::kItemNotFound);
    EXPECT_EQ(ErrorNumber([&] { db->IndexProperties("Customers", "Nope"); }), err::kItemNotFound);
    EXPECT_EQ(ErrorNumber([&] { db->QueryProperties("Nope"); }), err::kItemNotFound);
    EXPECT_EQ(ErrorNumber([&] { db->Fields("Nope"); }), err::kItemNotFound);
}

TEST_F(PlatformStructure, RenamingATableKeepsItsTypesIndexesAndRules) {
    db->RenameTable("Customers", "Clients");
    Engine fresh;
    auto reopened = fresh.OpenDatabase(path, false, false, "");
    const auto fields = reopened->Fields("Clients");
    EXPECT_NE(fields[0].attributes & db::attr::kAutoIncrField, 0u);
    EXPECT_EQ(fields[1].size, 40);
    const auto indexes = reopened->Indexes("Clients");
    ASSERT_EQ(indexes.size(), 1u);
    EXPECT_EQ(indexes[0].name, "PK");
    EXPECT_TRUE(indexes[0].primary);
    EXPECT_EQ(ErrorNumber([&] { reopened->Fields("Customers"); }), err::kItemNotFound);
    // The relationship follows the rename.
    RunAll(fresh, path, {"INSERT INTO Orders VALUES (1, 1, 'pen')"});
    EXPECT_EQ(ErrorNumber([&] { RunAll(fresh, path, {"INSERT INTO Orders VALUES (2, 7, 'x')"}); }),
              err::kRelatedRecordRequired);
}

TEST_F(PlatformStructure, RenamingToATakenNameFailsAndChangesNothing) {
    EXPECT_EQ(ErrorNumber([&] { db->RenameTable("Customers", "orders"); }), err::kObjectExists);
    EXPECT_EQ(ErrorNumber([&] { db->RenameTable("Customers", "Recent"); }), err::kObjectExists);
    EXPECT_EQ(ErrorNumber([&] { db->RenameQuery("Recent", "Orders"); }), err::kObjectExists);
    EXPECT_EQ(ErrorNumber([&] { db->RenameField("Orders", "Item", "custid"); }), err::kFieldExists);
    EXPECT_EQ(ErrorNumber([&] { db->RenameIndex("Orders", "ByItem", "fk"); }), err::kIndexExists);
    EXPECT_EQ(ErrorNumber([&] { db->RenameTable("Nope", "X"); }), err::kItemNotFound);
    EXPECT_EQ(ErrorNumber([&] { db->RenameTable("Customers", "a.b"); }), err::kInvalidName);
    EXPECT_EQ(ErrorNumber([&] { db->RenameTable("Customers", ""); }), err::kInvalidName);
    EXPECT_EQ(ErrorNumber([&] { db->RenameTable("MSysIndexes", "Mine"); }), err::kInvalidName);
    std::vector<std::string> tables;
    for (const auto& table : db->TableDefs())
        tables.push_back(table.name);
    EXPECT_EQ(tables[0], "MSysColumns");
    EXPECT_NE(std::find(tables.begin(), tables.end(), "Customers"), tables.end());
    EXPECT_EQ(db->QueryDefs(), (std::vector<std::string>{"Recent"}));
}

TEST_F(PlatformStructure, RenamingQueriesFieldsAndIndexes) {
    db->RenameQuery("Recent", "Latest");
    EXPECT_EQ(db->QueryDefs(), (std::vector<std::string>{"Latest"}));
    EXPECT_EQ(Query(engine, path, "SELECT count(*) FROM Latest"), (Rows{{"0"}}));

    db->RenameField("Orders", "Item", "Product");
    db->RenameIndex("Orders", "ByItem", "ByProduct");
    Engine fresh;
    auto reopened = fresh.OpenDatabase(path, false, false, "");
    const auto fields = reopened->Fields("Orders");
    EXPECT_EQ(fields[2].name, "Product");
    EXPECT_EQ(fields[2].size, 20);
    const auto indexes = reopened->Indexes("Orders");
    ASSERT_EQ(indexes.size(), 2u);
    EXPECT_EQ(indexes[1].name, "ByProduct");
    EXPECT_EQ(indexes[1].fields, "+Product;-OrderID");
    EXPECT_TRUE(indexes[1].required);
    // The Null guard names the field by its new name.
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { RunAll(fresh, path, {"INSERT INTO Orders VALUES (1, 1, NULL)"}); },
                          &description),
              err::kNullNotAllowed);
    EXPECT_NE(description.find("Orders.Product"), std::string::npos) << description;
    // A view that uses the renamed field keeps working.
    EXPECT_EQ(Query(fresh, path, "SELECT count(*) FROM Latest"), (Rows{{"0"}}));
}

TEST_F(PlatformStructure, IndexesOfOtherToolsCanBeRenamed) {
    RunAll(engine, path,
           {"CREATE TABLE Plain (a INTEGER PRIMARY KEY, b TEXT)",
            "CREATE INDEX plain_b ON Plain (b)"});
    db->RenameIndex("Plain", "plain_b", "ByB");
    db->RenameIndex("Plain", "PrimaryKey", "Key");
    Engine fresh;
    const auto indexes = fresh.OpenDatabase(path, false, false, "")->Indexes("Plain");
    ASSERT_EQ(indexes.size(), 2u);
    EXPECT_EQ(indexes[0].name, "Key");
    EXPECT_TRUE(indexes[0].primary);
    EXPECT_EQ(indexes[1].name, "ByB");
    EXPECT_EQ(indexes[1].fields, "+b");
    RunAll(fresh, path, {"DROP INDEX ByB ON Plain"});
    EXPECT_EQ(fresh.OpenDatabase(path, false, false, "")->Indexes("Plain").size(), 1u);
}

TEST_F(PlatformStructure, AlterTableRenamesKeepMetadataToo) {
    RunAll(
        engine, path,
        {"ALTER TABLE Orders RENAME COLUMN Item TO Thing", "ALTER TABLE Orders RENAME TO Sales"});
    Engine fresh;
    auto reopened = fresh.OpenDatabase(path, false, false, "");
    EXPECT_EQ(reopened->Fields("Sales")[2].size, 20);
    EXPECT_EQ(reopened->Indexes("Sales")[1].fields, "+Thing;-OrderID");
}

}  // namespace
}  // namespace tessel::test::platform_tests
