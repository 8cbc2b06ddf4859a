#pragma once
// The data of a tree view whose widget is any QTreeView showing the nodes
// through an item model (NodeModel). Besides the node data it keeps where
// each node stands among its siblings, which the model's indexes need: a
// node's row, and each owner's children by row.
//
// Rows appended one after another under one owner are told to the model's
// views as one insertion: the model counts them only once told, and tells
// them before anything can see them. Reading the model's rows, any other
// change of the tree, any request of the view for a node's row, and the
// event loop (before it paints or lays anything out) all tell the owed rows
// first. A node inserted before others is told at once.
//
// Image changes are told as changes of data, one per run of neighbouring
// rows, once the event loop runs again: a walk over a section changes many
// rows, and the model always reads the node data itself.

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
    // Rows appended under owedOwner and not told yet: the last owedRows of
    // its children.
    int32_t owedOwner = NoNode;
    int32_t owedRows = 0;

    ~ModelData() override;

    int32_t add(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                const rt::Variant& text, const rt::Variant& image) override;
    int32_t addTexts(std::string_view relative, int32_t relationship, std::string_view key, std::string_view text,
                     std::string_view image) override;
    void clear() override;
    void forgetWidget() override;

    int32_t nodeAt(const QModelIndex& index) const override;
    QModelIndex modelIndexOf(int32_t index) const override;
    const std::vector<int32_t>& childrenOf(int32_t owner) const { return childLists[static_cast<size_t>(owner + 1)]; }
    // How many of an owner's children the model has told.
    int32_t toldChildren(int32_t owner) const {
        const auto all = static_cast<int32_t>(childrenOf(owner).size());
        return owner == owedOwner ? all - owedRows : all;
    }
    // Tells the model's views of the owed rows.
    void tellOwedRows();

    void setText(int32_t index, const std::string& text) override;
    void setImage(int32_t index, const rt::Variant& image) override;
    int16_t expanded(int32_t index) const override;
    void setExpanded(int32_t index, int16_t expanded) override;
    // Only a node with children opens in the widget.
    bool opensQuietly(int32_t index) const override { return nodes[index].children == 0; }
    bool childlessOpenInPlace() const noexcept override { return true; }
    // The model notes changed rows and tells them once the event loop runs
    // again. Owed rows are told at the first change, as setImage tells them.
    InPlace imagesInPlace() const noexcept override { return owedRows == 0 && model ? InPlace::Told : InPlace::No; }
    void imagesStored(int32_t first, int32_t last) noexcept override;
    bool isSelected(int32_t index) const override;
    void setSelected(int32_t index, int16_t selected) override;

    void checkInvariants() const override;

private:
    // Adds a node whose arguments passed every check.
    int32_t addPrepared(tree::NewNode&& node);
    // The widget shows this data's model (a host may have given it another).
    bool showsModel() const;
    // Opens or closes a node with children in the widget.
    void showExpanded(int32_t index, bool open);
};

}  // namespace qt_tree
