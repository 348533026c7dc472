// What the tree and the recordset list show across script runs in the main window: a statement
// that changed no structure leaves the tree as the person arranged it, a changed structure
// shows, and the list holds one row per capture however many there are.
#include <QAbstractItemModel>
#include <QSignalSpy>
#include <QTableView>
#include <QTreeWidget>

#include <filesystem>

#include "app/browse/database_tree_pane.h"
#include "app/browse/recordset_list_pane.h"
#include "app/browse/recordset_view_pane.h"
#include "app/widget_ui.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

class ScriptRunPanesTest : public MainWindowTest {
  protected:
    app::DatabaseTreePane& Tree() { return Window().TreePane(); }

    void RunScript(const std::string& script) {
        Window().GetUi().SetEditorText(script);
        Window().RunMenuCommand("mnuScriptExecute");
        Settle();
        ASSERT_TRUE(person_.boxes.empty()) << Std(person_.boxes.front().text);
    }

    QTreeWidgetItem* Node(const std::string& key) {
        return Tree().FindNode(QString::fromStdString(key));
    }

    // A shop with two tables; Orders is expanded down to its fields and its indexes.
    void MakeShopAndExpandOrders() {
        RunScript(
            "dbmake shop;\r\n"
            "CREATE TABLE Customers (CustID LONG, Name TEXT(50));\r\n"
            "CREATE TABLE Orders (OrderID LONG, CustID LONG);\r\n"
            "CREATE INDEX ByOrder ON Orders (OrderID);\r\n");
        QTreeWidgetItem* orders = Node("TOrders");
        ASSERT_NE(orders, nullptr);
        Tree().ClickNode(orders);
        orders->setExpanded(true);
        Tree().ClickNode(Node("Orders>Fields"));
        Tree().ClickNode(Node("Orders>Indexes"));
        ASSERT_EQ(Node("Orders>Fields")->childCount(), 2);
        ASSERT_TRUE(Node("Orders>Indexes")->isExpanded());
    }

    std::vector<std::string> Texts(QTreeWidgetItem* node) {
        std::vector<std::string> texts;
        for (int i = 0; i < node->childCount(); ++i)
            texts.push_back(Std(node->child(i)->text(0)));
        return texts;
    }

    std::vector<std::string> RootTexts() { return Texts(Tree().Tree()->invisibleRootItem()); }

    bool HasRoot(const std::string& text) {
        const auto texts = RootTexts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
};

TEST_F(ScriptRunPanesTest, AStatementThatChangesNoStructureLeavesTheTreeAsItWas) {
    MakeShopAndExpandOrders();
    QTreeWidgetItem* orders = Node("TOrders");
    QTreeWidgetItem* fields = Node("Orders>Fields");
    const auto roots = RootTexts();
    QAbstractItemModel* model = Tree().Tree()->model();
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);

    RunScript("INSERT INTO Orders VALUES (1, 7);\r\nUPDATE Orders SET CustID = 8;\r\n");

    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(removed.count(), 0);
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(Node("TOrders"), orders) << "the node is the one the person expanded";
    EXPECT_EQ(Node("Orders>Fields"), fields);
    EXPECT_TRUE(orders->isExpanded());
    EXPECT_TRUE(fields->isExpanded());
    EXPECT_EQ(Texts(fields), (std::vector<std::string>{"OrderID", "CustID"}));
    EXPECT_EQ(RootTexts(), roots);
}

TEST_F(ScriptRunPanesTest, ACreatedTableAppearsADroppedOneGoesAndExpandedNodesStay) {
    MakeShopAndExpandOrders();
    QTreeWidgetItem* orders = Node("TOrders");

    RunScript("CREATE TABLE Zebra (A LONG);\r\n");
    EXPECT_TRUE(HasRoot("Zebra"));
    ASSERT_NE(Node("Zebra>Fields"), nullptr);
    EXPECT_EQ(Node("Zebra>Fields")->childCount(), 0) << "a new table's fields wait for a click";
    EXPECT_EQ(Node("TOrders"), orders);
    EXPECT_TRUE(orders->isExpanded());

    RunScript("DROP TABLE Customers;\r\n");
    EXPECT_FALSE(HasRoot("Customers"));
    EXPECT_EQ(Node("TCustomers"), nullptr);
    EXPECT_EQ(Node("Customers>Fields"), nullptr);
    EXPECT_TRUE(HasRoot("Zebra"));
    EXPECT_EQ(Node("TOrders"), orders);
    EXPECT_TRUE(Node("Orders>Fields")->isExpanded());

    // The order is the one a fresh build gives.
    const auto updated = RootTexts();
    Tree().ClearTree();
    Tree().LoadDatabase();
    EXPECT_EQ(RootTexts(), updated);
}

TEST_F(ScriptRunPanesTest, AnIndexOrFieldAddedToAnExpandedTableShowsInItsOpenLevels) {
    MakeShopAndExpandOrders();
    RunScript(
        "CREATE INDEX ByCustomer ON Orders (CustID);\r\n"
        "ALTER TABLE Orders ADD COLUMN Note TEXT(20);\r\n");
    EXPECT_EQ(Texts(Node("Orders>Fields")),
              (std::vector<std::string>{"OrderID", "CustID", "Note"}));
    const auto indexes = Texts(Node("Orders>Indexes"));
    EXPECT_NE(std::find(indexes.begin(), indexes.end(), "ByCustomer"), indexes.end());
    EXPECT_NE(std::find(indexes.begin(), indexes.end(), "ByOrder"), indexes.end());

    RunScript("DROP INDEX ByOrder ON Orders;\r\n");
    const auto left = Texts(Node("Orders>Indexes"));
    EXPECT_EQ(std::find(left.begin(), left.end(), "ByOrder"), left.end());
    EXPECT_TRUE(Node("Orders>Indexes")->isExpanded());
}

TEST_F(ScriptRunPanesTest, AClearAndALoadOfTheSameDatabaseKeepTheExpandedNodes) {
    MakeShopAndExpandOrders();
    Window().GetUi().ClearTree();
    Settle();
    EXPECT_EQ(Tree().Tree()->topLevelItemCount(), 0);
    Window().GetUi().ReloadTree();
    Settle();
    ASSERT_NE(Node("TOrders"), nullptr);
    EXPECT_TRUE(Node("TOrders")->isExpanded());
    EXPECT_TRUE(Node("Orders>Fields")->isExpanded());
    EXPECT_EQ(Texts(Node("Orders>Fields")), (std::vector<std::string>{"OrderID", "CustID"}));
    EXPECT_FALSE(Node("TCustomers")->isExpanded());

    // Another database starts from a folded tree.
    RunScript("dbmake other;\r\nCREATE TABLE Orders (OrderID LONG);\r\n");
    ASSERT_NE(Node("TOrders"), nullptr);
    EXPECT_FALSE(Node("TOrders")->isExpanded());
    EXPECT_EQ(Node("Orders>Fields")->childCount(), 0);
}

TEST_F(ScriptRunPanesTest, AClearFollowedByAReloadBeforeTheWindowCatchesUpUpdatesTheTree) {
    MakeShopAndExpandOrders();
    QTreeWidgetItem* orders = Node("TOrders");
    Window().GetUi().ClearTree();
    Window().GetUi().ReloadTree();
    Settle();
    EXPECT_EQ(Node("TOrders"), orders);
    EXPECT_TRUE(orders->isExpanded());
}

TEST_F(ScriptRunPanesTest, TheListHoldsARowPerSelectInOrderAndTheLastShowsItsRows) {
    constexpr int kSelects = 1500;
    std::string script =
        "dbmake many;\r\nCREATE TABLE Numbers (N LONG);\r\n"
        "INSERT INTO Numbers VALUES (1);\r\nINSERT INTO Numbers VALUES (2);\r\n";
    for (int k = 1; k <= kSelects; ++k)
        script += "SELECT N, " + std::to_string(k) + " AS K FROM Numbers;\r\n";
    RunScript(script);

    QTableView* grid = Window().ListPane().Grid();
    QAbstractItemModel* model = grid->model();
    ASSERT_EQ(model->rowCount(), kSelects + 1);
    EXPECT_FALSE(grid->isHidden());
    for (int k : {1, 2, 750, kSelects - 1, kSelects}) {
        EXPECT_EQ(Std(model->index(k, 0).data().toString()), "recordset" + std::to_string(k));
        EXPECT_EQ(Std(model->index(k, 1).data().toString()),
                  "SELECT N, " + std::to_string(k) + " AS K FROM Numbers");
    }
    EXPECT_EQ(grid->currentIndex().row(), kSelects) << "the newest row is the current one";

    emit grid->clicked(model->index(1, 0));
    EXPECT_EQ(Std(Window().ViewPane().Caption()), "recordset1");
    emit grid->clicked(model->index(kSelects, 0));
    EXPECT_EQ(Std(Window().ViewPane().Caption()), "recordset" + std::to_string(kSelects));
    QAbstractItemModel* rows = Window().ViewPane().Grid()->model();
    ASSERT_EQ(rows->rowCount(), 2);
    EXPECT_EQ(Std(rows->headerData(1, Qt::Horizontal).toString()), "K");
    EXPECT_EQ(Std(rows->index(1, 0).data().toString()), "2");
    EXPECT_EQ(Std(rows->index(1, 1).data().toString()), std::to_string(kSelects));
}

TEST_F(ScriptRunPanesTest, AShorterRunAfterALongerOneHoldsOnlyItsOwnRows) {
    RunScript(
        "dbmake few;\r\nCREATE TABLE T (A LONG);\r\n"
        "SELECT A FROM T;\r\nSELECT A + 1 FROM T;\r\nSELECT A + 2 FROM T;\r\n");
    ASSERT_EQ(Window().ListPane().Grid()->model()->rowCount(), 4);
    RunScript("SELECT A * 5 FROM T;\r\n");
    QAbstractItemModel* model = Window().ListPane().Grid()->model();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(Std(model->index(1, 1).data().toString()), "SELECT A * 5 FROM T");
}

}  // namespace
}  // namespace tessel::test::gui
