#include "outside/memory_tree_node.h"

#include <utility>

namespace tree {

MemoryTreeNode::MemoryTreeNode(const std::shared_ptr<Store>& store, int32_t index)
    : store_(store), generation_(store->generation), index_(index) {}

std::shared_ptr<MemoryTreeNode::Store> MemoryTreeNode::live() const {
    auto s = store_.lock();
    if (!s || !isCurrent(*s)) throw errControlDeleted();
    return s;
}

bool MemoryTreeNode::belongsTo(const Store& store) const { return store_.lock().get() == &store; }

std::string MemoryTreeNode::Key() { return live()->nodes[index_].key; }
std::string MemoryTreeNode::Text() { return live()->nodes[index_].text; }
void MemoryTreeNode::setText(const std::string& text) { live()->nodes[index_].text = text; }
rt::Variant MemoryTreeNode::Tag() { return live()->nodes[index_].tag; }

void MemoryTreeNode::setTag(const rt::Variant& tag) {
    auto s = live();
    // The old tag goes only after the new one is in place, while `s` still
    // holds the data: its release may run any code, this tree's included.
    rt::Variant old = std::exchange(s->nodes[index_].tag, tag);
}

rt::Variant MemoryTreeNode::Image() { return live()->nodes[index_].image; }

void MemoryTreeNode::setImage(const rt::Variant& image) {
    auto s = live();
    rt::Variant checked = s->checkedImage(image);
    s->nodes[index_].image = std::move(checked);
}

rt::Ref<TreeNode> MemoryTreeNode::Child() {
    auto s = live();
    return s->objectOrNothing(s->nodes[index_].firstChild);
}

rt::Ref<TreeNode> MemoryTreeNode::Next() {
    auto s = live();
    return s->objectOrNothing(s->nodes[index_].next);
}

rt::Ref<TreeNode> MemoryTreeNode::Parent() {
    auto s = live();
    return s->objectOrNothing(s->nodes[index_].parent);
}

int32_t MemoryTreeNode::Children() { return live()->nodes[index_].children; }
int16_t MemoryTreeNode::Expanded() { return live()->nodes[index_].expanded; }
void MemoryTreeNode::setExpanded(int16_t expanded) { live()->nodes[index_].expanded = expanded; }

int16_t MemoryTreeNode::Selected() { return live()->selected == index_ ? rt::True16 : rt::False16; }

void MemoryTreeNode::setSelected(int16_t selected) {
    auto s = live();
    if (selected != 0)
        s->selected = index_;
    else if (s->selected == index_)
        s->selected = NoNode;
}

std::shared_ptr<MemoryTreeNodes::Store> MemoryTreeNodes::live() const {
    auto s = store_.lock();
    if (!s) throw errControlDeleted();
    return s;
}

rt::Ref<TreeNode> MemoryTreeNodes::Item(const rt::Variant& indexOrKey) {
    auto s = live();
    return s->objectFor(s->indexOf(indexOrKey));
}

int32_t MemoryTreeNodes::Count() { return live()->count(); }

rt::Ref<TreeNode> MemoryTreeNodes::Add(const rt::Variant& relative, const rt::Variant& relationship,
                                       const rt::Variant& key, const rt::Variant& text, const rt::Variant& image) {
    auto s = live();
    return s->objectFor(s->add(relative, relationship, key, text, image));
}

void MemoryTreeNodes::Clear() { live()->clear(); }

}  // namespace tree
