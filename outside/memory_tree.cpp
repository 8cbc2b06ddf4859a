#include "outside/memory_tree.h"

#include <cmath>
#include <utility>

#include "outside/memory_tree_store.h"
#include "outside/stored_node.h"

namespace tree {

MemoryTreeView::MemoryTreeView() : store_(std::make_shared<Store>()) {}

// Node objects that outlive the view see their data gone and fail with 35605.
MemoryTreeView::~MemoryTreeView() = default;

rt::Ref<TreeNodes> MemoryTreeView::Nodes() {
    if (!nodes_) nodes_ = rt::make<StoredNodes>(store_);
    return nodes_;
}

rt::Ref<ImageList> MemoryTreeView::GetImageList() { return store_->imageList; }

void MemoryTreeView::SetImageList(const rt::Ref<ImageList>& list) {
    // Every AddNode sets the list again, mostly the one held already.
    if (store_->imageList.get() == list.get()) return;
    // Nodes keep their image keys: a list set later shows them again.
    rt::Ref<ImageList> old = std::exchange(store_->imageList, list);
}

int32_t MemoryTreeView::LabelEdit() { return store_->labelEdit; }
void MemoryTreeView::setLabelEdit(int32_t mode) { store_->labelEdit = mode; }

rt::Ref<TreeNode> MemoryTreeView::HitTest(float x, float y) {
    // Written so that NaN falls outside as well.
    if (!(x >= 0 && x < Width && y >= 0)) return nullptr;
    const double row = std::floor(static_cast<double>(y) / RowHeight);
    if (row >= static_cast<double>(store_->count())) return nullptr;
    return store_->objectOrNothing(store_->nodeInRow(static_cast<int32_t>(row)));
}

std::string MemoryTreeView::ToolTipText() {
    if (!store_->offersToolTipText) throw rt::errNoSuchMember("ToolTipText");
    return store_->toolTipText;
}

void MemoryTreeView::setToolTipText(const std::string& text) {
    if (!store_->offersToolTipText) throw rt::errNoSuchMember("ToolTipText");
    store_->toolTipText = text;
}

void MemoryTreeView::setOffersToolTipText(bool offers) { store_->offersToolTipText = offers; }

int32_t MemoryTreeView::advise(TreeViewEvents* listener) { return store_->events.advise(listener); }
void MemoryTreeView::unadvise(int32_t cookie) { store_->events.unadvise(cookie); }
size_t MemoryTreeView::listenerCount() const { return store_->events.count(); }

// The raising functions hold the data themselves: a listener may release the
// view while the event is under way.

void MemoryTreeView::clickNode(const rt::Ref<TreeNode>& node) {
    std::shared_ptr<Store> s = store_;
    // Nothing, or a node of another tree view: the call itself is wrong.
    auto* own = dynamic_cast<StoredNode*>(node.get());
    if (!own || !own->belongsTo(*s)) throw rt::errInvalidCall();
    // A node of this tree that a Clear removed.
    if (!own->isCurrent(*s)) throw errControlDeleted();
    s->events.raise([&](TreeViewEvents& listener) { listener.NodeClick(node); });
}

void MemoryTreeView::clickNode(const std::string& key) {
    std::shared_ptr<Store> s = store_;
    int32_t index = s->findKey(key);
    if (index == NoNode) throw errElementNotFound();
    rt::Ref<TreeNode> node = s->objectFor(index);
    s->events.raise([&](TreeViewEvents& listener) { listener.NodeClick(node); });
}

// Every listener gets the same variables, so one sees what another wrote.

void MemoryTreeView::pressKey(int16_t keyCode, int16_t shift) {
    std::shared_ptr<Store> s = store_;
    s->events.raise([&](TreeViewEvents& listener) { listener.KeyDown(keyCode, shift); });
}

void MemoryTreeView::releaseKey(int16_t keyCode, int16_t shift) {
    std::shared_ptr<Store> s = store_;
    s->events.raise([&](TreeViewEvents& listener) { listener.KeyUp(keyCode, shift); });
}

void MemoryTreeView::movePointer(int16_t button, int16_t shift, float x, float y) {
    std::shared_ptr<Store> s = store_;
    s->events.raise([&](TreeViewEvents& listener) { listener.MouseMove(button, shift, x, y); });
}

// Nodes of other trees and nodes removed by Clear have no row here.
float MemoryTreeView::rowTop(const rt::Ref<TreeNode>& node) {
    auto* own = dynamic_cast<StoredNode*>(node.get());
    const int32_t index = own ? own->indexIn(*store_) : NoNode;
    if (index == NoNode) return -1;
    int32_t row = store_->rowOf(index);
    return row < 0 ? -1.0f : static_cast<float>(row) * RowHeight;
}

rt::Ref<TreeNode> MemoryTreeView::selectedNode() { return store_->objectOrNothing(store_->selected); }

void MemoryTreeView::checkInvariants() const { store_->checkInvariants(); }

}  // namespace tree
