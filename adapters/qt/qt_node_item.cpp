// The widget's items ask the tree view's data for their icons as they paint.
#include "adapters/qt/qt_tree_store.h"

#include <utility>

namespace qt_tree {

NodeItem::NodeItem(std::shared_ptr<QtTreeView::Store> store, int32_t index)
    : store_(std::move(store)), index_(index) {}

NodeItem::NodeItem(const QTreeWidgetItem& look, std::shared_ptr<QtTreeView::Store> store, int32_t index)
    : QTreeWidgetItem(look), store_(std::move(store)), index_(index) {}

QVariant NodeItem::data(int column, int role) const {
    if (column == 0 && role == Qt::DecorationRole) {
        QtTreeView::Store& s = *store_;
        // A node without image shows whatever icon the item has of its own.
        const bool shown = index_ < static_cast<int32_t>(s.items.size()) && s.items[index_] == this;
        if (shown && s.hasImage(index_))
            return s.iconOf(index_);
    }
    return QTreeWidgetItem::data(column, role);
}

}  // namespace qt_tree
