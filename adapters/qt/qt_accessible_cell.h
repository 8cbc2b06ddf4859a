#pragma once
// One cell of a row, as assistive technology reads it: the node's own column
// says what the node is (check box, radio button or plain tree item, from
// its key prefix and image key), its text is the name, its tag the
// description; a section opens and closes through its actions. And the
// header of a column, while the header shows.

#include <QAccessible>
#include <QPersistentModelIndex>

#include "adapters/qt/qt_accessibility.h"

namespace qt_tree {

class AccessibleTree;

// What a cell told assistive technology last, or what it could have read.
struct Told {
    ItemState item;
    bool shown = false;     // on screen: in a row that shows, not scrolled away
    bool expanded = false;  // a section that is open
    QString name;
    QString description;
};

class AccessibleCell final : public QAccessibleInterface,
                             public QAccessibleActionInterface,
                             public QAccessibleTableCellInterface {
public:
    AccessibleCell(AccessibleTree* tree, const QModelIndex& index);
    ~AccessibleCell() override;

    // The cell's index now, or an invalid one once its row is gone (or the
    // view shows another model).
    QModelIndex index() const;
    bool live() const { return index().isValid(); }
    // What the cell says now; for a row that is gone, what it said last.
    Told now() const;
    // What it has told; tellChanges brings it up to date, and so does every
    // read of assistive technology's.
    mutable Told told;
    // The row is gone, and the cell outlives it only because the platform
    // may still tell that it lost the focus.
    bool ghost = false;
    // As Qt registered it. Asked for while the cell is being deleted, Qt
    // would register it anew.
    QAccessible::Id id = 0;

    // Sends what changed since the last time, for a row that shows.
    void tellChanges();

    // A cell stays usable while it exists: once its row is gone it answers
    // as it last did, until its tree deletes it.
    bool isValid() const override { return true; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    // Toggle clicks a check box or radio button's node, as the user's click
    // does; Expand and Collapse open and close a section; any selectable
    // row can become the current one.
    QStringList actionNames() const override;
    QString localizedActionName(const QString& name) const override;
    QString localizedActionDescription(const QString& name) const override;
    void doAction(const QString& name) override;
    QStringList keyBindingsForAction(const QString& name) const override;

    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override;
    int rowIndex() const override;
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

    static const QString& expandAction();
    static const QString& collapseAction();

private:
    ItemState describe(const QModelIndex& now) const;

    AccessibleTree* tree_;  // deletes its cells before it goes
    QPersistentModelIndex index_;
};

// The header of a column: a child of the tree while the header shows.
class AccessibleHeader final : public QAccessibleInterface {
public:
    AccessibleHeader(const AccessibleTree* tree, int column) : tree_(tree), column_(column) {}

    // Usable while the view lives; a column that is gone says nothing.
    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override;
    int column() const { return column_; }

private:
    bool exists() const;

    const AccessibleTree* tree_;
    int column_;
};

}  // namespace qt_tree
