// Binding to a tree view and its events, the self-creating collections,
// Refresh and teardown.
#include "manager/hidden_form.h"
#include "manager/section_walk.h"
#include "manager/style_manager.h"

namespace Sarn10B {

rt::Ref<rt::Collection> clsKwAmbrTvsA::QueryNodeKeysCollection() {
    if (!keysCollection_) keysCollection_ = rt::make<rt::Collection>();
    return keysCollection_;
}

rt::Ref<rt::Collection> clsKwAmbrTvsA::QueryNodeTextCollection() {
    if (!textCollection_) textCollection_ = rt::make<rt::Collection>();
    return textCollection_;
}

void clsKwAmbrTvsA::setTreeViewObject(const rt::ObjectRef& treeView) {
    treeViewObject_ = treeView;
    boundView_ = treeView ? treeView.as<tree::TreeView>() : nullptr;
    setOTV(treeView);
}

void clsKwAmbrTvsA::setOTV(const rt::ObjectRef& treeView) {
    rt::Ref<tree::TreeView> next;
    if (treeView) {
        next = treeView.as<tree::TreeView>();
        if (!next) throw rt::errTypeMismatch();
    }
    if (oTV_) oTV_->unadvise(oTVCookie_);
    oTV_ = nullptr;
    oTVCookie_ = 0;
    if (next) {
        oTVCookie_ = next->advise(this);
        oTV_ = std::move(next);
    }
}

rt::Variant clsKwAmbrTvsA::Refresh() {
    outside::Trap trap("czAmbrTVS.Refresh");
    trap.step([&] { frmKwAmbrTvsA::drop(); });
    trap.step([&] { keysCollection_ = nullptr; });
    trap.step([&] { textCollection_ = nullptr; });
    trap.step([&] { walk::boundTree(treeViewObject_)->Nodes()->Clear(); });
    trap.step([&] { walk::boundTree(treeViewObject_, "ImageList")->SetImageList(nullptr); });
    trap.step([&] { setTreeViewObject(nullptr); });
    trap.step([&] { setOTV(nullptr); });
    return {};
}

clsKwAmbrTvsA::~clsKwAmbrTvsA() {
    // Letting go of nothing cannot fail, so teardown needs no trap.
    setOTV(nullptr);
    setTreeViewObject(nullptr);
    setBuddyObject(nullptr);
}

}  // namespace Sarn10B
