#pragma once
// What every Qt tree view keeps beside the node data, whichever Qt widget
// shows the nodes: the widget, the view's own properties and listeners, and
// the icons of its image list. A view's data derives from this and says how
// its nodes map to the widget's model indexes.

#include <QModelIndex>
#include <QPointer>
#include <QTreeView>
#include <cstdint>
#include <functional>
#include <string>

#include "adapters/qt/qt_icons.h"
#include "outside/node_store.h"
#include "outside/tree_events.h"

namespace qt_tree {

using tree::NoNode;

struct ViewData : tree::NodeStore {
    QPointer<QTreeView> view;
    // The view was released, or the widget was deleted: nothing works.
    bool viewGone = false;
    bool widgetGone = false;
    // The view made the widget itself.
    bool ownsWidget = false;

    IconCache icons;
    int32_t labelEdit = 0;
    std::string toolTipText;
    bool offersToolTipText = true;
    tree::EventSource events;
    // A repaint of the viewport is asked for and has not happened yet, so
    // that a burst of image changes costs one repaint.
    bool repaintPending = false;
    // Told after a node's image changed (assistive technology hears of it).
    std::function<void(int32_t index)> imageChanged;

    bool usable() const noexcept override { return !viewGone && !widgetGone; }
    void setImageList(const rt::Ref<tree::ImageList>& list);
    // The icon that a node shows now.
    QIcon iconOf(int32_t index);
    void repaintSoon();

    // The node that a model index of the widget shows, or NoNode.
    virtual int32_t nodeAt(const QModelIndex& index) const = 0;
    // The model index (column 0) of a node.
    virtual QModelIndex modelIndexOf(int32_t index) const = 0;
    // The widget was deleted: forget what it held without touching it.
    virtual void forgetWidget() = 0;
};

}  // namespace qt_tree
