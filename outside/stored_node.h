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
    StoredNode(NodeStore& store, int32_t index) noexcept : data_(&store), index_(index) {}
    StoredNode(const StoredNode&) = delete;
    StoredNode& operator=(const StoredNode&) = delete;

    // Node objects live in their store's blocks (node_object_blocks.h).
    static void* operator new(size_t size, NodeObjectBlocks& blocks) {
        (void)size;
        return blocks.take();
    }
    static void operator delete(void* room, NodeObjectBlocks&) noexcept {
        NodeObjectBlocks::giveBack(room, sizeof(StoredNode));
    }
    static void operator delete(void* room) noexcept { NodeObjectBlocks::giveBack(room, sizeof(StoredNode)); }

    std::string Key() override;
    bool keyIs(std::string_view key) override;
    std::string Text() override;
    void setText(const std::string& text) override;
    rt::Variant Tag() override;
    void setTag(const rt::Variant& tag) override;
    rt::Variant Image() override;
    bool imageKeyIs(std::string_view key) override;
    void setImage(const rt::Variant& image) override;
    rt::Ref<TreeNode> Child() override;
    rt::Ref<TreeNode> Next() override;
    rt::Ref<TreeNode> Parent() override;
    int32_t Children() override;
    int16_t Expanded() override;
    void setExpanded(int16_t expanded) override;
    int16_t Selected() override;
    void setSelected(int16_t selected) override;
    void runSiblings(const SiblingPass& pass, int32_t passes, rt::Ref<TreeNode>& current, SiblingRun& run) override;

    // Whether this node was made by the given data (which still exists),
    // whether it is a node of the data now (no clear since), and its index
    // there while it is a current node of usable data, or NoNode.
    bool belongsTo(const NodeStore& store) const noexcept { return data_ == &store; }
    bool isCurrent(const NodeStore& store) const noexcept { return data_ == &store && !cleared_; }
    int32_t indexIn(const NodeStore& store) const;

    // The data lets go of this node: it was cleared, or it goes itself.
    // Only the data calls this, for the objects that its records hold.
    void orphan(bool dataGone) noexcept {
        if (dataGone) data_ = nullptr;
        cleared_ = true;
    }

private:
    // The data while this node is in it; 35605 otherwise. Calls that may run
    // outside code (a released tag, a slot of the host on a widget's signals)
    // keep a reference to the data for the whole call, so that code that
    // lets the view go cannot pull the data away under them.
    std::shared_ptr<NodeStore> live() const;
    // The same check for calls that run no outside code: the data cannot go
    // during the call, so no reference is taken (walks call these for every
    // node, hence inline, with the failure out of line).
    NodeStore& current() const {
        if (cleared_ || !data_->usable()) [[unlikely]]
            failDeleted();
        return *data_;
    }
    [[noreturn]] static void failDeleted();
    NodeRecord& record() const { return current().nodes[static_cast<size_t>(index_)]; }

    // The data holds its node objects in its records, so a node needs no
    // counted watch of its own: the data orphans them when it is cleared or
    // goes. Kept small, since every node gets one.
    NodeStore* data_;  // nothing once the data is gone; followed only while not cleared
    int32_t index_;
    bool cleared_ = false;
};

class StoredNodes final : public TreeNodes {
public:
    explicit StoredNodes(const std::shared_ptr<NodeStore>& store) : store_(store), data_(store.get()) {}

    rt::Ref<TreeNode> Item(const rt::Variant& indexOrKey) override;
    int32_t Count() override;
    rt::Ref<TreeNode> Add(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                          const rt::Variant& text, const rt::Variant& image) override;
    rt::Ref<TreeNode> addTexts(std::string_view relative, int32_t relationship, std::string_view key,
                               std::string_view text, std::string_view image) override;
    void Clear() override;
    void expandRun(int32_t from, int32_t count, int16_t expanded, int32_t& done) override;

private:
    std::shared_ptr<NodeStore> live() const;
    NodeStore& current() const;  // as for the nodes

    std::weak_ptr<NodeStore> store_;
    NodeStore* data_;
};

}  // namespace tree
