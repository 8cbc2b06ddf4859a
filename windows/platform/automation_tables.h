#pragma once
// Member tables for portable classes that carry none of their own (the tree
// model's nodes and image lists): the platform layer serves calls by name on
// such objects from a table registered here for their kind.

#include <functional>

#include "runtime/dispatch.h"

namespace win {

void addAutomationTable(std::function<bool(rt::Object&)> matches, const rt::ClassInfo* table);

template <class T>
void addAutomationTable(const rt::ClassInfo* table) {
    addAutomationTable([](rt::Object& o) { return dynamic_cast<T*>(&o) != nullptr; }, table);
}

// The object's own table, or else the first registered one that matches it.
const rt::ClassInfo& automationTableOf(rt::Object& object);

// Calls a member of the table on the object, with the runtime's argument
// checks (438 unknown, 450 too many, 449 a required one left out).
rt::Variant invokeFromTable(const rt::ClassInfo& table, rt::Object& object, int32_t dispid, rt::CallKind kind,
                            rt::Args& args);

}  // namespace win
