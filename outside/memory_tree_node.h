#pragma once
// The objects that an in-memory tree view hands out: its nodes and its nodes
// collection. Both watch the tree's data without keeping it alive and fail
// with 35605 once it is gone (the view was released) or, for a node, once the
// tree was cleared.

#include <memory>

#include "outside/memory_tree_store.h"

namespace tree {

class MemoryTreeNode final : public TreeNode {
public:
    using Store = MemoryTreeView::Store;

    MemoryTreeNode(const std::shared_ptr<Store>& store, int32_t index);

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

    // Whether this node belongs to the given tree data, and whether it is
    // still in it (not cleared since).
    bool belongsTo(const Store& store) const;
    bool isCurrent(const Store& store) const noexcept { return store.generation == generation_; }
    int32_t index() const noexcept { return index_; }

private:
    // The tree data while this node is in it; 35605 otherwise. Callers keep
    // the pointer for the whole call, so that a tag or listener that lets the
    // view go cannot pull the data away under them.
    std::shared_ptr<Store> live() const;

    std::weak_ptr<Store> store_;
    uint64_t generation_;
    int32_t index_;
};

class MemoryTreeNodes final : public TreeNodes {
public:
    using Store = MemoryTreeView::Store;

    explicit MemoryTreeNodes(const std::shared_ptr<Store>& store) : store_(store) {}

    rt::Ref<TreeNode> Item(const rt::Variant& indexOrKey) override;
    int32_t Count() override;
    rt::Ref<TreeNode> Add(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                          const rt::Variant& text, const rt::Variant& image) override;
    void Clear() override;

private:
    std::shared_ptr<Store> live() const;

    std::weak_ptr<Store> store_;
};

}  // namespace tree
