#include "adapters/qt/qt_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QScrollBar>
#include <QTreeView>
#include <memory>
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

// Rows, as assistive technology counts them: the indexes that show, in the
// order in which they show (Qt's own numbering of an item view's rows). A
// row is named by its index in column 0.

QModelIndex rowIndexOf(const QModelIndex& index) {
    return index.column() == 0 ? index : index.sibling(index.row(), 0);
}

QModelIndex firstShownChild(const QTreeView& view, const QModelIndex& parent) {
    const QAbstractItemModel* model = view.model();
    const int rows = model->rowCount(parent);
    for (int i = 0; i < rows; ++i)
        if (!view.isRowHidden(i, parent)) return model->index(i, 0, parent);
    return {};
}

QModelIndex lastShownChild(const QTreeView& view, const QModelIndex& parent) {
    const QAbstractItemModel* model = view.model();
    for (int i = model->rowCount(parent) - 1; i >= 0; --i)
        if (!view.isRowHidden(i, parent)) return model->index(i, 0, parent);
    return {};
}

// The row shows: it stands below the view's root, neither it nor a parent
// is hidden, and its parents are open.
bool hasRow(const QTreeView& view, const QModelIndex& row) {
    const QModelIndex root = view.rootIndex();
    if (!row.isValid() || row.model() != view.model() || row == root) return false;
    QModelIndex child = row;
    for (QModelIndex parent = row.parent();; child = parent, parent = parent.parent()) {
        if (view.isRowHidden(child.row(), parent)) return false;
        if (parent == root) return true;
        if (!parent.isValid() || !view.isExpanded(parent)) return false;
    }
}

QModelIndex lastRow(const QTreeView& view) {
    QModelIndex last;
    for (QModelIndex parent = view.rootIndex();;) {
        const QModelIndex child = lastShownChild(view, parent);
        if (!child.isValid()) return last;
        last = child;
        if (!view.isExpanded(child)) return last;
        parent = child;
    }
}

// Rows of one height (which our tree view asks of its widget, and a host
// with many rows asks of its own view) stand at row x height in the view's
// content, so a row and its index are found from where the view draws
// them, without a walk. Each way is checked against the other; rows of
// several heights take the walk.

int scrolledPixels(const QTreeView& view, int rowHeight) {
    const int value = view.verticalScrollBar()->value();
    return view.verticalScrollMode() == QAbstractItemView::ScrollPerItem ? value * rowHeight : value;
}

int drawnRowOf(const QTreeView& view, const QModelIndex& row) {
    const QRect rect = view.visualRect(row);
    if (rect.height() <= 0) return -1;
    return (rect.top() + scrolledPixels(view, rect.height())) / rect.height();
}

QModelIndex drawnIndexAt(const QTreeView& view, int row, int rowHeight) {
    const int y = row * rowHeight - scrolledPixels(view, rowHeight);
    return rowIndexOf(view.indexAt(QPoint(view.columnViewportPosition(0), y)));
}

int walkedRowOf(const QTreeView& view, const QModelIndex& row) {
    int number = 0;
    for (QModelIndex it = firstShownChild(view, view.rootIndex()); it.isValid(); it = view.indexBelow(it), ++number)
        if (it == row) return number;
    return -1;
}

int rowNumberOf(const QTreeView& view, const QModelIndex& row) {
    if (!hasRow(view, row)) return -1;
    if (view.uniformRowHeights()) {
        const int number = drawnRowOf(view, row);
        if (number >= 0 && drawnIndexAt(view, number, view.visualRect(row).height()) == row) return number;
    }
    return walkedRowOf(view, row);
}

int rowCount(const QTreeView& view) {
    const QModelIndex last = lastRow(view);
    return last.isValid() ? rowNumberOf(view, last) + 1 : 0;
}

QModelIndex rowAt(const QTreeView& view, int number) {
    const QModelIndex first = firstShownChild(view, view.rootIndex());
    if (number < 0 || !first.isValid()) return {};
    if (view.uniformRowHeights()) {
        const int height = view.visualRect(first).height();
        if (height > 0) {
            const QModelIndex row = drawnIndexAt(view, number, height);
            if (row.isValid() && drawnRowOf(view, row) == number) return row;
        }
        if (number >= rowCount(view)) return {};
    }
    QModelIndex row = first;
    for (int i = 0; row.isValid() && i < number; ++i) row = view.indexBelow(row);
    return row;
}

// The number of columns, as the view's header shows them.
int columnCount(const QTreeView& view) { return view.model()->columnCount(view.rootIndex()); }

}  // namespace

// The view as assistive technology sees it. Qt keeps it, and deletes it
// with the view; the AccessibleItems that made it may go first.
class AccessibleTree final : public QAccessibleWidget {
public:
    AccessibleTree(QTreeView* view, AccessibleItems* items);
    ~AccessibleTree() override;

    void detach() { items_ = nullptr; }
    const AccessibleItems* items() const { return items_; }
    QTreeView* view() const { return static_cast<QTreeView*>(widget()); }

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // The description of one cell (an index of the view's model), made on
    // first request and kept.
    QAccessibleInterface* cell(const QModelIndex& index) const;
    // The description of a row's own cell if one was made, or 0.
    QAccessible::Id madeCell(const QModelIndex& row) const;
    bool hasCells() const { return !cells_.isEmpty(); }

private:
    int columns() const { return columnCount(*view()); }
    // Drops the cells of rows that are gone, when there are twice as many
    // cells as the last time: what that costs stays in proportion.
    void dropCellsOfGoneRows() const;
    // Marks the lookup of cells by row to be made again at every change of
    // the model's rows or columns.
    void watchModel(const QAbstractItemModel* model) const;

    AccessibleItems* items_;
    // Keyed by index as the model keeps it: rows inserted or removed
    // elsewhere leave the key of a cell as it is.
    mutable QHash<QPersistentModelIndex, QAccessible::Id> cells_;
    mutable qsizetype cellsAfterLastDrop_ = 0;
    // The cells of column 0 by their rows' indexes as they are now. Making a
    // persistent index to look a row up costs more than the change of its
    // image key, and a walk changes every row; so changes look here, and
    // this is made again once the model has inserted, removed or moved rows
    // or columns (or the view has another model).
    mutable QHash<QModelIndex, QAccessible::Id> rowCells_;
    mutable bool rowCellsStale_ = true;
    mutable QPointer<const QAbstractItemModel> watchedModel_;
    mutable std::unique_ptr<QObject> modelWatch_;  // holds the connections to the watched model
    mutable std::vector<QAccessible::Id> headers_;
};

namespace {

// A child of the tree, which has no children of its own.
class AccessibleLeaf : public QAccessibleInterface {
public:
    explicit AccessibleLeaf(const AccessibleTree* tree) : tree_(tree) {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return tree_->window(); }
    QAccessibleInterface* parent() const override { return const_cast<AccessibleTree*>(tree_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

protected:
    const AccessibleTree* tree_;  // deletes its children before it goes
};

// One cell of a row: the node's own column tells what the node is.
class AccessibleCell final : public AccessibleLeaf, public QAccessibleActionInterface {
public:
    AccessibleCell(const AccessibleTree* tree, const QModelIndex& index) : AccessibleLeaf(tree), index_(index) {
        told_ = describe();
    }

    // The cell's index now, or an invalid one once its row is gone (or the
    // view shows another model).
    QModelIndex index() const {
        const QTreeView* view = tree_->view();
        if (!view || !index_.isValid() || index_.model() != view->model()) return {};
        return index_;
    }
    // What the node is now; plain for the other columns.
    ItemState describe() const {
        const QModelIndex now = index();
        if (!now.isValid() || now.column() != 0 || !tree_->items()) return {};
        return tree_->items()->describe(now);
    }
    // What assistive technology was last told or could last have read.
    ItemState told_;

    bool isValid() const override { return index().isValid(); }

    QString text(QAccessible::Text t) const override {
        const QModelIndex now = index();
        if (!now.isValid()) return {};
        if (t == QAccessible::Name) {
            const QVariant accessible = now.data(Qt::AccessibleTextRole);
            return accessible.isValid() ? accessible.toString() : now.data(Qt::DisplayRole).toString();
        }
        if (t == QAccessible::Description) return now.data(Qt::AccessibleDescriptionRole).toString();
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        const QModelIndex now = index();
        if (!now.isValid()) return {};
        QTreeView* view = tree_->view();
        const QRect r = view->visualRect(now);
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
        const QModelIndex now = index();
        if (!now.isValid()) {
            st.invalid = true;
            return st;
        }
        QTreeView* view = tree_->view();
        const QRect r = view->visualRect(now);
        if (!hasRow(*view, rowIndexOf(now)) || !r.isValid() || !view->viewport()->rect().intersects(r))
            st.invisible = true;
        if (view->selectionModel() && view->selectionModel()->isSelected(now)) st.selected = true;
        if (view->currentIndex() == now) st.focused = true;
        const Qt::ItemFlags flags = now.flags();
        if (!flags.testFlag(Qt::ItemIsEnabled)) st.disabled = true;
        if (flags.testFlag(Qt::ItemIsSelectable)) {
            st.selectable = true;
            st.focusable = true;
            if (view->selectionMode() == QAbstractItemView::MultiSelection) st.multiSelectable = true;
            if (view->selectionMode() == QAbstractItemView::ExtendedSelection) st.extSelectable = true;
        }
        if (now.column() == 0) {
            if (view->model()->hasChildren(now)) st.expandable = true;
            if (view->isExpanded(now)) st.expanded = true;
        }
        const ItemState described = describe();
        const_cast<AccessibleCell*>(this)->told_ = described;
        if (described.role != ItemRole::Plain) {
            st.checkable = true;
            st.checked = described.checked;
        }
        return st;
    }

    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    // Checking a check box or radio button clicks its node; any row can
    // become the current one.
    QStringList actionNames() const override {
        QStringList names;
        const QModelIndex now = index();
        if (!now.isValid()) return names;
        if (describe().role != ItemRole::Plain) names << toggleAction();
        if (now.flags().testFlag(Qt::ItemIsSelectable)) names << setFocusAction();
        return names;
    }
    void doAction(const QString& name) override {
        const QModelIndex now = index();
        if (!now.isValid() || !actionNames().contains(name)) return;
        if (name == setFocusAction()) {
            tree_->view()->setCurrentIndex(now);
        } else if (tree_->items()) {
            tree_->items()->click(now);
        }
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        if (name == toggleAction()) return {QStringLiteral("Space")};
        return {};
    }

private:
    QPersistentModelIndex index_;
};

// The header of a column: its row comes first, shown or not.
class AccessibleHeader final : public AccessibleLeaf {
public:
    AccessibleHeader(const AccessibleTree* tree, int column) : AccessibleLeaf(tree), column_(column) {}

    bool isValid() const override { return tree_->view() && column_ < columnCount(*tree_->view()); }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid()) return {};
        return tree_->view()->model()->headerData(column_, Qt::Horizontal, Qt::DisplayRole).toString();
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
    int column_;
};

// The live AccessibleItems of each view. Never deleted: descriptions may
// be asked for while static data is being destroyed.
QHash<const QObject*, AccessibleItems*>& registry() {
    static auto* items = new QHash<const QObject*, AccessibleItems*>;
    return *items;
}

QAccessibleInterface* describeTreeView(const QString&, QObject* object) {
    AccessibleItems* items = registry().value(object);
    if (!items || items->view() != object) return nullptr;
    return new AccessibleTree(items->view(), items);
}

}  // namespace

AccessibleTree::AccessibleTree(QTreeView* view, AccessibleItems* items)
    : QAccessibleWidget(view, QAccessible::Tree), items_(items) {
    items_->tree_ = this;
}

AccessibleTree::~AccessibleTree() {
    if (items_ && items_->tree_ == this) items_->tree_ = nullptr;
    for (QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
    for (QAccessible::Id id : headers_) QAccessible::deleteAccessibleInterface(id);
}

int AccessibleTree::childCount() const {
    if (!isValid()) return 0;
    return (rowCount(*view()) + 1) * columns();
}

QAccessibleInterface* AccessibleTree::child(int index) const {
    const int columns = isValid() ? this->columns() : 0;
    if (index < 0 || columns <= 0) return nullptr;
    if (index < columns) {
        if (headers_.size() < static_cast<size_t>(columns)) headers_.resize(columns, 0);
        QAccessible::Id& id = headers_[index];
        if (!id) id = QAccessible::registerAccessibleInterface(new AccessibleHeader(this, index));
        return QAccessible::accessibleInterface(id);
    }
    const QModelIndex row = rowAt(*view(), index / columns - 1);
    return row.isValid() ? cell(row.sibling(row.row(), index % columns)) : nullptr;
}

int AccessibleTree::indexOfChild(const QAccessibleInterface* child) const {
    if (!isValid() || !child || child->parent() != this) return -1;
    if (child->role() == QAccessible::ColumnHeader) {
        for (size_t i = 0; i < headers_.size(); ++i)
            if (headers_[i] && QAccessible::accessibleInterface(headers_[i]) == child) return static_cast<int>(i);
        return -1;
    }
    const auto* cell = dynamic_cast<const AccessibleCell*>(child);
    const QModelIndex index = cell ? cell->index() : QModelIndex();
    const int columns = this->columns();
    if (!index.isValid() || index.column() >= columns) return -1;
    const int row = rowNumberOf(*view(), rowIndexOf(index));
    return row >= 0 ? (row + 1) * columns + index.column() : -1;
}

QAccessibleInterface* AccessibleTree::childAt(int x, int y) const {
    if (!isValid()) return nullptr;
    const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
    return cell(view()->indexAt(at));
}

QAccessibleInterface* AccessibleTree::focusChild() const {
    if (!isValid()) return nullptr;
    return cell(view()->currentIndex());
}

QAccessibleInterface* AccessibleTree::cell(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != view()->model()) return nullptr;
    const QPersistentModelIndex key(index);
    if (const auto found = cells_.constFind(key); found != cells_.cend()) {
        if (QAccessibleInterface* known = QAccessible::accessibleInterface(found.value())) return known;
        cells_.erase(found);
        rowCellsStale_ = true;
    }
    if (cells_.size() >= 2 * cellsAfterLastDrop_ + 64) dropCellsOfGoneRows();
    auto* made = new AccessibleCell(this, index);
    const QAccessible::Id id = QAccessible::registerAccessibleInterface(made);
    cells_.insert(key, id);
    if (index.column() == 0 && !rowCellsStale_) rowCells_.insert(index, id);
    return made;
}

void AccessibleTree::dropCellsOfGoneRows() const {
    for (auto it = cells_.begin(); it != cells_.end();) {
        QAccessibleInterface* cell = QAccessible::accessibleInterface(it.value());
        if (cell && cell->isValid()) {
            ++it;
        } else {
            QAccessible::deleteAccessibleInterface(it.value());
            it = cells_.erase(it);
        }
    }
    cellsAfterLastDrop_ = cells_.size();
    rowCellsStale_ = true;
}

QAccessible::Id AccessibleTree::madeCell(const QModelIndex& row) const {
    // Only a cell that assistive technology has asked for can be out of
    // date; with none asked for, nothing is looked up.
    if (cells_.isEmpty() || !row.isValid()) return 0;
    const QAbstractItemModel* model = view()->model();
    if (row.model() != model) return 0;
    if (model != watchedModel_) watchModel(model);
    if (rowCellsStale_) {
        rowCells_.clear();
        for (auto it = cells_.cbegin(); it != cells_.cend(); ++it)
            if (it.key().isValid() && it.key().column() == 0 && it.key().model() == model)
                rowCells_.insert(it.key(), it.value());
        rowCellsStale_ = false;
    }
    return rowCells_.value(row, 0);
}

void AccessibleTree::watchModel(const QAbstractItemModel* model) const {
    modelWatch_ = std::make_unique<QObject>();
    watchedModel_ = model;
    rowCellsStale_ = true;
    const auto stale = [this] { rowCellsStale_ = true; };
    QObject* watch = modelWatch_.get();
    QObject::connect(model, &QAbstractItemModel::rowsInserted, watch, stale);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, watch, stale);
    QObject::connect(model, &QAbstractItemModel::rowsMoved, watch, stale);
    QObject::connect(model, &QAbstractItemModel::columnsInserted, watch, stale);
    QObject::connect(model, &QAbstractItemModel::columnsRemoved, watch, stale);
    QObject::connect(model, &QAbstractItemModel::columnsMoved, watch, stale);
    QObject::connect(model, &QAbstractItemModel::layoutChanged, watch, stale);
    QObject::connect(model, &QAbstractItemModel::modelReset, watch, stale);
}

AccessibleItems::AccessibleItems(QTreeView* view, Describe describe, Click click)
    : view_(view), registeredAs_(view), describe_(std::move(describe)), click_(std::move(click)) {
    static const bool installed = [] {
        QAccessible::installFactory(describeTreeView);
        return true;
    }();
    (void)installed;
    registry().insert(view, this);
    // A description made before, Qt's own or another view's, gives way.
    QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(view);
    if (existing && existing != tree_) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
}

AccessibleItems::~AccessibleItems() {
    auto found = registry().find(registeredAs_);
    if (found != registry().end() && found.value() == this) registry().erase(found);
    // The view, if it stays, gets Qt's own description again.
    if (AccessibleTree* tree = std::exchange(tree_, nullptr)) {
        tree->detach();
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(tree));
    }
}

bool AccessibleItems::knowsRows() const { return tree_ && tree_->hasCells(); }

void AccessibleItems::imageChanged(const QModelIndex& index) {
    const QAccessible::Id id = tree_ ? tree_->madeCell(index) : 0;
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
