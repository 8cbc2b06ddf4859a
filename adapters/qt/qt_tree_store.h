#pragma once
// The data of one Qt tree view: the node data that every tree view keeps,
// the widget and the item that shows each node (a vector indexed like the
// records; the widget's child lists follow the same order), and the view's
// own properties and listeners. The view owns it; the node objects that
// callers hold watch it weakly, and the widget's items hold it strongly, so
// that a widget that outlives its view keeps showing its icons.

#include <QPointer>
#include <QSet>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "adapters/qt/qt_tree_view.h"
#include "adapters/qt/qt_view_data.h"

namespace qt_tree {

class NodeItem;

struct QtTreeView::Store final : ViewData {
    std::vector<NodeItem*> items;  // index as in nodes; owned by the widget
    // Our own changes to an item's text, which need no copying back.
    int quietItemChanges = 0;

    ~Store() override;
    // The widget (`view`), or nothing once it is gone.
    QTreeWidget* widget() const { return static_cast<QTreeWidget*>(view.data()); }
    int32_t add(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                const rt::Variant& text, const rt::Variant& image) override;
    void clear() override;
    // Room for one more item in `items`.
    void makeRoomForItem();
    // The host's items of a wrapped widget become nodes without key.
    void adoptItems();
    // The widget was deleted, and its items with it.
    void forgetWidget() override;

    // The index of the node that an item shows, or NoNode.
    int32_t indexOfItem(const QTreeWidgetItem* item) const;
    int32_t nodeAt(const QModelIndex& index) const override;
    QModelIndex modelIndexOf(int32_t index) const override;

    // What a node shows is its item's.
    void setText(int32_t index, const std::string& text) override;
    void setImage(int32_t index, const rt::Variant& image) override;
    int16_t expanded(int32_t index) const override;
    void setExpanded(int32_t index, int16_t expanded) override;
    bool isSelected(int32_t index) const override;
    void setSelected(int32_t index, int16_t selected) override;

    void checkInvariants() const override;

private:
    std::shared_ptr<Store> self() { return std::static_pointer_cast<Store>(shared_from_this()); }
    // The widget's items in one sibling list stand in the order of the links.
    void checkItemOrder(int32_t owner) const;
    // Adds a node for an item of the host, then for its children; notes in
    // `open` the nodes whose items were open. Returns the node's index.
    int32_t adopt(QTreeWidgetItem* hostItem, int32_t parent, const QSet<const QTreeWidgetItem*>& wasOpen,
                  std::vector<int32_t>& open);
};

// The item that shows a node. It asks the view's data for its icon when the
// widget paints it, so that changing an image key changes nothing in the
// widget's model and costs no more than one repaint for any number of items.
class NodeItem final : public QTreeWidgetItem {
public:
    NodeItem(std::shared_ptr<QtTreeView::Store> store, int32_t index);
    // Takes the look of one of the host's items.
    NodeItem(const QTreeWidgetItem& look, std::shared_ptr<QtTreeView::Store> store, int32_t index);

    QVariant data(int column, int role) const override;
    const QtTreeView::Store* store() const noexcept { return store_.get(); }
    int32_t index() const noexcept { return index_; }

private:
    std::shared_ptr<QtTreeView::Store> store_;
    int32_t index_;
};

}  // namespace qt_tree
