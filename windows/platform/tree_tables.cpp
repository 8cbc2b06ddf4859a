#include "windows/platform/tree_tables.h"

#include "outside/image_list.h"
#include "outside/tree_model.h"
#include "windows/platform/automation_tables.h"

namespace win {
namespace {

using rt::Args;
using rt::CallKind;
using rt::Object;
using rt::Param;
using rt::Variant;
using rt::VarType;

tree::TreeNode& node(Object& o) { return rt::self<tree::TreeNode>(o); }
tree::TreeNodes& nodes(Object& o) { return rt::self<tree::TreeNodes>(o); }
const Variant& arg(Args& a, size_t i) { return rt::requiredArg(a, i); }

const Param value{"RHS"};
const Param index{"Index"};

const rt::ClassInfo nodeTable{
    "Node",
    {
        {"Key", 1, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return node(o).Key(); }, {},
         VarType::String},
        {"Text", 2, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return node(o).Text(); }, {},
         VarType::String},
        {"Text", 2, CallKind::PropertyLet,
         [](Object& o, Args& a) -> Variant {
             node(o).setText(rt::toText(arg(a, 0)));
             return {};
         },
         {value}},
        {"Tag", 3, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return node(o).Tag(); }, {},
         VarType::Variant},
        {"Tag", 3, CallKind::PropertyLet,
         [](Object& o, Args& a) -> Variant {
             node(o).setTag(arg(a, 0));
             return {};
         },
         {value}},
        {"Image", 4, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return node(o).Image(); }, {},
         VarType::Variant},
        {"Image", 4, CallKind::PropertyLet,
         [](Object& o, Args& a) -> Variant {
             node(o).setImage(arg(a, 0));
             return {};
         },
         {value}},
        {"Child", 5, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return node(o).Child(); }, {},
         VarType::Object},
        {"Next", 6, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return node(o).Next(); }, {},
         VarType::Object},
        {"Parent", 7, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return node(o).Parent(); }, {},
         VarType::Object},
        {"Children", 8, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return node(o).Children(); }, {},
         VarType::Long},
        {"Expanded", 9, CallKind::PropertyGet,
         [](Object& o, Args&) -> Variant { return rt::Bool16{node(o).Expanded()}; }, {}, VarType::Boolean},
        {"Expanded", 9, CallKind::PropertyLet,
         [](Object& o, Args& a) -> Variant {
             node(o).setExpanded(rt::toInt16(arg(a, 0)));
             return {};
         },
         {value}},
        {"Selected", 10, CallKind::PropertyGet,
         [](Object& o, Args&) -> Variant { return rt::Bool16{node(o).Selected()}; }, {}, VarType::Boolean},
        {"Selected", 10, CallKind::PropertyLet,
         [](Object& o, Args& a) -> Variant {
             node(o).setSelected(rt::toInt16(arg(a, 0)));
             return {};
         },
         {value}},
    }};

const rt::ClassInfo nodesTable{
    "Nodes",
    {
        {"Item", 0, CallKind::Method, [](Object& o, Args& a) -> Variant { return nodes(o).Item(arg(a, 0)); }, {index},
         VarType::Object},
        {"Count", 1, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return nodes(o).Count(); }, {},
         VarType::Long},
        {"Add", 2, CallKind::Method,
         [](Object& o, Args& a) -> Variant {
             return nodes(o).Add(rt::argAt(a, 0), rt::argAt(a, 1), rt::argAt(a, 2), rt::argAt(a, 3), rt::argAt(a, 4));
         },
         {{"Relative", VarType::Variant, true},
          {"Relationship", VarType::Variant, true},
          {"Key", VarType::Variant, true},
          {"Text", VarType::Variant, true},
          {"Image", VarType::Variant, true}},
         VarType::Object},
        {"Clear", 3, CallKind::Method,
         [](Object& o, Args&) -> Variant {
             nodes(o).Clear();
             return {};
         }},
    }};

const rt::ClassInfo imageListTable{
    "ImageList",
    {
        {"ListImages", 1, CallKind::PropertyGet,
         [](Object& o, Args&) -> Variant { return rt::self<tree::ImageList>(o).ListImages(); }, {}, VarType::Object},
    }};

const rt::ClassInfo listImagesTable{
    "ListImages",
    {
        {"Item", 0, CallKind::Method,
         [](Object& o, Args& a) -> Variant { return rt::self<tree::ListImages>(o).Item(arg(a, 0)); }, {index},
         VarType::Object},
        {"Count", 1, CallKind::PropertyGet,
         [](Object& o, Args&) -> Variant { return rt::self<tree::ListImages>(o).Count(); }, {}, VarType::Long},
        {"Add", 2, CallKind::Method,
         [](Object& o, Args& a) -> Variant {
             return rt::self<tree::ListImages>(o).Add(rt::argAt(a, 0), rt::argAt(a, 1), rt::argAt(a, 2));
         },
         {{"Index", VarType::Variant, true}, {"Key", VarType::Variant, true}, {"Picture", VarType::Variant, true}},
         VarType::Object},
    }};

const rt::ClassInfo listImageTable{
    "ListImage",
    {
        {"Key", 1, CallKind::PropertyGet,
         [](Object& o, Args&) -> Variant { return rt::self<tree::ListImage>(o).Key(); }, {}, VarType::String},
        {"Picture", 2, CallKind::PropertyGet,
         [](Object& o, Args&) -> Variant { return rt::self<tree::ListImage>(o).Picture(); }, {}, VarType::Object},
    }};

}  // namespace

void registerTreeTables() {
    addAutomationTable<tree::TreeNode>(&nodeTable);
    addAutomationTable<tree::TreeNodes>(&nodesTable);
    addAutomationTable<tree::ImageList>(&imageListTable);
    addAutomationTable<tree::ListImages>(&listImagesTable);
    addAutomationTable<tree::ListImage>(&listImageTable);
}

}  // namespace win
