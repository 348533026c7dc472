#include "app/browse/database_tree_pane.h"

#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include "app/browse/tree_images.h"
#include "app/browse/tree_node_keys.h"
#include "app/workspace/empty_pane_note.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel::app {

namespace {

inline constexpr const char* kEmptyTreeNote =
    "The tables, queries and indexes of the open database appear here. A script opens one with "
    "dbOpen or makes one with dbMake.";

std::string Std(const QString& text) {
    return text.toStdString();
}
QString Qs(const std::string& text) {
    return QString::fromStdString(text);
}

// Shows the tree window's busy pointer while it lives.
class BusyPointer {
  public:
    explicit BusyPointer(QWidget& window) : window_(window) { window_.setCursor(Qt::WaitCursor); }
    ~BusyPointer() { window_.unsetCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

  private:
    QWidget& window_;
};

}  // namespace

// Asks the pane before an edit starts, and hands a confirmed label to the pane after the editor
// has closed: a message box shown while the editor is still open would end the edit twice.
class DatabaseTreePane::Delegate : public QStyledItemDelegate {
  public:
    explicit Delegate(DatabaseTreePane& pane) : QStyledItemDelegate(&pane), pane_(pane) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (!pane_.BeforeLabelEdit(pane_.tree_->itemFromIndex(index))) {
            return nullptr;
        }
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        auto* lineEdit = qobject_cast<QLineEdit*>(editor);
        QTreeWidgetItem* node = pane_.tree_->itemFromIndex(index);
        if (lineEdit == nullptr || node == nullptr) {
            return;
        }
        const QString newText = lineEdit->text();
        const int generation = pane_.treeGeneration_;
        QPointer<DatabaseTreePane> pane(&pane_);
        QMetaObject::invokeMethod(
            &pane_,
            [pane, node, newText, generation] {
                if (pane && pane->treeGeneration_ == generation) {
                    pane->AfterLabelEdit(node, newText);
                }
            },
            Qt::QueuedConnection);
    }

  private:
    DatabaseTreePane& pane_;
};

DatabaseTreePane::DatabaseTreePane(tessel::Session& session, QWidget* parent)
    : QWidget(parent), session_(session), tree_(new QTreeWidget(this)) {
    setObjectName("vttables");
    tree_->setObjectName("tvDatabase");
    tree_->setFont(QFont("Tahoma"));
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->setUniformRowHeights(true);
    tree_->setExpandsOnDoubleClick(false);
    tree_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    tree_->setItemDelegate(new Delegate(*this));
    tree_->setContextMenuPolicy(Qt::PreventContextMenu);
    tree_->viewport()->installEventFilter(this);
    images_ = LoadTreeImages();

    connect(tree_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* node) { ClickNode(node); });
    connect(tree_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* node) { ClickNode(node); });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this] { OnDoubleClick(); });

    auto* emptyNote = new EmptyPaneNote(kEmptyTreeNote, tree_->viewport());
    const auto showNoteWhenEmpty = [this, emptyNote] {
        emptyNote->setVisible(tree_->topLevelItemCount() == 0);
    };
    // The note is the connections' context: the tree's model still signals while the tree is
    // destroyed, after the note has gone.
    connect(tree_->model(), &QAbstractItemModel::rowsInserted, emptyNote, showNoteWhenEmpty);
    connect(tree_->model(), &QAbstractItemModel::rowsRemoved, emptyNote, showNoteWhenEmpty);
    connect(tree_->model(), &QAbstractItemModel::modelReset, emptyNote, showNoteWhenEmpty);
    showNoteWhenEmpty();
}

DatabaseTreePane::~DatabaseTreePane() = default;

QTreeWidget* DatabaseTreePane::Tree() {
    return tree_;
}

void DatabaseTreePane::SetIncludeSystemTables(bool on) {
    includeSystemTables_ = on;
}

void DatabaseTreePane::SetContextMenu(QMenu* toolsMenu) {
    toolsMenu_ = toolsMenu;
}

void DatabaseTreePane::ClearTree() {
    if (loaded_ && tree_->topLevelItemCount() > 0) {
        savedView_ = SaveTreeViewState(*tree_, kKeyRole);
        savedView_.database = loadedDatabase_;
    }
    ResetTree();
}

void DatabaseTreePane::ResetTree() {
    ++treeGeneration_;
    currentNode_ = nullptr;
    editNode_ = nullptr;
    keyIndex_.clear();
    loaded_ = false;
    loadedDatabase_.clear();
    tree_->clear();
}

QTreeWidgetItem* DatabaseTreePane::FindNode(const QString& key) const {
    return keyIndex_.value(key, nullptr);
}

QString DatabaseTreePane::KeyOf(const QTreeWidgetItem* node) {
    return node == nullptr ? QString() : node->data(0, kKeyRole).toString();
}

QString DatabaseTreePane::TagOf(const QTreeWidgetItem* node) {
    return node == nullptr ? QString() : node->data(0, kTagRole).toString();
}

QString DatabaseTreePane::ImageOf(const QTreeWidgetItem* node) {
    return node == nullptr ? QString() : node->data(0, kImageRole).toString();
}

db::Value DatabaseTreePane::GetPropertyValue(const db::Property& prpObj) {
    if (!prpObj.readable) {
        return std::string("N/A");
    }
    return prpObj.value;
}

QTreeWidgetItem* DatabaseTreePane::AddNode(QTreeWidgetItem* parent, const QString& key,
                                           const QString& text, const QString& image,
                                           const QString& tag) {
    if (keyIndex_.contains(key)) {
        throw ProgramError(db::err::kDuplicateKey,
                           "The tree already holds a node with the key \"" + Std(key) + "\".");
    }
    auto* node = new QTreeWidgetItem(QStringList{text});
    node->setData(0, kKeyRole, key);
    node->setData(0, kTagRole, tag);
    node->setData(0, kImageRole, image);
    node->setIcon(0, images_.value(image));
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    if (parent != nullptr) {
        parent->addChild(node);
    }
    keyIndex_.insert(key, node);
    return node;
}

void DatabaseTreePane::ShowError(const db::EngineError& error) {
    ShowStandardError(session_.ui, error);
}

void DatabaseTreePane::LoadDatabase() {
    BusyPointer busy(*this);
    db::Database* database = session_.state.current.currentDatabase.get();
    if (database == nullptr) {
        ClearTree();
        return;
    }
    const QString file = Qs(session_.state.current.currentDatabaseFileName);
    if (loaded_ && file == loadedDatabase_ && UpdateTree(*database)) {
        return;
    }
    // A tree that showed this file keeps what the person made of it; so does one cleared
    // while it showed this file.
    TreeViewState view;
    if (loaded_ && file == loadedDatabase_) {
        view = SaveTreeViewState(*tree_, kKeyRole);
    } else if (!loaded_ && savedView_.database == file) {
        view = savedView_;
    }
    ResetTree();
    savedView_ = TreeViewState();
    BuildTree(*database);
    loaded_ = true;
    loadedDatabase_ = file;
    RestoreView(view);
}

std::vector<DatabaseTreePane::RootNode> DatabaseTreePane::ReadRoots(db::Database& database) const {
    std::vector<RootNode> roots;
    roots.push_back({Qs(treekeys::DatabasePropertiesKey()), treekeys::kTagProperties,
                     treekeys::kImageProperty, treekeys::kTagProperties, false, QString()});
    for (const db::TableInfo& table : database.TableDefs()) {
        if (treekeys::IsSystemObject(table.attributes) && !includeSystemTables_) {
            continue;
        }
        const bool attached = treekeys::IsAttachedTable(table.attributes);
        roots.push_back({Qs(treekeys::TableKey(table.name)), Qs(table.name),
                         attached ? treekeys::kImageAttached : treekeys::kImageTable,
                         treekeys::kTagTable, attached,
                         attached ? Qs(treekeys::AttachTypeText(table.connect)) : QString()});
    }
    for (const std::string& query : database.QueryDefs()) {
        roots.push_back({Qs(treekeys::QueryKey(query)), Qs(query), treekeys::kImageQuery,
                         treekeys::kTagQuery, false, QString()});
    }
    return roots;
}

QTreeWidgetItem* DatabaseTreePane::BuildRoot(const RootNode& root) {
    QTreeWidgetItem* node = AddNode(nullptr, root.key, root.text, root.image, root.tag);
    const std::string name = Std(root.text);
    if (root.tag == treekeys::kTagTable) {
        AddNode(node, Qs(treekeys::TableFieldsKey(name)), treekeys::kTagFields,
                treekeys::kImageField, treekeys::kTagFields);
        AddNode(node, Qs(treekeys::TableIndexesKey(name)), treekeys::kTagIndexes,
                treekeys::kImageIndex, treekeys::kTagIndexes);
        AddNode(node, Qs(treekeys::TablePropertiesKey(name)), treekeys::kTagProperties,
                treekeys::kImageProperty, treekeys::kTagProperties);
        if (root.attached) {
            AddNode(node, Qs(treekeys::AttachTypeKey(name)), root.attachText,
                    treekeys::kImageAttached, QString());
        }
    } else if (root.tag == treekeys::kTagQuery) {
        AddNode(node, Qs(treekeys::QueryPropertiesKey(name)), treekeys::kTagProperties,
                treekeys::kImageProperty, treekeys::kTagProperties);
    }
    return node;
}

bool DatabaseTreePane::SameRoot(const QTreeWidgetItem* node, const RootNode& root) {
    if (KeyOf(node) != root.key || ImageOf(node) != root.image || TagOf(node) != root.tag) {
        return false;
    }
    // A table's attachment shows as a fourth child.
    const bool attached = root.tag == treekeys::kTagTable && node->childCount() == 4;
    return attached == root.attached && (!attached || node->child(3)->text(0) == root.attachText);
}

void DatabaseTreePane::BuildTree(db::Database& database) {
    tree_->setUpdatesEnabled(false);
    // Root nodes are gathered and handed to the tree in one call; whatever was built before a
    // failure is still shown.
    QList<QTreeWidgetItem*> roots;
    try {
        const std::vector<RootNode> wanted = ReadRoots(database);
        QTreeWidgetItem* properties = BuildRoot(wanted.front());
        tree_->addTopLevelItem(properties);
        ClickNode(properties);
        properties->setExpanded(false);
        for (std::size_t i = 1; i < wanted.size(); ++i) {
            roots.append(BuildRoot(wanted[i]));
        }
        tree_->addTopLevelItems(roots);
        tree_->setUpdatesEnabled(true);
    } catch (const std::exception& failure) {
        tree_->addTopLevelItems(roots);
        tree_->setUpdatesEnabled(true);
        ShowError(AsEngineError(failure));
    }
}

bool DatabaseTreePane::UpdateTree(db::Database& database) {
    try {
        if (!UpdateRoots(ReadRoots(database))) {
            return false;
        }
    } catch (const std::exception&) {
        return false;  // the rebuild shows the failure
    }
    UpdateFilledLevels(tree_->invisibleRootItem(), database);
    return true;
}

bool DatabaseTreePane::UpdateRoots(const std::vector<RootNode>& roots) {
    // Inserting nodes one at a time costs more than a rebuild once there are many.
    constexpr int kMostInserted = 64;
    QHash<QString, const RootNode*> wanted;
    for (const RootNode& root : roots) {
        wanted.insert(root.key, &root);
    }
    if (wanted.size() != static_cast<qsizetype>(roots.size())) {
        return false;  // a key twice: the rebuild reports it
    }
    QTreeWidgetItem* top = tree_->invisibleRootItem();
    for (int i = top->childCount() - 1; i >= 0; --i) {
        const RootNode* root = wanted.value(KeyOf(top->child(i)), nullptr);
        if (root == nullptr || !SameRoot(top->child(i), *root)) {
            RemoveNode(top->child(i));
        }
    }
    if (static_cast<qsizetype>(roots.size()) - top->childCount() > kMostInserted) {
        return false;
    }
    int position = 0;
    for (const RootNode& root : roots) {
        if (position < top->childCount() && KeyOf(top->child(position)) == root.key) {
            ++position;
            continue;
        }
        if (keyIndex_.contains(root.key)) {
            return false;  // the order changed, or the key is taken below
        }
        top->insertChild(position++, BuildRoot(root));
    }
    return true;
}

void DatabaseTreePane::UpdateFilledLevels(QTreeWidgetItem* node, db::Database& database) {
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        if (child->childCount() == 0) {
            continue;  // never read, or nothing to show: a click reads it
        }
        ChildList children;
        try {
            children = ReadChildren(child, database);
        } catch (const std::exception&) {
            // Left unread, as a rebuild would leave it: a click reads it and says what failed.
            while (child->childCount() > 0) {
                RemoveNode(child->child(child->childCount() - 1));
            }
            continue;
        }
        if (children.fills) {
            UpdateChildren(child, children);
        }
        UpdateFilledLevels(child, database);
    }
}

void DatabaseTreePane::UpdateChildren(QTreeWidgetItem* node, const ChildList& children) {
    // The nodes AddChildren would add: a key already elsewhere in the tree is skipped.
    std::vector<std::pair<QString, QString>> wanted;
    QSet<QString> keys;
    for (const ChildNode& child : children.nodes) {
        const QString key = Qs(child.key);
        const QTreeWidgetItem* holder = keyIndex_.value(key, nullptr);
        if ((holder != nullptr && holder->parent() != node) || keys.contains(key)) {
            continue;
        }
        keys.insert(key);
        wanted.emplace_back(key, Qs(child.text));
    }
    for (int i = node->childCount() - 1; i >= 0; --i) {
        if (!keys.contains(KeyOf(node->child(i)))) {
            RemoveNode(node->child(i));
        }
    }
    int position = 0;
    for (const auto& [key, text] : wanted) {
        if (position < node->childCount() && KeyOf(node->child(position)) == key) {
            QTreeWidgetItem* kept = node->child(position++);
            if (kept->text(0) != text) {
                kept->setText(0, text);
            }
            continue;
        }
        if (keyIndex_.contains(key)) {
            // The order changed: this level is read afresh.
            while (node->childCount() > 0) {
                RemoveNode(node->child(node->childCount() - 1));
            }
            AddChildren(node, children.nodes, children.image, children.tag);
            return;
        }
        QTreeWidgetItem* added = AddNode(nullptr, key, text, children.image, children.tag);
        node->insertChild(position++, added);
    }
}

void DatabaseTreePane::RemoveNode(QTreeWidgetItem* node) {
    ForEachNode(node, [this](QTreeWidgetItem* gone) {
        keyIndex_.remove(KeyOf(gone));
        if (gone == currentNode_) {
            currentNode_ = nullptr;
        }
        if (gone == editNode_) {
            editNode_ = nullptr;
        }
    });
    // A label edit confirmed before the removal must not reach a deleted node.
    ++treeGeneration_;
    delete node;
}

void DatabaseTreePane::RestoreView(const TreeViewState& state) {
    if (state.expandedKeys.isEmpty() && state.currentKey.isEmpty()) {
        return;
    }
    for (const QString& key : state.expandedKeys) {
        QTreeWidgetItem* node = FindNode(key);
        if (node == nullptr) {
            continue;
        }
        if (node->childCount() == 0) {
            PopulateNode(node);
        }
        node->setExpanded(true);
    }
    if (QTreeWidgetItem* current = FindNode(state.currentKey)) {
        currentNode_ = current;
        tree_->setCurrentItem(current);
    }
    tree_->verticalScrollBar()->setValue(state.scroll);
}

void DatabaseTreePane::ClickNode(QTreeWidgetItem* node) {
    if (node == nullptr) {
        return;
    }
    currentNode_ = node;
    if (node->childCount() > 0) {
        return;
    }
    PopulateNode(node);
}

void DatabaseTreePane::PopulateNode(QTreeWidgetItem* node) {
    db::Database* database = session_.state.current.currentDatabase.get();
    if (database == nullptr) {
        return;
    }
    const QString tag = TagOf(node);
    try {
        const ChildList children = ReadChildren(node, *database);
        if (!children.fills) {
            return;
        }
        AddChildren(node, children.nodes, children.image, children.tag);
        node->setExpanded(true);
        if (tag == treekeys::kTagField || tag == treekeys::kTagIndex) {
            tree_->setCurrentItem(node);
        }
    } catch (const std::exception& failure) {
        ShowError(AsEngineError(failure));
    }
}

DatabaseTreePane::ChildList DatabaseTreePane::ReadChildren(QTreeWidgetItem* node,
                                                           db::Database& database) {
    const QString tag = TagOf(node);
    QTreeWidgetItem* parent = node->parent();
    ChildList list;
    if (tag == treekeys::kTagFields && parent != nullptr) {
        const std::string tableNodeKey = Std(KeyOf(parent));
        for (const db::FieldInfo& field : database.Fields(Std(parent->text(0)))) {
            list.nodes.push_back({treekeys::FieldKey(tableNodeKey, field.name), field.name});
        }
        list.image = treekeys::kImageField;
        list.tag = treekeys::kTagField;
        list.fills = true;
    } else if (tag == treekeys::kTagIndexes && parent != nullptr) {
        const std::string tableNodeKey = Std(KeyOf(parent));
        for (const db::IndexInfo& index : database.Indexes(Std(parent->text(0)))) {
            list.nodes.push_back({treekeys::IndexKey(tableNodeKey, index.name), index.name});
        }
        list.image = treekeys::kImageIndex;
        list.tag = treekeys::kTagIndex;
        list.fills = true;
    } else if ((tag == treekeys::kTagField || tag == treekeys::kTagIndex) && parent != nullptr &&
               parent->parent() != nullptr) {
        const std::string table = Std(parent->parent()->text(0));
        const std::string member = Std(node->text(0));
        const bool isField = tag == treekeys::kTagField;
        list.nodes = PropertyNodes(node,
                                   isField ? database.FieldProperties(table, member)
                                           : database.IndexProperties(table, member),
                                   /*cutLongText=*/false, /*skipValue=*/isField);
        list.fills = true;
    } else if (tag == treekeys::kTagProperties) {
        const QString parentTag = TagOf(parent);
        if (parent == nullptr) {
            list.nodes = PropertyNodes(node, database.Properties(), true, false);
        } else if (parentTag == treekeys::kTagTable) {
            list.nodes =
                PropertyNodes(node, database.TableProperties(Std(parent->text(0))), true, false);
        } else if (parentTag == treekeys::kTagQuery) {
            list.nodes =
                PropertyNodes(node, database.QueryProperties(Std(parent->text(0))), true, false);
        }
        list.fills = true;
    }
    if (list.image.isEmpty()) {
        list.image = treekeys::kImageProperty;
        list.tag = treekeys::kTagProperty;
    }
    return list;
}

std::vector<DatabaseTreePane::ChildNode> DatabaseTreePane::PropertyNodes(
    QTreeWidgetItem* node, const std::vector<db::Property>& properties, bool cutLongText,
    bool skipValue) {
    // A field or index property's key begins with its holder's parent's key; a database, table
    // or query property's key with its owner's key (the node itself at the root).
    QTreeWidgetItem* parent = node->parent();
    const bool memberProperty =
        TagOf(node) == treekeys::kTagField || TagOf(node) == treekeys::kTagIndex;
    const std::string ownerKey = Std(KeyOf(parent == nullptr ? node : parent));
    std::vector<ChildNode> children;
    for (const db::Property& property : properties) {
        if (skipValue && property.name == "Value") {
            continue;
        }
        const std::string key =
            memberProperty
                ? treekeys::MemberPropertyKey(Std(KeyOf(parent)), Std(KeyOf(node)), property.name)
                : treekeys::OwnerPropertyKey(ownerKey, property.name);
        children.push_back(
            {key, treekeys::PropertyText(property.name, GetPropertyValue(property), cutLongText)});
    }
    return children;
}

void DatabaseTreePane::AddChildren(QTreeWidgetItem* node, const std::vector<ChildNode>& children,
                                   const QString& image, const QString& tag) {
    for (const ChildNode& child : children) {
        // A key already in the tree skips that node; the others are still added.
        if (keyIndex_.contains(Qs(child.key))) {
            continue;
        }
        AddNode(node, Qs(child.key), Qs(child.text), image, tag);
    }
}

void DatabaseTreePane::OnDoubleClick() {
    if (currentNode_ != nullptr) {
        currentNode_->setExpanded(!currentNode_->isExpanded());
    }
}

bool DatabaseTreePane::BeforeLabelEdit(QTreeWidgetItem* node) {
    if (node == nullptr) {
        return false;
    }
    const QString tag = TagOf(node);
    if (tag == treekeys::kTagFields || tag == treekeys::kTagIndexes ||
        tag == treekeys::kTagProperties || tag == treekeys::kTagProperty) {
        return false;
    }
    // The node being edited, which is not always the one clicked last (F2 after moving with
    // the keys), is the one renamed.
    editNode_ = node;
    return true;
}

void DatabaseTreePane::AfterLabelEdit(QTreeWidgetItem* node, const QString& newText) {
    editNode_ = node;
    if (editNode_ != nullptr && newText != editNode_->text(0)) {
        try {
            RenameObject(TagOf(editNode_), editNode_, newText);
            editNode_->setText(0, newText);
        } catch (const std::exception& failure) {
            session_.ui.MessageBox(AsEngineError(failure).Description(), msgbox::kOkOnly,
                                   kAppTitle);
        }
    }
    if (currentNode_ != nullptr) {
        tree_->setCurrentItem(currentNode_);
    }
}

void DatabaseTreePane::RenameObject(const QString& tag, QTreeWidgetItem* node,
                                    const QString& newText) {
    const bool namesObject = tag == treekeys::kTagTable || tag == treekeys::kTagQuery ||
                             tag == treekeys::kTagField || tag == treekeys::kTagIndex;
    if (!namesObject) {
        return;  // only the label changes
    }
    db::Database* database = session_.state.current.currentDatabase.get();
    if (database == nullptr) {
        throw ProgramError(db::err::kReserved, "No database is open.");
    }
    const std::string from = Std(node->text(0));
    const std::string to = Std(newText);
    if (tag == treekeys::kTagTable) {
        database->RenameTable(from, to);
    } else if (tag == treekeys::kTagQuery) {
        database->RenameQuery(from, to);
    } else {
        QTreeWidgetItem* holder = node->parent();
        if (holder == nullptr || holder->parent() == nullptr) {
            return;
        }
        const std::string table = Std(holder->parent()->text(0));
        if (tag == treekeys::kTagField) {
            database->RenameField(table, from, to);
        } else {
            database->RenameIndex(table, from, to);
        }
    }
    emit ObjectRenamed(tag, node->text(0), newText);
}

bool DatabaseTreePane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tree_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && toolsMenu_ != nullptr) {
            toolsMenu_->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DatabaseTreePane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    tree_->setGeometry(0, 0, width(), height());
}

}  // namespace tessel::app
