#pragma once
// The objects that a tree view hands out for its node data: its nodes and its
// nodes collection. Both watch the data without keeping it alive and fail
// with 35605 once it is gone or unusable (the view was released, or what
// shows the nodes is gone) or, for a node, once the tree was cleared.
//
// Every tree view hands out these same objects: what a node shows itself
// (text, image, open and selected state) goes through the view's data, which
// keeps it its own way.

#include <memory>

#include "outside/node_store.h"

namespace tree {

class StoredNode final : public TreeNode {
public:
    // The store watches itself weakly; taking that watch straight from it
    // costs one count where going through a strong reference costs three.
    StoredNode(std::weak_ptr<NodeStore> store, NodeStore& data, int32_t index);
    ~StoredNode() override;
    StoredNode(const StoredNode&) = delete;
    StoredNode& operator=(const StoredNode&) = delete;

    std::string Key() override;
    std::string Text() override;
    void setText(const std::string& text) override;
    rt::Variant Tag() override;
    void setTag(const rt::Variant& tag) override;
    rt::Variant Image() override;
    void setImage(const rt::Variant& image) override;
    rt::Ref<TreeNode> Child() override;
    rt::Ref<TreeNode> Next() override;
    rt::Ref<TreeNode> Parent() override;
    int32_t Children() override;
    int16_t Expanded() override;
    void setExpanded(int16_t expanded) override;
    int16_t Selected() override;
    void setSelected(int16_t selected) override;

    // Whether this node was made by the given data, whether it was made
    // since the data's last clear, and its index there while it is a
    // current node of usable data, or NoNode.
    bool belongsTo(const NodeStore& store) const { return !store_.expired() && data_ == &store; }
    bool isCurrent(const NodeStore& store) const noexcept { return store.generation == generation_; }
    int32_t indexIn(const NodeStore& store) const;

private:
    // The data while this node is in it; 35605 otherwise. Calls that may run
    // outside code (a released tag, a slot of the host on a widget's signals)
    // keep the pointer for the whole call, so that code that lets the view go
    // cannot pull the data away under them.
    std::shared_ptr<NodeStore> live() const;
    // The same check for calls that run no outside code: the data cannot go
    // during the call, so no reference is taken (walks call these for every
    // node).
    NodeStore& current() const;
    NodeRecord& record() const { return current().nodes[index_]; }

    std::weak_ptr<NodeStore> store_;
    NodeStore* data_;  // valid while store_ has not expired
    uint64_t generation_;
    int32_t index_;
};

class StoredNodes final : public TreeNodes {
public:
    explicit StoredNodes(const std::shared_ptr<NodeStore>& store) : store_(store), data_(store.get()) {}

    rt::Ref<TreeNode> Item(const rt::Variant& indexOrKey) override;
    int32_t Count() override;
    rt::Ref<TreeNode> Add(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                          const rt::Variant& text, const rt::Variant& image) override;
    void Clear() override;

private:
    std::shared_ptr<NodeStore> live() const;
    NodeStore& current() const;  // as for the nodes

    std::weak_ptr<NodeStore> store_;
    NodeStore* data_;
};

}  // namespace tree
