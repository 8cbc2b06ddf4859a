#pragma once
// The type library Sarn10B, described from the same member tables that calls
// by name go through, so that the two cannot drift apart; and its textual
// form in interface-definition style.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "library/identifiers.h"
#include "runtime/dispatch.h"

namespace Sarn10B {

struct TypeLibClass {
    ids::ClassIds ids;
    bool appObject = false;    // callable without naming an instance
    bool predeclared = false;  // has a predeclared identifier
    const rt::ClassInfo* members = nullptr;
};

struct TypeLibEnum {
    std::string_view name;
    std::string_view uuid;
    std::vector<std::pair<std::string_view, int32_t>> values;
};

struct TypeLibReference {
    std::string_view file;
    std::string_view what;  // what the library takes from it
};

struct TypeLibraryInfo {
    std::string_view name;
    std::string_view uuid;
    int major = 1;
    int minor = 0;
    int32_t lcid = 0x409;
    std::string_view helpString;
    std::vector<TypeLibReference> references;
    std::vector<TypeLibEnum> enums;
    std::vector<TypeLibClass> classes;
};

const TypeLibraryInfo& typeLibrary();

// The interface-definition text of the type library.
std::string idlText(const TypeLibraryInfo& lib);

}  // namespace Sarn10B
