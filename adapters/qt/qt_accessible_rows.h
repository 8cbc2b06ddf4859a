#pragma once
// Rows of a tree view as assistive technology counts them: the indexes that
// show, in the order in which they show, one after the other with
// indexBelow, the view's own numbering. A row is named by its index in
// column 0; a row that does not show (hidden, under a closed parent, outside
// the root) has no number.

#include <QModelIndex>

QT_BEGIN_NAMESPACE
class QTreeView;
QT_END_NAMESPACE

namespace qt_tree::rows {

QModelIndex rowIndexOf(const QModelIndex& index);
// The row shows: it stands below the view's root, neither it nor a parent is
// hidden, and its parents are open.
bool shows(const QTreeView& view, const QModelIndex& row);
// The row's number from 0, or -1 for a row that does not show.
int numberOf(const QTreeView& view, const QModelIndex& row);
// The row of a number, or an invalid index past the last.
QModelIndex at(const QTreeView& view, int number);
int count(const QTreeView& view);
// The number of columns, as the view's header counts them.
int columns(const QTreeView& view);
// The cell is drawn inside the viewport, not scrolled away.
bool onScreen(const QTreeView& view, const QModelIndex& index);

}  // namespace qt_tree::rows
