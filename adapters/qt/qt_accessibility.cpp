#include "adapters/qt/qt_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QScrollBar>
#include <QTreeWidget>
#include <map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "runtime/text.h"

namespace qt_tree {

ItemState itemStateOf(std::string_view key, const rt::Variant& image) {
    const auto* imageKey = std::get_if<std::string>(&image.storage());
    if (!imageKey) return {};
    const std::string prefix = rt::leftChars(key, 2);
    if (rt::textEquals(prefix, "CB")) {
        if (rt::textEquals(*imageKey, "chkon")) return {ItemRole::CheckBox, true};
        if (rt::textEquals(*imageKey, "chkoff")) return {ItemRole::CheckBox, false};
    } else if (rt::textEquals(prefix, "OB")) {
        if (rt::textEquals(*imageKey, "opton")) return {ItemRole::RadioButton, true};
        if (rt::textEquals(*imageKey, "optoff")) return {ItemRole::RadioButton, false};
    }
    return {};
}

namespace {

AccessibilityUpdate sendUpdate = &QAccessible::updateAccessibility;

}  // namespace

AccessibilityUpdate setAccessibilityUpdate(AccessibilityUpdate update) {
    return std::exchange(sendUpdate, update ? update : &QAccessible::updateAccessibility);
}

namespace {

// Rows, as assistive technology counts them: the items that show, in the
// order in which they show (Qt's own numbering of an item view's rows).

QTreeWidgetItem* topItem(const QTreeWidget& widget) {
    QTreeWidgetItem* root = widget.itemFromIndex(widget.rootIndex());
    return root ? root : widget.invisibleRootItem();
}

QTreeWidgetItem* firstShownChild(QTreeWidgetItem* parent) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (!parent->child(i)->isHidden()) return parent->child(i);
    return nullptr;
}

QTreeWidgetItem* lastShownChild(QTreeWidgetItem* parent) {
    for (int i = parent->childCount() - 1; i >= 0; --i)
        if (!parent->child(i)->isHidden()) return parent->child(i);
    return nullptr;
}

// The item has a row: it and its parents are not hidden, and its parents
// are open.
bool hasRow(const QTreeWidget& widget, const QTreeWidgetItem* item) {
    const QTreeWidgetItem* top = topItem(widget);
    if (item == top || item->isHidden()) return false;
    for (const QTreeWidgetItem* parent = item->parent(); parent && parent != top; parent = parent->parent())
        if (parent->isHidden() || !parent->isExpanded()) return false;
    return true;
}

QTreeWidgetItem* lastRow(const QTreeWidget& widget) {
    QTreeWidgetItem* last = nullptr;
    for (QTreeWidgetItem* parent = topItem(widget);;) {
        QTreeWidgetItem* child = lastShownChild(parent);
        if (!child) return last;
        last = child;
        if (!child->isExpanded()) return last;
        parent = child;
    }
}

// Rows of one height (which the tree view asks of every widget) stand at
// row x height in the widget's content, so a row and its item are found
// from where the widget draws them, without a walk. Each way is checked
// against the other; rows of several heights take the walk.

int scrolledPixels(const QTreeWidget& widget, int rowHeight) {
    const int value = widget.verticalScrollBar()->value();
    return widget.verticalScrollMode() == QAbstractItemView::ScrollPerItem ? value * rowHeight : value;
}

int drawnRowOf(const QTreeWidget& widget, const QTreeWidgetItem* item) {
    const QRect rect = widget.visualItemRect(item);
    if (rect.height() <= 0) return -1;
    return (rect.top() + scrolledPixels(widget, rect.height())) / rect.height();
}

QTreeWidgetItem* drawnItemAt(const QTreeWidget& widget, int row, int rowHeight) {
    const int y = row * rowHeight - scrolledPixels(widget, rowHeight);
    return widget.itemAt(QPoint(widget.columnViewportPosition(0), y));
}

int walkedRowOf(const QTreeWidget& widget, const QTreeWidgetItem* item) {
    int row = 0;
    for (QTreeWidgetItem* it = firstShownChild(topItem(widget)); it; it = widget.itemBelow(it), ++row)
        if (it == item) return row;
    return -1;
}

int rowOf(const QTreeWidget& widget, const QTreeWidgetItem* item) {
    if (!item || !hasRow(widget, item)) return -1;
    if (widget.uniformRowHeights()) {
        const int row = drawnRowOf(widget, item);
        if (row >= 0 && drawnItemAt(widget, row, widget.visualItemRect(item).height()) == item) return row;
    }
    return walkedRowOf(widget, item);
}

int rowCount(const QTreeWidget& widget) {
    const QTreeWidgetItem* last = lastRow(widget);
    return last ? rowOf(widget, last) + 1 : 0;
}

QTreeWidgetItem* itemInRow(const QTreeWidget& widget, int row) {
    QTreeWidgetItem* first = firstShownChild(topItem(widget));
    if (row < 0 || !first) return nullptr;
    if (widget.uniformRowHeights()) {
        const int height = widget.visualItemRect(first).height();
        if (height > 0) {
            QTreeWidgetItem* item = drawnItemAt(widget, row, height);
            if (item && drawnRowOf(widget, item) == row) return item;
        }
        if (row >= rowCount(widget)) return nullptr;
    }
    QTreeWidgetItem* item = first;
    for (int i = 0; item && i < row; ++i) item = widget.itemBelow(item);
    return item;
}

}  // namespace

// The widget as assistive technology sees it. Qt keeps it, and deletes it
// with the widget; the AccessibleItems that made it may go first.
class AccessibleTree final : public QAccessibleWidget {
public:
    AccessibleTree(QTreeWidget* widget, AccessibleItems* items);
    ~AccessibleTree() override;

    void detach() { items_ = nullptr; }
    const AccessibleItems* items() const { return items_; }
    QTreeWidget* view() const { return static_cast<QTreeWidget*>(widget()); }

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // The description of one cell, made on first request and kept.
    QAccessibleInterface* cell(QTreeWidgetItem* item, int column) const;
    // The description of an item's own cell if one was made, or 0.
    QAccessible::Id madeCell(const QTreeWidgetItem* item) const;

private:
    int columns() const { return view()->columnCount(); }
    // Drops the cells of items that are gone, when there are twice as many
    // cells as the last time: what that costs stays in proportion.
    void dropCellsOfGoneItems() const;

    AccessibleItems* items_;
    mutable std::map<std::pair<const QTreeWidgetItem*, int>, QAccessible::Id> cells_;
    mutable size_t cellsAfterLastDrop_ = 0;
    mutable std::vector<QAccessible::Id> headers_;
};

namespace {

// One cell of a row: the node's own column tells what the node is.
class AccessibleCell final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccessibleCell(const AccessibleTree* tree, QTreeWidgetItem* item, int column)
        : tree_(tree), index_(tree->view()->indexFromItem(item, column)) {
        told_ = describe();
    }

    // The item, or nothing once it is gone.
    QTreeWidgetItem* item() const { return tree_->view() ? tree_->view()->itemFromIndex(index_) : nullptr; }
    bool shows(const QTreeWidgetItem* item, int column) const {
        return this->item() == item && index_.column() == column;
    }
    // What the node is now; plain for the other columns.
    ItemState describe() const {
        QTreeWidgetItem* it = item();
        if (!it || index_.column() != 0 || !tree_->items()) return {};
        return tree_->items()->describe(it);
    }
    // What assistive technology was last told or could last have read.
    ItemState told_;

    bool isValid() const override { return item() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return tree_->window(); }
    QAccessibleInterface* parent() const override { return const_cast<AccessibleTree*>(tree_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        if (t == QAccessible::Name) {
            const QVariant accessible = index_.data(Qt::AccessibleTextRole);
            return accessible.isValid() ? accessible.toString() : index_.data(Qt::DisplayRole).toString();
        }
        if (t == QAccessible::Description) return index_.data(Qt::AccessibleDescriptionRole).toString();
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        QTreeWidget* view = tree_->view();
        if (!isValid()) return {};
        const QRect r = view->visualRect(index_);
        return r.isValid() ? QRect(view->viewport()->mapToGlobal(r.topLeft()), r.size()) : QRect();
    }

    QAccessible::Role role() const override {
        switch (describe().role) {
            case ItemRole::CheckBox: return QAccessible::CheckBox;
            case ItemRole::RadioButton: return QAccessible::RadioButton;
            case ItemRole::Plain: break;
        }
        return QAccessible::TreeItem;
    }

    QAccessible::State state() const override {
        QAccessible::State st;
        QTreeWidgetItem* it = item();
        if (!it) {
            st.invalid = true;
            return st;
        }
        QTreeWidget* view = tree_->view();
        const QRect r = view->visualRect(index_);
        if (!hasRow(*view, it) || !r.isValid() || !view->viewport()->rect().intersects(r)) st.invisible = true;
        if (view->selectionModel() && view->selectionModel()->isSelected(index_)) st.selected = true;
        if (view->currentIndex() == index_) st.focused = true;
        const Qt::ItemFlags flags = index_.flags();
        if (!flags.testFlag(Qt::ItemIsEnabled)) st.disabled = true;
        if (flags.testFlag(Qt::ItemIsSelectable)) {
            st.selectable = true;
            st.focusable = true;
            if (view->selectionMode() == QAbstractItemView::MultiSelection) st.multiSelectable = true;
            if (view->selectionMode() == QAbstractItemView::ExtendedSelection) st.extSelectable = true;
        }
        if (index_.column() == 0) {
            if (it->childCount() > 0) st.expandable = true;
            if (it->isExpanded()) st.expanded = true;
        }
        const ItemState now = describe();
        const_cast<AccessibleCell*>(this)->told_ = now;
        if (now.role != ItemRole::Plain) {
            st.checkable = true;
            st.checked = now.checked;
        }
        return st;
    }

    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    // Checking a check box or radio button clicks its node; any item can
    // become the current one.
    QStringList actionNames() const override {
        QStringList names;
        if (!isValid()) return names;
        if (describe().role != ItemRole::Plain) names << toggleAction();
        if (index_.flags().testFlag(Qt::ItemIsSelectable)) names << setFocusAction();
        return names;
    }
    void doAction(const QString& name) override {
        QTreeWidgetItem* it = item();
        if (!it || !actionNames().contains(name)) return;
        if (name == setFocusAction()) {
            tree_->view()->setCurrentItem(it, index_.column());
        } else if (tree_->items()) {
            tree_->items()->click(it);
        }
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        if (name == toggleAction()) return {QStringLiteral("Space")};
        return {};
    }

private:
    const AccessibleTree* tree_;  // deletes its cells before it goes
    QPersistentModelIndex index_;
};

// The header of a column: its row comes first, shown or not.
class AccessibleHeader final : public QAccessibleInterface {
public:
    AccessibleHeader(const AccessibleTree* tree, int column) : tree_(tree), column_(column) {}

    bool isValid() const override { return tree_->view() && column_ < tree_->view()->columnCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return tree_->window(); }
    QAccessibleInterface* parent() const override { return const_cast<AccessibleTree*>(tree_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid()) return {};
        return tree_->view()->headerItem()->text(column_);
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return {};
        QHeaderView* header = tree_->view()->header();
        const QRect r(header->sectionViewportPosition(column_), 0, header->sectionSize(column_), header->height());
        return QRect(header->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override {
        QAccessible::State st;
        if (!isValid()) {
            st.invalid = true;
        } else if (tree_->view()->isHeaderHidden() || tree_->view()->isColumnHidden(column_)) {
            st.invisible = true;
        }
        return st;
    }

private:
    const AccessibleTree* tree_;
    int column_;
};

// The live AccessibleItems of each widget. Never deleted: descriptions may
// be asked for while static data is being destroyed.
QHash<const QObject*, AccessibleItems*>& registry() {
    static auto* items = new QHash<const QObject*, AccessibleItems*>;
    return *items;
}

QAccessibleInterface* describeTreeWidget(const QString&, QObject* object) {
    AccessibleItems* items = registry().value(object);
    if (!items || items->widget() != object) return nullptr;
    return new AccessibleTree(items->widget(), items);
}

}  // namespace

AccessibleTree::AccessibleTree(QTreeWidget* widget, AccessibleItems* items)
    : QAccessibleWidget(widget, QAccessible::Tree), items_(items) {
    items_->tree_ = this;
}

AccessibleTree::~AccessibleTree() {
    if (items_ && items_->tree_ == this) items_->tree_ = nullptr;
    for (const auto& [cell, id] : cells_) QAccessible::deleteAccessibleInterface(id);
    for (QAccessible::Id id : headers_) QAccessible::deleteAccessibleInterface(id);
}

int AccessibleTree::childCount() const {
    if (!isValid()) return 0;
    return (rowCount(*view()) + 1) * columns();
}

QAccessibleInterface* AccessibleTree::child(int index) const {
    if (!isValid() || index < 0 || columns() == 0) return nullptr;
    if (index < columns()) {
        if (headers_.size() < static_cast<size_t>(columns())) headers_.resize(columns(), 0);
        QAccessible::Id& id = headers_[index];
        if (!id) id = QAccessible::registerAccessibleInterface(new AccessibleHeader(this, index));
        return QAccessible::accessibleInterface(id);
    }
    QTreeWidgetItem* item = itemInRow(*view(), index / columns() - 1);
    return item ? cell(item, index % columns()) : nullptr;
}

int AccessibleTree::indexOfChild(const QAccessibleInterface* child) const {
    if (!isValid() || !child || child->parent() != this) return -1;
    if (child->role() == QAccessible::ColumnHeader) {
        for (size_t i = 0; i < headers_.size(); ++i)
            if (headers_[i] && QAccessible::accessibleInterface(headers_[i]) == child) return static_cast<int>(i);
        return -1;
    }
    const auto* cell = dynamic_cast<const AccessibleCell*>(child);
    const QTreeWidgetItem* item = cell ? cell->item() : nullptr;
    if (!item) return -1;
    const int row = rowOf(*view(), item);
    for (int column = 0; row >= 0 && column < columns(); ++column)
        if (cell->shows(item, column)) return (row + 1) * columns() + column;
    return -1;
}

QAccessibleInterface* AccessibleTree::childAt(int x, int y) const {
    if (!isValid()) return nullptr;
    const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = view()->indexAt(at);
    QTreeWidgetItem* item = view()->itemFromIndex(index);
    return item ? cell(item, index.column()) : nullptr;
}

QAccessibleInterface* AccessibleTree::focusChild() const {
    if (!isValid()) return nullptr;
    const QModelIndex current = view()->currentIndex();
    QTreeWidgetItem* item = view()->itemFromIndex(current);
    return item ? cell(item, current.column()) : nullptr;
}

QAccessibleInterface* AccessibleTree::cell(QTreeWidgetItem* item, int column) const {
    const auto key = std::make_pair(static_cast<const QTreeWidgetItem*>(item), column);
    auto found = cells_.find(key);
    if (found != cells_.end()) {
        auto* known = static_cast<AccessibleCell*>(QAccessible::accessibleInterface(found->second));
        if (known && known->shows(item, column)) return known;
        // A new item where a deleted one was.
        QAccessible::deleteAccessibleInterface(found->second);
        cells_.erase(found);
    }
    if (cells_.size() >= 2 * cellsAfterLastDrop_ + 64) dropCellsOfGoneItems();
    auto* made = new AccessibleCell(this, item, column);
    cells_.emplace(key, QAccessible::registerAccessibleInterface(made));
    return made;
}

void AccessibleTree::dropCellsOfGoneItems() const {
    for (auto it = cells_.begin(); it != cells_.end();) {
        QAccessibleInterface* cell = QAccessible::accessibleInterface(it->second);
        if (cell && cell->isValid()) {
            ++it;
        } else {
            QAccessible::deleteAccessibleInterface(it->second);
            it = cells_.erase(it);
        }
    }
    cellsAfterLastDrop_ = cells_.size();
}

QAccessible::Id AccessibleTree::madeCell(const QTreeWidgetItem* item) const {
    // Only a cell that assistive technology has asked for can be out of
    // date; with none asked for, nothing is looked up.
    if (cells_.empty()) return 0;
    const auto found = cells_.find({item, 0});
    return found == cells_.end() ? 0 : found->second;
}

AccessibleItems::AccessibleItems(QTreeWidget* widget, Describe describe, Click click)
    : widget_(widget), registeredAs_(widget), describe_(std::move(describe)), click_(std::move(click)) {
    static const bool installed = [] {
        QAccessible::installFactory(describeTreeWidget);
        return true;
    }();
    (void)installed;
    registry().insert(widget, this);
    // A description made before, Qt's own or another view's, gives way.
    QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(widget);
    if (existing && existing != tree_) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
}

AccessibleItems::~AccessibleItems() {
    auto found = registry().find(registeredAs_);
    if (found != registry().end() && found.value() == this) registry().erase(found);
    // The widget, if it stays, gets Qt's own description again.
    if (AccessibleTree* tree = std::exchange(tree_, nullptr)) {
        tree->detach();
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(tree));
    }
}

void AccessibleItems::imageChanged(const QTreeWidgetItem* item) {
    const QAccessible::Id id = tree_ ? tree_->madeCell(item) : 0;
    if (!id) return;
    if (changed_.empty())
        QMetaObject::invokeMethod(&tellingContext_, [this] { tellChanges(); }, Qt::QueuedConnection);
    changed_.push_back(id);
}

void AccessibleItems::tellChanges() {
    const std::vector<QAccessible::Id> changed = std::exchange(changed_, {});
    std::unordered_set<QAccessible::Id> told;
    for (QAccessible::Id id : changed) {
        if (!told.insert(id).second) continue;
        auto* cell = dynamic_cast<AccessibleCell*>(QAccessible::accessibleInterface(id));
        if (!cell || !cell->isValid() || !tree_) continue;
        const ItemState before = cell->told_;
        const ItemState now = cell->describe();
        if (now == before) continue;
        cell->told_ = now;
        QAccessible::State states;
        states.checked = now.checked != before.checked;
        states.checkable = (now.role == ItemRole::Plain) != (before.role == ItemRole::Plain);
        QAccessibleStateChangeEvent event(cell, states);
        sendUpdate(&event);
    }
}

}  // namespace qt_tree
