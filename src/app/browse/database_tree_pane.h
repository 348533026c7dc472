// The database tree pane (window "vttables"): the current database as a tree of its properties,
// tables with their fields, indexes and properties, and stored queries with their properties.
//
// The upper levels are built in one pass by LoadDatabase; the lower levels are read from the
// engine on the first click of the node that holds them. Labels of tables, queries, fields and
// indexes can be edited to rename the object in the database; node keys keep the old name.
#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <QWidget>

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

    // Rebuilds the tree from session.state.current.currentDatabase (empty when there is none).
    void LoadDatabase();
    // Removes every node.
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
    // Adds lower-level nodes under `node`, skipping any whose key is already in the tree.
    void AddChildren(QTreeWidgetItem* node, const std::vector<ChildNode>& children,
                     const QString& image, const QString& tag);
    void AddPropertyNodes(QTreeWidgetItem* node, const std::vector<db::Property>& properties,
                          bool cutLongText, bool skipValue);
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
};

}  // namespace tessel::app
