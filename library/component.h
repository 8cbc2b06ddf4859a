#pragma once
// The library's component surface in a process: every public class under its
// programmatic identifier ("Sarn10B.clsKwAmbrTvsA" and so on), and the
// library object as the application object.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/object.h"

namespace Sarn10B {

// The six programmatic identifiers, in the type library's class order.
std::vector<std::string> programmaticIds();
// "Sarn10B." + the class name.
std::string programmaticId(std::string_view className);
// Creates a new instance of a public class by its name; nothing for others.
std::function<rt::ObjectRef()> factoryOf(std::string_view className);

void registerLibrary();
void unregisterLibrary();

}  // namespace Sarn10B
