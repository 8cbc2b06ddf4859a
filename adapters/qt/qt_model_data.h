#pragma once
// The data of a tree view whose widget is any QTreeView showing the nodes
// through an item model (NodeModel). Besides the node data it keeps where
// each node stands among its siblings, which the model's indexes need: a
// node's row, and each owner's children by row.
//
// The model learns of every new row as it is added (an appended row moves no
// other row, so Qt's views take it in cheaply); image changes are told as one
// change of data per run of rows, once the event loop runs again, because a
// walk over a section changes many rows and the model always reads the node
// data itself.

#include <QPointer>
#include <cstdint>
#include <memory>
#include <vector>

#include "adapters/qt/qt_view_data.h"

namespace qt_tree {

class NodeModel;

struct ModelData final : ViewData {
    QPointer<NodeModel> model;
    // [0] the roots, [i + 1] the children of node i, each in row order.
    std::vector<std::vector<int32_t>> childLists{1};
    std::vector<int32_t> rows;  // index as in nodes
    // The model is telling its views of a change: the tree stays as it is
    // until it has told them.
    bool changingRows = false;

    ~ModelData() override;
    bool usable() const noexcept override;

    int32_t add(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                const rt::Variant& text, const rt::Variant& image) override;
    void clear() override;
    void forgetWidget() override;

    int32_t nodeAt(const QModelIndex& index) const override;
    QModelIndex modelIndexOf(int32_t index) const override;
    const std::vector<int32_t>& childrenOf(int32_t owner) const { return childLists[static_cast<size_t>(owner + 1)]; }

    void setText(int32_t index, const std::string& text) override;
    void setImage(int32_t index, const rt::Variant& image) override;
    int16_t expanded(int32_t index) const override;
    void setExpanded(int32_t index, int16_t expanded) override;
    bool isSelected(int32_t index) const override;
    void setSelected(int32_t index, int16_t selected) override;

    void checkInvariants() const override;

private:
    // Opens or closes a node with children in the widget.
    void showExpanded(int32_t index, bool open);
};

}  // namespace qt_tree
