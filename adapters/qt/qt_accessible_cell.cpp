#include "adapters/qt/qt_accessible_cell.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QTreeView>

#include "adapters/qt/qt_accessible_events.h"
#include "adapters/qt/qt_accessible_rows.h"
#include "adapters/qt/qt_accessible_tree.h"

namespace qt_tree {
namespace {

bool isChoice(const ItemState& item) { return item.role != ItemRole::Plain; }

}  // namespace

const QString& AccessibleCell::expandAction() {
    static const QString name = QStringLiteral("Expand");
    return name;
}

const QString& AccessibleCell::collapseAction() {
    static const QString name = QStringLiteral("Collapse");
    return name;
}

AccessibleCell::AccessibleCell(AccessibleTree* tree, const QModelIndex& index) : tree_(tree), index_(index) {
    told = now();
}

AccessibleCell::~AccessibleCell() {
    if (ghost) {
        events::forget(id);
        tree_->ghostGone(id);
    }
}

QModelIndex AccessibleCell::index() const {
    const QTreeView* view = tree_->view();
    if (ghost || !view || !index_.isValid() || index_.model() != view->model()) return {};
    return index_;
}

ItemState AccessibleCell::describe(const QModelIndex& now) const {
    if (now.column() != 0 || !tree_->items()) return {};
    return tree_->items()->describe(now);
}

Told AccessibleCell::now() const {
    const QModelIndex at = index();
    if (!at.isValid()) {
        Told gone = told;
        gone.shown = false;
        return gone;
    }
    const QTreeView& view = *tree_->view();
    Told out;
    out.item = describe(at);
    out.shown = rows::shows(view, rows::rowIndexOf(at)) && rows::onScreen(view, at);
    out.expanded = at.column() == 0 && view.model()->hasChildren(at) && view.isExpanded(at);
    const QVariant accessible = at.data(Qt::AccessibleTextRole);
    out.name = accessible.isValid() ? accessible.toString() : at.data(Qt::DisplayRole).toString();
    const QVariant description = at.data(Qt::AccessibleDescriptionRole);
    if (description.isValid()) {
        out.description = description.toString();
    } else if (tree_->items()) {
        out.description = tree_->items()->note(rows::rowIndexOf(at));
    }
    return out;
}

void AccessibleCell::tellChanges() {
    const QModelIndex at = index();
    // A row that does not show is no child of the tree: it is told once it
    // shows again.
    if (!at.isValid() || tree_->rowNumberOf(at) < 0) return;
    const Told before = told;
    told = now();
    if (told.name != before.name) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        events::deliver(&event);
    }
    if (told.description != before.description) {
        QAccessibleEvent event(this, QAccessible::DescriptionChanged);
        events::deliver(&event);
    }
    if (told.item != before.item) {
        QAccessible::State changed;
        changed.checked = told.item.checked != before.item.checked;
        changed.checkable = isChoice(told.item) != isChoice(before.item);
        QAccessibleStateChangeEvent event(this, changed);
        events::deliver(&event);
    }
    if (told.expanded != before.expanded) {
        QAccessible::State changed;
        changed.expanded = true;
        changed.collapsed = true;
        QAccessibleStateChangeEvent event(this, changed);
        events::deliver(&event);
    }
    // The platform keeps what it read of a check box or radio button; of a
    // plain item it reads every time.
    if (told.shown != before.shown && isChoice(told.item)) {
        QAccessibleEvent event(this, told.shown ? QAccessible::ObjectShow : QAccessible::ObjectHide);
        events::deliver(&event);
    }
}

QWindow* AccessibleCell::window() const { return tree_->window(); }

QAccessibleInterface* AccessibleCell::parent() const { return tree_; }

QString AccessibleCell::text(QAccessible::Text t) const {
    if (t != QAccessible::Name && t != QAccessible::Description) return {};
    const Told now = this->now();
    // Whatever assistive technology reads, it has been told.
    if (t == QAccessible::Name) {
        told.name = now.name;
        return now.name;
    }
    told.description = now.description;
    return now.description;
}

QRect AccessibleCell::rect() const {
    const QModelIndex at = index();
    if (!at.isValid()) return {};
    QTreeView* view = tree_->view();
    const QRect r = view->visualRect(at);
    return r.isValid() ? QRect(view->viewport()->mapToGlobal(r.topLeft()), r.size()) : QRect();
}

QAccessible::Role AccessibleCell::role() const {
    switch (now().item.role) {
        case ItemRole::CheckBox: return QAccessible::CheckBox;
        case ItemRole::RadioButton: return QAccessible::RadioButton;
        case ItemRole::Plain: break;
    }
    return QAccessible::TreeItem;
}

QAccessible::State AccessibleCell::state() const {
    QAccessible::State st;
    const Told now = this->now();
    told.item = now.item;
    told.shown = now.shown;
    told.expanded = now.expanded;
    if (!now.shown) st.invisible = true;
    if (isChoice(now.item)) {
        st.checkable = true;
        st.checked = now.item.checked;
    }
    const QModelIndex at = index();
    if (!at.isValid()) return st;
    QTreeView* view = tree_->view();
    if (view->selectionModel() && view->selectionModel()->isSelected(at)) st.selected = true;
    // Only while the tree has the keyboard: the current row of a tree that
    // does not is no focus.
    if (view->hasFocus() && view->currentIndex() == at) st.focused = true;
    const Qt::ItemFlags flags = at.flags();
    if (!flags.testFlag(Qt::ItemIsEnabled)) st.disabled = true;
    if (flags.testFlag(Qt::ItemIsSelectable)) {
        st.selectable = true;
        st.focusable = true;
        if (view->selectionMode() == QAbstractItemView::MultiSelection) st.multiSelectable = true;
        if (view->selectionMode() == QAbstractItemView::ExtendedSelection) st.extSelectable = true;
    }
    if (at.column() == 0 && view->model()->hasChildren(at)) {
        st.expandable = true;
        st.expanded = now.expanded;
        st.collapsed = !now.expanded;
    }
    return st;
}

void* AccessibleCell::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    if (t == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface*>(this);
    return nullptr;
}

QStringList AccessibleCell::actionNames() const {
    QStringList names;
    const QModelIndex at = index();
    if (!at.isValid()) return names;
    if (isChoice(describe(at))) names << toggleAction();
    if (at.column() == 0 && tree_->view()->model()->hasChildren(at)) names << expandAction() << collapseAction();
    if (at.flags().testFlag(Qt::ItemIsSelectable)) names << setFocusAction();
    return names;
}

QString AccessibleCell::localizedActionName(const QString& name) const {
    if (name == expandAction()) return QCoreApplication::translate("qt_tree::AccessibleCell", "Expand");
    if (name == collapseAction()) return QCoreApplication::translate("qt_tree::AccessibleCell", "Collapse");
    return QAccessibleActionInterface::localizedActionName(name);
}

QString AccessibleCell::localizedActionDescription(const QString& name) const {
    if (name == expandAction()) return QCoreApplication::translate("qt_tree::AccessibleCell", "Opens the section");
    if (name == collapseAction()) return QCoreApplication::translate("qt_tree::AccessibleCell", "Closes the section");
    if (name == toggleAction()) return QCoreApplication::translate("qt_tree::AccessibleCell", "Changes the item as a click does");
    return QAccessibleActionInterface::localizedActionDescription(name);
}

void AccessibleCell::doAction(const QString& name) {
    const QModelIndex at = index();
    if (!at.isValid() || !actionNames().contains(name)) return;
    QTreeView* view = tree_->view();
    if (name == setFocusAction()) {
        view->setCurrentIndex(at);
    } else if (name == expandAction()) {
        view->expand(at);
    } else if (name == collapseAction()) {
        view->collapse(at);
    } else if (tree_->items()) {
        tree_->items()->click(rows::rowIndexOf(at));
    }
}

QStringList AccessibleCell::keyBindingsForAction(const QString& name) const {
    if (name == toggleAction()) return {QStringLiteral("Space")};
    if (name == expandAction()) return {QStringLiteral("Right")};
    if (name == collapseAction()) return {QStringLiteral("Left")};
    return {};
}

bool AccessibleCell::isSelected() const {
    const QModelIndex at = index();
    const QTreeView* view = tree_->view();
    return at.isValid() && view->selectionModel() && view->selectionModel()->isSelected(at);
}

QList<QAccessibleInterface*> AccessibleCell::columnHeaderCells() const {
    const QModelIndex at = index();
    if (!at.isValid() || !tree_->headerRows()) return {};
    QAccessibleInterface* header = tree_->header(at.column());
    return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
}

int AccessibleCell::columnIndex() const {
    const QModelIndex at = index();
    return at.isValid() ? at.column() : -1;
}

int AccessibleCell::rowIndex() const {
    const QModelIndex at = index();
    return at.isValid() ? tree_->rowNumberOf(at) : -1;
}

QAccessibleInterface* AccessibleCell::table() const { return tree_; }

bool AccessibleHeader::isValid() const { return tree_->view() != nullptr; }

bool AccessibleHeader::exists() const {
    return tree_->view() && tree_->view()->model() && column_ < rows::columns(*tree_->view());
}

QWindow* AccessibleHeader::window() const { return tree_->window(); }

QAccessibleInterface* AccessibleHeader::parent() const { return const_cast<AccessibleTree*>(tree_); }

QString AccessibleHeader::text(QAccessible::Text t) const {
    if (t != QAccessible::Name || !exists()) return {};
    return tree_->view()->model()->headerData(column_, Qt::Horizontal, Qt::DisplayRole).toString();
}

QRect AccessibleHeader::rect() const {
    if (!exists() || !tree_->headerRows()) return {};
    QHeaderView* header = tree_->view()->header();
    const QRect r(header->sectionViewportPosition(column_), 0, header->sectionSize(column_), header->height());
    return QRect(header->viewport()->mapToGlobal(r.topLeft()), r.size());
}

QAccessible::State AccessibleHeader::state() const {
    QAccessible::State st;
    if (!exists() || !tree_->headerRows() || tree_->view()->isColumnHidden(column_)) st.invisible = true;
    return st;
}

}  // namespace qt_tree
