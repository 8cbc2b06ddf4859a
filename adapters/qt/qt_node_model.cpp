#include "adapters/qt/qt_node_model.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QTreeView>
#include <algorithm>
#include <utility>

namespace qt_tree {
namespace {

const QEvent::Type TellOwedRows = static_cast<QEvent::Type>(QEvent::registerEventType());

}  // namespace

NodeModel::NodeModel(std::shared_ptr<ModelData> data, QObject* parent)
    : QAbstractItemModel(parent), data_(std::move(data)) {}

QModelIndex NodeModel::index(int row, int column, const QModelIndex& parent) const {
    const ModelData& data = *data_;
    // Telling owed rows is out of the way: a widget asks for the index of
    // every row that it lays out, and the rows are told by then.
    if (data.owedRows != 0) [[unlikely]]
        return indexAfterTelling(row, column, parent);
    // lookUp with no rows owed, as the widget asks most often.
    size_t list = 0;  // the roots
    if (parent.isValid()) {
        const quintptr node = parent.internalId();
        if (parent.model() != this || parent.column() != 0 || node >= data.rows.size()) return {};
        list = static_cast<size_t>(node) + 1;
    }
    const std::vector<int32_t>& children = data.childLists[list];
    if (column != 0 || static_cast<size_t>(static_cast<unsigned>(row)) >= children.size()) return {};
    return createIndex(row, 0, static_cast<quintptr>(children[static_cast<size_t>(row)]));
}

QModelIndex NodeModel::indexAfterTelling(int row, int column, const QModelIndex& parent) const {
    data_->tellOwedRows();
    return lookUp(row, column, parent);
}

QModelIndex NodeModel::parent(const QModelIndex& child) const {
    const int32_t node = ownNode(child);
    if (node == NoNode) return {};
    return nodeIndex(data_->nodes[node].parent);
}

int NodeModel::rowCount(const QModelIndex& parent) const {
    if (data_->owedRows != 0) data_->tellOwedRows();
    const int32_t owner = ownerOf(parent);
    return owner == Foreign ? 0 : data_->toldChildren(owner);
}

int NodeModel::columnCount(const QModelIndex& parent) const { return ownerOf(parent) == Foreign ? 0 : 1; }

bool NodeModel::hasChildren(const QModelIndex& parent) const {
    // A widget asks this of every row that it lays out. Rows owed to one
    // owner change only that owner's answer, from none to some: it is told
    // them before it answers.
    const ModelData& data = *data_;
    int32_t owner = NoNode;
    if (parent.isValid()) {
        const quintptr node = parent.internalId();
        if (parent.model() != this || parent.column() != 0 || node >= data.rows.size()) return false;
        owner = static_cast<int32_t>(node);
    }
    if (owner == data.owedOwner && data.owedRows != 0) [[unlikely]]
        return hasChildrenAfterTelling(owner);
    return !data.childLists[static_cast<size_t>(owner + 1)].empty();
}

bool NodeModel::hasChildrenAfterTelling(int32_t owner) const {
    data_->tellOwedRows();
    return data_->toldChildren(owner) > 0;
}

QVariant NodeModel::data(const QModelIndex& index, int role) const {
    const int32_t node = ownNode(index);
    if (node == NoNode) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return QString::fromStdString(data_->nodes[node].text);
        case Qt::DecorationRole:
            return data_->decorationOf(node);
        case Qt::UserRole:
            return QString::fromStdString(data_->nodes[node].key);
        default:
            return {};
    }
}

bool NodeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const int32_t node = ownNode(index);
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
    // No node is flagged as never having children: a widget refuses to
    // open such a node, and a host may open one before its children come.
    if (ownNode(index) == NoNode) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QModelIndex NodeModel::nodeIndex(int32_t node) const {
    if (node == NoNode) return {};
    return createIndex(data_->rows[static_cast<size_t>(node)], 0, static_cast<quintptr>(node));
}

bool NodeModel::event(QEvent* event) {
    if (event->type() != TellOwedRows) return QAbstractItemModel::event(event);
    owedRowsPosted_ = false;
    data_->tellOwedRows();
    return true;
}

void NodeModel::owesRows() {
    if (owedRowsPosted_) return;
    owedRowsPosted_ = true;
    // Ahead of the events already waiting, paints among them.
    QCoreApplication::postEvent(this, new QEvent(TellOwedRows), Qt::HighEventPriority);
}

void NodeModel::beginAdd(int32_t parent, int first, int last) {
    // Changed rows may move: tell them first.
    if (!changed_.empty()) tellImageChanges();
    beginInsertRows(nodeIndex(parent), first, last);
}

void NodeModel::endAdd() { endInsertRows(); }

void NodeModel::beginClear() {
    changed_.clear();
    beginResetModel();
}

void NodeModel::endClear() { endResetModel(); }

void NodeModel::textChanged(int32_t node) {
    const QModelIndex index = nodeIndex(node);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
}

void NodeModel::noteImageChange(int32_t node) {
    const int32_t owner = data_->nodes[node].parent;
    const int row = data_->rows[static_cast<size_t>(node)];
    if (!changed_.empty()) {
        Run& last = changed_.back();
        if (last.owner == owner && row >= last.first - 1 && row <= last.last + 1) {
            last.first = std::min(last.first, row);
            last.last = std::max(last.last, row);
            return;
        }
    }
    // Scattered changes are told in bursts, so that the list stays short.
    if (changed_.size() == 256) tellImageChanges();
    changed_.push_back({owner, row, row});
    tellSoon();
}

void NodeModel::tellSoon() {
    if (tellingPending_) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            tellingPending_ = false;
            tellImageChanges();
        },
        Qt::QueuedConnection);
    tellingPending_ = true;
}

void NodeModel::noteImageRows(int32_t owner, int first, int last) noexcept {
    try {
        changed_.push_back({owner, first, last});
        tellSoon();
    } catch (const std::exception&) {
        // Out of memory: a run of the same owner that covers more rows than
        // changed still tells every changed one.
        for (auto run = changed_.rbegin(); run != changed_.rend(); ++run) {
            if (run->owner != owner) continue;
            run->first = std::min(run->first, first);
            run->last = std::max(run->last, last);
            return;
        }
    }
}

void NodeModel::tellImageChanges() {
    const std::vector<Run> runs = std::exchange(changed_, {});
    // The widget asks the model about every row of a change, which costs it
    // about three times what laying out one row costs; unless a layout of
    // all rows is due anyway: then it only notes the change. For a change of
    // at least half the nodes, that layout (asked for by expanding nothing)
    // is the cheaper way.
    size_t rows = 0;
    for (const Run& run : runs) rows += static_cast<size_t>(run.last - run.first + 1);
    QTreeView* widget = data_->view;
    if (rows >= 64 && 2 * rows >= data_->nodes.size() && widget && widget->model() == this)
        widget->expandRecursively(QModelIndex(), 0);
    for (const Run& run : runs) {
        const QModelIndex owner = nodeIndex(run.owner);
        emit dataChanged(index(run.first, 0, owner), index(run.last, 0, owner), {Qt::DecorationRole});
    }
}

}  // namespace qt_tree
