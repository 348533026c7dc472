#include "app/browse/tree_view_state.h"

#include <QScrollBar>
#include <QTreeWidget>

namespace tessel::app {

TreeViewState SaveTreeViewState(const QTreeWidget& tree, int keyRole) {
    TreeViewState state;
    QTreeWidgetItem* root = tree.invisibleRootItem();
    for (int i = 0; i < root->childCount(); ++i) {
        ForEachNode(root->child(i), [&](QTreeWidgetItem* node) {
            // Only a node with children can be expanded; the walk skips none, since a
            // collapsed parent may hold expanded children that show when it opens again.
            if (node->childCount() > 0 && node->isExpanded())
                state.expandedKeys.append(node->data(0, keyRole).toString());
        });
    }
    if (const QTreeWidgetItem* current = tree.currentItem())
        state.currentKey = current->data(0, keyRole).toString();
    state.scroll = tree.verticalScrollBar()->value();
    return state;
}

}  // namespace tessel::app
