#include "adapters/qt/qt_tree_store.h"

#include <algorithm>
#include <utility>

#include "outside/stored_node.h"

namespace qt_tree {
namespace {

// Counts our own changes to items while they run, exceptions included.
class Quiet {
public:
    explicit Quiet(int& counter) : counter_(counter) { ++counter_; }
    ~Quiet() { --counter_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    int& counter_;
};

}  // namespace

QtTreeView::Store::~Store() { orphanObjects(); }

int32_t QtTreeView::Store::add(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                               const rt::Variant& text, const rt::Variant& image) {
    // Every check comes before the first change, so a failed add leaves the
    // tree and the widget as they were.
    tree::NewNode node = prepare(relative, relationship, key, text, image);
    const int32_t index = count();
    // The item takes its text while it is outside the widget: no signal.
    auto item = std::make_unique<NodeItem>(self(), index);
    item->setText(0, QString::fromStdString(node.record.text));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    makeRoomForItem();  // nothing fails after insert

    const auto [parent, before] = node.place;
    QTreeWidgetItem* parentItem = parent == NoNode ? widget()->invisibleRootItem() : items[parent];
    const int row = before == NoNode ? parentItem->childCount() : parentItem->indexOfChild(items[before]);
    insert(std::move(node));
    items.push_back(item.get());
    parentItem->insertChild(row, item.release());
    return index;
}

void QtTreeView::Store::makeRoomForItem() {
    // In doubling steps, so that adding stays linear.
    if (items.size() == items.capacity()) items.reserve(std::max<size_t>(64, 2 * items.capacity()));
}

void QtTreeView::Store::clear() {
    tree::DroppedNodes old = takeAll();
    items.clear();
    widget()->clear();
    // `old` goes last, once the tree is consistent again.
}

void QtTreeView::Store::forgetWidget() {
    // The items went with the widget: forget them without touching them.
    widgetGone = true;
    markUnusable();
    items.clear();
    tree::DroppedNodes old = takeAll();
}


int32_t QtTreeView::Store::indexOfItem(const QTreeWidgetItem* item) const {
    auto* own = dynamic_cast<const NodeItem*>(item);
    if (!own || own->store() != this) return NoNode;
    const int32_t index = own->index();
    return index < static_cast<int32_t>(items.size()) && items[index] == own ? index : NoNode;
}

int32_t QtTreeView::Store::nodeAt(const QModelIndex& index) const {
    return view ? indexOfItem(widget()->itemFromIndex(index)) : NoNode;
}

QModelIndex QtTreeView::Store::modelIndexOf(int32_t index) const { return widget()->indexFromItem(items[index]); }

void QtTreeView::Store::setText(int32_t index, const std::string& text) {
    nodes[index].text = text;
    Quiet quiet(quietItemChanges);
    items[index]->setText(0, QString::fromStdString(text));
}

void QtTreeView::Store::setImage(int32_t index, const rt::Variant& image) {
    NodeStore::setImage(index, image);
    repaintSoon();
    if (imageChanged) imageChanged(index);
}

int16_t QtTreeView::Store::expanded(int32_t index) const {
    // The user may have opened or closed the item since the last set.
    if (!items[index]->isExpanded()) return rt::False16;
    const int16_t given = expandedValues[static_cast<size_t>(index)];
    return given != 0 ? given : rt::True16;
}

void QtTreeView::Store::setExpanded(int32_t index, int16_t value) {
    expandedValues[static_cast<size_t>(index)] = value;
    NodeItem* item = items[index];
    const bool open = value != 0;
    if (item->isExpanded() == open) return;
    // A shown widget lays its rows out again at every open or close, unless a
    // layout of all rows is due anyway: then it only notes the change. Asking
    // for that layout first (expanding nothing does) turns a walk that opens
    // every node into one layout on the next paint.
    widget()->expandRecursively(QModelIndex(), 0);
    item->setExpanded(open);
}

bool QtTreeView::Store::isSelected(int32_t index) const { return items[index]->isSelected(); }

void QtTreeView::Store::setSelected(int32_t index, int16_t selected) {
    QTreeWidgetItem* item = items[index];
    if (selected == 0) {
        item->setSelected(false);
        return;
    }
    // The selected node becomes the current one, as with the control; the
    // widget must neither scroll nor open parents for it, so that a
    // selection that follows the pointer keeps the tree still.
    const bool autoScroll = widget()->hasAutoScroll();
    widget()->setAutoScroll(false);
    widget()->setCurrentItem(item);
    if (view) widget()->setAutoScroll(autoScroll);  // a slot of the host may have deleted it
}

}  // namespace qt_tree
