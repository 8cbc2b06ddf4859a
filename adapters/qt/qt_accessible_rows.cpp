#include "adapters/qt/qt_accessible_rows.h"

#include <QScrollBar>
#include <QTreeView>

namespace qt_tree::rows {
namespace {

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

}  // namespace

QModelIndex rowIndexOf(const QModelIndex& index) {
    return index.column() == 0 ? index : index.sibling(index.row(), 0);
}

bool shows(const QTreeView& view, const QModelIndex& row) {
    const QModelIndex root = view.rootIndex();
    if (!row.isValid() || !view.model() || row.model() != view.model() || row == root) return false;
    QModelIndex child = row;
    for (QModelIndex parent = row.parent();; child = parent, parent = parent.parent()) {
        if (view.isRowHidden(child.row(), parent)) return false;
        if (parent == root) return true;
        if (!parent.isValid() || !view.isExpanded(parent)) return false;
    }
}

int numberOf(const QTreeView& view, const QModelIndex& row) {
    if (!shows(view, row)) return -1;
    if (view.uniformRowHeights()) {
        const int number = drawnRowOf(view, row);
        if (number >= 0 && drawnIndexAt(view, number, view.visualRect(row).height()) == row) return number;
    }
    return walkedRowOf(view, row);
}

int count(const QTreeView& view) {
    if (!view.model()) return 0;
    const QModelIndex last = lastRow(view);
    return last.isValid() ? numberOf(view, last) + 1 : 0;
}

QModelIndex at(const QTreeView& view, int number) {
    if (number < 0 || !view.model()) return {};
    const QModelIndex first = firstShownChild(view, view.rootIndex());
    if (!first.isValid()) return {};
    if (view.uniformRowHeights()) {
        const int height = view.visualRect(first).height();
        if (height > 0) {
            const QModelIndex row = drawnIndexAt(view, number, height);
            if (row.isValid() && drawnRowOf(view, row) == number) return row;
        }
        if (number >= count(view)) return {};
    }
    QModelIndex row = first;
    for (int i = 0; row.isValid() && i < number; ++i) row = view.indexBelow(row);
    return row;
}

int columns(const QTreeView& view) { return view.model() ? view.model()->columnCount(view.rootIndex()) : 0; }

bool onScreen(const QTreeView& view, const QModelIndex& index) {
    const QRect r = view.visualRect(index);
    return r.isValid() && view.viewport()->rect().intersects(r);
}

}  // namespace qt_tree::rows
