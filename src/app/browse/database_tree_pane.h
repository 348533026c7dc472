// The database tree pane (window "vttables"): the current database as a tree of its properties,
// tables with their fields, indexes and properties, and stored queries with their properties.
//
// The upper levels are built in one pass by LoadDatabase; the lower levels are read from the
// engine on the first click of the node that holds them. Labels of tables, queries, fields and
// indexes can be edited to rename the object in the database; node keys keep the old name.
//
// Every statement of a script reloads the tree, so a reload of the database the tree already
// shows only brings it up to date: nodes of objects that went are removed, new ones inserted,
// and the levels already read are read again and changed where they differ. What the person
// expanded stays expanded, also across a clear followed by a load of the same database.
#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <QWidget>

#include "app/browse/tree_view_state.h"
#include "core/db/engine.h"
#include "core/session/session.h"

class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace tessel::app {

class DatabaseTreePane : public QWidget {
    Q_OBJECT
  public:
    // Item data roles holding what every node stands for.
    static constexpr int kKeyRole = Qt::UserRole + 1;
    static constexpr int kTagRole = Qt::UserRole + 2;
    static constexpr int kImageRole = Qt::UserRole + 3;

    explicit DatabaseTreePane(tessel::Session& session, QWidget* parent = nullptr);
    ~DatabaseTreePane() override;

    // Shows session.state.current.currentDatabase (an empty tree when there is none): builds the
    // tree, or brings it up to date when it already shows that database file.
    void LoadDatabase();
    // Removes every node; what the person expanded is remembered for a load of the same file.
    void ClearTree();
    // Mirrors the check mark of Tools > Include system tables; does not reload by itself.
    void SetIncludeSystemTables(bool on);
    bool IncludeSystemTables() const { return includeSystemTables_; }
    // The menu popped up when the right mouse button is released over the tree.
    void SetContextMenu(QMenu* toolsMenu);
    QTreeWidget* Tree();

    // The node-click population: makes `node` current and fills it on its first click.
    void ClickNode(QTreeWidgetItem* node);
    // The node with this key, or nullptr.
    QTreeWidgetItem* FindNode(const QString& key) const;
    static QString KeyOf(const QTreeWidgetItem* node);
    static QString TagOf(const QTreeWidgetItem* node);
    static QString ImageOf(const QTreeWidgetItem* node);
    // Reads a property's value for display: the value, or "N/A" when it could not be read.
    static db::Value GetPropertyValue(const db::Property& prpObj);

  signals:
    // Emitted after a label edit has renamed an object in the database.
    void ObjectRenamed(const QString& tag, const QString& from, const QString& to);

  private:
    class Delegate;
    friend class Delegate;

    // Adds a node; throws EngineError 35602 when the key is already in the tree.
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& key, const QString& text,
                             const QString& image, const QString& tag);
    void PopulateNode(QTreeWidgetItem* node);
    struct ChildNode {
        std::string key;
        std::string text;
    };
    // The lower level a node is filled with on its first click.
    struct ChildList {
        bool fills = false;  // false for a node that is not filled from the engine
        std::vector<ChildNode> nodes;
        QString image;
        QString tag;
    };
    // A node of the root level, as the database says it should be.
    struct RootNode {
        QString key;
        QString text;
        QString image;
        QString tag;
        bool attached = false;
        QString attachText;
    };
    // Reads what `node`'s lower level holds now; throws EngineError.
    ChildList ReadChildren(QTreeWidgetItem* node, db::Database& database);
    std::vector<ChildNode> PropertyNodes(QTreeWidgetItem* node,
                                         const std::vector<db::Property>& properties,
                                         bool cutLongText, bool skipValue);
    // Adds lower-level nodes under `node`, skipping any whose key is already in the tree.
    void AddChildren(QTreeWidgetItem* node, const std::vector<ChildNode>& children,
                     const QString& image, const QString& tag);
    // The root level in order: the database properties, the tables, the queries.
    std::vector<RootNode> ReadRoots(db::Database& database) const;
    QTreeWidgetItem* BuildRoot(const RootNode& root);
    static bool SameRoot(const QTreeWidgetItem* node, const RootNode& root);
    // Builds the whole tree; a failure is shown and what was built before it stays.
    void BuildTree(db::Database& database);
    // Brings the tree up to date with the database; false when only a rebuild can.
    bool UpdateTree(db::Database& database);
    bool UpdateRoots(const std::vector<RootNode>& roots);
    // Reads again every level below `node` that has been read, and changes what differs.
    void UpdateFilledLevels(QTreeWidgetItem* node, db::Database& database);
    // Makes `node`'s children those of `children`, keeping the nodes that stay.
    void UpdateChildren(QTreeWidgetItem* node, const ChildList& children);
    void RemoveNode(QTreeWidgetItem* node);
    void ResetTree();
    void RestoreView(const TreeViewState& state);
    void ShowError(const db::EngineError& error);
    void OnDoubleClick();
    bool BeforeLabelEdit(QTreeWidgetItem* node);
    void AfterLabelEdit(QTreeWidgetItem* node, const QString& newText);
    void RenameObject(const QString& tag, QTreeWidgetItem* node, const QString& newText);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    tessel::Session& session_;
    QTreeWidget* tree_ = nullptr;
    QMenu* toolsMenu_ = nullptr;
    bool includeSystemTables_ = false;
    QHash<QString, QIcon> images_;
    QHash<QString, QTreeWidgetItem*> keyIndex_;
    // Grows with every rebuild, so that a label edit confirmed before a rebuild is dropped.
    int treeGeneration_ = 0;
    QTreeWidgetItem* currentNode_ = nullptr;
    QTreeWidgetItem* editNode_ = nullptr;
    // The database file the tree shows, while it shows one.
    QString loadedDatabase_;
    bool loaded_ = false;
    // What the person had made of the tree when it was last cleared.
    TreeViewState savedView_;
};

}  // namespace tessel::app
