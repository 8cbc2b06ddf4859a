#include "outside/stored_node.h"

#include <utility>

namespace tree {

std::shared_ptr<NodeStore> StoredNode::live() const {
    if (cleared_ || !data_->usable()) throw errControlDeleted();
    return data_->shared_from_this();
}

void StoredNode::failDeleted() { throw errControlDeleted(); }

int32_t StoredNode::indexIn(const NodeStore& store) const {
    return isCurrent(store) && store.usable() ? index_ : NoNode;
}

std::string StoredNode::Key() { return record().key; }
// Compared as image keys are: plain ASCII byte by byte, anything else by the
// full rule.
bool StoredNode::keyIs(std::string_view key) { return sameImageKey(record().key, key); }
std::string StoredNode::Text() { return record().text; }
void StoredNode::setText(const std::string& text) { live()->setText(index_, text); }
rt::Variant StoredNode::Tag() {
    NodeStore& s = current();
    return s.tag(index_);
}

void StoredNode::setTag(const rt::Variant& tag) {
    NodeStore& quiet = current();
    // A node that shares the slot of Empty or of the empty text lets go of
    // nothing that could run code.
    if (quiet.sharesTag(index_)) {
        quiet.setSharedTag(index_, tag);
        return;
    }
    auto s = live();
    // The old tag goes only after the new one is in place, while `s` still
    // holds the data: its release may run any code, this tree's included.
    rt::Variant old = s->exchangeTag(index_, tag);
}

rt::Variant StoredNode::Image() {
    NodeStore& s = current();
    return s.image(index_);
}
bool StoredNode::imageKeyIs(std::string_view key) {
    const NodeStore& s = current();
    // A walk mostly asks for the very key that the node bears, as the image
    // list spells it; identical bytes are equal under any case folding, so
    // that match needs no folding at all.
    const int32_t image = s.nodes[static_cast<size_t>(index_)].image;
    if (image < 0 && s.imageKeys[static_cast<size_t>(~image)] == key) return true;
    return s.imageKeyIs(index_, key);
}

// Changing the image key runs no outside code: a widget repaints later.
void StoredNode::setImage(const rt::Variant& image) { current().setImage(index_, image); }

rt::Ref<TreeNode> StoredNode::Child() {
    NodeStore& s = current();
    return s.objectOrNothing(s.nodes[index_].firstChild);
}

rt::Ref<TreeNode> StoredNode::Next() {
    NodeStore& s = current();
    return s.objectOrNothing(s.nodes[index_].next);
}

rt::Ref<TreeNode> StoredNode::Parent() {
    NodeStore& s = current();
    return s.objectOrNothing(s.nodes[index_].parent);
}

int32_t StoredNode::Children() { return record().children; }
int16_t StoredNode::Expanded() { return current().expanded(index_); }
// Opening, closing and selecting may make a widget emit signals.
void StoredNode::setExpanded(int16_t expanded) {
    NodeStore& s = current();
    if (s.opensQuietly(index_))
        s.setExpanded(index_, expanded);
    else
        live()->setExpanded(index_, expanded);
}
int16_t StoredNode::Selected() { return current().isSelected(index_) ? rt::True16 : rt::False16; }
void StoredNode::setSelected(int16_t selected) { live()->setSelected(index_, selected); }

std::shared_ptr<NodeStore> StoredNodes::live() const {
    auto s = store_.lock();
    if (!s) throw errControlDeleted();
    s->requireUsable();
    return s;
}

NodeStore& StoredNodes::current() const {
    if (store_.expired() || !data_->usable()) throw errControlDeleted();
    return *data_;
}

rt::Ref<TreeNode> StoredNodes::Item(const rt::Variant& indexOrKey) {
    NodeStore& s = current();
    return s.objectFor(s.indexOf(indexOrKey));
}

int32_t StoredNodes::Count() { return current().count(); }

rt::Ref<TreeNode> StoredNodes::Add(const rt::Variant& relative, const rt::Variant& relationship,
                                   const rt::Variant& key, const rt::Variant& text, const rt::Variant& image) {
    NodeStore& quiet = current();
    if (quiet.addsQuietly()) return quiet.objectFor(quiet.add(relative, relationship, key, text, image));
    auto s = live();
    const uint64_t generation = s->generation;
    const int32_t index = s->add(relative, relationship, key, text, image);
    // Outside code run by the add (a slot of the host on a widget's signals)
    // may have emptied the tree.
    if (s->generation != generation || !s->usable()) throw errControlDeleted();
    return s->objectFor(index);
}

rt::Ref<TreeNode> StoredNodes::addTexts(std::string_view relative, int32_t relationship, std::string_view key,
                                        std::string_view text, std::string_view image) {
    NodeStore& quiet = current();
    if (quiet.addsQuietly()) return quiet.objectFor(quiet.addTexts(relative, relationship, key, text, image));
    auto s = live();
    const uint64_t generation = s->generation;
    const int32_t index = s->addTexts(relative, relationship, key, text, image);
    if (s->generation != generation || !s->usable()) throw errControlDeleted();
    return s->objectFor(index);
}

void StoredNodes::Clear() { live()->clear(); }

}  // namespace tree
