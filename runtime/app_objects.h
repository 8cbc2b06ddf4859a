#pragma once
// Application objects: classes whose members a host may call without naming
// an instance. The runtime creates one instance per thread on first use and
// sends such calls to it.

#include <string_view>

#include "runtime/classes.h"
#include "runtime/dispatch.h"

namespace rt {

// Declares the class registered under progId an application object.
void registerAppObject(std::string_view progId);
void unregisterAppObject(std::string_view progId);

// The calling thread's instance of an application object (created on first
// use; 429 when the class cannot be created).
ObjectRef appObjectInstance(std::string_view progId);

// Calls a member of whichever application object has it; 438 when none has.
Variant callGlobal(std::string_view member, CallKind kind, Args& args);
Variant callGlobal(std::string_view member, CallKind kind, Args&& args = {});

}  // namespace rt
