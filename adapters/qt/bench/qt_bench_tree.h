#pragma once
// What the Qt benchmarks share: a shown tree widget that the style manager
// drives through a Qt tree view, and a shown tree widget that direct Qt code
// drives, each with one section "S".
//
// A job ends when the widget has done all the work that the job gave it
// (subjects.h: drain), so work that either side puts off to a later run of
// the event loop is timed too.

#include <QIcon>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "adapters/qt/qt_model_tree_view.h"
#include "adapters/qt/qt_tree_view.h"
#include "outside/memory_tree.h"
#include "manager/style_manager.h"

namespace qt_bench {

inline const std::string Section = "S";

// "CB000001", "CB000002", ...
std::vector<std::string> itemKeys(const std::string& prefix, int64_t n);

// Lets the widgets paint and handles every pending event.
void settle();

// A shown widget of the size of a settings dialog's tree.
void showWidget(QWidget& widget);

// The ways every job is done: through the manager on the Qt tree view over
// a QTreeView (the subject), on the one that wraps a host's QTreeWidget, and
// on the in-memory tree view (what the manager costs without any widget);
// and directly against Qt (the baselines): a hand-written item model with
// the manager's pictures as icons or with check states, QStandardItemModel
// with checkable items, QTreeWidget with check states or icons. The
// hand-written model with icons also comes in a second form that has its
// widget lay all rows out instead of asking about each changed one, as the
// manager's model view does for a change of most rows, and in a third form
// that does the same and keeps its texts as the UTF-8 bytes that they come
// in, converted only for the rows shown, as the manager's model view does.
enum class Way {
    ManagerOnQt,
    ManagerOnQtWidget,
    ManagerOnMemory,
    HandModelIcons,
    HandModelIconsRelayout,
    HandModelUtf8,
    HandModelChecks,
    StandardModel,
    DirectCheckState,
    DirectIcon
};

inline bool byManager(Way way) {
    return way == Way::ManagerOnQt || way == Way::ManagerOnQtWidget || way == Way::ManagerOnMemory;
}

// Registers a job once for each way: "Job/manager_on_qt/32766", ...
#define QT_BENCH_JOB(job, ...)                                                                       \
    BENCHMARK_CAPTURE(job, manager_on_qt, Way::ManagerOnQt)->__VA_ARGS__;                            \
    BENCHMARK_CAPTURE(job, manager_on_qt_widget, Way::ManagerOnQtWidget)->__VA_ARGS__;               \
    BENCHMARK_CAPTURE(job, manager_on_memory, Way::ManagerOnMemory)->__VA_ARGS__;                    \
    BENCHMARK_CAPTURE(job, hand_model_icon, Way::HandModelIcons)->__VA_ARGS__;                       \
    BENCHMARK_CAPTURE(job, hand_model_icon_relayout, Way::HandModelIconsRelayout)->__VA_ARGS__;      \
    BENCHMARK_CAPTURE(job, hand_model_utf8, Way::HandModelUtf8)->__VA_ARGS__;                        \
    BENCHMARK_CAPTURE(job, hand_model_checkstate, Way::HandModelChecks)->__VA_ARGS__;                \
    BENCHMARK_CAPTURE(job, standard_model_checkstate, Way::StandardModel)->__VA_ARGS__;              \
    BENCHMARK_CAPTURE(job, tree_widget_checkstate, Way::DirectCheckState)->__VA_ARGS__;              \
    BENCHMARK_CAPTURE(job, tree_widget_icon, Way::DirectIcon)->__VA_ARGS__

// The style manager bound to a Qt tree view over a shown widget, or to an
// in-memory tree view; the section node is added by the manager, so the tree
// view holds the check-box pictures. Reports go to a sink that counts them.
struct ManagedTree {
    rt::Ref<tree::TreeView> tv;
    rt::Ref<Sarn10B::clsKwAmbrTvsA> manager = rt::make<Sarn10B::clsKwAmbrTvsA>();

    explicit ManagedTree(Way way);
    ~ManagedTree();
    ManagedTree(const ManagedTree&) = delete;
    ManagedTree& operator=(const ManagedTree&) = delete;

    void addSection();
    void addItems(const std::vector<std::string>& keys, int32_t style);
};

// What a Qt programmer writes for the same tree: items with a text, a key in
// the user role and a check state (or an icon), added in one batch.
struct DirectTree {
    std::unique_ptr<QTreeWidget> widget = std::make_unique<QTreeWidget>();
    QTreeWidgetItem* section = nullptr;
    bool icons;  // icons instead of check states
    QIcon on;
    QIcon off;

    explicit DirectTree(Way way);
    void addSection();
    void addItems(const std::vector<std::string>& keys);
    // Qt finds an item's row by searching its parent's children from the
    // end the first time it is asked (after that it remembers a guess): a
    // first walk over items added in one batch takes time in the square of
    // their number. The jobs that work on a tree made beforehand ask once
    // for every item first, so that they time the steady state.
    void learnRows();
};

int64_t reportCount();

// Runs the timed part of an iteration. Under callgrind started with
// --collect-atstart=no, only these parts are counted.
void countedPart(void (*part)(void*), void* context);
template <class Part>
void timed(Part&& part) {
    countedPart([](void* p) { (*static_cast<Part*>(p))(); }, &part);
}

// "per_item" as time per item; "reports" per iteration. A job that made a
// report is no fair figure: it is marked as failed.
void setPerItem(benchmark::State& state, int64_t itemsPerIteration, int64_t reportsBefore);

}  // namespace qt_bench
