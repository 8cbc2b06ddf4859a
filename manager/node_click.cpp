// A click on a node of the bound tree view: "CB" items toggle, "OB" items
// switch on and their "OB" siblings off.
#include "manager/section_walk.h"
#include "manager/style_manager.h"

namespace Sarn10B {

void clsKwAmbrTvsA::oTV_NodeClick(const rt::Ref<tree::TreeNode>& node) {
    rt::Ref<clsKwAmbrTvsA> keepAlive(this);  // a report may let the host release us
    outside::Trap trap("czAmbrTVS.oTV_NodeClick");
    using walk::need;

    trap.step([&] { tag_ = rt::toText(need(node).Tag()); });
    if (trap.test([&] { return tagInToolTip_ == rt::True16; })) {
        trap.step([&] {
            if (!oTV_) throw rt::errObjectNotSet();
            oTV_->setToolTipText(tag_);
        });
    }
    trap.step([&] { nodeChildren_ = rt::narrow16(need(node).Children()); });
    if (keyDown_ != 0) return;

    // A key that cannot be read fails the first test, which counts as
    // passed: the "CB" branch runs (and reports what fails in it).
    std::string key;
    if (trap.test([&] {
            key = need(node).Key();
            return walk::keyHasPrefix(key, keys::CheckBoxPrefix);
        })) {
        if (trap.test([&] { return need(node).imageKeyIs(keys::CheckOff); })) {
            trap.step([&] { need(node).setImage(std::string(keys::CheckOn)); });
        } else {
            trap.step([&] { need(node).setImage(std::string(keys::CheckOff)); });
        }
    } else if (trap.test([&] { return walk::keyHasPrefix(key, keys::OptionButtonPrefix); })) {
        // Two 16-bit counters: siblings visited, and the parent's child count.
        rt::Ref<tree::TreeNode> parent;
        rt::Ref<tree::TreeNode> current;
        int16_t n = 0;
        trap.step([&] { parent = need(node).Parent(); });
        trap.step([&] { n = rt::narrow16(need(parent).Children()); });
        auto advance = [&](int16_t i) {
            trap.step([&] { current = i == 0 ? need(parent).Child() : need(current).Next(); });
        };
        auto visit = [&] {
            if (trap.test([&] { return walk::keyHasPrefix(need(current).Key(), keys::OptionButtonPrefix); }))
                trap.step([&] { need(current).setImage(std::string(keys::OptionOff)); });
        };
        if (n > 0) {
            // Visiting an item and stepping to the next one is a pass that a
            // tree view may run in place.
            const rt::Variant off(keys::OptionOff);
            tree::SiblingPass pass;
            pass.onlyPrefix = true;
            pass.prefix = keys::OptionButtonPrefix;
            pass.image = tree::SiblingPass::Image::Set;
            pass.set = &off;
            advance(0);
            for (int16_t i = 0;;) {  // at item i, before its visit
                if (current && i < n - 1) {
                    tree::SiblingRun run;
                    trap.step([&] {
                        const rt::Ref<tree::TreeNode> at = current;
                        at->runSiblings(pass, n - 1 - i, current, run);
                    });
                    i = static_cast<int16_t>(i + run.passes);
                    if (run.visited) {
                        advance(++i);
                        continue;
                    }
                }
                visit();
                if (i == n - 1) break;
                advance(++i);
            }
        } else {
            for (int16_t i = 0; i != n; ++i) {
                advance(i);
                visit();
            }
        }
        trap.step([&] { need(node).setImage(std::string(keys::OptionOn)); });
    }
}

}  // namespace Sarn10B
