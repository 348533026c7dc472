// What a person has made of the database tree: the nodes expanded, the current node and the
// scroll position, by node key, so that a tree rebuilt from the same database looks the same.
#pragma once

#include <QString>
#include <QStringList>
#include <QTreeWidgetItem>

class QTreeWidget;

namespace tessel::app {

struct TreeViewState {
    // The database file the tree showed; empty when nothing was saved.
    QString database;
    // Keys of the expanded nodes, each after its parent's.
    QStringList expandedKeys;
    QString currentKey;
    int scroll = 0;
};

// Reads the state of `tree`, whose nodes hold their keys under `keyRole`.
TreeViewState SaveTreeViewState(const QTreeWidget& tree, int keyRole);

// Calls `visit` for `node` and every node below it, parents first.
template <typename Visit>
void ForEachNode(QTreeWidgetItem* node, const Visit& visit) {
    visit(node);
    for (int i = 0; i < node->childCount(); ++i)
        ForEachNode(node->child(i), visit);
}

}  // namespace tessel::app
