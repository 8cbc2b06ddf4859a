#pragma once
// clsKwAmbrTvsA, the style manager: turns a bound tree view into a tree of
// check boxes and option buttons. An item's state is only its image key;
// clicks toggle items, and the host sets, inverts and queries items by
// section key and item key.
//
// The operations never throw to the host: each runs its steps under one trap
// that reports every failing step through the error channel and resumes with
// the next one (only a failing report itself reaches the caller). The
// property accessors take no trap.

#include <cstdint>
#include <string>

#include "manager/vocabulary.h"
#include "outside/image_list.h"
#include "outside/tree_model.h"
#include "runtime/collection.h"
#include "runtime/variant.h"

namespace Sarn10B {

// The nine optional arguments of AddNode. The image key and the picture are
// written back with what the call used.
struct AddNodeArgs {
    std::string sRelative = {};
    int32_t sRelationship = 0;
    std::string sKey = {};
    std::string sText = {};
    int32_t enumTVSNodeStyle = TVSNodeStyle_CheckBoxoff;
    std::string ImageIPictureDispKeyNormal = {};
    rt::ObjectRef ImageIPictureDisp = {};
    int16_t bExpanded = 0;
    std::string sTag = {};
};

class clsKwAmbrTvsA : public rt::Object, private tree::TreeViewEvents {
public:
    clsKwAmbrTvsA() = default;

    // Public fields and properties: get returns what let/set stored, unchecked.
    rt::Ref<rt::Collection> QueryNodeKeysCollection();  // creates an empty one when absent
    void setQueryNodeKeysCollection(rt::Ref<rt::Collection> c) { keysCollection_ = std::move(c); }
    rt::Ref<rt::Collection> QueryNodeTextCollection();
    void setQueryNodeTextCollection(rt::Ref<rt::Collection> c) { textCollection_ = std::move(c); }
    rt::ObjectRef TreeViewObject() const { return treeViewObject_; }
    // Stores the reference, then attaches to the tree view's events; an object
    // that is no tree view stays stored, fails with 13, and the events stay
    // with the tree view attached before.
    void setTreeViewObject(const rt::ObjectRef& treeView);
    rt::ObjectRef BuddyObject() const { return buddy_; }
    void setBuddyObject(const rt::ObjectRef& buddy) { buddy_ = buddy; }
    const std::string& Tag() const { return tag_; }
    void setTag(std::string tag) { tag_ = std::move(tag); }
    int32_t NodeChildren() const { return nodeChildren_; }
    void setNodeChildren(int32_t n) { nodeChildren_ = n; }
    int16_t TaginToolTip() const { return tagInToolTip_; }
    void setTaginToolTip(int16_t b) { tagInToolTip_ = b; }
    int16_t IsExpanded() const { return isExpanded_; }
    void setIsExpanded(int16_t b) { isExpanded_ = b; }
    int16_t HitTestOnMouseMove() const { return hitTestOnMouseMove_; }
    void setHitTestOnMouseMove(int16_t b) { hitTestOnMouseMove_ = b; }
    int32_t ImageStyles() const { return imageStyles_; }
    void setImageStyles(int32_t s) { imageStyles_ = s; }

    // Empties the tree, takes its image list away, unbinds and drops the
    // thread's hidden form and both query collections.
    rt::Variant Refresh();
    rt::Variant AddNode(AddNodeArgs& args);
    rt::Variant AddNode(AddNodeArgs&& args) { return AddNode(args); }
    rt::Variant OBSelectIndex(const std::string& sSection, int32_t lIndex);
    int32_t OBSetStyle(const std::string& sSection, const std::string& sKey, int32_t enumTVSNodeStyle);
    std::string NodeGetText(const std::string& sSection, const std::string& sKey);
    int32_t GetTVSNodeStyle(const std::string& sSection, const std::string& sKey);
    int16_t CBOBGetState(const std::string& sSection, const std::string& sKey);
    int32_t CBSetStyle(const std::string& sSection, const std::string& sKey, int32_t enumTVSNodeStyle);
    int32_t CBSelectAll(const std::string& sSection, int16_t bSelectAll = 0, int16_t bInverse = 0);
    // lCount, when given, receives the child count (left as it was when the
    // node cannot be addressed).
    int16_t MoreChildrenDefault(const std::string& sSection, int32_t* lCount = nullptr);
    int16_t ExpandAll(int16_t bExpandAll);
    rt::Ref<rt::Collection> QueryNodeCollection(const std::string& sSection,
                                                int32_t enumTypePrefix = TVSNodeType_CB);

    // Private state, readable for diagnostics.
    int16_t keyDownFlag() const { return keyDown_; }
    const rt::Ref<tree::ImageList>& managerImageList() const { return imageList_; }
    const rt::Ref<tree::TreeView>& eventTreeView() const { return oTV_; }

    // The automation surface: every member by name and dispatch identifier.
    const rt::ClassInfo& classInfo() const override;


protected:
    // Teardown: detaches from the events and lets go of the tree view and the
    // buddy; the tree view keeps its nodes and image list.
    ~clsKwAmbrTvsA() override;

private:
    // The tree view's events, as they arrive through oTV.
    void NodeClick(const rt::Ref<tree::TreeNode>& node) override { oTV_NodeClick(node); }
    void KeyDown(int16_t& keyCode, int16_t& shift) override { oTV_KeyDown(keyCode, shift); }
    void KeyUp(int16_t& keyCode, int16_t& shift) override { oTV_KeyUp(keyCode, shift); }
    void MouseMove(int16_t& button, int16_t& shift, float& x, float& y) override {
        oTV_MouseMove(button, shift, x, y);
    }

    void oTV_NodeClick(const rt::Ref<tree::TreeNode>& node);
    void oTV_KeyDown(int16_t& keyCode, int16_t& shift);
    void oTV_KeyUp(int16_t& keyCode, int16_t& shift);
    void oTV_MouseMove(int16_t& button, int16_t& shift, float& x, float& y);

    // oTV set: detaches from the tree view it held and attaches to the new one
    // (13 for an object that is no tree view; nothing only detaches).
    void setOTV(const rt::ObjectRef& treeView);

    rt::Ref<rt::Collection> keysCollection_;
    rt::Ref<rt::Collection> textCollection_;
    rt::ObjectRef treeViewObject_;
    // treeViewObject_ as a tree view (nothing for another object), found
    // once when it is bound: AddNode, called once per node, asks for it.
    rt::Ref<tree::TreeView> boundView_;
    rt::Ref<tree::ImageList> imageList_;
    rt::ObjectRef buddy_;
    std::string tag_;
    int32_t nodeChildren_ = 0;
    int16_t tagInToolTip_ = 0;
    int16_t isExpanded_ = 0;
    int16_t hitTestOnMouseMove_ = 0;
    int32_t imageStyles_ = TVSImageStyles_CheckunCheckBox;
    int16_t keyDown_ = 0;
    rt::Ref<tree::TreeView> oTV_;
    int32_t oTVCookie_ = 0;
};

}  // namespace Sarn10B
