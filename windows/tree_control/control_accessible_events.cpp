// The child ids that assistive technology knows the control's items by, and
// the accessibility events that the view raises for them.
#include <string>

#include "runtime/text.h"
#include "windows/tree_control/control_accessible.h"

namespace win_tree {

using Store = ControlTreeView::Store;

ItemLook itemLook(const Store& store, int32_t index) {
    if (index == NoNode || index >= store.count()) return {};
    std::string key;
    try {
        const rt::Variant image = store.image(index);
        if (image.isString()) {
            key = rt::toText(image);
        } else if (image.isNumeric() && store.imageList) {
            key = store.imageList->ListImages()->Item(rt::toInt32(image))->Key();
        }
    } catch (const rt::Error&) {
        return {};
    }
    const std::string folded = rt::foldCase(key);
    ItemLook look;
    if (folded.starts_with("chk")) look.kind = ItemKind::CheckButton;
    else if (folded.starts_with("opt")) look.kind = ItemKind::OptionButton;
    look.checked = look.kind != ItemKind::OutlineItem && (folded == "chkon" || folded == "opton");
    return look;
}

LONG Store::childIdOf(HTREEITEM item) {
    if (!item || windowGone || !window) return 0;
    auto controlId = [&] {
        return static_cast<LONG>(SendMessageW(window, TVM_MAPHTREEITEMTOACCID, reinterpret_cast<WPARAM>(item), 0));
    };
    if (idScheme == ChildIdScheme::Unknown) idScheme = controlId() > 0 ? ChildIdScheme::Control : ChildIdScheme::Own;
    if (idScheme == ChildIdScheme::Control) return controlId();
    auto [at, added] = childIds.try_emplace(item, 0);
    if (added) {
        at->second = ++lastChildId;
        itemsByChildId.emplace(at->second, item);
    }
    return at->second;
}

HTREEITEM Store::itemOfChildId(LONG id) const {
    if (id <= 0 || windowGone || !window) return nullptr;
    switch (idScheme) {
        case ChildIdScheme::Control:
            return reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_MAPACCIDTOHTREEITEM, static_cast<WPARAM>(id), 0));
        case ChildIdScheme::Own: {
            auto at = itemsByChildId.find(id);
            return at == itemsByChildId.end() ? nullptr : at->second;
        }
        case ChildIdScheme::Unknown:
            break;
    }
    return nullptr;
}

void Store::tell(DWORD event, HTREEITEM item) {
    if (windowGone || !window) return;
    const LONG id = item ? childIdOf(item) : CHILDID_SELF;
    if (item && id == 0) return;
    NotifyWinEvent(event, window, OBJID_CLIENT, id);
}

void Store::tellUnlessControlDoes(DWORD event, HTREEITEM item) {
    if (item && idScheme == ChildIdScheme::Unknown) childIdOf(item);
    if (idScheme != ChildIdScheme::Control) tell(event, item);
}

void Store::itemDeleted(HTREEITEM item) {
    if (idScheme != ChildIdScheme::Own) return tellUnlessControlDoes(EVENT_OBJECT_DESTROY, item);
    // An item that no one was told of goes without a word.
    auto at = childIds.find(item);
    if (at == childIds.end()) return;
    tell(EVENT_OBJECT_DESTROY, item);
    itemsByChildId.erase(at->second);
    childIds.erase(at);
}

}  // namespace win_tree
