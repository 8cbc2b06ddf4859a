#pragma once
// What connects a Qt tree view to its widget: the widget's clicks, keys and
// pointer moves become the tree view's events, a user's edit of an item's
// text reaches the node, and a deleted widget is noticed. Made with the view
// and deleted with it, which detaches it from the widget.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Raises an event to every listener. A failure that a listener lets out
    // has no caller to go to inside the widget's event handling: it goes to
    // Qt's log, and the widget carries on.
    template <class Call>
    void raise(Call call);
    void itemClicked(QTreeWidgetItem* item);
    void itemChanged(QTreeWidgetItem* item, int column);

    std::shared_ptr<QtTreeView::Store> store_;
    // Only compared with the objects that events arrive at: events also come
    // while the widget is being deleted, when it is no tree widget any more.
    const QObject* widget_;
    QPointer<QWidget> viewport_;
};

}  // namespace qt_tree
