#include "adapters/qt/bench/qt_bench_tree.h"

#include <QApplication>
#include <QTest>
#include <atomic>
#include <cstdio>

#include "adapters/qt/qt_icons.h"
#include "manager/hidden_form.h"
#include "manager/pictures.h"
#include "outside/error_handler_standin.h"

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#endif

namespace qt_bench {
namespace {

std::atomic<int64_t> reports{0};

}  // namespace

std::vector<std::string> itemKeys(const std::string& prefix, int64_t n) {
    std::vector<std::string> keys;
    keys.reserve(static_cast<size_t>(n));
    char digits[24];
    for (int64_t i = 1; i <= n; ++i) {
        std::snprintf(digits, sizeof digits, "%06lld", static_cast<long long>(i));
        keys.push_back(prefix + digits);
    }
    return keys;
}

void settle() { QApplication::processEvents(); }

void showWidget(QWidget& widget) {
    widget.resize(360, 480);
    widget.show();
    if (!QTest::qWaitForWindowExposed(&widget)) std::fprintf(stderr, "the widget was not shown\n");
    settle();
}

ManagedTree::ManagedTree(Way way) {
    outside::registerErrorHandlerStandIn([](const std::string&) { reports.fetch_add(1, std::memory_order_relaxed); });
    Sarn10B::frmKwAmbrTvsA::drop();
    if (way == Way::ManagerOnQt) {
        auto qtView = rt::make<qt_tree::QtModelTreeView>();
        showWidget(*qtView->widget());
        tv = qtView;
    } else if (way == Way::ManagerOnQtWidget) {
        auto qtView = rt::make<qt_tree::QtTreeView>();
        showWidget(*qtView->widget());
        tv = qtView;
    } else {
        tv = rt::make<tree::MemoryTreeView>();
    }
    manager->setTreeViewObject(tv);
    addSection();
}

ManagedTree::~ManagedTree() {
    manager->setTreeViewObject(nullptr);
    Sarn10B::frmKwAmbrTvsA::drop();
}

void ManagedTree::addSection() {
    manager->AddNode({.sKey = Section, .sText = "Section", .enumTVSNodeStyle = Sarn10B::TVSNodeStyle_Default,
                      .bExpanded = rt::True16});
}

void ManagedTree::addItems(const std::vector<std::string>& keys, int32_t style) {
    for (const auto& key : keys)
        manager->AddNode(
            {.sRelative = Section, .sRelationship = tree::tvwChild, .sKey = key, .sText = key, .enumTVSNodeStyle = style});
}

DirectTree::DirectTree(Way way)
    : icons(way == Way::DirectIcon),
      on(qt_tree::iconOf(*Sarn10B::pictures::statePicture(0, "chkon"))),
      off(qt_tree::iconOf(*Sarn10B::pictures::statePicture(0, "chkoff"))) {
    widget->setHeaderHidden(true);
    widget->setUniformRowHeights(true);
    widget->setIconSize(QSize(qt_tree::IconSize, qt_tree::IconSize));
    showWidget(*widget);
    addSection();
}

void DirectTree::addSection() {
    section = new QTreeWidgetItem(widget.get(), QStringList(QStringLiteral("Section")));
    section->setExpanded(true);
}

void DirectTree::addItems(const std::vector<std::string>& keys) {
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(keys.size()));
    for (const auto& key : keys) {
        auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(key)));
        item->setData(0, Qt::UserRole, QString::fromStdString(key));
        if (icons)
            item->setIcon(0, off);
        else
            item->setCheckState(0, Qt::Unchecked);
        items.append(item);
    }
    section->addChildren(items);
}

void DirectTree::learnRows() {
    for (int i = 0, n = section->childCount(); i < n; ++i) (void)section->child(i)->isExpanded();
    settle();
}

int64_t reportCount() { return reports.load(std::memory_order_relaxed); }

void countedPart(void (*part)(void*), void* context) {
    CALLGRIND_TOGGLE_COLLECT;
    part(context);
    CALLGRIND_TOGGLE_COLLECT;
}

void setPerItem(benchmark::State& state, int64_t itemsPerIteration, int64_t reportsBefore) {
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["per_item"] = benchmark::Counter(iterations * static_cast<double>(itemsPerIteration),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    const int64_t made = reportCount() - reportsBefore;
    state.counters["reports"] = static_cast<double>(made) / iterations;
    if (made != 0) state.SkipWithError("the manager reported errors");
}

}  // namespace qt_bench
