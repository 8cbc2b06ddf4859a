#pragma once
// What every Qt tree view keeps beside the node data, whichever Qt widget
// shows the nodes: the widget, the view's own properties and listeners, and
// the icons of its image list. A view's data derives from this and says how
// its nodes map to the widget's model indexes.

#include <QModelIndex>
#include <QPointer>
#include <QTreeView>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

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
    // The same for each of the neighbouring siblings first..last in turn.
    std::function<void(int32_t first, int32_t last)> siblingImagesChanged;

    void setImageList(const rt::Ref<tree::ImageList>& list);
    // The icon that a node shows now.
    QIcon iconOf(int32_t index);
    // The same as a decoration for a model's data, or an invalid variant
    // for a node without image. A widget asks for it at every paint of a
    // row, so it is made once for each image that nodes name.
    QVariant decorationOf(int32_t index);
    void repaintSoon();

private:
    // Decorations by a node's stored image, for one image list as it was
    // at one revision, while the nodes name the same image keys.
    std::unordered_map<int32_t, QVariant> decorations_;
    const tree::ImageList* decorationsList_ = nullptr;
    uint64_t decorationsRevision_ = 0;
    uint64_t decorationsGeneration_ = 0;

public:

    // The node that a model index of the widget shows, or NoNode.
    virtual int32_t nodeAt(const QModelIndex& index) const = 0;
    // The model index (column 0) of a node.
    virtual QModelIndex modelIndexOf(int32_t index) const = 0;
    // The widget was deleted: forget what it held without touching it.
    virtual void forgetWidget() = 0;
};

}  // namespace qt_tree
