#include "python/stub_text.h"

#include <vector>

#include "library/type_library.h"
#include "python/surface_tables.h"
#include "runtime/collection.h"
#include "runtime/text.h"

namespace sarnpy {
namespace {

using rt::CallKind;
using rt::VarType;

// The stub's name for an object kind of the tables.
std::string objectType(std::string_view typeName) {
    if (typeName == "Collection") return "Collection";
    if (typeName == "Node" || typeName == "Nodes") return "_" + std::string(typeName);
    return "Object";
}

std::string pythonType(VarType type, std::string_view typeName) {
    if (type == VarType::Object) return objectType(typeName) + " | None";
    switch (type) {
        case VarType::String:
            return "str";
        case VarType::Integer:
        case VarType::Long:
        case VarType::Byte:
            return "int";
        case VarType::Boolean:
            return "bool | int";
        case VarType::Single:
        case VarType::Double:
            return "float";
        case VarType::ByteArray:
            return "bytes";
        case VarType::Empty:
            return "None";
        default:
            return "Any";
    }
}

std::string parameters(const rt::Member& m) {
    std::string out;
    for (const auto& p : m.params) {
        out += ", " + std::string(p.name) + ": " + pythonType(p.type, p.typeName);
        if (p.optional) out += " = ...";
    }
    return out;
}

bool isProperty(const rt::ClassInfo& table, std::string_view name) {
    for (const auto& m : table.members)
        if (m.kind == CallKind::PropertyGet && rt::textEquals(m.name, name) && m.params.empty()) return true;
    return false;
}

bool hasKind(const rt::ClassInfo& table, std::string_view name, CallKind kind) {
    for (const auto& m : table.members)
        if (m.kind == kind && rt::textEquals(m.name, name)) return true;
    return false;
}

// One class of the stub: properties as annotated attributes, everything
// else as methods.
std::string classText(const std::string& className, const std::string& base, const rt::ClassInfo& table) {
    std::string out = "class " + className + "(" + base + "):\n";
    std::vector<std::string_view> done;
    for (const auto& m : table.members) {
        if (!m.published) continue;
        bool seen = false;
        for (auto d : done) seen = seen || d == m.name;
        if (seen) continue;
        done.push_back(m.name);
        if (isProperty(table, m.name)) {
            const rt::Member* get = table.find(m.name, CallKind::PropertyGet);
            const bool writable = hasKind(table, m.name, CallKind::PropertyLet) ||
                                  hasKind(table, m.name, CallKind::PropertySet);
            out += "    " + std::string(m.name) + ": " + pythonType(get->result, get->resultTypeName);
            out += writable ? "\n" : "  # read-only\n";
        } else if (m.kind == CallKind::Method || m.kind == CallKind::PropertyGet) {
            out += "    def " + std::string(m.name) + "(self" + parameters(m) + ") -> " +
                   pythonType(m.result, m.resultTypeName) + ": ...\n";
        } else {
            // A write-only property: assigned, never read.
            out += "    " + std::string(m.name) + ": Any  # write-only\n";
        }
    }
    if (done.empty()) out += "    pass\n";
    return out + "\n";
}

constexpr const char* StubHead = R"(# The Python module of the sarn10b library: every class by name.
# Written at build time from the member tables that calls by name go through.
# The classes whose names begin with "_" describe the objects that create()
# and the members hand out; at run time every one is a sarn10b.Object.
from typing import Any, Callable, Iterator, Literal, overload
import enum

__version__: str

class Error(Exception):
    number: int
    source: str
    description: str
    def __init__(self, number: int = ..., source: str = ..., description: str = ...) -> None: ...

class MemberError(Error, AttributeError): ...
class SubscriptError(Error, IndexError): ...

class _Singleton: ...
Null: _Singleton
Missing: _Singleton

class Ref:
    value: Any
    def __init__(self, value: Any = ...) -> None: ...

class Object:
    def __getattr__(self, name: str) -> Any: ...
    def __setattr__(self, name: str, value: Any) -> None: ...
    def __call__(self, *args: Any, **kwargs: Any) -> Any: ...

class Collection(Object):
    def __init__(self) -> None: ...
    def __len__(self) -> int: ...
    def __iter__(self) -> Iterator[Any]: ...
    def __getitem__(self, index: int | str) -> Any: ...
    def Add(self, Item: Any, Key: Any = ...) -> None: ...
    def Count(self) -> int: ...
    def Item(self, Index: Any) -> Any: ...
    def Remove(self, Index: Any) -> None: ...

def register(progid: str, cls: Callable[[], Any]) -> None: ...
def unregister(progid: str) -> None: ...
def registered_classes() -> list[str]: ...

tvwFirst: int
tvwLast: int
tvwNext: int
tvwPrevious: int
tvwChild: int

)";

}  // namespace

std::string memberDoc(const rt::ClassInfo& table, std::string_view name) {
    std::string out;
    for (const auto& m : table.members) {
        if (!rt::textEquals(m.name, name)) continue;
        std::string line = std::string(m.name);
        switch (m.kind) {
            case CallKind::Method:
                line += "(" + parameters(m).substr(m.params.empty() ? 0 : 2) + ") -> " +
                        pythonType(m.result, m.resultTypeName);
                break;
            case CallKind::PropertyGet:
                if (!m.params.empty()) line += "(" + parameters(m).substr(2) + ")";
                line += " -> " + pythonType(m.result, m.resultTypeName) + "  (property get)";
                break;
            case CallKind::PropertyLet:
                line += " = " + pythonType(m.params.empty() ? VarType::Variant : m.params.back().type, {}) +
                        "  (property let)";
                break;
            case CallKind::PropertySet:
                line += " = object or None  (property set by reference)";
                break;
        }
        if (!out.empty()) out += "\n";
        out += line;
    }
    return out;
}

std::string stubText() {
    const Sarn10B::TypeLibraryInfo& lib = Sarn10B::typeLibrary();
    std::string out = StubHead;
    for (const auto& e : lib.enums) {
        out += "class " + std::string(e.name) + "(enum.IntEnum):\n";
        for (const auto& [name, value] : e.values)
            out += "    " + std::string(name) + " = " + std::to_string(value) + "\n";
        out += "\n";
        for (const auto& [name, value] : e.values) out += std::string(name) + ": " + std::string(e.name) + "\n";
        out += "\n";
    }
    for (const auto& c : lib.classes) out += classText("_" + std::string(c.ids.name), "Object", *c.members);
    out += classText("_TreeView", "Object", rt::make<MemoryTreeViewObject>()->classInfo());
    out += classText("_Nodes", "Object", treeNodesMembers());
    out += classText("_Node", "Object", treeNodeMembers());
    for (const auto& c : lib.classes)
        out += "@overload\ndef create(progid: Literal[\"" + std::string(Sarn10B::ids::LibraryName) + "." +
               std::string(c.ids.name) + "\"]) -> _" + std::string(c.ids.name) + ": ...\n";
    out += "@overload\ndef create(progid: Literal[\"" + std::string(MemoryTreeViewProgId) + "\"]) -> _TreeView: ...\n";
    out += "@overload\ndef create(progid: str) -> Object: ...\n";
    return out;
}

}  // namespace sarnpy
