#pragma once
// What connects a Qt tree view to its widget: the widget's clicks, keys and
// pointer moves become the tree view's events, Space clicks the current item,
// a user's edit of an item's text reaches the node, assistive technology
// learns what each node is, and a deleted widget is noticed. Made with the
// view and deleted with it, which detaches it from the widget.

#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "adapters/qt/qt_accessibility.h"
#include "adapters/qt/qt_tree_view.h"

QT_BEGIN_NAMESPACE
class QTreeWidget;
class QTreeWidgetItem;
QT_END_NAMESPACE

namespace qt_tree {

class WidgetHooks final : public QObject {
public:
    WidgetHooks(std::shared_ptr<QtTreeView::Store> store, QTreeWidget* widget);
    ~WidgetHooks() override;

    bool spaceActsAsClick() const { return spaceActsAsClick_; }
    void setSpaceActsAsClick(bool acts);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void itemChanged(QTreeWidgetItem* item, int column);
    ItemState describe(const QTreeWidgetItem* item) const;

    std::shared_ptr<QtTreeView::Store> store_;
    // Only compared with the objects that events arrive at: events also come
    // while the widget is being deleted, when it is no tree widget any more.
    const QObject* widget_;
    QPointer<QWidget> viewport_;
    // Space clicks the item that was current when it went down, when it
    // comes up, if that item is still current.
    bool spaceActsAsClick_ = true;
    QPersistentModelIndex spacePressedOn_;
    std::unique_ptr<AccessibleItems> accessible_;
};

}  // namespace qt_tree
