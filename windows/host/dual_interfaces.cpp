// Prints the C++ classes behind the dual interfaces of sarn10b.dll, one per
// public class, from the same member tables as its type library: each
// implements the interface that widl declares for it (widl -h), and each
// vtable method hands its typed arguments to win::callThroughTable, which
// calls the member's invoker. The runtime's collection, which the classes
// hand out, gets the type library's Collection interface the same way.
// Nothing per member is written by hand.
#include <cstdio>
#include <iostream>
#include <string>
#include <utility>

#include "library/type_library.h"
#include "runtime/collection.h"

namespace {

// The C type that widl declares for a type of the member tables (as the
// interface-definition text names it) and its automation type.
std::pair<std::string, std::string> cType(rt::VarType type, std::string_view typeName) {
    if (typeName == "Object") return {"IDispatch*", "VT_DISPATCH"};
    if (typeName == "Collection" || typeName == "IPictureDisp") return {std::string(typeName) + "*", "VT_DISPATCH"};
    if (!typeName.empty()) return {std::string(typeName), "VT_I4"};  // an enumeration
    switch (type) {
        case rt::VarType::String:
            return {"BSTR", "VT_BSTR"};
        case rt::VarType::Long:
            return {"LONG", "VT_I4"};
        case rt::VarType::Integer:
            return {"SHORT", "VT_I2"};
        case rt::VarType::Boolean:
            return {"VARIANT_BOOL", "VT_BOOL"};
        case rt::VarType::Single:
            return {"FLOAT", "VT_R4"};
        case rt::VarType::Double:
            return {"DOUBLE", "VT_R8"};
        case rt::VarType::Object:
            return {"IDispatch*", "VT_DISPATCH"};
        default:
            return {"VARIANT", "VT_VARIANT"};
    }
}

// The interface that an object of this kind is handed out as ("nullptr":
// plain IDispatch).
std::string interfaceOf(std::string_view typeName) {
    if (typeName == "Collection" || typeName == "IPictureDisp") return "&__uuidof(" + std::string(typeName) + ")";
    return "nullptr";
}

std::string methodName(const rt::Member& m) {
    switch (m.kind) {
        case rt::CallKind::PropertyGet:
            return "get_" + std::string(m.name);
        case rt::CallKind::PropertyLet:
            return "put_" + std::string(m.name);
        case rt::CallKind::PropertySet:
            return "putref_" + std::string(m.name);
        case rt::CallKind::Method:
            break;
    }
    return std::string(m.name);
}

std::string kindName(rt::CallKind kind) {
    switch (kind) {
        case rt::CallKind::PropertyGet:
            return "rt::CallKind::PropertyGet";
        case rt::CallKind::PropertyLet:
            return "rt::CallKind::PropertyLet";
        case rt::CallKind::PropertySet:
            return "rt::CallKind::PropertySet";
        case rt::CallKind::Method:
            break;
    }
    return "rt::CallKind::Method";
}

std::string hex(int32_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08x", static_cast<uint32_t>(value));
    return buf;
}

std::string methodText(const rt::Member& m) {
    const bool assignment = m.kind == rt::CallKind::PropertyLet || m.kind == rt::CallKind::PropertySet;
    std::string params, args;
    for (const auto& p : m.params) {
        const auto [type, vt] = cType(p.type, p.typeName);
        const bool byRef = p.byRef && !assignment;
        const std::string name(p.name);
        params += (params.empty() ? "" : ", ") + type + (byRef ? "* " : " ") + name;
        args += std::string(args.empty() ? "" : ", ") + "{" + vt + ", " + (byRef ? "" : "&") + name + ", " +
                (byRef ? "true" : "false") + ", " + interfaceOf(p.typeName) + "}";
    }
    std::string result = "{VT_EMPTY, nullptr, false, nullptr}";
    if (m.result != rt::VarType::Empty) {
        const auto [type, vt] = cType(m.result, m.resultTypeName);
        params += (params.empty() ? "" : ", ") + type + "* retval";
        result = "{" + vt + ", retval, true, " + interfaceOf(m.resultTypeName) + "}";
    }
    return "    HRESULT STDMETHODCALLTYPE " + methodName(m) + "(" + params + ") override {\n        return call(" +
           hex(m.dispid) + ", " + kindName(m.kind) + ", {" + args + "}, " + result + ");\n    }\n";
}

std::string classText(const std::string& iface, const rt::ClassInfo& table) {
    std::string out = "\nclass Dual" + iface + " final : public win::DualObject<" + iface + "> {\npublic:\n" +
                      "    using DualObject::DualObject;\n\n";
    for (const auto& m : table.members)
        if (m.published) out += methodText(m);
    return out + "};\n";
}

std::string registrationText(const std::string& iface, const std::string& table) {
    return "    win::addDualInterface(" + table + ", __uuidof(" + iface +
           "), [](IUnknown* owner, const rt::ObjectRef& object) -> IUnknown* {\n"
           "        return static_cast<" + iface + "*>(new Dual" + iface + "(owner, object, object->classInfo(), __uuidof(" +
           iface + ")));\n    });\n";
}

}  // namespace

int main() {
    const auto& lib = Sarn10B::typeLibrary();
    std::string out =
        "// Generated by dual_interfaces from the library's member tables; do not edit.\n"
        "#include \"sarn10b_h.h\"\n\n"
        "#include \"library/type_library.h\"\n"
        "#include \"runtime/collection.h\"\n"
        "#include \"windows/platform/com_bridge.h\"\n"
        "#include \"windows/platform/dual_object.h\"\n"
        "#include \"windows/server/dual_interfaces.h\"\n\n"
        "namespace {\n";
    std::string registration;
    for (size_t i = 0; i < lib.classes.size(); ++i) {
        std::string iface = "_";
        iface += lib.classes[i].ids.name;
        out += classText(iface, *lib.classes[i].members);
        registration += registrationText(iface, "*lib.classes[" + std::to_string(i) + "].members");
    }
    // The runtime's collection, which the classes hand out, as the type
    // library's Collection.
    out += classText("Collection", rt::make<rt::Collection>()->classInfo());
    registration += "    const rt::ClassInfo& collection = rt::make<rt::Collection>()->classInfo();\n"
                    "    win::describeClass(collection, libid, lcid, __uuidof(Collection));\n" +
                    registrationText("Collection", "collection");
    out += "\n}  // namespace\n\nvoid registerDualInterfaces(const GUID& libid, LCID lcid) {\n"
           "    const auto& lib = Sarn10B::typeLibrary();\n" +
           registration + "}\n";
    std::cout << out;
    return 0;
}
