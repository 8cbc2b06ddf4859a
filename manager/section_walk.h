#pragma once
// The walks that the operations share: reaching the bound tree view,
// addressing a section node, and running a 16-bit counter over a section's
// items. Each operation passes only what it does at each item.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "outside/trap.h"
#include "outside/tree_model.h"
#include "runtime/text.h"

namespace Sarn10B::walk {

// The tree view behind TreeViewObject: 91 when nothing is bound, 438 when the
// bound object is no tree view. The 438 names the member that the caller was
// about to use.
rt::Ref<tree::TreeView> boundTree(const rt::ObjectRef& treeViewObject, std::string_view member = "Nodes");

// boundTree for one operation that asks several times: the tree view is
// found once for as long as the same object is bound (finding it costs a
// cast through the object's classes). It holds the object that it found,
// so no other object can take that address while it remembers it.
class BoundTree {
public:
    const rt::Ref<tree::TreeView>& of(const rt::ObjectRef& treeViewObject, std::string_view member = "Nodes") {
        if (!tree_ || treeViewObject.get() != from_.get()) {
            tree_ = boundTree(treeViewObject, member);
            from_ = treeViewObject;
        }
        return tree_;
    }
    // What the caller found already: the tree view that an object is.
    void knowAlready(const rt::ObjectRef& treeViewObject, const rt::Ref<tree::TreeView>& tree) {
        if (!tree) return;
        from_ = treeViewObject;
        tree_ = tree;
    }

private:
    rt::ObjectRef from_;
    rt::Ref<tree::TreeView> tree_;
};

// The node itself; 91 when it is nothing. Inline: walks ask at every step.
[[noreturn]] void failNotSet();
inline tree::TreeNode& need(const rt::Ref<tree::TreeNode>& node) {
    if (!node) [[unlikely]]
        failNotSet();
    return *node;
}

// A node's image key equals a state key: only a text can (no image and a
// list position equal none).
bool imageIs(const rt::Variant& image, std::string_view stateKey);

// A node's key begins with the prefix, without regard to case.
bool keyHasPrefix(const std::string& key, std::string_view prefix);

// A section as one walk holds it: the section node, the current item and the
// 16-bit child count.
struct Section {
    rt::Ref<tree::TreeNode> node;
    rt::Ref<tree::TreeNode> item;
    int16_t count = 0;
};

enum class Order { FirstChildThenCount, CountThenFirstChild };

// Looks the section up by its key and reads its first child and child count,
// in the given order, each as one trapped step. A section that cannot be
// addressed gives three reports and a count of 0.
Section addressSection(outside::Trap& trap, const rt::ObjectRef& treeViewObject, const std::string& sSection,
                       Order order);

// Runs a 16-bit counter from 1 up to count, calling pass(i) each time; pass
// returns false to end early. Advancing the counter past 32767 overflows:
// that is reported and ends the walk.
template <class Pass>
void countTo(outside::Trap& trap, int16_t count, Pass pass) {
    for (int16_t i = 1; i <= count; ++i) {
        if (!pass(i)) return;
        if (i == std::numeric_limits<int16_t>::max()) {
            trap.fail(rt::errOverflow());
            return;
        }
    }
}

// Visits the section's items in sibling order: at each pass visit(item) runs
// (false ends the walk), then the item's next sibling becomes current, as a
// trapped step of its own. With a pass that says what visit does, a tree
// view that can runs the passes in place, and visit runs only where it
// stops.
template <class Visit>
void forEachItem(outside::Trap& trap, Section& section, Visit visit, const tree::SiblingPass* inPlace = nullptr) {
    constexpr int32_t last = std::numeric_limits<int16_t>::max();
    auto next = [&] { trap.step([&] { section.item = need(section.item).Next(); }); };
    for (int32_t i = 1; i <= section.count;) {
        // The pass at the counter's last value goes step by step, for the
        // overflow after it.
        if (inPlace && section.item && i < last) {
            tree::SiblingRun run;
            const int32_t passes = std::min<int32_t>(section.count, last - 1) - i + 1;
            trap.step([&] {
                const rt::Ref<tree::TreeNode> at = section.item;
                at->runSiblings(*inPlace, passes, section.item, run);
            });
            i += run.passes;
            if (run.visited) {
                next();
                ++i;
                continue;
            }
            if (i > section.count) return;
        }
        if (!visit(section.item)) return;
        next();
        if (i == last) {
            trap.fail(rt::errOverflow());
            return;
        }
        ++i;
    }
}

}  // namespace Sarn10B::walk
