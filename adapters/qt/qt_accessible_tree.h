#pragma once
// The description of a tree view that assistive technology reads: the tree
// with its rows as a table (one row per showing row, a cell per column, the
// column headers first while the header shows), the focus on the current row,
// and what changes told as it happens. Qt keeps it and deletes it with the
// view; the AccessibleItems that made it may go first.

#include <QAccessibleWidget>
#include <QHash>
#include <QPersistentModelIndex>
#include <QPointer>
#include <memory>
#include <vector>

QT_BEGIN_NAMESPACE
class QTreeView;
QT_END_NAMESPACE

namespace qt_tree {

class AccessibleItems;
class AccessibleCell;

class AccessibleTree final : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    AccessibleTree(QTreeView* view, AccessibleItems* items);
    ~AccessibleTree() override;
    AccessibleTree(const AccessibleTree&) = delete;
    AccessibleTree& operator=(const AccessibleTree&) = delete;

    void detach() { items_ = nullptr; }
    const AccessibleItems* items() const { return items_; }
    QTreeView* view() const;

    // The host's accessible name, a label that names the tree as its buddy,
    // the title of the group box around it, or "Check boxes and option
    // buttons". The description is the host's own: the tool tip shows the
    // tag of the item clicked last, which each item gives as its own.
    QString text(QAccessible::Text t) const override;
    // Focused only while the tree has the keyboard and no current row takes
    // the focus.
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    // The table: its rows are the rows that show, its columns the model's.
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override { return static_cast<int>(selectedCells().size()); }
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return static_cast<int>(selectedColumns().size()); }
    int selectedRowCount() const override { return static_cast<int>(selectedRows().size()); }
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override;
    QList<int> selectedRows() const override;
    bool isColumnSelected(int column) const override;
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    // A tree selects rows, never columns.
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    // The tree follows its model's signals itself.
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

    // The description of one cell (an index of the view's model), made on
    // first request and kept until its row is gone.
    QAccessibleInterface* cell(const QModelIndex& index) const;
    QAccessibleInterface* header(int column) const;
    // 1 while the header shows, else 0: a hidden header is no child.
    int headerRows() const;
    // The row's number in the table, or -1 for a row that does not show.
    int rowNumberOf(const QModelIndex& index) const;
    bool hasCells() const { return !cells_.isEmpty(); }
    // The cell of the current row, if it shows.
    QAccessibleInterface* currentCell() const;

    // The image key of a row changed: the rows that assistive technology
    // knows are compared with what they told once the event loop runs.
    void imageChanged();
    // An event of Qt's about the view or one of its rows, told again in
    // this tree's terms, or not at all.
    void takeQtEvent(QAccessibleEvent* event);
    // A row that had outlived its node is deleted.
    void ghostGone(QAccessible::Id id);

private:
    // The view shows another model than the one watched: the cells of the
    // old one go and the new one is watched.
    void followModel() const;
    void watchModel(const QAbstractItemModel* model) const;
    void watchView();
    // Deletes the cells of rows that are gone, all but the one that had the
    // focus last, which answers what it last told until the focus moves on.
    void dropGoneRows() const;
    void tellSoon() const;
    // Tells every change of the rows that assistive technology knows and
    // that show: checked, role, expanded, name, and for check boxes and
    // radio buttons also scrolling in or out of view.
    void tellChanges();
    void refocusSoon() const;
    // A row that Qt deselects may be about to go: the widget's tree empties
    // its selection before it removes its rows. It is told once the event
    // loop runs, if it is still there.
    void tellDeselectedSoon(QAccessible::Id row) const;

    AccessibleItems* items_;
    mutable QHash<QPersistentModelIndex, QAccessible::Id> cells_;
    mutable std::vector<QAccessible::Id> headers_;
    mutable std::vector<QAccessible::Id> ghosts_;
    mutable QPointer<const QAbstractItemModel> watchedModel_;
    mutable std::unique_ptr<QObject> modelWatch_;  // holds the connections to the watched model
    std::unique_ptr<QObject> viewWatch_;           // and those to the view
    mutable bool tellingSoon_ = false;
};

// The tree of a view that one of our AccessibleItems describes, made on
// request; nothing for any other object.
AccessibleTree* describedTree(QObject* object);

}  // namespace qt_tree
