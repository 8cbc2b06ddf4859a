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

// What a reading walk takes from each item: the state that its image key
// showed (0 none, 1 the first key, 2 the second), its text and its key.
class SiblingReader {
public:
    // Takes the item's readings and answers true; or, when it cannot take
    // them without failing, changes nothing and answers false.
    virtual bool take(int state, const std::string& text, const std::string& key) = 0;

protected:
    ~SiblingReader() = default;
};

// One pass of a walk over siblings, as its steps would go through a node:
// the tests and the one change at the item, then the step to the next
// sibling. In that order:
// - with stopAtKey, the run ends before an item whose key equals stopKey
//   (keyIs), so that the walk handles that item itself;
// - with onlyPrefix, an item whose key does not begin with prefix (as many
//   characters, without regard to case) is left as it is;
// - image: Keep changes nothing; Set gives every item *set; Toggle gives an
//   item whose image key is firstKey *secondImage, otherwise one whose key
//   is secondKey *firstImage; Read tests the same two keys for the reader's
//   state;
// - with a reader, the item's text and key go to it.
struct SiblingPass {
    enum class Image : uint8_t { Keep, Set, Toggle, Read };
    bool stopAtKey = false;
    std::string_view stopKey;
    bool onlyPrefix = false;
    std::string_view prefix;
    Image image = Image::Keep;
    const rt::Variant* set = nullptr;
    std::string_view firstKey, secondKey;
    const rt::Variant* firstImage = nullptr;
    const rt::Variant* secondImage = nullptr;
    SiblingReader* reader = nullptr;
};

// How far a run of passes went: whole passes done, and whether the pass
// after them did its work at the item but not yet its step to the next one.
struct SiblingRun {
    int32_t passes = 0;
    bool visited = false;
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

    // Runs up to `passes` passes from this node, which `current` holds, over
    // it and the siblings after it, with the very reads and writes that the
    // steps through the nodes would make, and stops before a step that would
    // fail or that the walk must make itself; `current` is left at the node
    // that the walk stands at, and run tells how far it went. When the change
    // at an item fails, the run throws what it failed with, with that pass
    // visited. A view that can walk its nodes in place overrides this; by
    // default nothing runs and the walk makes every step itself.
    virtual void runSiblings(const SiblingPass& pass, int32_t passes, rt::Ref<TreeNode>& current,
                             SiblingRun& run) {
        (void)pass;
        (void)passes;
        (void)current;
        (void)run;
    }
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
    // Add with every text given as a text: relative is a node key, or empty
    // for none; the relationship a number; key, text and image as the texts
    // that Add takes. A view may take them where they lie; by default this
    // is Add with the texts as variants.
    virtual rt::Ref<TreeNode> addTexts(std::string_view relative, int32_t relationship, std::string_view key,
                                       std::string_view text, std::string_view image) {
        return Add(relative.empty() ? rt::Variant(rt::Missing{}) : rt::Variant(relative), rt::Variant(relationship),
                   rt::Variant(key), rt::Variant(text), rt::Variant(image));
    }

    // Sets the open state of the nodes at positions from, from + 1, ... as
    // Item(position)->setExpanded(expanded) would, up to `count` nodes,
    // counting them in done, and stops before one that the caller must set
    // itself. When setting one fails, this throws what it failed with, done
    // counting the nodes before it. By default none is set.
    virtual void expandRun(int32_t from, int32_t count, int16_t expanded, int32_t& done) {
        (void)from;
        (void)count;
        (void)expanded;
        (void)done;
    }
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
