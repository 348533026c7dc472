#include "app/browse/database_tree_pane.h"

#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include "app/browse/tree_images.h"
#include "app/browse/tree_node_keys.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel::app {

namespace {

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
    ++treeGeneration_;
    currentNode_ = nullptr;
    editNode_ = nullptr;
    keyIndex_.clear();
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
    ClearTree();
    db::Database* database = session_.state.current.currentDatabase.get();
    if (database == nullptr) {
        return;
    }
    tree_->setUpdatesEnabled(false);
    // Root nodes are gathered and handed to the tree in one call; whatever was built before a
    // failure is still shown.
    QList<QTreeWidgetItem*> roots;
    try {
        QTreeWidgetItem* properties =
            AddNode(nullptr, Qs(treekeys::DatabasePropertiesKey()), treekeys::kTagProperties,
                    treekeys::kImageProperty, treekeys::kTagProperties);
        tree_->addTopLevelItem(properties);
        ClickNode(properties);
        properties->setExpanded(false);

        const bool includeSystem = includeSystemTables_;
        for (const db::TableInfo& table : database->TableDefs()) {
            if (treekeys::IsSystemObject(table.attributes) && !includeSystem) {
                continue;
            }
            const bool attached = treekeys::IsAttachedTable(table.attributes);
            const QString name = Qs(table.name);
            QTreeWidgetItem* tableNode = AddNode(
                nullptr, Qs(treekeys::TableKey(table.name)), name,
                attached ? treekeys::kImageAttached : treekeys::kImageTable, treekeys::kTagTable);
            roots.append(tableNode);
            AddNode(tableNode, Qs(treekeys::TableFieldsKey(table.name)), treekeys::kTagFields,
                    treekeys::kImageField, treekeys::kTagFields);
            AddNode(tableNode, Qs(treekeys::TableIndexesKey(table.name)), treekeys::kTagIndexes,
                    treekeys::kImageIndex, treekeys::kTagIndexes);
            AddNode(tableNode, Qs(treekeys::TablePropertiesKey(table.name)),
                    treekeys::kTagProperties, treekeys::kImageProperty, treekeys::kTagProperties);
            if (attached) {
                AddNode(tableNode, Qs(treekeys::AttachTypeKey(table.name)),
                        Qs(treekeys::AttachTypeText(table.connect)), treekeys::kImageAttached,
                        QString());
            }
        }
        for (const std::string& query : database->QueryDefs()) {
            QTreeWidgetItem* queryNode = AddNode(nullptr, Qs(treekeys::QueryKey(query)), Qs(query),
                                                 treekeys::kImageQuery, treekeys::kTagQuery);
            roots.append(queryNode);
            AddNode(queryNode, Qs(treekeys::QueryPropertiesKey(query)), treekeys::kTagProperties,
                    treekeys::kImageProperty, treekeys::kTagProperties);
        }
        tree_->addTopLevelItems(roots);
        tree_->setUpdatesEnabled(true);
    } catch (const std::exception& failure) {
        tree_->addTopLevelItems(roots);
        tree_->setUpdatesEnabled(true);
        ShowError(AsEngineError(failure));
    }
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
    QTreeWidgetItem* parent = node->parent();
    try {
        if (tag == treekeys::kTagFields && parent != nullptr) {
            const std::string tableNodeKey = Std(KeyOf(parent));
            std::vector<ChildNode> children;
            for (const db::FieldInfo& field : database->Fields(Std(parent->text(0)))) {
                children.push_back({treekeys::FieldKey(tableNodeKey, field.name), field.name});
            }
            AddChildren(node, children, treekeys::kImageField, treekeys::kTagField);
            node->setExpanded(true);
        } else if (tag == treekeys::kTagIndexes && parent != nullptr) {
            const std::string tableNodeKey = Std(KeyOf(parent));
            std::vector<ChildNode> children;
            for (const db::IndexInfo& index : database->Indexes(Std(parent->text(0)))) {
                children.push_back({treekeys::IndexKey(tableNodeKey, index.name), index.name});
            }
            AddChildren(node, children, treekeys::kImageIndex, treekeys::kTagIndex);
            node->setExpanded(true);
        } else if ((tag == treekeys::kTagField || tag == treekeys::kTagIndex) &&
                   parent != nullptr && parent->parent() != nullptr) {
            const std::string table = Std(parent->parent()->text(0));
            const std::string member = Std(node->text(0));
            const bool isField = tag == treekeys::kTagField;
            AddPropertyNodes(node,
                             isField ? database->FieldProperties(table, member)
                                     : database->IndexProperties(table, member),
                             /*cutLongText=*/false, /*skipValue=*/isField);
            node->setExpanded(true);
            tree_->setCurrentItem(node);
        } else if (tag == treekeys::kTagProperties) {
            const QString parentTag = TagOf(parent);
            if (parent == nullptr) {
                AddPropertyNodes(node, database->Properties(), true, false);
            } else if (parentTag == treekeys::kTagTable) {
                AddPropertyNodes(node, database->TableProperties(Std(parent->text(0))), true,
                                 false);
            } else if (parentTag == treekeys::kTagQuery) {
                AddPropertyNodes(node, database->QueryProperties(Std(parent->text(0))), true,
                                 false);
            }
            node->setExpanded(true);
        }
    } catch (const std::exception& failure) {
        ShowError(AsEngineError(failure));
    }
}

void DatabaseTreePane::AddPropertyNodes(QTreeWidgetItem* node,
                                        const std::vector<db::Property>& properties,
                                        bool cutLongText, bool skipValue) {
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
    AddChildren(node, children, treekeys::kImageProperty, treekeys::kTagProperty);
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
