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
        for (int16_t i = 0; i != n; ++i) {
            trap.step([&] { current = i == 0 ? need(parent).Child() : need(current).Next(); });
            if (trap.test([&] { return walk::keyHasPrefix(need(current).Key(), keys::OptionButtonPrefix); }))
                trap.step([&] { need(current).setImage(std::string(keys::OptionOff)); });
        }
        trap.step([&] { need(node).setImage(std::string(keys::OptionOn)); });
    }
}

}  // namespace Sarn10B
