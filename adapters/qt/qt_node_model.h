#pragma once
// The nodes of a model tree view as a Qt item model, for any QTreeView: one
// column, a node's text for display and editing, its picture as decoration
// and its key under Qt::UserRole. The model reads the view's node data as it
// is asked; the data tells it of every change. Asking for rows first has the
// data tell the rows that it owes (qt_model_data.h).

#include <QAbstractItemModel>
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
    void imageChanged(int32_t node);

private:
    // The node of an index of this model, or NoNode. The views ask for
    // every row that a change touches, several times: this is
    // ModelData::nodeAt without the way through the widget's model.
    int32_t ownNode(const QModelIndex& index) const {
        if (!index.isValid() || index.model() != this) return NoNode;
        const quintptr node = index.internalId();
        return node < static_cast<quintptr>(data_->nodes.size()) ? static_cast<int32_t>(node) : NoNode;
    }
    // The owner of an index's children: NoNode for the roots, or -2 for an
    // index that is no node of this model.
    int32_t ownerOf(const QModelIndex& parent) const;
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
