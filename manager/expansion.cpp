// Expanding or collapsing the whole tree, and asking a node for its children.
#include <algorithm>
#include <limits>

#include "manager/section_walk.h"
#include "manager/style_manager.h"

namespace Sarn10B {

using walk::need;

int16_t clsKwAmbrTvsA::ExpandAll(int16_t bExpandAll) {
    outside::Trap trap("czAmbrTVS.ExpandAll");
    // Without a count (no tree, or more nodes than 16 bits hold) there is no
    // bound for the walk: it stays at 0 and nothing is walked.
    int16_t count = 0;
    rt::Ref<tree::TreeNodes> nodes;
    trap.step([&] {
        nodes = walk::boundTree(treeViewObject_)->Nodes();
        count = rt::narrow16(nodes->Count());
    });
    constexpr int32_t last = std::numeric_limits<int16_t>::max();
    for (int32_t i = 1; i <= count;) {
        // A tree view that can sets a run of nodes in place; the node at the
        // counter's last value goes step by step, for the overflow after it.
        if (nodes && i < last) {
            const int32_t limit = std::min<int32_t>(count, last - 1) - i + 1;
            int32_t done = 0;
            bool failed = true;
            trap.step([&] {
                nodes->expandRun(i, limit, bExpandAll, done);
                failed = false;
            });
            // A failing node's step was reported just now; the step after
            // each node cannot fail.
            if (failed) ++done;
            if (done > 0) isExpanded_ = bExpandAll;
            i += done;
            if (failed) continue;
            if (i > count) break;
        }
        trap.step([&] { nodes->Item(rt::Variant(static_cast<int16_t>(i)))->setExpanded(bExpandAll); });
        trap.step([&] { isExpanded_ = bExpandAll; });
        if (i == last) {
            trap.fail(rt::errOverflow());
            break;
        }
        ++i;
    }
    return rt::False16;
}

int16_t clsKwAmbrTvsA::MoreChildrenDefault(const std::string& sSection, int32_t* lCount) {
    outside::Trap trap("czAmbrTVS.MoreChildrenDefault");
    int32_t omitted = 0;
    int32_t& count = lCount ? *lCount : omitted;
    int16_t result = rt::False16;
    rt::Ref<tree::TreeNode> node;

    trap.step([&] { node = walk::boundTree(treeViewObject_)->Nodes()->Item(rt::Variant(sSection)); });
    // Every image key differs from at least three of the four, so every node
    // passes; each comparison reads the image key afresh.
    if (trap.test([&] {
            const bool notOn = !need(node).imageKeyIs(keys::CheckOn);
            const bool notOff = !need(node).imageKeyIs(keys::CheckOff);
            const bool notOptOn = !need(node).imageKeyIs(keys::OptionOn);
            const bool notOptOff = !need(node).imageKeyIs(keys::OptionOff);
            return notOn || notOff || notOptOn || notOptOff;
        })) {
        if (trap.test([&] { return rt::narrow16(need(node).Children()) > 0; })) {
            result = rt::True16;
            trap.step([&] { count = rt::narrow16(need(node).Children()); });
        } else {
            result = rt::False16;
            trap.step([&] { count = rt::narrow16(need(node).Children()); });
        }
    }
    return result;
}

}  // namespace Sarn10B
