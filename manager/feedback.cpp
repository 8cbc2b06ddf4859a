// Keyboard and pointer feedback: the key-down flag, Ctrl+A, F10 and the
// selection that follows the pointer.
#include "manager/section_walk.h"
#include "manager/style_manager.h"
#include "runtime/msgbox.h"

namespace Sarn10B {
namespace {
constexpr int16_t KeyA = 65;
constexpr int16_t KeyF10 = 121;
constexpr int16_t CtrlAlone = 2;
constexpr int32_t InformationOk = 64;
}  // namespace

void clsKwAmbrTvsA::oTV_KeyDown(int16_t& keyCode, int16_t& shift) {
    rt::Ref<clsKwAmbrTvsA> keepAlive(this);
    auto trap = outside::Trap::silent();
    trap.step([&] { keyDown_ = rt::True16; });
    if (shift == CtrlAlone && keyCode == KeyA) {
        if (isExpanded_ == rt::True16)
            trap.step([&] { ExpandAll(rt::False16); });
        else if (isExpanded_ == rt::False16)
            trap.step([&] { ExpandAll(rt::True16); });
    } else if (keyCode == KeyF10) {
        trap.step([&] {
            rt::MsgBox(tag_ + " , " + std::to_string(nodeChildren_) + " More items. ", InformationOk,
                       "Item Desription...");
        });
    }
}

void clsKwAmbrTvsA::oTV_KeyUp(int16_t&, int16_t&) { keyDown_ = rt::False16; }

void clsKwAmbrTvsA::oTV_MouseMove(int16_t&, int16_t&, float& x, float& y) {
    if (hitTestOnMouseMove_ != rt::True16) return;
    rt::Ref<clsKwAmbrTvsA> keepAlive(this);
    outside::Trap trap("czAmbrTVS.oTV_MouseMove");
    rt::Ref<tree::TreeNode> node;
    trap.step([&] {
        if (!oTV_) throw rt::errObjectNotSet();
        node = oTV_->HitTest(x, y);
    });
    if (!node) return;
    trap.step([&] { node->setSelected(rt::True16); });
}

}  // namespace Sarn10B
