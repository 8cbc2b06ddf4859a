#pragma once
// The baseline that a Qt programmer writes when speed matters: a small item
// model over a vector of items (text, key, state) under one section row,
// shown in a QTreeView. Items never have children; a batch of new items is
// one insertion and a change of every item is one change of data. States
// show as check states or as icons (one shared icon for each state).

#include <QAbstractItemModel>
#include <QIcon>
#include <QString>
#include <vector>

namespace qt_bench {

class HandModel final : public QAbstractItemModel {
public:
    struct Item {
        QString text;
        QString key;
        bool on = false;
    };

    // With icons, `on` and `off` decorate the items instead of check states.
    HandModel(bool icons, QIcon on, QIcon off);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QModelIndex sectionIndex() const { return createIndex(0, 0, quintptr{0}); }
    const std::vector<Item>& items() const { return items_; }

    void append(std::vector<Item>&& items);
    void clear();
    // Each item's state by its row. Only the rows whose state changed are
    // told, as one change for each run of neighbouring rows; many scattered
    // runs are told as one change from the first to the last.
    template <class StateOfRow>
    void setStates(StateOfRow stateOf) {
        runs_.clear();
        for (size_t row = 0; row < items_.size(); ++row) {
            const bool on = stateOf(row, items_[row].on);
            if (on == items_[row].on) continue;
            items_[row].on = on;
            const int r = static_cast<int>(row);
            if (!runs_.empty() && runs_.back().last == r - 1)
                runs_.back().last = r;
            else
                runs_.push_back({r, r});
        }
        tellStates();
    }

private:
    struct Run {
        int first;
        int last;
    };
    void tellStates();

    bool icons_;
    QIcon on_;
    QIcon off_;
    std::vector<Item> items_;
    std::vector<Run> runs_;
};

}  // namespace qt_bench
