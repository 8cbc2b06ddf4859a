#pragma once
// The automation surface of the six public classes as the library publishes
// it: every slot in order with its name, kind and dispatch identifier. The
// member tables, calls by dispatch identifier and the type library are all
// checked against these lists, written out here independently of the code.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "runtime/dispatch.h"
#include "runtime/error.h"
#include "testing/error_number.h"

namespace Sarn10B::test {

struct Slot {
    std::string name;
    rt::CallKind kind;
    int32_t dispid;
    bool published = true;
    bool operator==(const Slot&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, rt::CallKind kind) {
    switch (kind) {
        case rt::CallKind::Method:
            return os << "method";
        case rt::CallKind::PropertyGet:
            return os << "get";
        case rt::CallKind::PropertyLet:
            return os << "let";
        case rt::CallKind::PropertySet:
            return os << "set";
    }
    return os << "kind " << static_cast<int>(kind);
}

inline std::ostream& operator<<(std::ostream& os, const Slot& s) {
    os << "{" << s.name << ", " << s.kind << ", 0x" << std::hex << s.dispid << std::dec;
    return os << (s.published ? "}" : ", unpublished}");
}

struct ExpectedClass {
    std::string name;
    std::vector<Slot> slots;
};

inline std::vector<ExpectedClass> expectedClasses() {
    using K = rt::CallKind;
    constexpr K Get = K::PropertyGet, Let = K::PropertyLet, Set = K::PropertySet, Method = K::Method;
    return {
        {"clsKwAmbrTvsA",
         {
             {"QueryNodeKeysCollection", Get, 0x40030002},
             {"QueryNodeKeysCollection", Let, 0x40030002, false},
             {"QueryNodeKeysCollection", Set, 0x40030002},
             {"QueryNodeTextCollection", Get, 0x40030003},
             {"QueryNodeTextCollection", Let, 0x40030003, false},
             {"QueryNodeTextCollection", Set, 0x40030003},
             {"TreeViewObject", Get, 0x68030007},
             {"TreeViewObject", Set, 0x68030007},
             {"BuddyObject", Get, 0x68030006},
             {"BuddyObject", Set, 0x68030006},
             {"Tag", Get, 0x68030005},
             {"Tag", Let, 0x68030005},
             {"NodeChildren", Get, 0x68030004},
             {"NodeChildren", Let, 0x68030004},
             {"TaginToolTip", Get, 0x68030003},
             {"TaginToolTip", Let, 0x68030003},
             {"IsExpanded", Get, 0x68030002},
             {"IsExpanded", Let, 0x68030002},
             {"HitTestOnMouseMove", Get, 0x68030001},
             {"HitTestOnMouseMove", Let, 0x68030001},
             {"ImageStyles", Get, 0x68030000},
             {"ImageStyles", Let, 0x68030000},
             {"Refresh", Method, 0x60030009},
             {"AddNode", Method, 0x6003000A},
             {"OBSelectIndex", Method, 0x6003000B},
             {"OBSetStyle", Method, 0x6003000C},
             {"NodeGetText", Method, 0x6003000D},
             {"GetTVSNodeStyle", Method, 0x6003000E},
             {"CBOBGetState", Method, 0x6003000F},
             {"CBSetStyle", Method, 0x60030010},
             {"CBSelectAll", Method, 0x60030011},
             {"MoreChildrenDefault", Method, 0x60030012},
             {"ExpandAll", Method, 0x60030013},
             {"QueryNodeCollection", Method, 0x60030014},
         }},
        {"clsKwOrvel10BA",
         {
             {"GetProStdProperties", Get, 0x68030004},
             {"GetProResStrings", Get, 0x68030003},
             {"GetProResPicture", Get, 0x68030002},
             {"GetProResData", Get, 0x68030001},
             {"About", Method, 0x60030006},
             {"BuddyObjectGlobal", Get, 0x68030000},
             {"BuddyObjectGlobal", Set, 0x68030000},
         }},
        {"clsKwAmbrListViewWndClassA", {{"Handle", Get, 0x68030000}, {"Handle", Let, 0x68030000}}},
        {"clsKwAmbrTreeviewWndClassA", {{"Handle", Get, 0x68030000}, {"Handle", Let, 0x68030000}}},
        {"clsKwAmbrGeneralA", {}},
        {"clsKwAmbrAdvancedA", {}},
    };
}

// The slots of a class's member table, in table order.
inline std::vector<Slot> slotsOf(const rt::ClassInfo& info) {
    std::vector<Slot> out;
    for (const auto& m : info.members) out.push_back({std::string(m.name), m.kind, m.dispid, m.published});
    return out;
}

using testing_support::errorNumberOf;

}  // namespace Sarn10B::test
