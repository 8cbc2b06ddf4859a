// A wrapped widget may hold items of the host already: they become nodes
// without key, in their order, keeping their look and which ones are open.
#include "adapters/qt/qt_tree_store.h"

namespace qt_tree {

void QtTreeView::Store::adoptItems() {
    // Which items are open can only be asked while they are in the widget.
    QSet<const QTreeWidgetItem*> wasOpen;
    std::vector<QTreeWidgetItem*> walk{widget()->invisibleRootItem()};
    while (!walk.empty()) {
        QTreeWidgetItem* item = walk.back();
        walk.pop_back();
        if (item->isExpanded()) wasOpen.insert(item);
        for (int i = 0; i < item->childCount(); ++i) walk.push_back(item->child(i));
    }
    std::vector<int32_t> open;
    QList<QTreeWidgetItem*> topItems;
    for (QTreeWidgetItem* hostItem : widget()->invisibleRootItem()->takeChildren())
        topItems.append(items[adopt(hostItem, NoNode, wasOpen, open)]);
    // Opening an item needs it in the widget; parents come before children.
    widget()->addTopLevelItems(topItems);
    for (int32_t index : open) {
        expandedValues[static_cast<size_t>(index)] = rt::True16;
        items[index]->setExpanded(true);
    }
}

int32_t QtTreeView::Store::adopt(QTreeWidgetItem* hostItem, int32_t parent,
                                 const QSet<const QTreeWidgetItem*>& wasOpen, std::vector<int32_t>& open) {
    const int32_t index = count();
    auto item = std::make_unique<NodeItem>(*hostItem, self(), index);
    tree::NewNode node;
    node.record.text = hostItem->text(0).toStdString();
    node.place.parent = parent;
    makeRoomForItem();  // nothing fails after insert
    insert(std::move(node));
    items.push_back(item.get());
    if (parent != NoNode) items[parent]->addChild(item.get());
    item.release();
    if (wasOpen.contains(hostItem)) open.push_back(index);
    const QList<QTreeWidgetItem*> children = hostItem->takeChildren();
    delete hostItem;
    for (QTreeWidgetItem* child : children) adopt(child, index, wasOpen, open);
    return index;
}

}  // namespace qt_tree
