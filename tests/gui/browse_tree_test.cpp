// The database tree over a real database: its nodes, the lazy levels, system tables, renaming by
// label edits and the failures a person sees.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTreeWidget>

#include <algorithm>
#include <cctype>

#include "app/browse/database_tree_pane.h"
#include "browse_support.h"
#include "core/session/shared_state.h"

namespace tessel::test::browse {
namespace {

using app::DatabaseTreePane;

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

bool AnyStartsWith(const std::vector<std::string>& texts, const std::string& prefix) {
    return std::any_of(texts.begin(), texts.end(),
                       [&](const std::string& text) { return text.rfind(prefix, 0) == 0; });
}

class BrowseTreeTest : public BrowseTest {
  protected:
    BrowseTreeTest() : pane(session) { pane.resize(300, 400); }

    // Customers and Orders with an index, a view, and a long database property.
    void MakeShop() {
        CreateCurrentDatabase();
        Run({"CREATE TABLE Customers (CustID LONG, Name TEXT(50))",
             "CREATE TABLE Orders (OrderID LONG, CustID LONG, Note TEXT(200) DEFAULT '" +
                 std::string(70, 'n') + "')",
             "CREATE UNIQUE INDEX ByCustomer ON Orders (CustID)",
             "CREATE VIEW BigOrders AS SELECT * FROM Orders WHERE OrderID > 100"});
        ReopenDatabase();
        session.state.current.currentDatabase->CreateProperty("Remark", db::ftype::kText,
                                                              std::string(80, 'r'));
    }

    QTreeWidgetItem* Node(const std::string& key) {
        QTreeWidgetItem* node = pane.FindNode(QString::fromStdString(key));
        EXPECT_NE(node, nullptr) << "no node with the key " << key;
        return node;
    }

    // Starts a label edit the way a person does (F2 on the selected node); the open editor, or
    // nullptr when the edit was refused.
    QLineEdit* StartEdit(QTreeWidgetItem* node) {
        pane.Tree()->setCurrentItem(node);
        pane.Tree()->editItem(node);
        for (QLineEdit* editor : pane.Tree()->viewport()->findChildren<QLineEdit*>()) {
            if (editor->isVisible() || !editor->isHidden())
                return editor;
        }
        return nullptr;
    }

    // Types a new label and confirms it with Return.
    void EditLabel(QTreeWidgetItem* node, const QString& text) {
        QLineEdit* editor = StartEdit(node);
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(editor, &press);
        QApplication::processEvents();
        QApplication::processEvents();
    }

    std::vector<std::string> TableNames() {
        std::vector<std::string> names;
        for (const auto& table : session.state.current.currentDatabase->TableDefs()) {
            names.push_back(table.name);
        }
        return names;
    }

    DatabaseTreePane pane;
};

TEST_F(BrowseTreeTest, NoCurrentDatabaseLeavesAnEmptyTreeAndTheDefaultPointer) {
    pane.LoadDatabase();
    EXPECT_EQ(pane.Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(pane.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
}

TEST_F(BrowseTreeTest, AnEmptyTreeSaysWhatWillAppearThere) {
    const auto note = [this] {
        return pane.Tree()->viewport()->findChild<QLabel*>("emptyPaneNote");
    };
    ASSERT_NE(note(), nullptr);
    EXPECT_TRUE(note()->isVisibleTo(pane.Tree()));
    EXPECT_NE(Std(note()->text()).find("dbOpen"), std::string::npos) << Std(note()->text());
    MakeShop();
    pane.resize(200, 60);
    pane.show();
    pane.LoadDatabase();
    EXPECT_FALSE(note()->isVisibleTo(pane.Tree()));
    // Scrolling the rows moves the viewport's children; the note must come back in place.
    pane.Tree()->expandAll();
    pane.Tree()->scrollToBottom();
    QApplication::processEvents();
    ASSERT_GT(pane.Tree()->verticalScrollBar()->value(), 0);
    pane.ClearTree();
    QApplication::processEvents();
    EXPECT_TRUE(note()->isVisible());
    EXPECT_EQ(note()->geometry(), pane.Tree()->viewport()->rect());
}

TEST_F(BrowseTreeTest, RootHoldsPropertiesThenTablesThenQueries) {
    MakeShop();
    pane.LoadDatabase();
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
    EXPECT_EQ(ChildTexts(nullptr, pane.Tree()),
              (std::vector<std::string>{"Properties", "Customers", "Orders", "BigOrders"}));
    EXPECT_EQ(ChildKeys(nullptr, pane.Tree()),
              (std::vector<std::string>{">Properties", "TCustomers", "TOrders", "BigOrders"}));

    QTreeWidgetItem* properties = pane.Tree()->topLevelItem(0);
    EXPECT_FALSE(properties->isExpanded());
    EXPECT_GT(properties->childCount(), 0) << "the database properties are filled at once";
    EXPECT_EQ(Std(DatabaseTreePane::TagOf(properties)), "Properties");
    EXPECT_EQ(Std(DatabaseTreePane::ImageOf(properties)), "Property");

    QTreeWidgetItem* orders = Node("TOrders");
    EXPECT_EQ(Std(DatabaseTreePane::TagOf(orders)), "Table");
    EXPECT_EQ(Std(DatabaseTreePane::ImageOf(orders)), "Table");
    EXPECT_EQ(ChildTexts(orders, pane.Tree()),
              (std::vector<std::string>{"Fields", "Indexes", "Properties"}));
    EXPECT_EQ(ChildKeys(orders, pane.Tree()),
              (std::vector<std::string>{"Orders>Fields", "Orders>Indexes", "Orders>Properties"}));
    for (int i = 0; i < orders->childCount(); ++i) {
        EXPECT_EQ(orders->child(i)->childCount(), 0) << "lower levels wait for a click";
    }
    EXPECT_EQ(Std(DatabaseTreePane::ImageOf(orders->child(0))), "Field");
    EXPECT_EQ(Std(DatabaseTreePane::ImageOf(orders->child(1))), "Index");

    QTreeWidgetItem* query = Node("BigOrders");
    EXPECT_EQ(Std(DatabaseTreePane::TagOf(query)), "Query");
    EXPECT_EQ(Std(DatabaseTreePane::ImageOf(query)), "Query");
    EXPECT_EQ(ChildKeys(query, pane.Tree()), (std::vector<std::string>{"BigOrders>Properties"}));
    EXPECT_EQ(pane.cursor().shape(), Qt::ArrowCursor);
    for (const std::string key : {">Properties", "TOrders", "Orders>Fields", "BigOrders"}) {
        EXPECT_FALSE(Node(key)->icon(0).isNull()) << "the image of " << key;
    }
}

TEST_F(BrowseTreeTest, FieldsAreFilledOnceOnTheFirstClick) {
    MakeShop();
    pane.LoadDatabase();
    QTreeWidgetItem* fields = Node("Orders>Fields");
    pane.ClickNode(fields);
    EXPECT_EQ(ChildTexts(fields, pane.Tree()),
              (std::vector<std::string>{"OrderID", "CustID", "Note"}));
    EXPECT_EQ(ChildKeys(fields, pane.Tree())[1], "TOrders>Fields>CustID");
    EXPECT_TRUE(fields->isExpanded());
    EXPECT_EQ(Std(DatabaseTreePane::TagOf(fields->child(1))), "Field");

    pane.ClickNode(fields);
    EXPECT_EQ(fields->childCount(), 3) << "a second click adds nothing";
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
}

TEST_F(BrowseTreeTest, FieldPropertiesLeaveOutValueAndKeepLongTexts) {
    MakeShop();
    pane.LoadDatabase();
    pane.ClickNode(Node("Orders>Fields"));
    QTreeWidgetItem* custId = Node("TOrders>Fields>CustID");
    pane.ClickNode(custId);
    EXPECT_TRUE(custId->isExpanded());
    EXPECT_EQ(pane.Tree()->currentItem(), custId);
    const std::vector<std::string> texts = ChildTexts(custId, pane.Tree());
    ASSERT_FALSE(texts.empty());
    EXPECT_TRUE(
        Contains(ChildKeys(custId, pane.Tree()), "Orders>FieldsTOrders>Fields>CustID>Size"));
    EXPECT_TRUE(AnyStartsWith(texts, "Size="));
    EXPECT_FALSE(AnyStartsWith(texts, "Value="));
    // The engine does offer a Value property: the tree leaves it out on purpose.
    const auto engineProperties =
        session.state.current.currentDatabase->FieldProperties("Orders", "CustID");
    EXPECT_EQ(texts.size() + 1, engineProperties.size());
    EXPECT_EQ(Std(DatabaseTreePane::TagOf(custId->child(0))), "Property");

    pane.ClickNode(Node("TOrders>Fields>Note"));
    const auto noteTexts = ChildTexts(Node("TOrders>Fields>Note"), pane.Tree());
    EXPECT_TRUE(Contains(noteTexts, "DefaultValue='" + std::string(70, 'n') + "'") ||
                Contains(noteTexts, "DefaultValue=" + std::string(70, 'n')))
        << "a field property's long text is shown whole";
}

TEST_F(BrowseTreeTest, IndexesAndTheirPropertiesAreAllListed) {
    MakeShop();
    pane.LoadDatabase();
    QTreeWidgetItem* indexes = Node("Orders>Indexes");
    pane.ClickNode(indexes);
    EXPECT_EQ(ChildTexts(indexes, pane.Tree()), (std::vector<std::string>{"ByCustomer"}));
    QTreeWidgetItem* index = Node("TOrders>Indexes>ByCustomer");
    pane.ClickNode(index);
    const auto engineProperties =
        session.state.current.currentDatabase->IndexProperties("Orders", "ByCustomer");
    EXPECT_EQ(static_cast<std::size_t>(index->childCount()), engineProperties.size());
    EXPECT_TRUE(
        Contains(ChildKeys(index, pane.Tree()), "Orders>IndexesTOrders>Indexes>ByCustomer>Unique"));
    EXPECT_TRUE(Contains(ChildTexts(index, pane.Tree()), "Unique=True"));
}

TEST_F(BrowseTreeTest, DatabaseAndTablePropertyTextsAreCutToFiftyCharacters) {
    MakeShop();
    const std::string longName = "Table" + std::string(55, 'L');
    Run({"CREATE TABLE " + longName + " (A LONG)"});
    ReopenDatabase();
    pane.LoadDatabase();
    const auto databaseTexts = ChildTexts(Node(">Properties"), pane.Tree());
    EXPECT_TRUE(Contains(databaseTexts, "Remark=" + std::string(50, 'r')));
    EXPECT_TRUE(Contains(ChildKeys(Node(">Properties"), pane.Tree()), ">Properties>Remark"));

    QTreeWidgetItem* tableProperties = Node(longName + ">Properties");
    pane.ClickNode(tableProperties);
    EXPECT_TRUE(tableProperties->isExpanded());
    EXPECT_TRUE(
        Contains(ChildTexts(tableProperties, pane.Tree()), "Name=" + longName.substr(0, 50)));
    EXPECT_TRUE(Contains(ChildKeys(tableProperties, pane.Tree()), "T" + longName + ">Name"));

    QTreeWidgetItem* queryProperties = Node("BigOrders>Properties");
    pane.ClickNode(queryProperties);
    EXPECT_GT(queryProperties->childCount(), 0);
    EXPECT_TRUE(Contains(ChildKeys(queryProperties, pane.Tree()), "BigOrders>Name"));
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
}

TEST_F(BrowseTreeTest, SystemTablesOnlyWhileIncluded) {
    MakeShop();
    std::vector<std::string> systemTables;
    for (const auto& table : session.state.current.currentDatabase->TableDefs()) {
        if (table.attributes & db::attr::kSystemObjectMask)
            systemTables.push_back(table.name);
    }
    ASSERT_FALSE(systemTables.empty()) << "the engine keeps its own tables";

    pane.LoadDatabase();
    for (const auto& name : systemTables)
        EXPECT_EQ(pane.FindNode(QString::fromStdString("T" + name)), nullptr);
    pane.SetIncludeSystemTables(true);
    pane.LoadDatabase();
    for (const auto& name : systemTables)
        EXPECT_NE(pane.FindNode(QString::fromStdString("T" + name)), nullptr);
    pane.SetIncludeSystemTables(false);
    pane.LoadDatabase();
    for (const auto& name : systemTables)
        EXPECT_EQ(pane.FindNode(QString::fromStdString("T" + name)), nullptr);
}

TEST_F(BrowseTreeTest, RenamingATableReachesTheDatabaseWhileTheKeyKeepsTheOldName) {
    MakeShop();
    pane.LoadDatabase();
    QTreeWidgetItem* orders = Node("TOrders");
    EditLabel(orders, "Sales");
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();
    EXPECT_EQ(Std(orders->text(0)), "Sales");
    EXPECT_EQ(Std(DatabaseTreePane::KeyOf(orders)), "TOrders");
    EXPECT_TRUE(Contains(TableNames(), "Sales"));
    EXPECT_FALSE(Contains(TableNames(), "Orders"));

    // The fields are read from the table under its new name, keyed by the old one.
    QTreeWidgetItem* fields = Node("Orders>Fields");
    pane.ClickNode(fields);
    EXPECT_EQ(ChildTexts(fields, pane.Tree()),
              (std::vector<std::string>{"OrderID", "CustID", "Note"}));
    EXPECT_EQ(ChildKeys(fields, pane.Tree())[1], "TOrders>Fields>CustID");
}

TEST_F(BrowseTreeTest, RenamingAFieldAnIndexAndAQuery) {
    MakeShop();
    pane.LoadDatabase();
    pane.ClickNode(Node("Orders>Fields"));
    EditLabel(Node("TOrders>Fields>Note"), "Remark");
    pane.ClickNode(Node("Orders>Indexes"));
    EditLabel(Node("TOrders>Indexes>ByCustomer"), "ByClient");
    EditLabel(Node("BigOrders"), "LargeOrders");
    EXPECT_TRUE(ui.boxes.empty()) << ui.BoxLog();

    auto& database = *session.state.current.currentDatabase;
    const auto fields = database.Fields("Orders");
    EXPECT_EQ(fields.at(2).name, "Remark");
    EXPECT_EQ(database.Indexes("Orders").at(0).name, "ByClient");
    EXPECT_EQ(database.QueryDefs(), (std::vector<std::string>{"LargeOrders"}));
    EXPECT_EQ(Std(Node("TOrders>Fields>Note")->text(0)), "Remark");
}

TEST_F(BrowseTreeTest, AFailedRenameShowsTheDescriptionAloneAndKeepsTheLabel) {
    MakeShop();
    pane.LoadDatabase();
    QTreeWidgetItem* orders = Node("TOrders");
    EditLabel(orders, "Customers");
    ASSERT_EQ(ui.boxes.size(), 1u) << ui.BoxLog();
    EXPECT_EQ(ui.boxes[0].style, 0);
    EXPECT_EQ(ui.boxes[0].caption, kAppTitle);
    EXPECT_FALSE(ui.boxes[0].text.empty());
    // The description alone: no "number: " in front of it.
    EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(ui.boxes[0].text[0]))) << ui.boxes[0].text;
    EXPECT_EQ(Std(orders->text(0)), "Orders");
    EXPECT_TRUE(Contains(TableNames(), "Orders"));
}

TEST_F(BrowseTreeTest, LabelsOfGroupAndPropertyNodesCannotBeEdited) {
    MakeShop();
    pane.LoadDatabase();
    pane.ClickNode(Node("Orders>Fields"));
    pane.ClickNode(Node("TOrders>Fields>CustID"));
    for (const std::string key : {"Orders>Fields", "Orders>Indexes", "Orders>Properties",
                                  ">Properties", "Orders>FieldsTOrders>Fields>CustID>Size"}) {
        EXPECT_EQ(StartEdit(Node(key)), nullptr) << key;
    }
    EXPECT_NE(StartEdit(Node("TCustomers")), nullptr) << "a table's label can be edited";
}

TEST_F(BrowseTreeTest, AQueryNamedLikeATableKeyStopsTheLoadWithTheStandardBox) {
    MakeShop();
    Run({"CREATE VIEW TCustomers AS SELECT * FROM Customers"});
    ReopenDatabase();
    pane.LoadDatabase();
    ASSERT_EQ(ui.boxes.size(), 1u) << ui.BoxLog();
    EXPECT_EQ(ui.boxes[0].text.rfind("35602: ", 0), 0u) << ui.boxes[0].text;
    EXPECT_EQ(ui.boxes[0].style, msgbox::kCritical);
    // What was added before the failure stays.
    EXPECT_NE(pane.FindNode("TOrders"), nullptr);
    EXPECT_NE(pane.FindNode(">Properties"), nullptr);
    EXPECT_EQ(pane.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(BrowseTreeTest, DoubleClickTogglesTheCurrentNode) {
    MakeShop();
    pane.LoadDatabase();
    QTreeWidgetItem* orders = Node("TOrders");
    pane.ClickNode(orders);
    EXPECT_FALSE(orders->isExpanded());
    emit pane.Tree()->itemDoubleClicked(orders, 0);
    EXPECT_TRUE(orders->isExpanded());
    emit pane.Tree()->itemDoubleClicked(orders, 0);
    EXPECT_FALSE(orders->isExpanded());
}

TEST_F(BrowseTreeTest, RightMouseUpPopsUpTheToolsMenu) {
    MakeShop();
    pane.LoadDatabase();
    QMenu tools("&Tools");
    tools.addAction("&Include system tables");
    pane.SetContextMenu(&tools);
    pane.show();
    const QPointF at(10, 10);
    QMouseEvent left(QEvent::MouseButtonRelease, at, pane.Tree()->viewport()->mapToGlobal(at),
                     Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(pane.Tree()->viewport(), &left);
    EXPECT_FALSE(tools.isVisible());
    QMouseEvent right(QEvent::MouseButtonRelease, at, pane.Tree()->viewport()->mapToGlobal(at),
                      Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(pane.Tree()->viewport(), &right);
    EXPECT_TRUE(tools.isVisible());
    tools.hide();
}

TEST_F(BrowseTreeTest, ClearTreeRemovesEveryNode) {
    MakeShop();
    pane.LoadDatabase();
    pane.ClearTree();
    EXPECT_EQ(pane.Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(pane.FindNode("TOrders"), nullptr);
}

}  // namespace
}  // namespace tessel::test::browse
