// The style manager's automation surface: every member with its dispatch
// identifier, in slot order. Calls by name and by identifier, and the
// manager's interface in the type library, all come from this one table.
#include "manager/style_manager.h"
#include "runtime/dispatch.h"

namespace Sarn10B {
namespace {

using rt::Args;
using rt::CallKind;
using rt::Object;
using rt::Param;
using rt::Variant;
using rt::VarType;

clsKwAmbrTvsA& me(Object& o) { return rt::self<clsKwAmbrTvsA>(o); }

// An object argument: a Collection or nothing (13 for any other object).
rt::Ref<rt::Collection> collectionArg(const Variant& v) {
    rt::ObjectRef obj = rt::toObject(v);
    if (!obj) return {};
    auto c = obj.as<rt::Collection>();
    if (!c) throw rt::errTypeMismatch();
    return c;
}

std::string text(const Args& a, size_t i) { return rt::toText(rt::requiredArg(a, i)); }
std::string optionalText(const Args& a, size_t i) { return rt::isOmitted(a, i) ? std::string() : rt::toText(a[i]); }

const Param Section{"sSection", VarType::String};
const Param Key{"sKey", VarType::String};

Variant addNode(Object& o, Args& a) {
    AddNodeArgs args;
    args.sRelative = optionalText(a, 0);
    if (!rt::isOmitted(a, 1)) args.sRelationship = rt::toInt32(a[1]);
    args.sKey = optionalText(a, 2);
    args.sText = optionalText(a, 3);
    if (!rt::isOmitted(a, 4)) args.enumTVSNodeStyle = rt::toInt32(a[4]);
    args.ImageIPictureDispKeyNormal = optionalText(a, 5);
    if (!rt::isOmitted(a, 6)) args.ImageIPictureDisp = rt::toObject(a[6]);
    if (!rt::isOmitted(a, 7)) args.bExpanded = rt::toInt16(a[7]);
    args.sTag = optionalText(a, 8);
    // The image key and the picture go back to the caller, also when a failed
    // report ends the call early: the steps before it have run.
    auto writeBack = [&] {
        a[5] = std::move(args.ImageIPictureDispKeyNormal);
        a[6] = std::move(args.ImageIPictureDisp);
    };
    Variant result;
    try {
        result = me(o).AddNode(args);
    } catch (...) {
        writeBack();
        throw;
    }
    writeBack();
    return result;
}

Variant moreChildrenDefault(Object& o, Args& a) {
    const std::string section = text(a, 0);
    if (rt::isOmitted(a, 1)) return rt::Bool16{me(o).MoreChildrenDefault(section)};
    rt::toInt32(a[1]);  // the argument must still be a number, as for any Long
    // A child count is a 16-bit value, so a start outside that range shows
    // whether the call wrote one. An unaddressable node leaves the caller's
    // variable exactly as it was, kind included.
    constexpr int32_t NotWritten = INT32_MIN;
    int32_t count = NotWritten;
    Variant result = rt::Bool16{me(o).MoreChildrenDefault(section, &count)};
    if (count != NotWritten) a[1] = count;
    return result;
}

// The getter and setter pair of a 16-bit Boolean property.
template <int16_t (clsKwAmbrTvsA::*Get)() const, void (clsKwAmbrTvsA::*Set)(int16_t)>
std::pair<rt::Invoker, rt::Invoker> boolProperty() {
    return {[](Object& o, Args&) -> Variant { return rt::Bool16{(me(o).*Get)()}; },
            [](Object& o, Args& a) -> Variant {
                (me(o).*Set)(rt::toInt16(rt::requiredArg(a, 0)));
                return {};
            }};
}

const auto tagInToolTip = boolProperty<&clsKwAmbrTvsA::TaginToolTip, &clsKwAmbrTvsA::setTaginToolTip>();
const auto isExpanded = boolProperty<&clsKwAmbrTvsA::IsExpanded, &clsKwAmbrTvsA::setIsExpanded>();
const auto hitTest = boolProperty<&clsKwAmbrTvsA::HitTestOnMouseMove, &clsKwAmbrTvsA::setHitTestOnMouseMove>();

Variant setKeys(Object& o, Args& a) {
    me(o).setQueryNodeKeysCollection(collectionArg(rt::requiredArg(a, 0)));
    return {};
}
Variant setTexts(Object& o, Args& a) {
    me(o).setQueryNodeTextCollection(collectionArg(rt::requiredArg(a, 0)));
    return {};
}

}  // namespace

const rt::ClassInfo& clsKwAmbrTvsA::classInfo() const {
    static const Param collection{"RHS", VarType::Object, false, true, "Collection"};
    static const Param object{"RHS", VarType::Object, false, true, "Object"};
    static const rt::ClassInfo info{
        "clsKwAmbrTvsA",
        {
            {"QueryNodeKeysCollection", 0x40030002, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return me(o).QueryNodeKeysCollection(); }, {}, VarType::Object,
             "Collection"},
            {"QueryNodeKeysCollection", 0x40030002, CallKind::PropertyLet, setKeys, {collection}, VarType::Empty,
             {}, false},
            {"QueryNodeKeysCollection", 0x40030002, CallKind::PropertySet, setKeys, {collection}},
            {"QueryNodeTextCollection", 0x40030003, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return me(o).QueryNodeTextCollection(); }, {}, VarType::Object,
             "Collection"},
            {"QueryNodeTextCollection", 0x40030003, CallKind::PropertyLet, setTexts, {collection}, VarType::Empty,
             {}, false},
            {"QueryNodeTextCollection", 0x40030003, CallKind::PropertySet, setTexts, {collection}},
            {"TreeViewObject", 0x68030007, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return me(o).TreeViewObject(); }, {}, VarType::Object, "Object"},
            {"TreeViewObject", 0x68030007, CallKind::PropertySet,
             [](Object& o, Args& a) -> Variant {
                 me(o).setTreeViewObject(rt::toObject(rt::requiredArg(a, 0)));
                 return {};
             },
             {object}},
            {"BuddyObject", 0x68030006, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return me(o).BuddyObject(); }, {}, VarType::Object, "Object"},
            {"BuddyObject", 0x68030006, CallKind::PropertySet,
             [](Object& o, Args& a) -> Variant {
                 me(o).setBuddyObject(rt::toObject(rt::requiredArg(a, 0)));
                 return {};
             },
             {object}},
            {"Tag", 0x68030005, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return me(o).Tag(); }, {},
             VarType::String},
            {"Tag", 0x68030005, CallKind::PropertyLet,
             [](Object& o, Args& a) -> Variant {
                 me(o).setTag(text(a, 0));
                 return {};
             },
             {{"RHS", VarType::String}}},
            {"NodeChildren", 0x68030004, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return me(o).NodeChildren(); }, {}, VarType::Long},
            {"NodeChildren", 0x68030004, CallKind::PropertyLet,
             [](Object& o, Args& a) -> Variant {
                 me(o).setNodeChildren(rt::toInt32(rt::requiredArg(a, 0)));
                 return {};
             },
             {{"RHS", VarType::Long}}},
            {"TaginToolTip", 0x68030003, CallKind::PropertyGet, tagInToolTip.first, {}, VarType::Boolean},
            {"TaginToolTip", 0x68030003, CallKind::PropertyLet, tagInToolTip.second, {{"RHS", VarType::Boolean}}},
            {"IsExpanded", 0x68030002, CallKind::PropertyGet, isExpanded.first, {}, VarType::Boolean},
            {"IsExpanded", 0x68030002, CallKind::PropertyLet, isExpanded.second, {{"RHS", VarType::Boolean}}},
            {"HitTestOnMouseMove", 0x68030001, CallKind::PropertyGet, hitTest.first, {}, VarType::Boolean},
            {"HitTestOnMouseMove", 0x68030001, CallKind::PropertyLet, hitTest.second, {{"RHS", VarType::Boolean}}},
            {"ImageStyles", 0x68030000, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return me(o).ImageStyles(); }, {}, VarType::Long, "TVSImageStyles"},
            {"ImageStyles", 0x68030000, CallKind::PropertyLet,
             [](Object& o, Args& a) -> Variant {
                 me(o).setImageStyles(rt::toInt32(rt::requiredArg(a, 0)));
                 return {};
             },
             {{"RHS", VarType::Long, false, true, "TVSImageStyles"}}},
            {"Refresh", 0x60030009, CallKind::Method, [](Object& o, Args&) -> Variant { return me(o).Refresh(); },
             {}, VarType::Variant},
            {"AddNode", 0x6003000A, CallKind::Method, addNode,
             {{"sRelative", VarType::String, true},
              {"sRelationship", VarType::Long, true, true, "TreeRelationshipConstants"},
              {"sKey", VarType::String, true},
              {"sText", VarType::String, true},
              {"enumTVSNodeStyle", VarType::Long, true, true, "TVSNodeStyle", "1"},
              {"ImageIPictureDispKeyNormal", VarType::String, true},
              {"ImageIPictureDisp", VarType::Object, true, true, "IPictureDisp"},
              {"bExpanded", VarType::Boolean, true},
              {"sTag", VarType::String, true}},
             VarType::Variant},
            {"OBSelectIndex", 0x6003000B, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 return me(o).OBSelectIndex(text(a, 0), rt::toInt32(rt::requiredArg(a, 1)));
             },
             {Section, {"lIndex", VarType::Long}}, VarType::Variant},
            {"OBSetStyle", 0x6003000C, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 return me(o).OBSetStyle(text(a, 0), text(a, 1), rt::toInt32(rt::requiredArg(a, 2)));
             },
             {Section, Key, {"enumTVSNodeStyle", VarType::Long, false, true, "TVSNodeStyle"}}, VarType::Long},
            {"NodeGetText", 0x6003000D, CallKind::Method,
             [](Object& o, Args& a) -> Variant { return me(o).NodeGetText(text(a, 0), text(a, 1)); },
             {Section, Key}, VarType::String},
            {"GetTVSNodeStyle", 0x6003000E, CallKind::Method,
             [](Object& o, Args& a) -> Variant { return me(o).GetTVSNodeStyle(text(a, 0), text(a, 1)); },
             {Section, Key}, VarType::Long, "TVSNodeStyle"},
            {"CBOBGetState", 0x6003000F, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 return rt::Bool16{me(o).CBOBGetState(text(a, 0), text(a, 1))};
             },
             {Section, Key}, VarType::Boolean},
            {"CBSetStyle", 0x60030010, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 return me(o).CBSetStyle(text(a, 0), text(a, 1), rt::toInt32(rt::requiredArg(a, 2)));
             },
             {Section, Key, {"enumTVSNodeStyle", VarType::Long, false, true, "TVSNodeStyle"}}, VarType::Long},
            {"CBSelectAll", 0x60030011, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 int16_t selectAll = rt::isOmitted(a, 1) ? rt::False16 : rt::toInt16(a[1]);
                 int16_t inverse = rt::isOmitted(a, 2) ? rt::False16 : rt::toInt16(a[2]);
                 return me(o).CBSelectAll(text(a, 0), selectAll, inverse);
             },
             {Section, {"bSelectAll", VarType::Boolean, true}, {"bInverse", VarType::Boolean, true, true, {}, "0"}},
             VarType::Long},
            {"MoreChildrenDefault", 0x60030012, CallKind::Method, moreChildrenDefault,
             {Section, {"lCount", VarType::Long, true}}, VarType::Boolean},
            {"ExpandAll", 0x60030013, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 return rt::Bool16{me(o).ExpandAll(rt::toInt16(rt::requiredArg(a, 0)))};
             },
             {{"bExpandAll", VarType::Boolean}}, VarType::Boolean},
            {"QueryNodeCollection", 0x60030014, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 int32_t prefix = rt::isOmitted(a, 1) ? TVSNodeType_CB : rt::toInt32(a[1]);
                 return me(o).QueryNodeCollection(text(a, 0), prefix);
             },
             {Section, {"enumTypePrefix", VarType::Long, true, true, "TVSNodeType", "1"}}, VarType::Object,
             "Collection"},
        }};
    return info;
}

}  // namespace Sarn10B
