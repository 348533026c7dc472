// The key and text rules of the tree's nodes, including the attachment-type node of attached
// tables, which the single-file engine cannot make.
#include <gtest/gtest.h>

#include "app/browse/database_tree_pane.h"
#include "app/browse/tree_images.h"
#include "app/browse/tree_node_keys.h"

namespace tessel::app::treekeys {
namespace {

TEST(BrowseTreeKeys, TableFieldAndFieldPropertyKeysFollowThePath) {
    const std::string table = TableKey("Orders");
    EXPECT_EQ(table, "TOrders");
    EXPECT_EQ(TableFieldsKey("Orders"), "Orders>Fields");
    EXPECT_EQ(TableIndexesKey("Orders"), "Orders>Indexes");
    EXPECT_EQ(TablePropertiesKey("Orders"), "Orders>Properties");
    EXPECT_EQ(AttachTypeKey("Orders"), "Orders>AttachType");
    const std::string field = FieldKey(table, "CustID");
    EXPECT_EQ(field, "TOrders>Fields>CustID");
    EXPECT_EQ(MemberPropertyKey(TableFieldsKey("Orders"), field, "Size"),
              "Orders>FieldsTOrders>Fields>CustID>Size");
    EXPECT_EQ(IndexKey(table, "PrimaryKey"), "TOrders>Indexes>PrimaryKey");
}

TEST(BrowseTreeKeys, DatabaseQueryAndTablePropertyKeys) {
    EXPECT_EQ(DatabasePropertiesKey(), ">Properties");
    EXPECT_EQ(OwnerPropertyKey(DatabasePropertiesKey(), "Version"), ">Properties>Version");
    EXPECT_EQ(QueryKey("Big orders"), "Big orders");
    EXPECT_EQ(QueryPropertiesKey("Big orders"), "Big orders>Properties");
    EXPECT_EQ(OwnerPropertyKey(TableKey("Orders"), "Updatable"), "TOrders>Updatable");
    EXPECT_EQ(OwnerPropertyKey(QueryKey("Big orders"), "SQL"), "Big orders>SQL");
}

TEST(BrowseTreeKeys, AttachTypeTextIsThePartBeforeTheFirstSemicolon) {
    EXPECT_EQ(AttachTypeText(";DATABASE=/data/other.mdb"), "Access Table");
    EXPECT_EQ(AttachTypeText("dBase IV;DATABASE=/data/dbf"), "dBase IV Table");
    EXPECT_EQ(AttachTypeText("ODBC;DSN=sales;UID=me"), "ODBC Table");
}

TEST(BrowseTreeKeys, AttachTypeWithoutSemicolonIsAnInvalidArgument) {
    try {
        AttachTypeText("dBase IV");
        FAIL() << "expected a failure";
    } catch (const db::EngineError& error) {
        EXPECT_EQ(error.Number(), db::err::kInvalidArgument);
        EXPECT_NE(error.Description().find("dBase IV"), std::string::npos);
    }
}

TEST(BrowseTreeKeys, AttachedAndSystemFlags) {
    EXPECT_TRUE(IsAttachedTable(0x40000000u));
    EXPECT_TRUE(IsAttachedTable(0x20000000u));
    EXPECT_FALSE(IsAttachedTable(0x80000000u));
    EXPECT_TRUE(IsSystemObject(0x80000000u));
    EXPECT_TRUE(IsSystemObject(0x2u));
    EXPECT_FALSE(IsSystemObject(0x1u));
}

TEST(BrowseTreeKeys, TextValuesAreCutByCharactersOnlyWhenAsked) {
    const std::string eighty(80, 'x');
    EXPECT_EQ(PropertyText("Note", eighty, true), "Note=" + std::string(50, 'x'));
    EXPECT_EQ(PropertyText("Note", eighty, false), "Note=" + eighty);
    // Characters, not bytes: 60 two-byte letters keep 50 whole letters.
    std::string umlauts;
    for (int i = 0; i < 60; ++i)
        umlauts += "\xC3\xA4";
    EXPECT_EQ(PropertyText("Note", umlauts, true), "Note=" + umlauts.substr(0, 100));
    // Numbers are never cut.
    EXPECT_EQ(PropertyText("Size", db::Value(std::int64_t{12345}), true), "Size=12345");
}

TEST(BrowseTreeKeys, FirstCharactersCountsCodePoints) {
    EXPECT_EQ(FirstCharacters("abc", 2), "ab");
    EXPECT_EQ(FirstCharacters("abc", 5), "abc");
    EXPECT_EQ(FirstCharacters("\xE2\x82\xAC"
                              "1",
                              1),
              "\xE2\x82\xAC");
    EXPECT_EQ(FirstCharacters("", 3), "");
}

TEST(BrowseTreeKeys, UnreadablePropertyValueIsNotAvailable) {
    db::Property unreadable;
    unreadable.name = "Connect";
    unreadable.readable = false;
    unreadable.value = std::string("ignored");
    EXPECT_EQ(std::get<std::string>(DatabaseTreePane::GetPropertyValue(unreadable)), "N/A");
    db::Property readable;
    readable.name = "Size";
    readable.value = std::int64_t{4};
    EXPECT_EQ(std::get<std::int64_t>(DatabaseTreePane::GetPropertyValue(readable)), 4);
}

TEST(BrowseTreeKeys, TheImageListHoldsSixSixteenPixelPictures) {
    const QHash<QString, QIcon> images = LoadTreeImages();
    ASSERT_EQ(images.size(), 6);
    for (const char* key : {"Table", "Query", "Index", "Property", "Attached", "Field"}) {
        ASSERT_TRUE(images.contains(key)) << key;
        EXPECT_FALSE(images.value(key).pixmap(16, 16).isNull()) << key;
    }
}

}  // namespace
}  // namespace tessel::app::treekeys
