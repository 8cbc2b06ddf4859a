#include "library/type_library.h"

#include <cstdio>

#include "library/library_object.h"
#include "library/small_classes.h"
#include "manager/style_manager.h"

namespace Sarn10B {
namespace {

template <class T>
const rt::ClassInfo* membersOf() {
    return &rt::make<T>()->classInfo();  // the table outlives the instance
}

bool isObjectKind(std::string_view typeName) {
    return typeName == "Collection" || typeName == "IPictureDisp" || typeName == "Object";
}

std::string typeText(rt::VarType type, std::string_view typeName) {
    if (typeName == "Object") return "IDispatch*";
    if (!typeName.empty()) return std::string(typeName) + (isObjectKind(typeName) ? "*" : "");
    switch (type) {
        case rt::VarType::String:
            return "BSTR";
        case rt::VarType::Long:
            return "long";
        case rt::VarType::Integer:
            return "short";
        case rt::VarType::Boolean:
            return "VARIANT_BOOL";
        case rt::VarType::Single:
            return "single";
        case rt::VarType::Double:
            return "double";
        case rt::VarType::Object:
            return "IDispatch*";
        default:
            return "VARIANT";
    }
}

std::string hex(int32_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08x", static_cast<uint32_t>(value));
    return buf;
}

std::string memberText(const rt::Member& m) {
    std::string attrs = "[id(" + hex(m.dispid) + ")";
    switch (m.kind) {
        case rt::CallKind::PropertyGet:
            attrs += ", propget";
            break;
        case rt::CallKind::PropertyLet:
            attrs += ", propput";
            break;
        case rt::CallKind::PropertySet:
            attrs += ", propputref";
            break;
        case rt::CallKind::Method:
            break;
    }
    attrs += "]";

    std::vector<std::string> params;
    const bool assignment = m.kind == rt::CallKind::PropertyLet || m.kind == rt::CallKind::PropertySet;
    for (const auto& p : m.params) {
        std::string a = assignment ? "[in" : (p.byRef ? "[in, out" : "[in");
        if (p.optional) a += ", optional";
        if (!p.defaultValue.empty()) a += ", defaultvalue(" + std::string(p.defaultValue) + ")";
        a += "] " + typeText(p.type, p.typeName) + (p.byRef && !assignment ? "*" : "") + " " + std::string(p.name);
        params.push_back(a);
    }
    if (m.result != rt::VarType::Empty)
        params.push_back("[out, retval] " + typeText(m.result, m.resultTypeName) + "* retval");

    std::string text = "        " + attrs + "\n        HRESULT " + std::string(m.name) + "(";
    for (size_t i = 0; i < params.size(); ++i) text += (i ? ", " : "") + params[i];
    return text + ");\n";
}

}  // namespace

const TypeLibraryInfo& typeLibrary() {
    static const TypeLibraryInfo lib{
        ids::LibraryName,
        ids::TypeLibrary,
        1,
        0,
        0x409,
        "Sarn10B 1.0: tree view check boxes and option buttons",
        {{"stdole2.tlb", "IDispatch, IPictureDisp"},
         {"SarnRuntime.tlb", "LoadResConstants"},
         {"SarnCollection.tlb", "Collection"},
         {"MSComctlLib.tlb", "TreeRelationshipConstants"}},
        {{"TVSNodeType", ids::EnumTVSNodeType, {{"TVSNodeType_CB", 1}, {"TVSNodeType_OB", 2}}},
         {"TVSNodeStyle",
          ids::EnumTVSNodeStyle,
          {{"TVSNodeStyle_Default", 0},
           {"TVSNodeStyle_CheckBoxoff", 1},
           {"TVSNodeStyle_CheckBoxOn", 2},
           {"TVSNodeStyle_OptionButtonOff", 3},
           {"TVSNodeStyle_OptionButtonOn", 4}}},
         {"TVSImageStyles",
          ids::EnumTVSImageStyles,
          {{"TVSImageStyles_CheckunCheckBox", 0},
           {"TVSImageStyles_WrongWrite", 1},
           {"TVSImageStyles_WrongWriteColor", 2},
           {"TVSImageStyles_LockUnlock", 3}}}},
        {{ids::StyleManager, false, false, membersOf<clsKwAmbrTvsA>()},
         {ids::LibraryObject, true, true, membersOf<clsKwOrvel10BA>()},
         {ids::ListViewWndClass, false, false, membersOf<clsKwAmbrListViewWndClassA>()},
         {ids::TreeviewWndClass, false, false, membersOf<clsKwAmbrTreeviewWndClassA>()},
         {ids::General, false, false, membersOf<clsKwAmbrGeneralA>()},
         {ids::Advanced, false, false, membersOf<clsKwAmbrAdvancedA>()}},
    };
    return lib;
}

std::string idlText(const TypeLibraryInfo& lib) {
    std::string out;
    out += "// Type library " + std::string(lib.name) + " " + std::to_string(lib.major) + "." +
           std::to_string(lib.minor) + "\n";
    out += "[\n    uuid(" + std::string(lib.uuid) + "),\n    version(" + std::to_string(lib.major) + "." +
           std::to_string(lib.minor) + "),\n    lcid(" + hex(lib.lcid) + "),\n    helpstring(\"" +
           std::string(lib.helpString) + "\")\n]\nlibrary " + std::string(lib.name) + "\n{\n";
    for (const auto& r : lib.references)
        out += "    importlib(\"" + std::string(r.file) + "\");  // " + std::string(r.what) + "\n";
    out += "\n";
    for (const auto& c : lib.classes) out += "    interface _" + std::string(c.ids.name) + ";\n";
    for (const auto& e : lib.enums) {
        out += "\n    typedef [uuid(" + std::string(e.uuid) + ")]\n    enum {\n";
        for (size_t i = 0; i < e.values.size(); ++i)
            out += "        " + std::string(e.values[i].first) + " = " + std::to_string(e.values[i].second) +
                   (i + 1 < e.values.size() ? ",\n" : "\n");
        out += "    } " + std::string(e.name) + ";\n";
    }
    for (const auto& c : lib.classes) {
        out += "\n    [\n        odl,\n        uuid(" + std::string(c.ids.iid) +
               "),\n        version(1.0),\n        hidden,\n        dual,\n        nonextensible,\n"
               "        oleautomation\n    ]\n    interface _" +
               std::string(c.ids.name) + " : IDispatch {\n";
        for (const auto& m : c.members->members)
            if (m.published) out += memberText(m);
        out += "    };\n\n    [\n        uuid(" + std::string(c.ids.clsid) + "),\n        version(1.0)";
        if (c.appObject) out += ",\n        appobject";
        if (c.predeclared) out += ",\n        predeclid";
        out += "\n    ]\n    coclass " + std::string(c.ids.name) + " {\n        [default] interface _" +
               std::string(c.ids.name) + ";\n    };\n";
    }
    out += "};\n";
    return out;
}

}  // namespace Sarn10B
