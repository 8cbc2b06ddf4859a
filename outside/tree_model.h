#pragma once
// The tree view as the style manager sees it: a tree view with its nodes
// collection, nodes and one image list, and the four events it raises. The
// in-memory tree view and every adapter to a real control implement these
// interfaces; the manager knows nothing else of the control.
//
// Every operation reports failure by throwing rt::Error with the control's
// numbers (below) or the runtime's.

#include <cstdint>
#include <string>
#include <string_view>

#include "outside/image_list.h"
#include "runtime/object.h"
#include "runtime/text.h"
#include "runtime/variant.h"

namespace tree {

// Where Nodes.Add places a node, relative to the node it names.
enum Relationship : int32_t {
    tvwFirst = 0,
    tvwLast = 1,
    tvwNext = 2,
    tvwPrevious = 3,
    tvwChild = 4,
};

class TreeNode : public rt::Object {
public:
    virtual std::string Key() = 0;
    // Key equals key without regard to case. It reads the key as Key does
    // (and fails as it does); a view that holds its keys may answer without
    // copying one.
    virtual bool keyIs(std::string_view key) { return rt::textEquals(key, Key()); }
    virtual std::string Text() = 0;
    virtual void setText(const std::string& text) = 0;
    virtual rt::Variant Tag() = 0;
    virtual void setTag(const rt::Variant& tag) = 0;
    // An image key (text), a position in the image list (number), or Empty.
    virtual rt::Variant Image() = 0;
    // A text names a picture of the tree view's image list by key (35613 when
    // the tree view has no list, 35601 when the list lacks the key); the
    // empty text clears the image; a number names a list position (35600 when
    // out of range).
    virtual void setImage(const rt::Variant& image) = 0;
    // Image is a text equal to key without regard to case. It reads the
    // image as Image does (and fails as it does); a view that holds its keys
    // may answer without copying one.
    virtual bool imageKeyIs(std::string_view key) {
        const rt::Variant image = Image();
        return image.isString() && rt::textEquals(std::get<std::string>(image.storage()), key);
    }
    virtual rt::Ref<TreeNode> Child() = 0;   // first child, or nothing
    virtual rt::Ref<TreeNode> Next() = 0;    // next sibling, or nothing
    virtual rt::Ref<TreeNode> Parent() = 0;  // nothing at the root level
    // The number of direct children; callers narrow it to 16 bits.
    virtual int32_t Children() = 0;
    virtual int16_t Expanded() = 0;
    virtual void setExpanded(int16_t expanded) = 0;
    virtual int16_t Selected() = 0;
    virtual void setSelected(int16_t selected) = 0;
};

class TreeNodes : public rt::Object {
public:
    // By key for a text (35601 when no node bears it), by 1-based position in
    // the order of adding for a number (35600 when out of range).
    virtual rt::Ref<TreeNode> Item(const rt::Variant& indexOrKey) = 0;
    virtual int32_t Count() = 0;
    // relative: a node key, or Missing for none; relationship: tvwFirst to
    // tvwChild (ignored without a relative: the node goes last among the
    // roots); key: unique (35602), may be empty for a node without key;
    // image: as setImage. Fails with 35601 for a relative that no node bears.
    virtual rt::Ref<TreeNode> Add(const rt::Variant& relative, const rt::Variant& relationship,
                                  const rt::Variant& key, const rt::Variant& text,
                                  const rt::Variant& image) = 0;
    virtual void Clear() = 0;
};

// A listener of the tree view's events. Arguments are by reference, as the
// control passes them; listeners hand them back unchanged.
class TreeViewEvents {
public:
    virtual void NodeClick(const rt::Ref<TreeNode>& node) = 0;
    virtual void KeyDown(int16_t& keyCode, int16_t& shift) = 0;
    virtual void KeyUp(int16_t& keyCode, int16_t& shift) = 0;
    virtual void MouseMove(int16_t& button, int16_t& shift, float& x, float& y) = 0;

protected:
    ~TreeViewEvents() = default;
};

class TreeView : public rt::Object {
public:
    virtual rt::Ref<TreeNodes> Nodes() = 0;
    virtual rt::Ref<ImageList> GetImageList() = 0;
    // Nothing removes the list; nodes keep their image keys.
    virtual void SetImageList(const rt::Ref<ImageList>& list) = 0;
    virtual int32_t LabelEdit() = 0;
    virtual void setLabelEdit(int32_t mode) = 0;
    // The node under the point, or nothing.
    virtual rt::Ref<TreeNode> HitTest(float x, float y) = 0;
    // A tree view that offers no tool tip fails both with 438.
    virtual std::string ToolTipText() = 0;
    virtual void setToolTipText(const std::string& text) = 0;

    // Attaches a listener and returns its cookie (never 0). The tree view
    // does not keep the listener alive: it must detach before it goes.
    virtual int32_t advise(TreeViewEvents* listener) = 0;
    virtual void unadvise(int32_t cookie) = 0;
};

// The control's failure numbers.
namespace errnum {
inline constexpr int32_t IndexOutOfBounds = 35600;
inline constexpr int32_t ElementNotFound = 35601;
inline constexpr int32_t KeyNotUnique = 35602;
inline constexpr int32_t InvalidKey = 35603;
inline constexpr int32_t ControlDeleted = 35605;
inline constexpr int32_t ImageListNotInitialized = 35613;
}  // namespace errnum

rt::Error errIndexOutOfBounds();
rt::Error errElementNotFound();
rt::Error errKeyNotUnique();
rt::Error errControlDeleted();
rt::Error errImageListNotInitialized();

}  // namespace tree
