#include "python/surface_tables.h"

#include "runtime/error.h"

namespace sarnpy {
namespace {

using rt::Args;
using rt::CallKind;
using rt::Object;
using rt::Param;
using rt::Variant;
using rt::VarType;

template <class T>
T& as(Object& o) {
    auto* p = dynamic_cast<T*>(&o);
    if (!p) throw rt::errTypeMismatch();
    return *p;
}

const Variant& arg(const Args& a, size_t i) { return rt::requiredArg(a, i); }
int16_t optionalShift(const Args& a) { return rt::isOmitted(a, 1) ? int16_t{0} : rt::toInt16(a[1]); }

const Param Value{"RHS"};

// What every tree view offers, then what a user of the in-memory one does.
std::vector<rt::Member> viewMembers(bool userActions) {
    using tree::TreeView;
    std::vector<rt::Member> members{
        {"Nodes", 1, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return as<TreeView>(o).Nodes(); }, {},
         VarType::Object, "Nodes"},
        {"LabelEdit", 3, CallKind::PropertyGet,
         [](Object& o, Args&) -> Variant { return as<TreeView>(o).LabelEdit(); }, {}, VarType::Long},
        {"LabelEdit", 3, CallKind::PropertyLet,
         [](Object& o, Args& a) -> Variant {
             as<TreeView>(o).setLabelEdit(rt::toInt32(arg(a, 0)));
             return {};
         },
         {{"RHS", VarType::Long}}},
        {"HitTest", 4, CallKind::Method,
         [](Object& o, Args& a) -> Variant {
             return as<TreeView>(o).HitTest(rt::toSingle(arg(a, 0)), rt::toSingle(arg(a, 1)));
         },
         {{"x", VarType::Single}, {"y", VarType::Single}}, VarType::Object, "Node"},
        {"ToolTipText", 5, CallKind::PropertyGet,
         [](Object& o, Args&) -> Variant { return as<TreeView>(o).ToolTipText(); }, {}, VarType::String},
        {"ToolTipText", 5, CallKind::PropertyLet,
         [](Object& o, Args& a) -> Variant {
             as<TreeView>(o).setToolTipText(rt::toText(arg(a, 0)));
             return {};
         },
         {{"RHS", VarType::String}}},
    };
    if (!userActions) return members;
    using tree::MemoryTreeView;
    std::vector<rt::Member> actions{
        {"SelectedItem", 6, CallKind::PropertyGet,
         [](Object& o, Args&) -> Variant { return as<MemoryTreeView>(o).selectedNode(); }, {}, VarType::Object,
         "Node"},
        {"ClickNode", 10, CallKind::Method,
         [](Object& o, Args& a) -> Variant {
             const Variant& which = arg(a, 0);
             if (which.isObject()) {
                 auto node = rt::toObject(which).as<tree::TreeNode>();
                 if (!node) throw rt::errTypeMismatch();
                 as<MemoryTreeView>(o).clickNode(node);
             } else {
                 as<MemoryTreeView>(o).clickNode(rt::toText(which));
             }
             return {};
         },
         {{"Node"}}},
        {"PressKey", 11, CallKind::Method,
         [](Object& o, Args& a) -> Variant {
             as<MemoryTreeView>(o).pressKey(rt::toInt16(arg(a, 0)), optionalShift(a));
             return {};
         },
         {{"KeyCode", VarType::Integer}, {"Shift", VarType::Integer, true}}},
        {"ReleaseKey", 12, CallKind::Method,
         [](Object& o, Args& a) -> Variant {
             as<MemoryTreeView>(o).releaseKey(rt::toInt16(arg(a, 0)), optionalShift(a));
             return {};
         },
         {{"KeyCode", VarType::Integer}, {"Shift", VarType::Integer, true}}},
        {"MovePointer", 13, CallKind::Method,
         [](Object& o, Args& a) -> Variant {
             as<MemoryTreeView>(o).movePointer(rt::toInt16(arg(a, 0)), rt::toInt16(arg(a, 1)),
                                               rt::toSingle(arg(a, 2)), rt::toSingle(arg(a, 3)));
             return {};
         },
         {{"Button", VarType::Integer}, {"Shift", VarType::Integer}, {"x", VarType::Single}, {"y", VarType::Single}}},
    };
    members.insert(members.end(), actions.begin(), actions.end());
    return members;
}

Variant optional(const Args& a, size_t i) { return rt::isOmitted(a, i) ? Variant(rt::Missing{}) : a[i]; }

}  // namespace

const rt::ClassInfo& MemoryTreeViewObject::classInfo() const {
    static const rt::ClassInfo info{"TreeView", viewMembers(true)};
    return info;
}

const rt::ClassInfo& treeViewMembers() {
    static const rt::ClassInfo info{"TreeView", viewMembers(false)};
    return info;
}

const rt::ClassInfo& treeNodesMembers() {
    using tree::TreeNodes;
    static const rt::ClassInfo info{
        "Nodes",
        {
            {"Item", 0, CallKind::Method,
             [](Object& o, Args& a) -> Variant { return as<TreeNodes>(o).Item(arg(a, 0)); }, {{"Index"}},
             VarType::Object, "Node"},
            {"Count", 1, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return as<TreeNodes>(o).Count(); },
             {}, VarType::Long},
            {"Add", 2, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 return as<TreeNodes>(o).Add(optional(a, 0), optional(a, 1), optional(a, 2), optional(a, 3),
                                             optional(a, 4));
             },
             {{"Relative", VarType::Variant, true},
              {"Relationship", VarType::Variant, true},
              {"Key", VarType::Variant, true},
              {"Text", VarType::Variant, true},
              {"Image", VarType::Variant, true}},
             VarType::Object, "Node"},
            {"Clear", 3, CallKind::Method,
             [](Object& o, Args&) -> Variant {
                 as<TreeNodes>(o).Clear();
                 return {};
             }},
        }};
    return info;
}

const rt::ClassInfo& treeNodeMembers() {
    using tree::TreeNode;
    static const rt::ClassInfo info{
        "Node",
        {
            {"Key", 1, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return as<TreeNode>(o).Key(); }, {},
             VarType::String},
            {"Text", 0, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return as<TreeNode>(o).Text(); },
             {}, VarType::String},
            {"Text", 0, CallKind::PropertyLet,
             [](Object& o, Args& a) -> Variant {
                 as<TreeNode>(o).setText(rt::toText(arg(a, 0)));
                 return {};
             },
             {{"RHS", VarType::String}}},
            {"Tag", 2, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return as<TreeNode>(o).Tag(); }, {},
             VarType::Variant},
            {"Tag", 2, CallKind::PropertyLet,
             [](Object& o, Args& a) -> Variant {
                 as<TreeNode>(o).setTag(arg(a, 0));
                 return {};
             },
             {Value}},
            {"Image", 3, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return as<TreeNode>(o).Image(); },
             {}, VarType::Variant},
            {"Image", 3, CallKind::PropertyLet,
             [](Object& o, Args& a) -> Variant {
                 as<TreeNode>(o).setImage(arg(a, 0));
                 return {};
             },
             {Value}},
            {"Child", 4, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return as<TreeNode>(o).Child(); },
             {}, VarType::Object, "Node"},
            {"Next", 5, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return as<TreeNode>(o).Next(); },
             {}, VarType::Object, "Node"},
            {"Parent", 6, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return as<TreeNode>(o).Parent(); }, {}, VarType::Object, "Node"},
            {"Children", 7, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return rt::narrow16(as<TreeNode>(o).Children()); }, {},
             VarType::Integer},
            {"Expanded", 8, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return rt::Bool16{as<TreeNode>(o).Expanded()}; }, {},
             VarType::Boolean},
            {"Expanded", 8, CallKind::PropertyLet,
             [](Object& o, Args& a) -> Variant {
                 as<TreeNode>(o).setExpanded(rt::toInt16(arg(a, 0)));
                 return {};
             },
             {{"RHS", VarType::Boolean}}},
            {"Selected", 9, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return rt::Bool16{as<TreeNode>(o).Selected()}; }, {},
             VarType::Boolean},
            {"Selected", 9, CallKind::PropertyLet,
             [](Object& o, Args& a) -> Variant {
                 as<TreeNode>(o).setSelected(rt::toInt16(arg(a, 0)));
                 return {};
             },
             {{"RHS", VarType::Boolean}}},
        }};
    return info;
}

const rt::ClassInfo& membersOf(const rt::Object& obj) {
    const rt::ClassInfo& own = obj.classInfo();
    if (!own.members.empty()) return own;
    if (dynamic_cast<const tree::TreeView*>(&obj)) return treeViewMembers();
    if (dynamic_cast<const tree::TreeNodes*>(&obj)) return treeNodesMembers();
    if (dynamic_cast<const tree::TreeNode*>(&obj)) return treeNodeMembers();
    return own;
}

}  // namespace sarnpy
