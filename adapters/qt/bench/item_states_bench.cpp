// Setting, inverting and reading the states of every item of a section on a
// shown tree.
#include "adapters/qt/bench/qt_bench_tree.h"
#include "runtime/collection.h"

namespace qt_bench {
namespace {

using Sarn10B::TVSNodeStyle_CheckBoxoff;
using Sarn10B::TVSNodeStyle_OptionButtonOff;
using Sarn10B::TVSNodeStyle_OptionButtonOn;

#define ITEM_SIZES Arg(1000)->Arg(8000)->Arg(32767)->Unit(benchmark::kMillisecond)->UseRealTime()

// Every item on, then every item off, and so on.
void SelectAll(benchmark::State& state, Way way) {
    const auto keys = itemKeys("CB", state.range(0));
    const int64_t reportsBefore = reportCount();
    bool on = true;
    if (byManager(way)) {
        ManagedTree t(way);
        t.addItems(keys, TVSNodeStyle_CheckBoxoff);
        settle();
        for (auto _ : state) {
            t.manager->CBSelectAll(Section, on ? rt::True16 : rt::False16, rt::False16);
            settle();
            on = !on;
        }
    } else {
        DirectTree d(way);
        d.addItems(keys);
        d.learnRows();
        for (auto _ : state) {
            const QIcon& icon = on ? d.on : d.off;
            const Qt::CheckState mark = on ? Qt::Checked : Qt::Unchecked;
            for (int i = 0, n = d.section->childCount(); i < n; ++i) {
                if (d.icons)
                    d.section->child(i)->setIcon(0, icon);
                else
                    d.section->child(i)->setCheckState(0, mark);
            }
            settle();
            on = !on;
        }
    }
    setPerItem(state, state.range(0), reportsBefore);
}
QT_BENCH_JOB(SelectAll, ITEM_SIZES);

// Every item flips; the direct code reads each state to flip it.
void Invert(benchmark::State& state, Way way) {
    const auto keys = itemKeys("CB", state.range(0));
    const int64_t reportsBefore = reportCount();
    if (byManager(way)) {
        ManagedTree t(way);
        t.addItems(keys, TVSNodeStyle_CheckBoxoff);
        settle();
        for (auto _ : state) {
            t.manager->CBSelectAll(Section, rt::False16, rt::True16);
            settle();
        }
    } else {
        DirectTree d(way);
        d.addItems(keys);
        d.learnRows();
        const qint64 offKey = d.off.cacheKey();
        for (auto _ : state) {
            for (int i = 0, n = d.section->childCount(); i < n; ++i) {
                QTreeWidgetItem* item = d.section->child(i);
                if (d.icons)
                    item->setIcon(0, item->icon(0).cacheKey() == offKey ? d.on : d.off);
                else
                    item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
            }
            settle();
        }
    }
    setPerItem(state, state.range(0), reportsBefore);
}
QT_BENCH_JOB(Invert, ITEM_SIZES);

// One option on, every other one off: the first and the last take turns.
void SelectOption(benchmark::State& state, Way way) {
    const auto keys = itemKeys("OB", state.range(0));
    const int64_t reportsBefore = reportCount();
    size_t which = 0;
    if (byManager(way)) {
        ManagedTree t(way);
        t.addItems(keys, TVSNodeStyle_OptionButtonOff);
        settle();
        for (auto _ : state) {
            t.manager->OBSetStyle(Section, keys[which], TVSNodeStyle_OptionButtonOn);
            settle();
            which = which == 0 ? keys.size() - 1 : 0;
        }
    } else {
        DirectTree d(way);
        d.addItems(keys);
        d.learnRows();
        for (auto _ : state) {
            for (int i = 0, n = d.section->childCount(); i < n; ++i) {
                const bool on = static_cast<size_t>(i) == which;
                if (d.icons)
                    d.section->child(i)->setIcon(0, on ? d.on : d.off);
                else
                    d.section->child(i)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
            }
            settle();
            which = which == 0 ? keys.size() - 1 : 0;
        }
    }
    setPerItem(state, state.range(0), reportsBefore);
}
QT_BENCH_JOB(SelectOption, ITEM_SIZES);

// Every state read back, with the texts and keys. The collections are
// dropped with the timing paused.
void ReadStates(benchmark::State& state, Way way) {
    const auto keys = itemKeys("CB", state.range(0));
    const int64_t reportsBefore = reportCount();
    if (byManager(way)) {
        ManagedTree t(way);
        t.addItems(keys, TVSNodeStyle_CheckBoxoff);
        settle();
        rt::Ref<rt::Collection> states;
        for (auto _ : state) {
            states = t.manager->QueryNodeCollection(Section);
            state.PauseTiming();
            if (states->Count() != state.range(0)) state.SkipWithError("the query did not collect every item");
            states = nullptr;
            t.manager->setQueryNodeTextCollection(nullptr);
            t.manager->setQueryNodeKeysCollection(nullptr);
            state.ResumeTiming();
        }
    } else {
        DirectTree d(way);
        d.addItems(keys);
        d.learnRows();
        const qint64 onKey = d.on.cacheKey();
        for (auto _ : state) {
            QList<bool> states;
            QStringList texts;
            QStringList itemKeys;
            for (int i = 0, n = d.section->childCount(); i < n; ++i) {
                const QTreeWidgetItem* item = d.section->child(i);
                states.append(d.icons ? item->icon(0).cacheKey() == onKey : item->checkState(0) == Qt::Checked);
                texts.append(item->text(0));
                itemKeys.append(item->data(0, Qt::UserRole).toString());
            }
            benchmark::DoNotOptimize(states.data());
            state.PauseTiming();
            states.clear();
            texts.clear();
            itemKeys.clear();
            state.ResumeTiming();
        }
    }
    setPerItem(state, state.range(0), reportsBefore);
}
QT_BENCH_JOB(ReadStates, ITEM_SIZES);

}  // namespace
}  // namespace qt_bench
