#include "bench/bench_tree.h"

#include <atomic>
#include <cstdio>

#include "manager/hidden_form.h"
#include "outside/error_handler_standin.h"
#include "runtime/text.h"

namespace bench {
namespace {

std::atomic<int64_t> reports{0};

}  // namespace

std::vector<std::string> itemKeys(const std::string& prefix, int64_t n, int64_t first) {
    std::vector<std::string> keys;
    keys.reserve(static_cast<size_t>(n));
    char digits[24];  // room for any 64-bit number
    for (int64_t i = first; i < first + n; ++i) {
        std::snprintf(digits, sizeof digits, "%06lld", static_cast<long long>(i));
        keys.push_back(prefix + digits);
    }
    return keys;
}

BoundTree::BoundTree() {
    // A normal run makes no reports; a stray one must not flood the output.
    outside::registerErrorHandlerStandIn([](const std::string&) { reports.fetch_add(1, std::memory_order_relaxed); });
    Sarn10B::frmKwAmbrTvsA::drop();
    manager->setTreeViewObject(tv);
    manager->AddNode({.sKey = Section, .sText = "Section", .enumTVSNodeStyle = Sarn10B::TVSNodeStyle_Default});
}

BoundTree::~BoundTree() { Sarn10B::frmKwAmbrTvsA::drop(); }

void BoundTree::addItems(const std::vector<std::string>& keys, int32_t style) {
    for (const auto& key : keys)
        manager->AddNode(
            {.sRelative = Section, .sRelationship = tree::tvwChild, .sKey = key, .sText = key, .enumTVSNodeStyle = style});
}

rt::Ref<tree::TreeNode> BoundTree::node(const std::string& key) { return tv->Nodes()->Item(rt::Variant(key)); }

int64_t reportCount() { return reports.load(std::memory_order_relaxed); }

void setPerItem(benchmark::State& state, int64_t itemsPerIteration, int64_t reportsBefore) {
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["per_item"] = benchmark::Counter(iterations * static_cast<double>(itemsPerIteration),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["reports"] = static_cast<double>(reportCount() - reportsBefore) / iterations;
}

namespace direct {

rt::Ref<tree::TreeNode> findItem(tree::TreeView& tv, const std::string& section, const std::string& key) {
    for (auto item = tv.Nodes()->Item(rt::Variant(section))->Child(); item; item = item->Next())
        if (rt::textEquals(item->Key(), key)) return item;
    return nullptr;
}

bool imageIs(tree::TreeNode& node, std::string_view stateKey) {
    const rt::Variant image = node.Image();
    return image.isString() && rt::textEquals(std::get<std::string>(image.storage()), stateKey);
}

}  // namespace direct

}  // namespace bench
