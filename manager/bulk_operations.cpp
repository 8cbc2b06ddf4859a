// Operations over all items of a section: select all / invert, and the
// section query.
#include <algorithm>
#include <new>

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
    tree::SiblingPass pass;
    if (bInverse == 0) {
        pass.image = tree::SiblingPass::Image::Set;
        pass.set = bSelectAll == rt::True16 ? &on : &off;
    } else {
        pass.image = tree::SiblingPass::Image::Toggle;
        pass.firstKey = keys::CheckOn;
        pass.secondKey = keys::CheckOff;
        pass.firstImage = &on;
        pass.secondImage = &off;
    }
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
    }, &pass);
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
    // Where the tree view reads its items in place, each item's readings go
    // straight into the collections, which have room for them by then.
    struct Reader final : tree::SiblingReader {
        rt::Ref<rt::Collection>& states;
        rt::Ref<rt::Collection>& texts;
        rt::Ref<rt::Collection>& keys;
        const rt::Variant& on;
        const rt::Variant& off;
        Reader(rt::Ref<rt::Collection>& s, rt::Ref<rt::Collection>& t, rt::Ref<rt::Collection>& k,
               const rt::Variant& o, const rt::Variant& f)
            : states(s), texts(t), keys(k), on(o), off(f) {}
        bool take(int state, const std::string& text, const std::string& key) override {
            if (!texts || !keys || texts->spare() < (texts == keys ? 2u : 1u) || keys->spare() == 0) return false;
            if (state != 0 && (!states || states->spare() == 0)) return false;
            // With room for the items, only copying a text can fail: what
            // went in already comes out again.
            try {
                if (state != 0) states->Add(state == 1 ? on : off);
            } catch (const std::bad_alloc&) {
                return false;
            }
            try {
                texts->addText(text);
            } catch (const std::bad_alloc&) {
                if (state != 0) states->dropLast();
                return false;
            }
            try {
                keys->addText(key);
            } catch (const std::bad_alloc&) {
                texts->dropLast();
                if (state != 0) states->dropLast();
                return false;
            }
            return true;
        }
    } reader(states, texts, itemKeys, on, off);
    tree::SiblingPass pass;
    pass.reader = &reader;
    if (enumTypePrefix == TVSNodeType_CB || enumTypePrefix == TVSNodeType_OB) {
        const bool cb = enumTypePrefix == TVSNodeType_CB;
        pass.image = tree::SiblingPass::Image::Read;
        pass.firstKey = cb ? keys::CheckOn : keys::OptionOn;
        pass.secondKey = cb ? keys::CheckOff : keys::OptionOff;
    }
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
    }, &pass);
    if (!states) states = rt::make<rt::Collection>();
    return states;
}

}  // namespace Sarn10B
