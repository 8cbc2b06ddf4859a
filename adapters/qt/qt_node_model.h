#pragma once
// The nodes of a model tree view as a Qt item model, for any QTreeView: one
// column, a node's text for display and editing, its picture as decoration
// and its key under Qt::UserRole. The model reads the view's node data as it
// is asked; the data tells it of every change. Asking for rows first has the
// data tell the rows that it owes (qt_model_data.h).

#include <QAbstractItemModel>
#include <algorithm>
#include <memory>
#include <vector>

#include "adapters/qt/qt_model_data.h"

namespace qt_tree {

class NodeModel final : public QAbstractItemModel {
public:
    NodeModel(std::shared_ptr<ModelData> data, QObject* parent);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // A user's edit of a node's text.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool event(QEvent* event) override;

    QModelIndex nodeIndex(int32_t node) const;
    // The node data's changes, told to the views.
    void beginAdd(int32_t parent, int first, int last);
    // The data owes rows: they are told before the event loop handles
    // anything else.
    void owesRows();
    void endAdd();
    void beginClear();
    void endClear();
    void textChanged(int32_t node);
    // Told with the next run of the event loop, runs of rows at a time.
    void imageChanged(int32_t node) {
        // A walk over siblings changes the row after the last one.
        if (!changed_.empty()) {
            Run& last = changed_.back();
            const int row = data_->rows[static_cast<size_t>(node)];
            if (row == last.last + 1 && last.owner == data_->nodes[node].parent) {
                last.last = row;
                return;
            }
        }
        noteImageChange(node);
    }

    // The same for the rows first..last of an owner's children. Runs no
    // outside code: the rows are told later whatever their number.
    void imageRowsChanged(int32_t owner, int first, int last) noexcept {
        if (!changed_.empty()) {
            Run& run = changed_.back();
            if (run.owner == owner && first <= run.last + 1 && last >= run.first - 1) {
                run.first = std::min(run.first, first);
                run.last = std::max(run.last, last);
                return;
            }
        }
        noteImageRows(owner, first, last);
    }

private:
    // The node of an index of this model, or NoNode. A widget asks about
    // every row it lays out, several times: this is ModelData::nodeAt
    // without the way through the widget's model, inline.
    int32_t ownNode(const QModelIndex& index) const {
        if (index.model() != this) return NoNode;  // an invalid index has no model
        const quintptr node = index.internalId();
        return node < static_cast<quintptr>(data_->rows.size()) ? static_cast<int32_t>(node) : NoNode;
    }
    // The owner of an index's children: NoNode for the roots, or Foreign
    // for an index that is no node of this model.
    static constexpr int32_t Foreign = -2;
    int32_t ownerOf(const QModelIndex& parent) const {
        if (!parent.isValid()) return NoNode;
        if (parent.column() != 0) return Foreign;
        const int32_t node = ownNode(parent);
        return node == NoNode ? Foreign : node;
    }
    // index() and hasChildren() once the owed rows are told.
    QModelIndex indexAfterTelling(int row, int column, const QModelIndex& parent) const;
    bool hasChildrenAfterTelling(int32_t owner) const;
    // The index of a told row.
    QModelIndex lookUp(int row, int column, const QModelIndex& parent) const {
        const int32_t owner = ownerOf(parent);
        if (owner == Foreign || column != 0) return {};
        const ModelData& data = *data_;
        const std::vector<int32_t>& children = data.childrenOf(owner);
        // Rows still owed (while the model tells a change) are not there yet.
        size_t told = children.size();
        if (owner == data.owedOwner) told -= static_cast<size_t>(data.owedRows);
        if (static_cast<size_t>(static_cast<unsigned>(row)) >= told) return {};
        return createIndex(row, 0, static_cast<quintptr>(children[static_cast<size_t>(row)]));
    }
    void noteImageChange(int32_t node);
    void noteImageRows(int32_t owner, int first, int last) noexcept;
    void tellSoon();
    void tellImageChanges();

    std::shared_ptr<ModelData> data_;
    // Rows whose image changed and that are not told yet, as runs of
    // neighbouring rows under one owner.
    struct Run {
        int32_t owner;
        int first;
        int last;
    };
    std::vector<Run> changed_;
    bool tellingPending_ = false;
    bool owedRowsPosted_ = false;
};

}  // namespace qt_tree
