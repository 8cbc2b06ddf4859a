#pragma once
// Creating objects from programmatic identifiers ("Library.Class"). The
// library and the hosts register a factory for each class they offer; an
// identifier that nobody registered fails with 429.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/object.h"

namespace rt {

using Factory = std::function<ObjectRef()>;

// Registers (or replaces) the factory for a programmatic identifier, which is
// matched without regard to case. Process-wide and safe to call from any
// thread.
void registerClass(std::string_view progId, Factory factory);
void unregisterClass(std::string_view progId);
bool isClassRegistered(std::string_view progId);
std::vector<std::string> registeredClasses();

// A new instance of the class; 429 when no factory is known for the
// identifier or the factory gives nothing. Identifiers that no factory in the
// process knows go to the activator, when one is set.
ObjectRef createObject(std::string_view progId);

// Creates objects of classes that live outside the process's class table (a
// registry of component servers, or the platform's). It returns nothing for
// an identifier it does not know either.
using Activator = std::function<ObjectRef(std::string_view progId)>;
Activator setActivator(Activator activator);

// Registers a factory for as long as the guard lives, then restores whatever
// was registered before (tests and short-lived hosts use it).
class ClassRegistration {
public:
    ClassRegistration(std::string_view progId, Factory factory);
    ~ClassRegistration();
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;

private:
    std::string progId_;
    Factory previous_;
};

}  // namespace rt
