#pragma once
// The type stub sarn10b.pyi and the members' docstrings, written from the
// member tables that calls by name go through (the ones the type library is
// described from), so editors complete exactly the names that work.

#include <string>
#include <string_view>

#include "runtime/dispatch.h"

namespace sarnpy {

// "AddNode(sRelative: str = ..., ...) -> Any": the Python signature of a
// member by name, from every entry of the table that bears the name.
std::string memberDoc(const rt::ClassInfo& table, std::string_view name);

// The whole stub file.
std::string stubText();

}  // namespace sarnpy
