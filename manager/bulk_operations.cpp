// Operations over all items of a section: select all / invert, and the
// section query.
#include <algorithm>

#include "manager/section_walk.h"
#include "manager/style_manager.h"

namespace Sarn10B {

using walk::need;

int32_t clsKwAmbrTvsA::CBSelectAll(const std::string& sSection, int16_t bSelectAll, int16_t bInverse) {
    outside::Trap trap("czAmbrTVS.CBSelectAll");
    auto section = walk::addressSection(trap, treeViewObject_, sSection, walk::Order::FirstChildThenCount);
    const int32_t result = section.count;
    // The keys that the walk writes, made once rather than at every item.
    const rt::Variant on(keys::CheckOn), off(keys::CheckOff);
    walk::forEachItem(trap, section, [&](rt::Ref<tree::TreeNode>& item) {
        if (bInverse == 0) {
            const rt::Variant& key = bSelectAll == rt::True16 ? on : off;
            trap.step([&] { need(item).setImage(key); });
        } else if (trap.test([&] { return need(item).imageKeyIs(keys::CheckOn); })) {
            trap.step([&] { need(item).setImage(off); });
        } else if (trap.test([&] { return need(item).imageKeyIs(keys::CheckOff); })) {
            trap.step([&] { need(item).setImage(on); });
        }
        return true;
    });
    return result;
}

rt::Ref<rt::Collection> clsKwAmbrTvsA::QueryNodeCollection(const std::string& sSection, int32_t enumTypePrefix) {
    outside::Trap trap("czAmbrTVS.QueryNodeCollection");
    auto section = walk::addressSection(trap, treeViewObject_, sSection, walk::Order::CountThenFirstChild);
    // Each collection is asked for once and given room for the whole section
    // up front, so that an item costs its appends and nothing more.
    const auto room = static_cast<size_t>(std::max<int16_t>(section.count, 0));
    rt::Ref<rt::Collection> states;  // comes into being with its first entry
    rt::Ref<rt::Collection> texts, itemKeys;
    const rt::Variant on("True"), off("False");  // the two states, made once per call
    auto append = [&](const rt::Variant& state) {
        trap.step([&] {
            if (!states) {
                states = rt::make<rt::Collection>();
                states->reserveMore(room);
            }
            states->Add(state);
        });
    };
    auto into = [&](rt::Ref<rt::Collection>& held, rt::Ref<rt::Collection> (clsKwAmbrTvsA::*get)()) -> rt::Collection& {
        if (!held) {
            held = (this->*get)();
            held->reserveMore(room);
        }
        return *held;
    };
    walk::forEachItem(trap, section, [&](rt::Ref<tree::TreeNode>& item) {
        if (enumTypePrefix == TVSNodeType_CB || enumTypePrefix == TVSNodeType_OB) {
            const bool cb = enumTypePrefix == TVSNodeType_CB;
            if (trap.test([&] { return need(item).imageKeyIs(cb ? keys::CheckOn : keys::OptionOn); }))
                append(on);
            else if (trap.test([&] { return need(item).imageKeyIs(cb ? keys::CheckOff : keys::OptionOff); }))
                append(off);
        }
        trap.step([&] { into(texts, &clsKwAmbrTvsA::QueryNodeTextCollection).addText(need(item).Text()); });
        trap.step([&] { into(itemKeys, &clsKwAmbrTvsA::QueryNodeKeysCollection).addText(need(item).Key()); });
        return true;
    });
    if (!states) states = rt::make<rt::Collection>();
    return states;
}

}  // namespace Sarn10B
