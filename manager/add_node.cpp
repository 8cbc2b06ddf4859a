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

namespace {

// The tree view that an object held by the caller is: the one found when it
// was bound, or else found now (91 for nothing, 438 for another object). The
// caller's hold keeps it alive.
tree::TreeView& treeViewOf(const rt::ObjectRef& held, const rt::ObjectRef& bound,
                           const rt::Ref<tree::TreeView>& boundView, std::string_view member) {
    if (boundView && held.get() == bound.get()) return *boundView;
    return *walk::boundTree(held, member);
}

// A text argument handed to one call as a variant. A long text is lent (moved
// in, and back when the call is done or failed) instead of copied, which
// would allocate; a short one is copied, which costs less than two moves.
class TextArgument {
public:
    explicit TextArgument(std::string& text, bool missingWhenEmpty = false)
        : text_(text), lent_(text.size() > shortText()), value_(argument(text, missingWhenEmpty, lent_)) {}
    ~TextArgument() {
        if (lent_) text_ = std::move(*value_.textIf());
    }
    TextArgument(const TextArgument&) = delete;
    TextArgument& operator=(const TextArgument&) = delete;

    const rt::Variant& value() const noexcept { return value_; }

private:
    // The longest text that a string keeps without allocating.
    static size_t shortText() noexcept { return std::string().capacity(); }

    static rt::Variant argument(std::string& text, bool missingWhenEmpty, bool lend) {
        if (lend) return rt::Variant(std::move(text));
        if (missingWhenEmpty && text.empty()) return rt::Variant(rt::Missing{});
        return rt::Variant(text);
    }

    std::string& text_;
    const bool lent_;
    rt::Variant value_;
};

}  // namespace

rt::Variant clsKwAmbrTvsA::AddNode(AddNodeArgs& a) {
    // An image list refuses an add without a picture with 481; that refusal
    // is expected for every state key and stays silent.
    outside::Trap trap("czAmbrTVS.AddNode", {rt::errnum::InvalidPicture});
    // The thread holds its form; nothing between taking it and letting it go
    // can drop it.
    const frmKwAmbrTvsA* form = nullptr;
    int16_t index = 0;
    rt::ObjectRef tv;
    rt::Ref<tree::TreeNode> node;

    trap.step([&] { form = &frmKwAmbrTvsA::currentInstance(); });                          // 1
    trap.step([&] {                                                                        // 2
        if (imageStyles_ >= 0 && imageStyles_ <= 3) {
            if (!form) throw rt::errObjectNotSet();
            const rt::Ref<tree::ImageList>& list = form->imageListFor(imageStyles_);
            if (imageList_.get() != list.get()) imageList_ = list;
        }
    });
    trap.step([&] { form = nullptr; });                                                    // 3
    trap.step([&] {                                                                        // 4
        if (a.enumTVSNodeStyle >= TVSNodeStyle_CheckBoxoff && a.enumTVSNodeStyle <= TVSNodeStyle_OptionButtonOn) {
            const std::string_view stateKey = stateKeyOfStyle(a.enumTVSNodeStyle);
            if (a.ImageIPictureDispKeyNormal != stateKey) a.ImageIPictureDispKeyNormal.assign(stateKey);
        } else if (a.enumTVSNodeStyle == TVSNodeStyle_Default && a.ImageIPictureDispKeyNormal.empty()) {
            a.ImageIPictureDispKeyNormal = a.sKey;
            a.ImageIPictureDisp = frmKwAmbrTvsA::currentInstance().imgBlank->Picture();
        }
    });
    trap.step([&] {                                                                        // 5
        if (!imageList_) throw rt::errObjectNotSet();
        const int32_t count = imageList_->ListImages()->Count();
        // Both narrowings fail alike, as the count and as the count + 1.
        index = count < INT16_MAX ? static_cast<int16_t>(count + 1) : rt::narrow16(rt::narrow16(count) + 1);
    });
    trap.step([&] {                                                                        // 6
        if (!imageList_) throw rt::errObjectNotSet();
        // Without a picture the list refuses the add with 481, which is not
        // reported; most items come without one, so the refusal is foreseen
        // here rather than thrown and caught for every node.
        if (!a.ImageIPictureDisp || !a.ImageIPictureDisp.as<rt::Picture>()) return;
        imageList_->ListImages()->Add(index, a.ImageIPictureDispKeyNormal, rt::Variant(a.ImageIPictureDisp));
    });
    trap.step([&] { tv = treeViewObject_; });                                              // 7
    trap.step([&] { treeViewOf(tv, treeViewObject_, boundView_, "ImageList").SetImageList(imageList_); });  // 8
    trap.step([&] { treeViewOf(tv, treeViewObject_, boundView_, "LabelEdit").setLabelEdit(1); });           // 9
    trap.step([&] { tv = nullptr; });                                                      // 10
    trap.step([&] {                                                                        // 11
        // Held for the add: code that it runs may bind another tree view.
        const rt::ObjectRef held = treeViewObject_;
        const rt::Ref<tree::TreeNodes> nodes = treeViewOf(held, treeViewObject_, boundView_, "Nodes").Nodes();
        // The texts as they lie: a view that copies them does so before any
        // code of its own can run.
        node = nodes->addTexts(a.sRelative, a.sRelationship, a.sKey, a.sText, a.ImageIPictureDispKeyNormal);
    });
    trap.step([&] { walk::need(node).setExpanded(a.bExpanded); });                        // 12
    trap.step([&] {                                                                        // 13
        // Most nodes come without a tag: the empty text is made once.
        static const rt::Variant noTag{std::string()};
        walk::need(node).setTag(a.sTag.empty() ? noTag : TextArgument(a.sTag).value());
    });
    return {};                                                                             // 14
}

}  // namespace Sarn10B
