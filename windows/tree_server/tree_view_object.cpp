#include "windows/tree_server/tree_view_object.h"

#include <oleauto.h>

#include <cstring>

#include "runtime/guid.h"
#include "runtime/picture.h"
#include "windows/platform/com_bridge.h"
#include "windows/tree_server/create_tree_view.h"
#include "windows/tree_server/identifiers.h"

namespace tree_server {
namespace {

using rt::Args;
using rt::CallKind;
using rt::Object;
using rt::Variant;
using rt::VarType;

GUID guidOf(std::string_view text) {
    GUID out{};
    if (auto g = rt::Guid::parse(text)) std::memcpy(&out, &*g, sizeof out);
    return out;
}

TreeViewObject& me(Object& o) { return rt::self<TreeViewObject>(o); }
const Variant& arg(Args& a, size_t i) { return rt::requiredArg(a, i); }

Variant setList(Object& o, Args& a) {
    me(o).setImageList(rt::toObject(arg(a, 0)));
    return {};
}

}  // namespace

TreeViewObject::TreeViewObject() : view_(rt::make<tree::MemoryTreeView>()) { cookie_ = view_->advise(this); }

TreeViewObject::~TreeViewObject() { view_->unadvise(cookie_); }

void TreeViewObject::setImageList(const rt::ObjectRef& list) {
    if (!list) {
        view_->SetImageList(nullptr);
        imageListObject_ = nullptr;
        return;
    }
    auto local = list.as<tree::ImageList>();
    if (!local) {
        local = rt::make<tree::ImageList>();
        rt::ObjectRef images = rt::toObject(rt::callByName(list, "ListImages", CallKind::PropertyGet));
        const int32_t count = rt::toInt32(rt::callByName(images, "Count", CallKind::PropertyGet));
        for (int32_t i = 1; i <= count; ++i) {
            rt::ObjectRef image = rt::toObject(rt::callByName(images, "Item", CallKind::Method, {i}));
            const std::string key = rt::toText(rt::callByName(image, "Key", CallKind::PropertyGet));
            local->ListImages()->Add(rt::Missing{}, key, rt::ObjectRef(rt::make<rt::Picture>(rt::PictureType::Bitmap, 16, 16)));
        }
    }
    view_->SetImageList(local);
    imageListObject_ = list;
}

const GUID& TreeViewObject::eventInterface() const {
    static const GUID events = guidOf(Events);
    return events;
}

ITypeInfo* TreeViewObject::classTypeInfo() const {
    ITypeLib* lib = nullptr;
    if (FAILED(LoadRegTypeLib(guidOf(TypeLibrary), 1, 0, 0, &lib))) return nullptr;
    ITypeInfo* info = nullptr;
    lib->GetTypeInfoOfGuid(guidOf(Clsid), &info);
    lib->Release();
    return info;
}

const rt::ClassInfo& TreeViewObject::classInfo() const {
    static const rt::Param value{"RHS"};
    static const rt::ClassInfo info{
        "TreeView",
        {
            {"Nodes", 1, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return me(o).view().Nodes(); }, {},
             VarType::Object},
            {"ImageList", 2, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return me(o).imageList(); },
             {}, VarType::Object},
            {"ImageList", 2, CallKind::PropertySet, setList, {value}},
            {"LabelEdit", 3, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return me(o).view().LabelEdit(); },
             {}, VarType::Long},
            {"LabelEdit", 3, CallKind::PropertyLet,
             [](Object& o, Args& a) -> Variant {
                 me(o).view().setLabelEdit(rt::toInt32(arg(a, 0)));
                 return {};
             },
             {value}},
            {"HitTest", 4, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 return me(o).view().HitTest(rt::toSingle(arg(a, 0)), rt::toSingle(arg(a, 1)));
             },
             {{"x", VarType::Single}, {"y", VarType::Single}}, VarType::Object},
            {"ToolTipText", 5, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return me(o).view().ToolTipText(); }, {}, VarType::String},
            {"ToolTipText", 5, CallKind::PropertyLet,
             [](Object& o, Args& a) -> Variant {
                 me(o).view().setToolTipText(rt::toText(arg(a, 0)));
                 return {};
             },
             {value}},
            {"SelectedItem", 6, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return me(o).view().selectedNode(); }, {}, VarType::Object},
            {"ClickNode", 10, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 const Variant& which = arg(a, 0);
                 if (which.isObject()) {
                     auto node = rt::toObject(which).as<tree::TreeNode>();
                     if (!node) throw rt::errTypeMismatch();
                     me(o).view().clickNode(node);
                 } else {
                     me(o).view().clickNode(rt::toText(which));
                 }
                 return {};
             },
             {{"Node"}}},
            {"PressKey", 11, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 me(o).view().pressKey(rt::toInt16(arg(a, 0)), rt::isOmitted(a, 1) ? 0 : rt::toInt16(a[1]));
                 return {};
             },
             {{"KeyCode", VarType::Integer}, {"Shift", VarType::Integer, true}}},
            {"ReleaseKey", 12, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 me(o).view().releaseKey(rt::toInt16(arg(a, 0)), rt::isOmitted(a, 1) ? 0 : rt::toInt16(a[1]));
                 return {};
             },
             {{"KeyCode", VarType::Integer}, {"Shift", VarType::Integer, true}}},
            {"MovePointer", 13, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 me(o).view().movePointer(rt::toInt16(arg(a, 0)), rt::toInt16(arg(a, 1)), rt::toSingle(arg(a, 2)),
                                          rt::toSingle(arg(a, 3)));
                 return {};
             },
             {{"Button", VarType::Integer}, {"Shift", VarType::Integer}, {"x", VarType::Single}, {"y", VarType::Single}}},
        }};
    return info;
}

}  // namespace tree_server

namespace tree_server {

rt::ObjectRef createTreeView() { return rt::ObjectRef(rt::make<TreeViewObject>()); }

}  // namespace tree_server
