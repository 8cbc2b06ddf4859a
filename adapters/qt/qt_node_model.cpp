#include "adapters/qt/qt_node_model.h"

#include <QMetaObject>
#include <utility>

namespace qt_tree {
namespace {

constexpr int32_t Foreign = -2;

}  // namespace

NodeModel::NodeModel(std::shared_ptr<ModelData> data, QObject* parent)
    : QAbstractItemModel(parent), data_(std::move(data)) {}

int32_t NodeModel::ownerOf(const QModelIndex& parent) const {
    if (!parent.isValid()) return NoNode;
    if (parent.model() != this || parent.column() != 0) return Foreign;
    const int32_t node = data_->nodeAt(parent);
    return node == NoNode ? Foreign : node;
}

QModelIndex NodeModel::index(int row, int column, const QModelIndex& parent) const {
    const int32_t owner = ownerOf(parent);
    if (owner == Foreign || column != 0 || row < 0) return {};
    const std::vector<int32_t>& children = data_->childrenOf(owner);
    if (static_cast<size_t>(row) >= children.size()) return {};
    return createIndex(row, 0, static_cast<quintptr>(children[static_cast<size_t>(row)]));
}

QModelIndex NodeModel::parent(const QModelIndex& child) const {
    const int32_t node = child.model() == this ? data_->nodeAt(child) : NoNode;
    if (node == NoNode) return {};
    return nodeIndex(data_->nodes[node].parent);
}

int NodeModel::rowCount(const QModelIndex& parent) const {
    const int32_t owner = ownerOf(parent);
    return owner == Foreign ? 0 : static_cast<int>(data_->childrenOf(owner).size());
}

int NodeModel::columnCount(const QModelIndex& parent) const { return ownerOf(parent) == Foreign ? 0 : 1; }

bool NodeModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant NodeModel::data(const QModelIndex& index, int role) const {
    const int32_t node = index.model() == this ? data_->nodeAt(index) : NoNode;
    if (node == NoNode) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return QString::fromStdString(data_->nodes[node].text);
        case Qt::DecorationRole:
            return data_->hasImage(node) ? QVariant(data_->iconOf(node)) : QVariant();
        case Qt::UserRole:
            return QString::fromStdString(data_->nodes[node].key);
        default:
            return {};
    }
}

bool NodeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const int32_t node = index.model() == this ? data_->nodeAt(index) : NoNode;
    if (node == NoNode || role != Qt::EditRole || !data_->usable()) return false;
    // An edit that leaves the text as shown keeps the node's own bytes,
    // which need not be UTF-8.
    std::string& text = data_->nodes[node].text;
    const QString edited = value.toString();
    if (edited == QString::fromStdString(text)) return true;
    text = edited.toStdString();
    textChanged(node);
    return true;
}

Qt::ItemFlags NodeModel::flags(const QModelIndex& index) const {
    if (index.model() != this || data_->nodeAt(index) == NoNode) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QModelIndex NodeModel::nodeIndex(int32_t node) const {
    if (node == NoNode) return {};
    return createIndex(data_->rows[static_cast<size_t>(node)], 0, static_cast<quintptr>(node));
}

void NodeModel::beginAdd(int32_t parent, int row) {
    // A run of changed rows may move: tell it first.
    if (changedFirst_ >= 0) tellImageChanges();
    beginInsertRows(nodeIndex(parent), row, row);
}

void NodeModel::endAdd() { endInsertRows(); }

void NodeModel::beginClear() {
    changedFirst_ = -1;
    beginResetModel();
}

void NodeModel::endClear() { endResetModel(); }

void NodeModel::textChanged(int32_t node) {
    const QModelIndex index = nodeIndex(node);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
}

void NodeModel::imageChanged(int32_t node) {
    const int32_t owner = data_->nodes[node].parent;
    const int row = data_->rows[static_cast<size_t>(node)];
    if (changedFirst_ >= 0 && owner == changedOwner_) {
        changedFirst_ = std::min(changedFirst_, row);
        changedLast_ = std::max(changedLast_, row);
    } else {
        if (changedFirst_ >= 0) tellImageChanges();
        changedOwner_ = owner;
        changedFirst_ = changedLast_ = row;
    }
    if (!tellingPending_) {
        tellingPending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                tellingPending_ = false;
                if (changedFirst_ >= 0) tellImageChanges();
            },
            Qt::QueuedConnection);
    }
}

void NodeModel::tellImageChanges() {
    const int first = std::exchange(changedFirst_, -1);
    const QModelIndex owner = nodeIndex(changedOwner_);
    emit dataChanged(index(first, 0, owner), index(changedLast_, 0, owner), {Qt::DecorationRole});
}

}  // namespace qt_tree
