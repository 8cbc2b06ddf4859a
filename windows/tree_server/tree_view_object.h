#pragma once
// The in-memory tree view as an automation object: the control's members
// (Nodes, ImageList, LabelEdit, HitTest, ToolTipText), what a user does
// (ClickNode, PressKey, ReleaseKey, MovePointer) for scripts to drive it, and
// the four events raised through its connection point.

#include "outside/memory_tree.h"
#include "runtime/dispatch.h"
#include "windows/platform/tree_event_source.h"

namespace tree_server {

class TreeViewObject final : public rt::Object, public win::TreeEventSource {
public:
    TreeViewObject();
    ~TreeViewObject() override;

    tree::MemoryTreeView& view() { return *view_; }
    rt::ObjectRef imageList() const { return imageListObject_; }
    // A list of this module is used as it is; one of another module is
    // mirrored (keys in order, placeholder pictures), which is all a tree
    // view needs of it, and handed back as itself.
    void setImageList(const rt::ObjectRef& list);

    const GUID& eventInterface() const override;
    ITypeInfo* classTypeInfo() const override;
    const rt::ClassInfo& classInfo() const override;

private:
    rt::Ref<tree::MemoryTreeView> view_;
    int32_t cookie_ = 0;
    rt::ObjectRef imageListObject_;
};

}  // namespace tree_server
