#pragma once
// An in-memory tree view that behaves as the control does, for hosts without
// a window and for tests.
//
// Keys: node keys are unique and looked up without regard to case, as are
// image keys in the image list (one rule for both: rt::textEquals). A node
// added with the empty key has no key and cannot be found by key.
// Positions: 1 to Count in the order of adding; Clear empties the tree, and
// every node object taken before then fails with 35605 afterwards.
// Rows: the visible nodes (every ancestor expanded) in tree order, each
// RowHeight high from y = 0; HitTest finds the row under y for any x from 0
// to Width.

#include <memory>
#include <string>
#include <vector>

#include "outside/tree_events.h"
#include "outside/tree_model.h"

namespace tree {

class MemoryTreeView : public TreeView {
public:
    static constexpr float RowHeight = 16.0f;
    static constexpr float Width = 300.0f;

    MemoryTreeView();
    ~MemoryTreeView() override;

    rt::Ref<TreeNodes> Nodes() override;
    rt::Ref<ImageList> GetImageList() override;
    void SetImageList(const rt::Ref<ImageList>& list) override;
    int32_t LabelEdit() override;
    void setLabelEdit(int32_t mode) override;
    rt::Ref<TreeNode> HitTest(float x, float y) override;
    std::string ToolTipText() override;
    void setToolTipText(const std::string& text) override;
    int32_t advise(TreeViewEvents* listener) override;
    void unadvise(int32_t cookie) override;

    // What a user does, raised to every attached listener.
    void clickNode(const rt::Ref<TreeNode>& node);
    void clickNode(const std::string& key);  // 35601 when no node bears it
    void pressKey(int16_t keyCode, int16_t shift);
    void releaseKey(int16_t keyCode, int16_t shift);
    void movePointer(int16_t button, int16_t shift, float x, float y);

    // A tree view whose container offers no ToolTipText (both accessors 438).
    void setOffersToolTipText(bool offers);
    size_t listenerCount() const;
    // The top of a visible node's row, or -1 when it is not visible.
    float rowTop(const rt::Ref<TreeNode>& node);
    // The selected node, or nothing.
    rt::Ref<TreeNode> selectedNode();

    // Checks the parent and sibling links, child counts, positions and the
    // key index; throws std::logic_error naming the first broken one.
    void checkInvariants() const;

    struct Store;  // the node data, shared with the node objects

private:
    std::shared_ptr<Store> store_;
    rt::Ref<TreeNodes> nodes_;  // one collection object, made on first request
};

}  // namespace tree
