#include <string>

#include "outside/stored_node.h"
#include "adapters/qt/qt_tree_store.h"

namespace qt_tree {

void QtTreeView::Store::checkInvariants() const {
    if (!usable()) return;  // nothing is left to check
    NodeStore::checkInvariants();
    const int32_t n = count();
    if (static_cast<int32_t>(items.size()) != n)
        broken("the view names " + std::to_string(items.size()) + " items for " + std::to_string(n) + " nodes");
    for (int32_t i = 0; i < n; ++i) {
        const NodeItem* item = items[i];
        if (!item || item->store() != this || item->index() != i)
            broken("the item of " + nodeName(i) + " stands for another node");
        if (item->text(0) != QString::fromStdString(nodes[i].text))
            broken("the item of " + nodeName(i) + " shows another text");
    }
    checkItemOrder(NoNode);
    for (int32_t i = 0; i < n; ++i) checkItemOrder(i);
}

// The links are sound by now. Items of the host's own may stand between.
void QtTreeView::Store::checkItemOrder(int32_t owner) const {
    const QTreeWidgetItem* ownerItem = owner == NoNode ? widget()->invisibleRootItem() : items[owner];
    int row = 0;
    for (int32_t c = owner == NoNode ? firstRoot : nodes[owner].firstChild; c != NoNode; c = nodes[c].next) {
        while (row < ownerItem->childCount() && indexOfItem(ownerItem->child(row)) == NoNode) ++row;
        if (row == ownerItem->childCount() || ownerItem->child(row) != items[c])
            broken(nodeName(c) + " is not where the widget shows it among " + ownerName(owner));
        ++row;
    }
    for (; row < ownerItem->childCount(); ++row)
        if (indexOfItem(ownerItem->child(row)) != NoNode)
            broken("the widget shows more items among " + ownerName(owner) + " than are linked");
}

}  // namespace qt_tree
