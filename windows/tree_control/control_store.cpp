#include "windows/tree_control/control_store.h"

#include <algorithm>

#include <stdexcept>
#include <utility>

#include "windows/tree_control/control_accessible.h"

namespace win_tree {

std::wstring wideText(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string utf8Text(const wchar_t* text) {
    if (!text || !*text) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

ControlTreeView::Store::~Store() { dropControlImages(); }

int32_t ControlTreeView::Store::add(const rt::Variant& relative, const rt::Variant& relationship,
                                    const rt::Variant& key, const rt::Variant& text, const rt::Variant& image) {
    // Every check comes before the first change, so a failed add leaves the
    // tree and the control as they were.
    tree::NewNode node = prepare(relative, relationship, key, text, image);
    const int32_t index = count();
    const auto [parentIndex, before] = node.place;
    HTREEITEM after = TVI_LAST;
    if (before != NoNode) after = nodes[before].previous == NoNode ? TVI_FIRST : items[nodes[before].previous];
    std::wstring shown = wideText(node.record.text);
    const int picture = imageIndexFor(node.image);

    TVINSERTSTRUCTW insertion{};
    insertion.hParent = parentIndex == NoNode ? TVI_ROOT : items[parentIndex];
    insertion.hInsertAfter = after;
    insertion.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insertion.item.pszText = shown.data();
    insertion.item.lParam = index;
    insertion.item.iImage = picture;
    insertion.item.iSelectedImage = picture;
    // Nothing fails after the item is in; the room grows in doubling steps,
    // so that adding stays linear.
    if (items.size() == items.capacity()) items.reserve(std::max<size_t>(64, 2 * items.capacity()));
    const auto item = reinterpret_cast<HTREEITEM>(
        SendMessageW(window, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insertion)));
    if (!item) throw rt::Error(rt::errnum::OutOfMemory, "Out of memory");
    insert(std::move(node));
    items.push_back(item);
    // A node opened before it had children shows them open, as it was told.
    if (parentIndex != NoNode && expandedValues[static_cast<size_t>(parentIndex)] != 0 && nodes[parentIndex].children == 1)
        SendMessageW(window, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(items[parentIndex]));
    tellUnlessControlDoes(EVENT_OBJECT_CREATE, item);
    return index;
}

void ControlTreeView::Store::clear() {
    tree::DroppedNodes old = takeAll();
    items.clear();
    SendMessageW(window, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    tellUnlessControlDoes(EVENT_OBJECT_REORDER, nullptr);
    // `old` goes last, once the tree is consistent again: releasing a tag
    // may run any code.
}

void ControlTreeView::Store::forgetWindow() {
    windowGone = true;
    markUnusable();
    items.clear();
    childIds.clear();
    itemsByChildId.clear();
    tree::DroppedNodes old = takeAll();
}

int32_t ControlTreeView::Store::indexOfItem(HTREEITEM item) const {
    if (!item || windowGone) return NoNode;
    TVITEMW data{};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    if (!SendMessageW(window, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return NoNode;
    const auto index = static_cast<int32_t>(data.lParam);
    return index >= 0 && index < static_cast<int32_t>(items.size()) && items[index] == item ? index : NoNode;
}

void ControlTreeView::Store::setText(int32_t index, const std::string& text) {
    nodes[index].text = text;
    std::wstring shown = wideText(text);
    TVITEMW data{};
    data.mask = TVIF_TEXT | TVIF_HANDLE;
    data.hItem = items[index];
    data.pszText = shown.data();
    SendMessageW(window, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    tellUnlessControlDoes(EVENT_OBJECT_NAMECHANGE, items[index]);
}

void ControlTreeView::Store::setImage(int32_t index, const rt::Variant& image) {
    const ItemLook before = itemLook(*this, index);
    NodeStore::setImage(index, image);
    showImage(index);
    // Only the view knows what the image key means: the control cannot tell.
    if (itemLook(*this, index) != before) tell(EVENT_OBJECT_STATECHANGE, items[index]);
}

int16_t ControlTreeView::Store::expanded(int32_t index) const {
    // The user may have opened or closed the item since the last set; an
    // item without children keeps what it was told.
    const int16_t given = expandedValues[static_cast<size_t>(index)];
    if (nodes[index].children == 0) return given;
    const auto state = SendMessageW(window, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(items[index]), TVIS_EXPANDED);
    if (!(state & TVIS_EXPANDED)) return rt::False16;
    return given != 0 ? given : rt::True16;
}

void ControlTreeView::Store::setExpanded(int32_t index, int16_t value) {
    expandedValues[static_cast<size_t>(index)] = value;
    SendMessageW(window, TVM_EXPAND, value != 0 ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(items[index]));
}

bool ControlTreeView::Store::isSelected(int32_t index) const {
    return reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, TVGN_CARET, 0)) == items[index];
}

void ControlTreeView::Store::setSelected(int32_t index, int16_t selected) {
    if (selected != 0) {
        SendMessageW(window, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[index]));
    } else if (isSelected(index)) {
        SendMessageW(window, TVM_SELECTITEM, TVGN_CARET, 0);
    }
}

void ControlTreeView::Store::adoptItems() {
    std::vector<HTREEITEM> roots;
    for (auto item = reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, TVGN_ROOT, 0)); item;
         item = reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
        roots.push_back(item);
    for (HTREEITEM item : roots) adopt(item, NoNode);
}

int32_t ControlTreeView::Store::adopt(HTREEITEM item, int32_t parentIndex) {
    wchar_t text[1024] = {};
    TVITEMW data{};
    data.mask = TVIF_TEXT | TVIF_STATE | TVIF_HANDLE;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = static_cast<int>(std::size(text));
    data.stateMask = TVIS_EXPANDED;
    SendMessageW(window, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    const int32_t index = count();
    tree::NewNode node;
    node.record.text = utf8Text(text);
    node.place.parent = parentIndex;
    if (items.size() == items.capacity()) items.reserve(std::max<size_t>(64, 2 * items.capacity()));
    insert(std::move(node));
    items.push_back(item);
    expandedValues[static_cast<size_t>(index)] = (data.state & TVIS_EXPANDED) ? rt::True16 : rt::False16;
    // The item now tells its node by its lParam, and shows no picture of
    // the host's until a list is set.
    TVITEMW mark{};
    mark.mask = TVIF_PARAM | TVIF_HANDLE;
    mark.hItem = item;
    mark.lParam = index;
    SendMessageW(window, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&mark));
    for (auto child = reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
         child;
         child = reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child))))
        adopt(child, index);
    return index;
}

void ControlTreeView::Store::checkInvariants() const {
    NodeStore::checkInvariants();
    if (windowGone) return;
    if (items.size() != nodes.size()) broken("the control has not one item per node");
    // Each sibling list of the control in the order of the links.
    auto next = [&](HTREEITEM from, WPARAM how) {
        return reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(from)));
    };
    std::vector<std::pair<int32_t, HTREEITEM>> owners{{NoNode, nullptr}};
    while (!owners.empty()) {
        auto [owner, ownerItem] = owners.back();
        owners.pop_back();
        int32_t n = owner == NoNode ? firstRoot : nodes[owner].firstChild;
        HTREEITEM item = owner == NoNode ? next(nullptr, TVGN_ROOT) : next(ownerItem, TVGN_CHILD);
        for (; n != NoNode; n = nodes[n].next, item = next(item, TVGN_NEXT)) {
            if (item != items[n]) broken("the control's items under " + ownerName(owner) + " are out of order at " + nodeName(n));
            if (indexOfItem(item) != n) broken("the item of " + nodeName(n) + " does not name its node");
            owners.emplace_back(n, item);
        }
        if (item) broken("the control has an item more under " + ownerName(owner));
    }
}

}  // namespace win_tree
