#pragma once
// A tree view over any Qt QTreeView: the nodes are an item model of their
// own (one column; text, picture and, under Qt::UserRole, key), which the
// widget shows. The style manager drives it exactly as it drives the
// in-memory tree view, with the same rules and failure numbers.
//
// This is the Qt tree view to choose unless a host already owns a
// QTreeWidget (QtTreeView wraps one): nodes need no widget items, a new node
// costs the widget one appended row, and a walk that changes many pictures
// costs one repaint.
//
// Events come from the widget as with QtTreeView: a left click on a node's
// row raises NodeClick, keys raise KeyDown and KeyUp, pointer moves raise
// MouseMove in viewport pixels, Space on the current row clicks it after its
// KeyUp, and assistive technology hears each node's role and state from its
// key prefix and image key.

#include <QtGlobal>
#include <memory>

#include "adapters/qt/qt_view_base.h"

QT_BEGIN_NAMESPACE
class QAbstractItemModel;
class QModelIndex;
class QTreeView;
QT_END_NAMESPACE

namespace qt_tree {

struct ModelData;

class QtModelTreeView : public ViewBase {
public:
    // Makes a widget of its own, without parent. When the view goes it
    // deletes that widget, unless a window of the host has taken it in.
    QtModelTreeView();
    // Shows the nodes in a widget that the host owns and keeps, in place of
    // the model it showed. The widget gets uniform row heights, 16 pixel
    // icons and no sorting; when the host deletes it or gives it another
    // model, every operation fails with 35605.
    explicit QtModelTreeView(QTreeView* widget);
    ~QtModelTreeView() override;

    // The widget, or nothing once it is gone.
    QTreeView* widget() const;
    // The nodes' model, which lives as long as the widget.
    QAbstractItemModel* model() const;

    // The model index of a node of this view, or an invalid one.
    QModelIndex indexOf(const rt::Ref<tree::TreeNode>& node) const;
    // The node of a model index, or nothing for an index that is no node of
    // this view.
    rt::Ref<tree::TreeNode> nodeOf(const QModelIndex& index) const;

    // Checks the links, counts, key index and that the model shows the same
    // rows in the same order; throws std::logic_error naming the first
    // broken one.
    void checkInvariants() const;

private:
    QtModelTreeView(std::shared_ptr<ModelData> data, QTreeView* widget, bool ownsWidget);

    std::shared_ptr<ModelData> data_;
};

}  // namespace qt_tree
