// AddNode: the one operation that creates nodes.
#include "manager/hidden_form.h"
#include "manager/section_walk.h"
#include "manager/style_manager.h"

namespace Sarn10B {

std::string_view stateKeyOfStyle(int32_t style) {
    switch (style) {
        case TVSNodeStyle_CheckBoxoff:
            return keys::CheckOff;
        case TVSNodeStyle_CheckBoxOn:
            return keys::CheckOn;
        case TVSNodeStyle_OptionButtonOff:
            return keys::OptionOff;
        case TVSNodeStyle_OptionButtonOn:
            return keys::OptionOn;
        default:
            return {};
    }
}

rt::Variant clsKwAmbrTvsA::AddNode(AddNodeArgs& a) {
    // An image list refuses an add without a picture with 481; that refusal
    // is expected for every state key and stays silent.
    outside::Trap trap("czAmbrTVS.AddNode", {rt::errnum::InvalidPicture});
    rt::Ref<frmKwAmbrTvsA> form;
    int16_t index = 0;
    rt::ObjectRef tv;
    rt::Ref<tree::TreeNode> node;
    walk::BoundTree bound;
    bound.knowAlready(treeViewObject_, boundView_);

    trap.step([&] { form = frmKwAmbrTvsA::current(); });                                   // 1
    trap.step([&] {                                                                        // 2
        if (imageStyles_ >= 0 && imageStyles_ <= 3) {
            if (!form) throw rt::errObjectNotSet();
            imageList_ = form->imageListFor(imageStyles_);
        }
    });
    trap.step([&] { form = nullptr; });                                                    // 3
    trap.step([&] {                                                                        // 4
        if (a.enumTVSNodeStyle >= TVSNodeStyle_CheckBoxoff && a.enumTVSNodeStyle <= TVSNodeStyle_OptionButtonOn) {
            a.ImageIPictureDispKeyNormal = std::string(stateKeyOfStyle(a.enumTVSNodeStyle));
        } else if (a.enumTVSNodeStyle == TVSNodeStyle_Default && a.ImageIPictureDispKeyNormal.empty()) {
            a.ImageIPictureDispKeyNormal = a.sKey;
            a.ImageIPictureDisp = frmKwAmbrTvsA::current()->imgBlank->Picture();
        }
    });
    trap.step([&] {                                                                        // 5
        if (!imageList_) throw rt::errObjectNotSet();
        int32_t next = rt::narrow16(imageList_->ListImages()->Count()) + 1;
        index = rt::narrow16(next);
    });
    trap.step([&] {                                                                        // 6
        if (!imageList_) throw rt::errObjectNotSet();
        // Without a picture the list refuses the add with 481, which is not
        // reported; most items come without one, so the refusal is foreseen
        // here rather than thrown and caught for every node.
        if (!a.ImageIPictureDisp.as<rt::Picture>()) return;
        imageList_->ListImages()->Add(index, a.ImageIPictureDispKeyNormal, rt::Variant(a.ImageIPictureDisp));
    });
    trap.step([&] { tv = treeViewObject_; });                                              // 7
    trap.step([&] { bound.of(tv, "ImageList")->SetImageList(imageList_); });               // 8
    trap.step([&] { bound.of(tv, "LabelEdit")->setLabelEdit(1); });                        // 9
    trap.step([&] { tv = nullptr; });                                                      // 10
    trap.step([&] {                                                                        // 11
        auto nodes = bound.of(treeViewObject_)->Nodes();
        rt::Variant relative = a.sRelative.empty() ? rt::Variant(rt::Missing{}) : rt::Variant(a.sRelative);
        node = nodes->Add(relative, a.sRelationship, a.sKey, a.sText, a.ImageIPictureDispKeyNormal);
    });
    trap.step([&] { walk::need(node).setExpanded(a.bExpanded); });                        // 12
    trap.step([&] { walk::need(node).setTag(rt::Variant(a.sTag)); });                     // 13
    return {};                                                                             // 14
}

}  // namespace Sarn10B
