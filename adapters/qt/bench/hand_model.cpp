#include "adapters/qt/bench/hand_model.h"

#include <utility>

namespace qt_bench {
namespace {

// The section's internal id is 0, an item's its row plus 1.
constexpr quintptr SectionId = 0;

const QString& shown(const QString& text) { return text; }
QString shown(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

template <class Text>
HandModel<Text>::HandModel(bool icons, QIcon on, QIcon off)
    : icons_(icons), on_(QVariant(std::move(on))), off_(QVariant(std::move(off))) {}

template <class Text>
QModelIndex HandModel<Text>::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid()) return row == 0 ? sectionIndex() : QModelIndex();
    if (parent.internalId() != SectionId || row >= static_cast<int>(items_.size())) return {};
    return createIndex(row, 0, static_cast<quintptr>(row) + 1);
}

template <class Text>
QModelIndex HandModel<Text>::parent(const QModelIndex& child) const {
    return child.isValid() && child.internalId() != SectionId ? sectionIndex() : QModelIndex();
}

template <class Text>
int HandModel<Text>::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return 1;
    return parent.internalId() == SectionId ? static_cast<int>(items_.size()) : 0;
}

template <class Text>
int HandModel<Text>::columnCount(const QModelIndex&) const { return 1; }

template <class Text>
QVariant HandModel<Text>::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (index.internalId() == SectionId) return role == Qt::DisplayRole ? QVariant(QStringLiteral("Section")) : QVariant();
    const Item& item = items_[index.internalId() - 1];
    switch (role) {
        case Qt::DisplayRole:
            return shown(item.text);
        case Qt::UserRole:
            return shown(item.key);
        case Qt::DecorationRole:
            return icons_ ? (item.on ? on_ : off_) : QVariant();
        case Qt::CheckStateRole:
            return icons_ ? QVariant() : QVariant(item.on ? Qt::Checked : Qt::Unchecked);
        default:
            return {};
    }
}

template <class Text>
Qt::ItemFlags HandModel<Text>::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    if (index.internalId() == SectionId) return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (!icons_) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

template <class Text>
void HandModel<Text>::append(std::vector<Item>&& items) {
    if (items.empty()) return;
    const int first = static_cast<int>(items_.size());
    beginInsertRows(sectionIndex(), first, first + static_cast<int>(items.size()) - 1);
    if (items_.empty())
        items_ = std::move(items);
    else
        items_.insert(items_.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
    endInsertRows();
}

template <class Text>
void HandModel<Text>::clear() {
    beginResetModel();
    items_.clear();
    endResetModel();
}

template <class Text>
void HandModel<Text>::tellStates() {
    if (runs_.empty()) return;
    const QModelIndex section = sectionIndex();
    const QList<int> roles{icons_ ? Qt::DecorationRole : Qt::CheckStateRole};
    if (runs_.size() > 8) runs_ = {{runs_.front().first, runs_.back().last}};
    for (const Run& run : runs_)
        emit dataChanged(index(run.first, 0, section), index(run.last, 0, section), roles);
}

template class HandModel<QString>;
template class HandModel<std::string>;

}  // namespace qt_bench
