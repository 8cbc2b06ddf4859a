#pragma once
// What connects a Qt tree view to its widget: the widget's clicks, keys and
// pointer moves become the tree view's events, Space clicks the current item,
// assistive technology learns what each node is (its role and state, its tag
// as its description), and a deleted widget is noticed. Made with the view
// and deleted with it, which detaches it from the widget.

#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "adapters/qt/qt_accessibility.h"
#include "adapters/qt/qt_view_data.h"

namespace qt_tree {

class WidgetHooks final : public QObject {
public:
    WidgetHooks(std::shared_ptr<ViewData> data, QTreeView* widget);
    ~WidgetHooks() override;

    bool spaceActsAsClick() const { return spaceActsAsClick_; }
    void setSpaceActsAsClick(bool acts);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ItemState describe(int32_t index) const;
    // The node's tag as text: each item's description.
    QString note(int32_t index) const;

    std::shared_ptr<ViewData> store_;
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
