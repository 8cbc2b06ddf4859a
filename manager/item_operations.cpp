// Operations on one item, addressed by section key and item key: two writers
// (CBSetStyle, OBSetStyle) and three readers over one shared walk.
#include "manager/section_walk.h"
#include "manager/style_manager.h"

namespace Sarn10B {
namespace {

using walk::need;

// Walks the section's items in sibling order. The first item whose key
// equals sKey gets act(item) and ends the walk unless keepWalking; every
// other item gets other(item), which is giving it otherImage when that is
// given and nothing otherwise.
template <class Act, class Other>
void findItem(outside::Trap& trap, const rt::ObjectRef& tv, const std::string& sSection, const std::string& sKey,
              bool keepWalking, Act act, Other other, const rt::Variant* otherImage) {
    auto section = walk::addressSection(trap, tv, sSection, walk::Order::FirstChildThenCount);
    tree::SiblingPass pass;
    pass.stopAtKey = true;
    pass.stopKey = sKey;
    if (otherImage) {
        pass.image = tree::SiblingPass::Image::Set;
        pass.set = otherImage;
    }
    walk::forEachItem(trap, section, [&](rt::Ref<tree::TreeNode>& item) {
        if (trap.test([&] { return need(item).keyIs(sKey); })) {
            act(item);
            return keepWalking;
        }
        other(item);
        return true;
    }, &pass);
}

template <class Act>
void findItem(outside::Trap& trap, const rt::ObjectRef& tv, const std::string& sSection, const std::string& sKey,
              Act act) {
    findItem(trap, tv, sSection, sKey, false, act, [](rt::Ref<tree::TreeNode>&) {}, nullptr);
}

}  // namespace

int32_t clsKwAmbrTvsA::CBSetStyle(const std::string& sSection, const std::string& sKey, int32_t enumTVSNodeStyle) {
    outside::Trap trap("czAmbrTVS.CBSetStyle");
    std::string imageKey;
    if (enumTVSNodeStyle == TVSNodeStyle_CheckBoxoff || enumTVSNodeStyle == TVSNodeStyle_CheckBoxOn)
        imageKey = std::string(stateKeyOfStyle(enumTVSNodeStyle));
    findItem(trap, treeViewObject_, sSection, sKey, [&](rt::Ref<tree::TreeNode>& item) {
        trap.step([&] { need(item).setImage(imageKey); });
    });
    return 0;
}

int32_t clsKwAmbrTvsA::OBSetStyle(const std::string& sSection, const std::string& sKey, int32_t enumTVSNodeStyle) {
    outside::Trap trap("czAmbrTVS.OBSetStyle");
    std::string imageKey;
    if (enumTVSNodeStyle == TVSNodeStyle_OptionButtonOff || enumTVSNodeStyle == TVSNodeStyle_OptionButtonOn)
        imageKey = std::string(stateKeyOfStyle(enumTVSNodeStyle));
    const rt::Variant off(keys::OptionOff);  // made once, not at every sibling
    findItem(
        trap, treeViewObject_, sSection, sKey, true,
        [&](rt::Ref<tree::TreeNode>& item) { trap.step([&] { need(item).setImage(imageKey); }); },
        [&](rt::Ref<tree::TreeNode>& item) { trap.step([&] { need(item).setImage(off); }); }, &off);
    return 0;
}

int32_t clsKwAmbrTvsA::GetTVSNodeStyle(const std::string& sSection, const std::string& sKey) {
    outside::Trap trap("czAmbrTVS.GetTVSNodeStyle");
    int32_t result = TVSNodeStyle_Default;
    findItem(trap, treeViewObject_, sSection, sKey, [&](rt::Ref<tree::TreeNode>& item) {
        trap.step([&] {
            const rt::Variant image = need(item).Image();
            for (int32_t style : {TVSNodeStyle_CheckBoxoff, TVSNodeStyle_OptionButtonOff, TVSNodeStyle_CheckBoxOn,
                                  TVSNodeStyle_OptionButtonOn})
                if (walk::imageIs(image, stateKeyOfStyle(style))) {
                    result = style;
                    return;
                }
        });
    });
    return result;
}

int16_t clsKwAmbrTvsA::CBOBGetState(const std::string& sSection, const std::string& sKey) {
    outside::Trap trap("czAmbrTVS.CBOBGetState");
    int16_t result = rt::False16;
    findItem(trap, treeViewObject_, sSection, sKey, [&](rt::Ref<tree::TreeNode>& item) {
        trap.step([&] {
            const rt::Variant image = need(item).Image();
            if (walk::imageIs(image, keys::CheckOn) || walk::imageIs(image, keys::OptionOn)) result = rt::True16;
        });
    });
    return result;
}

std::string clsKwAmbrTvsA::NodeGetText(const std::string& sSection, const std::string& sKey) {
    outside::Trap trap("czAmbrTVS.NodeGetText");
    std::string result;
    findItem(trap, treeViewObject_, sSection, sKey,
             [&](rt::Ref<tree::TreeNode>& item) { trap.step([&] { result = need(item).Text(); }); });
    return result;
}

rt::Variant clsKwAmbrTvsA::OBSelectIndex(const std::string& sSection, int32_t /*lIndex: accepted, not read*/) {
    outside::Trap trap("czAmbrTVS.OBSelectIndex");
    walk::addressSection(trap, treeViewObject_, sSection, walk::Order::FirstChildThenCount);
    return {};
}

}  // namespace Sarn10B
