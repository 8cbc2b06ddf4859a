#include "adapters/qt/qt_accessible_tree.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTreeView>
#include <algorithm>
#include <tuple>
#include <utility>

#include "adapters/qt/qt_accessibility.h"
#include "adapters/qt/qt_accessible_cell.h"
#include "adapters/qt/qt_accessible_events.h"
#include "adapters/qt/qt_accessible_rows.h"

namespace qt_tree {
namespace {

AccessibleCell* cellOf(QAccessible::Id id) {
    return dynamic_cast<AccessibleCell*>(QAccessible::accessibleInterface(id));
}

QString withoutMnemonic(QString text) {
    for (qsizetype at = text.indexOf(u'&'); at >= 0 && at + 1 < text.size(); at = text.indexOf(u'&', at + 1))
        text.remove(at, 1);
    return text;
}

// Sees the view's paints and resizes: rows scroll in and out of view
// without any signal.
class ViewWatch final : public QObject {
public:
    explicit ViewWatch(std::function<void()> changed) : changed_(std::move(changed)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint || event->type() == QEvent::Resize || event->type() == QEvent::Show ||
            event->type() == QEvent::Hide)
            changed_();
        return false;
    }

private:
    std::function<void()> changed_;
};

}  // namespace

AccessibleTree::AccessibleTree(QTreeView* view, AccessibleItems* items)
    : QAccessibleWidget(view, QAccessible::Tree), items_(items) {
    items_->tree_ = this;
    watchView();
}

AccessibleTree::~AccessibleTree() {
    if (items_ && items_->tree_ == this) items_->tree_ = nullptr;
    viewWatch_.reset();
    modelWatch_.reset();
    const auto cells = std::exchange(cells_, {});
    for (QAccessible::Id id : cells) QAccessible::deleteAccessibleInterface(id);
    for (QAccessible::Id id : std::exchange(ghosts_, {})) QAccessible::deleteAccessibleInterface(id);
    for (QAccessible::Id id : headers_)
        if (id) QAccessible::deleteAccessibleInterface(id);
}

QTreeView* AccessibleTree::view() const { return qobject_cast<QTreeView*>(object()); }

void AccessibleTree::watchView() {
    QTreeView* v = view();
    auto* watch = new ViewWatch([this] { tellSoon(); });
    viewWatch_.reset(watch);
    v->viewport()->installEventFilter(watch);
    const auto changed = [this] { tellSoon(); };
    QObject::connect(v, &QTreeView::expanded, watch, changed);
    QObject::connect(v, &QTreeView::collapsed, watch, changed);
    for (QScrollBar* bar : {v->verticalScrollBar(), v->horizontalScrollBar()}) {
        QObject::connect(bar, &QScrollBar::valueChanged, watch, changed);
        QObject::connect(bar, &QScrollBar::rangeChanged, watch, changed);
    }
}

void AccessibleTree::followModel() const {
    const QAbstractItemModel* model = view() ? view()->model() : nullptr;
    if (model == watchedModel_ && (model || !modelWatch_)) return;
    watchModel(model);
    dropGoneRows();
}

void AccessibleTree::watchModel(const QAbstractItemModel* model) const {
    modelWatch_ = std::make_unique<QObject>();
    watchedModel_ = model;
    if (!model) return;
    QObject* watch = modelWatch_.get();
    const auto gone = [this] {
        dropGoneRows();
        tellSoon();
    };
    const auto changed = [this] { tellSoon(); };
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, watch, gone);
    QObject::connect(model, &QAbstractItemModel::rowsMoved, watch, gone);
    QObject::connect(model, &QAbstractItemModel::columnsRemoved, watch, gone);
    QObject::connect(model, &QAbstractItemModel::columnsMoved, watch, gone);
    QObject::connect(model, &QAbstractItemModel::layoutChanged, watch, gone);
    QObject::connect(model, &QAbstractItemModel::modelReset, watch, gone);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, watch, changed);
    QObject::connect(model, &QAbstractItemModel::columnsInserted, watch, changed);
    QObject::connect(model, &QAbstractItemModel::dataChanged, watch, changed);
}

void AccessibleTree::dropGoneRows() const {
    bool ghostMade = false;
    for (auto it = cells_.begin(); it != cells_.end();) {
        const QAccessible::Id id = it.value();
        AccessibleCell* cell = cellOf(id);
        if (cell && cell->live()) {
            ++it;
            continue;
        }
        it = cells_.erase(it);
        if (cell && id == events::lastFocus()) {
            cell->ghost = true;
            ghosts_.push_back(id);
            events::keepUntilFocusMovesOn(id);
            ghostMade = true;
        } else {
            QAccessible::deleteAccessibleInterface(id);
        }
    }
    if (ghostMade) refocusSoon();
}

void AccessibleTree::ghostGone(QAccessible::Id id) { std::erase(ghosts_, id); }

void AccessibleTree::refocusSoon() const {
    // The focus was on a row that is gone: it goes to the current row, or
    // to the tree, as the keyboard has it, once the view has settled.
    QMetaObject::invokeMethod(
        viewWatch_.get(),
        [this] {
            const AccessibleCell* last = cellOf(events::lastFocus());
            if (!last || !last->ghost || last->parent() != this || !view() || !view()->hasFocus()) return;
            QAccessibleInterface* current = currentCell();
            QAccessibleEvent focus(current ? current : const_cast<AccessibleTree*>(this), QAccessible::Focus);
            events::deliver(&focus);
        },
        Qt::QueuedConnection);
}

void AccessibleTree::imageChanged() {
    if (hasCells()) tellSoon();
}

void AccessibleTree::tellSoon() const {
    if (tellingSoon_ || cells_.isEmpty() || !viewWatch_) return;
    tellingSoon_ = true;
    QMetaObject::invokeMethod(viewWatch_.get(), [this] { const_cast<AccessibleTree*>(this)->tellChanges(); },
                              Qt::QueuedConnection);
}

void AccessibleTree::tellChanges() {
    tellingSoon_ = false;
    if (!isValid()) return;
    followModel();
    // In the order in which the rows show; only rows that show are told.
    // A change told may run code that makes or drops cells.
    struct Place {
        int row;
        int column;
        QAccessible::Id id;
    };
    std::vector<Place> places;
    for (auto it = cells_.cbegin(); it != cells_.cend(); ++it) {
        const int row = rowNumberOf(it.key());
        if (row >= 0) places.push_back({row, it.key().column(), it.value()});
    }
    std::sort(places.begin(), places.end(),
              [](const Place& a, const Place& b) { return std::tie(a.row, a.column) < std::tie(b.row, b.column); });
    for (const Place& place : places)
        if (AccessibleCell* cell = cellOf(place.id); cell && cell->parent() == this) cell->tellChanges();
}

int AccessibleTree::headerRows() const { return view() && !view()->isHeaderHidden() ? 1 : 0; }

int AccessibleTree::rowNumberOf(const QModelIndex& index) const {
    if (!isValid() || !index.isValid()) return -1;
    return rows::numberOf(*view(), rows::rowIndexOf(index));
}

QString AccessibleTree::text(QAccessible::Text t) const {
    if (!isValid()) return {};
    if (t == QAccessible::Description) return view()->accessibleDescription();
    if (t != QAccessible::Name) return QAccessibleWidget::text(t);
    const QString own = QAccessibleWidget::text(QAccessible::Name);
    if (!own.isEmpty()) return own;
    for (QWidget* up = view()->parentWidget(); up && !up->isWindow(); up = up->parentWidget())
        if (auto* box = qobject_cast<QGroupBox*>(up); box && !box->title().isEmpty())
            return withoutMnemonic(box->title());
    return QCoreApplication::translate("qt_tree::AccessibleTree", "Check boxes and option buttons");
}

QAccessible::State AccessibleTree::state() const {
    QAccessible::State st = QAccessibleWidget::state();
    if (st.focused && currentCell()) st.focused = false;
    return st;
}

int AccessibleTree::childCount() const {
    if (!isValid()) return 0;
    followModel();
    return (rows::count(*view()) + headerRows()) * rows::columns(*view());
}

QAccessibleInterface* AccessibleTree::child(int index) const {
    const int columns = isValid() ? rows::columns(*view()) : 0;
    if (index < 0 || columns <= 0) return nullptr;
    followModel();
    const int headers = headerRows();
    if (index < headers * columns) return header(index);
    const QModelIndex row = rows::at(*view(), index / columns - headers);
    if (row.isValid()) return cell(row.sibling(row.row(), index % columns));
    // Qt's own events number the rows after a row of headers, shown or not:
    // their row past the last finds the hidden header, not nothing, which
    // Qt would take for a fault of ours.
    if (!headers && index / columns == rows::count(*view())) return header(index % columns);
    return nullptr;
}

int AccessibleTree::indexOfChild(const QAccessibleInterface* child) const {
    // A cell of a model that the view no longer shows has no index; the
    // model is followed elsewhere, not while a child is in hand.
    if (!isValid() || !child || child->parent() != this) return -1;
    const int columns = rows::columns(*view());
    if (const auto* header = dynamic_cast<const AccessibleHeader*>(child))
        return headerRows() && header->column() < columns ? header->column() : -1;
    const auto* cell = dynamic_cast<const AccessibleCell*>(child);
    const QModelIndex index = cell ? cell->index() : QModelIndex();
    if (!index.isValid() || index.column() >= columns) return -1;
    const int row = rowNumberOf(index);
    return row >= 0 ? (row + headerRows()) * columns + index.column() : -1;
}

QAccessibleInterface* AccessibleTree::childAt(int x, int y) const {
    if (!isValid()) return nullptr;
    const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = view()->indexAt(at);
    return rowNumberOf(index) >= 0 ? cell(index) : nullptr;
}

QAccessibleInterface* AccessibleTree::focusChild() const { return isValid() ? currentCell() : nullptr; }

QAccessibleInterface* AccessibleTree::currentCell() const {
    const QModelIndex current = view()->currentIndex();
    return rowNumberOf(current) >= 0 ? cell(current) : nullptr;
}

void* AccessibleTree::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

QAccessibleInterface* AccessibleTree::cell(const QModelIndex& index) const {
    if (!isValid() || !index.isValid() || index.model() != view()->model()) return nullptr;
    followModel();
    const QPersistentModelIndex key(index);
    if (const auto found = cells_.constFind(key); found != cells_.cend()) {
        if (QAccessibleInterface* known = QAccessible::accessibleInterface(found.value())) return known;
        cells_.erase(found);
    }
    auto* made = new AccessibleCell(const_cast<AccessibleTree*>(this), index);
    made->id = QAccessible::registerAccessibleInterface(made);
    cells_.insert(key, made->id);
    return made;
}

QAccessibleInterface* AccessibleTree::header(int column) const {
    if (column < 0 || !isValid() || column >= rows::columns(*view())) return nullptr;
    if (headers_.size() <= static_cast<size_t>(column)) headers_.resize(static_cast<size_t>(column) + 1, 0);
    QAccessible::Id& id = headers_[static_cast<size_t>(column)];
    if (!id) id = QAccessible::registerAccessibleInterface(new AccessibleHeader(this, column));
    return QAccessible::accessibleInterface(id);
}

QAccessibleInterface* AccessibleTree::cellAt(int row, int column) const {
    if (!isValid() || column < 0 || column >= rows::columns(*view())) return nullptr;
    const QModelIndex index = rows::at(*view(), row);
    return index.isValid() ? cell(index.sibling(index.row(), column)) : nullptr;
}

QList<QAccessibleInterface*> AccessibleTree::selectedCells() const {
    QList<QAccessibleInterface*> out;
    if (!isValid() || !view()->selectionModel()) return out;
    for (const QModelIndex& index : view()->selectionModel()->selectedIndexes())
        if (rowNumberOf(index) >= 0) out.append(cell(index));
    return out;
}

QString AccessibleTree::columnDescription(int column) const {
    if (!isValid() || !view()->model()) return {};
    return view()->model()->headerData(column, Qt::Horizontal).toString();
}

int AccessibleTree::columnCount() const { return isValid() ? rows::columns(*view()) : 0; }

int AccessibleTree::rowCount() const { return isValid() ? rows::count(*view()) : 0; }

QList<int> AccessibleTree::selectedColumns() const {
    QList<int> out;
    if (!isValid() || !view()->selectionModel()) return out;
    for (const QModelIndex& index : view()->selectionModel()->selectedColumns()) out.append(index.column());
    return out;
}

QList<int> AccessibleTree::selectedRows() const {
    QList<int> out;
    if (!isValid() || !view()->selectionModel()) return out;
    for (const QModelIndex& index : view()->selectionModel()->selectedIndexes()) {
        const int row = rowNumberOf(index);
        if (row >= 0 && !out.contains(row)) out.append(row);
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool AccessibleTree::isColumnSelected(int column) const {
    return isValid() && view()->selectionModel() &&
           view()->selectionModel()->isColumnSelected(column, view()->rootIndex());
}

bool AccessibleTree::isRowSelected(int row) const {
    if (!isValid() || !view()->selectionModel()) return false;
    const QModelIndex index = rows::at(*view(), row);
    return index.isValid() && view()->selectionModel()->isRowSelected(index.row(), index.parent());
}

bool AccessibleTree::selectRow(int row) {
    if (!isValid() || !view()->selectionModel()) return false;
    const QModelIndex index = rows::at(*view(), row);
    const auto mode = view()->selectionMode();
    if (!index.isValid() || mode == QAbstractItemView::NoSelection ||
        view()->selectionBehavior() == QAbstractItemView::SelectColumns)
        return false;
    if (mode == QAbstractItemView::SingleSelection) {
        if (view()->selectionBehavior() != QAbstractItemView::SelectRows && columnCount() > 1) return false;
        view()->clearSelection();
    }
    view()->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    return true;
}

bool AccessibleTree::unselectRow(int row) {
    if (!isValid() || !view()->selectionModel()) return false;
    const QModelIndex index = rows::at(*view(), row);
    if (!index.isValid()) return false;
    // In single selection the user cannot leave no row selected either.
    if (view()->selectionMode() == QAbstractItemView::SingleSelection && selectedRowCount() == 1) return false;
    view()->selectionModel()->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    return true;
}

void AccessibleTree::takeQtEvent(QAccessibleEvent* event) {
    if (!isValid()) return;
    followModel();
    const int child = event->child();
    switch (event->type()) {
        case QAccessible::Focus: {
            // Qt moves the focus to the current row also while the keyboard
            // is elsewhere; and when the tree gets the keyboard, the current
            // row has the focus, not the tree.
            if (!view()->hasFocus()) return;
            if (QAccessibleInterface* current = currentCell()) {
                if (events::readerHasFocusOn(QAccessible::uniqueId(current))) return;
                QAccessibleEvent focus(current, QAccessible::Focus);
                events::deliver(&focus);
            } else if (child < 0) {
                events::deliver(event);
            }
            return;
        }
        case QAccessible::TableModelChanged:
            return;
        default:
            break;
    }
    if (child < 0) {
        events::deliver(event);
        return;
    }
    // A row's event, numbered as Qt numbers the rows: after a row of
    // headers, shown or not. A row that does not show is not told.
    if (event->type() != QAccessible::SelectionAdd && event->type() != QAccessible::SelectionRemove &&
        event->type() != QAccessible::Selection)
        return;
    const int columns = rows::columns(*view());
    if (columns <= 0) return;
    const QModelIndex row = rows::at(*view(), child / columns - 1);
    QAccessibleInterface* cell = row.isValid() ? this->cell(row.sibling(row.row(), child % columns)) : nullptr;
    if (!cell) return;
    if (event->type() == QAccessible::SelectionRemove) {
        tellDeselectedSoon(QAccessible::uniqueId(cell));
        return;
    }
    QAccessibleEvent told(cell, event->type());
    events::deliver(&told);
}

void AccessibleTree::tellDeselectedSoon(QAccessible::Id row) const {
    if (!viewWatch_) return;
    QMetaObject::invokeMethod(
        viewWatch_.get(),
        [this, row] {
            AccessibleCell* cell = cellOf(row);
            if (!cell || cell->ghost || cell->parent() != this || !cell->live()) return;
            QAccessibleEvent told(cell, QAccessible::SelectionRemove);
            events::deliver(&told);
        },
        Qt::QueuedConnection);
}

}  // namespace qt_tree
