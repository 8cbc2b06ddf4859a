#pragma once
// The baseline that a Qt programmer writes when speed matters: a small item
// model over a vector of items (text, key, state) under one section row,
// shown in a QTreeView. Items never have children; a batch of new items is
// one insertion and a change of every item is one change of data. States
// show as check states or as icons (one shared icon for each state, kept
// as the variant that the model's data gives).
//
// Texts are kept as QStrings, converted once when added, or as the UTF-8
// bytes that they come in, converted only for the rows that the widget
// shows (as the manager's model view does).

#include <QAbstractItemModel>
#include <QIcon>
#include <QString>
#include <QVariant>
#include <string>
#include <vector>

namespace qt_bench {

template <class Text>
class HandModel final : public QAbstractItemModel {
public:
    struct Item {
        Text text;
        Text key;
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
    // The two icons as decorations, made once.
    QVariant on_;
    QVariant off_;
    std::vector<Item> items_;
    std::vector<Run> runs_;
};

extern template class HandModel<QString>;
extern template class HandModel<std::string>;

}  // namespace qt_bench
