#pragma once
// What every benchmark shares: a style manager bound to an in-memory tree
// view with one section "S", the direct walks that serve as baselines, and
// the per-item counter.
//
// A benchmark makes its tree before its timed loop; trees that a loop makes
// or drops are made and dropped with the timing paused.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "manager/style_manager.h"
#include "outside/memory_tree.h"

namespace bench {

// The section that every benchmark tree holds.
inline const std::string Section = "S";

// "CB00001", "CB00002", ...: n item keys with the given two-letter prefix.
std::vector<std::string> itemKeys(const std::string& prefix, int64_t n, int64_t first = 1);

// A fresh manager bound to a fresh tree view holding only the section node,
// added by the manager (so the tree view got the check-box image list). The
// hidden form is dropped first, and reports go to a sink that counts and
// discards them.
struct BoundTree {
    rt::Ref<tree::MemoryTreeView> tv = rt::make<tree::MemoryTreeView>();
    rt::Ref<Sarn10B::clsKwAmbrTvsA> manager = rt::make<Sarn10B::clsKwAmbrTvsA>();

    BoundTree();
    ~BoundTree();
    BoundTree(const BoundTree&) = delete;
    BoundTree& operator=(const BoundTree&) = delete;

    // Adds the items under the section through the manager.
    void addItems(const std::vector<std::string>& keys, int32_t style);
    rt::Ref<tree::TreeNode> node(const std::string& key);
};

// Reports made since the start of the process (the sink only counts them).
int64_t reportCount();

// Shows "per_item" as time per item (the inverse of items per second) and
// "reports" as reports per iteration. Call after the timed loop.
void setPerItem(benchmark::State& state, int64_t itemsPerIteration, int64_t reportsBefore);

// The direct walks: what a host that drives the tree view itself would write.
namespace direct {

// The item of the section whose key equals key, or nothing.
rt::Ref<tree::TreeNode> findItem(tree::TreeView& tv, const std::string& section, const std::string& key);
// The image key of a node equals a state key.
bool imageIs(tree::TreeNode& node, std::string_view stateKey);

}  // namespace direct

}  // namespace bench
