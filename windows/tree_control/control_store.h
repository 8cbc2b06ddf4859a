#pragma once
// The data of one control tree view: the node data that every tree view
// keeps, the window and the item that shows each node (a vector indexed like
// the records; each item's lParam is its node's index), the control's image
// list built from the view's image list, and the view's own properties and
// listeners.

#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "outside/node_store.h"
#include "outside/tree_events.h"
#include "windows/tree_control/control_tree_view.h"

namespace win_tree {

using tree::NoNode;

struct ControlTreeView::Store final : tree::NodeStore {
    HWND window = nullptr;
    HWND parent = nullptr;  // the window that receives the control's notifications
    std::vector<HTREEITEM> items;  // index as in nodes
    bool viewGone = false;
    bool windowGone = false;
    bool ownsWindow = false;
    bool hooked = false;

    // The list as its owner gave it: a list of this module, or a list of
    // another module reached by name (then imageList is a copy of it,
    // read again when its keys change).
    rt::ObjectRef imageSource;
    // The control's image list: a blank picture at 0, then the list's
    // pictures at their positions; and the position of each folded key.
    HIMAGELIST himl = nullptr;
    const tree::ImageList* builtFrom = nullptr;
    uint64_t builtRevision = 0;
    std::unordered_map<std::string, int> imageIndex;

    int32_t labelEdit = 0;
    std::string toolTipText;
    HWND toolTip = nullptr;
    tree::EventSource events;
    // Where the left button went down last, for the click that follows.
    POINT lastPress{-1, -1};

    // What assistive technology is told (control_accessible*.cpp). Items go
    // by child ids: the control's own where it gives them (it then tells
    // focus, selection, opening and closing, names, new and deleted items
    // itself), else ids of our own, given once each.
    enum class ChildIdScheme { Unknown, Control, Own };
    ChildIdScheme idScheme = ChildIdScheme::Unknown;
    std::unordered_map<HTREEITEM, LONG> childIds;
    std::unordered_map<LONG, HTREEITEM> itemsByChildId;
    LONG lastChildId = 0;
    bool expandMessage = false;  // inside a TVM_EXPAND that the hooks tell of
    IAccessible* accessible = nullptr;  // made on first request
    std::vector<IAccessible*> accessibleCopies;  // its enumerators' clones

    ~Store() override;

    int32_t add(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                const rt::Variant& text, const rt::Variant& image) override;
    void clear() override;
    void setText(int32_t index, const std::string& text) override;
    void setImage(int32_t index, const rt::Variant& image) override;
    int16_t expanded(int32_t index) const override;
    void setExpanded(int32_t index, int16_t expanded) override;
    bool isSelected(int32_t index) const override;
    void setSelected(int32_t index, int16_t selected) override;
    void checkInvariants() const override;

    // The host's items of a wrapped window become nodes without key.
    void adoptItems();
    // The window is being destroyed: forget the items without touching them.
    void forgetWindow();
    // The index of the node that an item shows, or NoNode.
    int32_t indexOfItem(HTREEITEM item) const;

    // Image lists (control_images.cpp).
    void setImageSource(const rt::ObjectRef& source, const rt::Ref<tree::ImageList>& local);
    // Reads a list of another module again when its keys changed; builds the
    // control's list again when the pictures changed. Returns whether the
    // control's list was built anew.
    bool syncImages();
    int imageIndexFor(const rt::Variant& image) const;
    void showImage(int32_t index);
    void dropControlImages();

    // Assistive technology (control_accessible*.cpp). The child id of an
    // item (0 for none), and the item of a child id (nullptr when it names
    // none).
    LONG childIdOf(HTREEITEM item);
    HTREEITEM itemOfChildId(LONG id) const;
    // Raises an accessibility event for an item, or for the control with a
    // null item. The second form only where the control raises none itself.
    void tell(DWORD event, HTREEITEM item);
    void tellUnlessControlDoes(DWORD event, HTREEITEM item);
    // The item is being deleted: told, and its child id forgotten.
    void itemDeleted(HTREEITEM item);
    // The answer to WM_GETOBJECT for the client area; 0 for other objects.
    LRESULT answerGetObject(WPARAM flags, LPARAM object);
    // Disconnects the accessible object from its clients: their calls fail
    // from now on.
    void dropAccessible();

protected:
    bool listHasKey(const std::string& key) const override;

private:
    std::shared_ptr<Store> self() { return std::static_pointer_cast<Store>(shared_from_this()); }
    int32_t adopt(HTREEITEM item, int32_t parent);
};

// Hooks into the window and its parent (control_hooks.cpp).
void hookWindow(const std::shared_ptr<ControlTreeView::Store>& store);
void unhookWindow(ControlTreeView::Store& store);

// The platform's texts.
std::wstring wideText(const std::string& utf8);
std::string utf8Text(const wchar_t* text);

}  // namespace win_tree
