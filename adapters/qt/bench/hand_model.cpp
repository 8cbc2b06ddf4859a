#include "adapters/qt/bench/hand_model.h"

#include <utility>

namespace qt_bench {
namespace {

// The section's internal id is 0, an item's its row plus 1.
constexpr quintptr SectionId = 0;

}  // namespace

HandModel::HandModel(bool icons, QIcon on, QIcon off) : icons_(icons), on_(std::move(on)), off_(std::move(off)) {}

QModelIndex HandModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid()) return row == 0 ? sectionIndex() : QModelIndex();
    if (parent.internalId() != SectionId || row >= static_cast<int>(items_.size())) return {};
    return createIndex(row, 0, static_cast<quintptr>(row) + 1);
}

QModelIndex HandModel::parent(const QModelIndex& child) const {
    return child.isValid() && child.internalId() != SectionId ? sectionIndex() : QModelIndex();
}

int HandModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return 1;
    return parent.internalId() == SectionId ? static_cast<int>(items_.size()) : 0;
}

int HandModel::columnCount(const QModelIndex&) const { return 1; }

QVariant HandModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (index.internalId() == SectionId) return role == Qt::DisplayRole ? QVariant(QStringLiteral("Section")) : QVariant();
    const Item& item = items_[index.internalId() - 1];
    switch (role) {
        case Qt::DisplayRole:
            return item.text;
        case Qt::UserRole:
            return item.key;
        case Qt::DecorationRole:
            return icons_ ? QVariant(item.on ? on_ : off_) : QVariant();
        case Qt::CheckStateRole:
            return icons_ ? QVariant() : QVariant(item.on ? Qt::Checked : Qt::Unchecked);
        default:
            return {};
    }
}

Qt::ItemFlags HandModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    if (index.internalId() == SectionId) return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (!icons_) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

void HandModel::append(std::vector<Item>&& items) {
    if (items.empty()) return;
    const int first = static_cast<int>(items_.size());
    beginInsertRows(sectionIndex(), first, first + static_cast<int>(items.size()) - 1);
    if (items_.empty())
        items_ = std::move(items);
    else
        items_.insert(items_.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
    endInsertRows();
}

void HandModel::clear() {
    beginResetModel();
    items_.clear();
    endResetModel();
}

void HandModel::tellStates() {
    if (runs_.empty()) return;
    const QModelIndex section = sectionIndex();
    const QList<int> roles{icons_ ? Qt::DecorationRole : Qt::CheckStateRole};
    if (runs_.size() > 8) runs_ = {{runs_.front().first, runs_.back().last}};
    for (const Run& run : runs_)
        emit dataChanged(index(run.first, 0, section), index(run.last, 0, section), roles);
}

}  // namespace qt_bench
