#pragma once
// The node data that every tree view keeps, whatever shows the nodes: one
// record per node, the links between them, the key index and the image list
// that images are checked against. A view derives its own data from this and
// adds what it shows (rows, widget items).
//
// Nodes live in one vector in the order of adding, so a node's index is its
// position - 1. Siblings form a doubly linked list through indices, and each
// node keeps its first and last child and a child count, which makes every
// add, walk step and count O(1).
//
// The view owns the data and the node objects that it hands out
// (stored_node.h); the data tells them when the tree was cleared or is gone,
// and they do not keep the data alive, so no object keeps another alive in a
// circle.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "outside/node_object_blocks.h"
#include "outside/node_store_keys.h"
#include "outside/tree_model.h"

namespace tree {

inline constexpr int32_t NoNode = -1;

class StoredNode;

struct NodeRecord {
    NodeRecord() = default;
    // The texts go straight into place.
    NodeRecord(std::string_view givenKey, std::string_view givenText) : key(givenKey), text(givenText) {}
    NodeRecord(std::string&& givenKey, std::string&& givenText) noexcept
        : key(std::move(givenKey)), text(std::move(givenText)) {}

    std::string key;  // as given; empty for a node without key
    std::string text;
    // The image: 0 for none, a list position (from 1), or ~k for the image
    // key NodeStore::imageKeys[k]; nodes share the few keys that they name.
    int32_t image = 0;
    // The tag: a slot of NodeStore::tags. Nodes share the slots of the Empty
    // tag and of the empty text; any other tag gets a slot of its own.
    int32_t tag = 0;
    int32_t parent = NoNode;
    int32_t previous = NoNode;
    int32_t next = NoNode;
    int32_t firstChild = NoNode;
    int32_t lastChild = NoNode;
    int32_t children = 0;
    // The object handed out for this node, made on first request and kept
    // with the node, so that every request gets the very same object: a
    // StoredNode (stored_node.h).
    rt::Ref<TreeNode> object;

};

// Where a new node goes: into its parent's child list (the roots for
// NoNode), right before `before`, or last for NoNode.
struct Placement {
    int32_t parent = NoNode;
    int32_t before = NoNode;
};

// A node whose arguments passed every check, ready to go in.
struct NewNode {
    NodeRecord record;
    rt::Variant image = {};  // as checkedImage gives it
    size_t keyHash = 0;  // of the folded key
    Placement place = {};
};

// What Clear takes out of a store, to be let go once the view is consistent
// again: releasing a tag may run any code, this tree's included.
struct DroppedNodes {
    std::vector<NodeRecord> records;
    std::vector<rt::Variant> tags;
};

// Two image keys equal without regard to case. Walks compare every item's key
// with a state key, mostly plain ASCII: that is settled here, byte by byte;
// anything else (beyond ASCII, or an "I" or "i", which the user's locale may
// fold its own way) goes to the full comparison.
inline bool sameImageKey(std::string_view stored, std::string_view key) {
    const size_t common = std::min(stored.size(), key.size());
    bool beyondAscii = false;
    for (size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(stored[i]);
        const auto y = static_cast<unsigned char>(key[i]);
        // The same byte is the same under any rule of folding.
        if (x == y) {
            beyondAscii |= x >= 0x80;
            continue;
        }
        if ((x | y) >= 0x80 || (x | 0x20) == 'i' || (y | 0x20) == 'i') return rt::textEquals(stored, key);
        // Two different ASCII characters: equal only as letters of two cases.
        if ((x | 0x20) != (y | 0x20) || (x | 0x20) < 'a' || (x | 0x20) > 'z') return false;
    }
    if (stored.size() == key.size()) return true;
    // Each ASCII character folds to one, so a longer text differs.
    return beyondAscii && rt::textEquals(stored, key);
}

class NodeStore : public std::enable_shared_from_this<NodeStore> {
public:
    std::vector<NodeRecord> nodes;  // index = position - 1
    // The value last given to each node's Expanded, index as in nodes; apart
    // from the records, which it would lengthen by a padded word.
    std::vector<int16_t> expandedValues;
    NodeKeyIndex byKey;             // by folded key
    // The nodes' tags: slot 0 is Empty, slot 1 the empty text.
    std::vector<rt::Variant> tags = initialTags();
    // The image keys that nodes name, each once, as given.
    std::vector<std::string> imageKeys;
    int32_t firstRoot = NoNode;
    int32_t lastRoot = NoNode;
    int32_t roots = 0;
    // Grows with every Clear, so that a caller can tell that one happened.
    uint64_t generation = 0;
    rt::Ref<ImageList> imageList;

    NodeStore();
    virtual ~NodeStore();

    int32_t count() const noexcept { return static_cast<int32_t>(nodes.size()); }
    // False once the view can no longer work (its widget is gone). A plain
    // flag, read by every node call: the view clears it when that happens.
    bool usable() const noexcept { return usable_; }
    void markUnusable() noexcept { usable_ = false; }
    // 35605 when the view cannot work.
    void requireUsable() const;

    // A node by key (text) or 1-based position (number): 35601, 35600, or
    // the conversion's own error for other kinds.
    int32_t indexOf(const rt::Variant& keyOrPosition) const;
    // The node bearing a key, or NoNode (the empty key is borne by none).
    int32_t findKey(std::string_view key) const;
    // The same for a key whose folded form hashes to keyHash.
    int32_t findKey(std::string_view key, size_t keyHash) const;
    // An image as a node stores it, after the checks against the image list.
    rt::Variant checkedImage(const rt::Variant& image) const;

    // Nodes.Add: checks every argument first, then adds and links the node.
    virtual int32_t add(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                        const rt::Variant& text, const rt::Variant& image);
    // The same with every text given as a text (TreeNodes::addTexts): by
    // default add with the texts as variants, as that call describes.
    virtual int32_t addTexts(std::string_view relative, int32_t relationship, std::string_view key,
                             std::string_view text, std::string_view image);
    // The add runs no outside code (no widget is told of it), so that the
    // nodes collection need not hold the view for the call.
    bool addsQuietly() const noexcept { return addsQuietly_; }
    // Nodes.Clear.
    virtual void clear();

    // What a node shows, which a view may keep its own way (the records
    // keep it by default). The node objects answer through these.
    virtual void setText(int32_t index, const std::string& text);
    // Checks the image against the image list first.
    virtual void setImage(int32_t index, const rt::Variant& image);
    // setImage, listHasKey and setExpanded are this class's own, every node
    // opens quietly, and none of them runs outside code: a walk may store
    // images and open states as they would, straight into the records.
    virtual bool changesInPlace() const noexcept { return false; }
    // How a walk may store images: each through setImage; straight into
    // the records as setImage would; or straight into the records with the
    // view told of the changed nodes (imagesStored). The last needs
    // setImage and listHasKey to be this class's own, and hearing of a
    // change to run no outside code.
    enum class InPlace { No, Quietly, Told };
    virtual InPlace imagesInPlace() const noexcept { return changesInPlace() ? InPlace::Quietly : InPlace::No; }
    // Neighbouring siblings first..last, whose images a walk changed in
    // place, in the order of the changes. Runs no outside code.
    virtual void imagesStored(int32_t first, int32_t last) noexcept {
        (void)first;
        (void)last;
    }
    // setExpanded of a node without children stores the value and does
    // nothing else, so a walk may store it straight into expandedValues.
    virtual bool childlessOpenInPlace() const noexcept { return changesInPlace(); }
    // The image as setImage would store it in any node; false when setImage
    // would fail.
    bool imageInPlace(const rt::Variant& image, int32_t& stored);
    // The same for an image given by key.
    void setImageKey(int32_t index, const std::string& key);
    rt::Variant image(int32_t index) const;
    // The node's image is a key equal to key without regard to case.
    bool imageKeyIs(int32_t index, std::string_view key) const {
        const int32_t image = nodes[index].image;
        return image < 0 && sameImageKey(imageKeys[static_cast<size_t>(~image)], key);
    }
    bool hasImage(int32_t index) const noexcept { return nodes[index].image != 0; }
    const rt::Variant& tag(int32_t index) const { return tags[static_cast<size_t>(nodes[index].tag)]; }
    // Hands back the tag that the node had, for the caller to let go.
    [[nodiscard]] rt::Variant exchangeTag(int32_t index, const rt::Variant& tag);
    // The same for a node that shares the slot of Empty or of the empty
    // text (sharesTag), which hands back nothing worth letting go.
    bool sharesTag(int32_t index) const noexcept { return nodes[static_cast<size_t>(index)].tag < 2; }
    void setSharedTag(int32_t index, const rt::Variant& tag);
    virtual int16_t expanded(int32_t index) const;
    virtual void setExpanded(int32_t index, int16_t expanded);
    // Setting the node's open state runs no outside code (no widget is told
    // of it), so that the node need not hold the view for the call.
    virtual bool opensQuietly(int32_t index) const {
        (void)index;
        return false;
    }
    virtual bool isSelected(int32_t index) const = 0;
    virtual void setSelected(int32_t index, int16_t selected) = 0;

    // The one object that stands for a node.
    rt::Ref<TreeNode> objectFor(int32_t index) {
        const NodeRecord& d = nodes[static_cast<size_t>(index)];
        if (d.object) return d.object;
        return madeObjectFor(index);
    }
    rt::Ref<TreeNode> objectOrNothing(int32_t index) { return index == NoNode ? nullptr : objectFor(index); }

    // Checks the parent and sibling links, child counts, the order of adding
    // and the key index; throws std::logic_error naming the first broken one.
    virtual void checkInvariants() const;

protected:
    // The steps of add, for views that do more between them. prepare checks
    // the arguments in the control's order and changes nothing; insert
    // either adds the node or, out of memory, leaves the tree as it was.
    NewNode prepare(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                    const rt::Variant& text, const rt::Variant& image) const;
    int32_t insert(NewNode&& node);
    // prepare for an add whose arguments are texts (addTexts): the same
    // checks in the same order, the texts copied once into the record.
    NewNode prepareTexts(std::string_view relative, int32_t relationship, std::string_view key,
                         std::string_view text, std::string_view image) const;
    // addTexts for a view whose add is this class's own: the texts go
    // straight from where they lie into the record.
    int32_t addTextsInPlace(std::string_view relative, int32_t relationship, std::string_view key,
                            std::string_view text, std::string_view image);
    bool addsQuietly_ = false;
    // Empties the tree and hands back what it held (DroppedNodes).
    [[nodiscard]] DroppedNodes takeAll();

    // Whether the image list has an image key. The key that the list last
    // had is kept, so that a walk that gives every node the same key looks
    // it up once. A view whose list lives elsewhere may look further.
    virtual bool listHasKey(const std::string& key) const;

    // Lets every node object know that the store goes; a view's data calls
    // it first thing when it goes, before its own parts go.
    void orphanObjects() noexcept;

    [[noreturn]] static void broken(const std::string& what);
    static std::string nodeName(int32_t index);
    static std::string ownerName(int32_t owner);

private:
    // An image argument that passed the checks: none, a key (the argument's
    // text) or a list position.
    struct ImageCheck {
        enum Kind { NoImage, ByKey, ByPosition } kind = NoImage;
        int32_t position = 0;
    };
    ImageCheck checkImage(const rt::Variant& image) const;

    // The arguments of an add that passed every check. Texts lie in the
    // arguments, or in the spares when converted from another kind.
    struct CheckedNode {
        int32_t anchor = NoNode;
        int32_t how = tvwLast;
        std::string_view key;
        std::string_view text;
        std::string keySpare;
        std::string textSpare;
        size_t keyHash = 0;
        ImageCheck image;
        std::string_view imageKey;  // for an image by key
    };
    // Checks the arguments of an add in the control's order; changes nothing.
    void check(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
               const rt::Variant& text, const rt::Variant& image, CheckedNode& out) const;
    void checkKey(CheckedNode& out) const;
    // check for an add whose arguments are texts.
    void checkTexts(std::string_view relative, int32_t relationship, std::string_view key, std::string_view text,
                    std::string_view image, CheckedNode& out) const;
    ImageCheck checkImageKey(std::string_view key) const;
    // Adds a node whose arguments passed every check.
    int32_t addChecked(CheckedNode& checked);
    // Room for one more node, so that nothing fails once it goes in.
    void makeRoomForOne(bool keyed);
    void growForOne(bool keyed);
    // A slot of its own for a tag that no shared slot holds.
    int32_t ownTagSlot(const rt::Variant& tag);
    rt::Ref<TreeNode> madeObjectFor(int32_t index);

    static std::vector<rt::Variant> initialTags() { return {rt::Variant(), rt::Variant(std::string())}; }
    // A node's image as the record keeps it, from an image as checkedImage
    // gives it.
    int32_t storedImage(const rt::Variant& image);
    int32_t storedImageKey(std::string_view key);
    int32_t storedOtherImageKey(std::string_view key);

    bool usable_ = true;
    NodeObjectBlocks objectBlocks_;
    std::unordered_map<std::string, int32_t> imageKeyIndex_;  // key as given -> place in imageKeys
    int32_t lastImageKey_ = -1;

    // The node found for the relative of the last add, by its key as given.
    int32_t relativeIndex(const rt::Variant& relative) const;
    int32_t otherRelativeIndex(const rt::Variant& relative) const;
    int32_t relativeIndex(std::string_view relative) const;
    int32_t otherRelativeIndex(std::string_view relative) const;
    mutable std::string lastRelativeKey_;
    mutable int32_t lastRelative_ = NoNode;

    // The list (and its images, which a list keeps for life) in which the
    // key was last found, at that revision.
    mutable std::string lastFoundKey_;
    mutable rt::Ref<ImageList> lastFoundList_;
    mutable rt::Ref<ListImages> lastFoundImages_;
    mutable uint64_t lastFoundRevision_ = 0;

    Placement placeBy(int32_t anchor, int32_t how) const;
    void link(int32_t index, Placement place);
};

}  // namespace tree
