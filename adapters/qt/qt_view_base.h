#pragma once
// What both Qt tree views do alike, whatever their widget: the image list,
// label editing, hit tests in viewport pixels, the tool tip, the listeners,
// and the hooks that turn the widget's clicks, keys and pointer moves into
// the view's events.

#include <QtGlobal>
#include <memory>
#include <string>

#include "outside/tree_model.h"

QT_BEGIN_NAMESPACE
class QTreeView;
QT_END_NAMESPACE

namespace qt_tree {

struct ViewData;
class WidgetHooks;

class ViewBase : public tree::TreeView {
public:
    ~ViewBase() override;

    rt::Ref<tree::TreeNodes> Nodes() override;
    rt::Ref<tree::ImageList> GetImageList() override;
    void SetImageList(const rt::Ref<tree::ImageList>& list) override;
    // 0 lets the user edit a selected item's text (click it once more, or
    // press the edit key); any other mode leaves editing to the host.
    int32_t LabelEdit() override;
    void setLabelEdit(int32_t mode) override;
    // x and y in the viewport's pixels, as MouseMove gives them.
    rt::Ref<tree::TreeNode> HitTest(float x, float y) override;
    // The widget's tool tip.
    std::string ToolTipText() override;
    void setToolTipText(const std::string& text) override;
    int32_t advise(tree::TreeViewEvents* listener) override;
    void unadvise(int32_t cookie) override;

    // A tree view whose container offers no ToolTipText (both accessors 438).
    void setOffersToolTipText(bool offers);
    // Space on the current item raises NodeClick for it (on by default); a
    // host that gives Space a meaning of its own turns it off.
    void setSpaceActsAsClick(bool acts);
    bool spaceActsAsClick() const;
    size_t listenerCount() const;

protected:
    explicit ViewBase(std::shared_ptr<ViewData> data);
    // What every widget gets, the host's as well: rows of one height, so
    // that the widget never measures item by item; icons at the pictures'
    // size; no sorting, because nodes stand in the order of adding; and
    // pointer moves reported without a button down.
    static void prepareWidget(QTreeView& widget);
    // What a widget that the view makes gets besides: one column without
    // header, one selected item at a time, editing as label edit mode 0.
    static void prepareOwnWidget(QTreeView& widget);
    // Starts raising the widget's events; the data names its widget by now.
    void hookWidget();

private:
    std::shared_ptr<ViewData> data_;
    rt::Ref<tree::TreeNodes> nodes_;  // one collection object, made on first request
    std::unique_ptr<WidgetHooks> hooks_;
};

}  // namespace qt_tree
