// A host built against an installed sarn10b: it links the C++ API, but
// creates the six public classes by name only, through the registries (so
// the component server is loaded from wherever it was registered), and
// shows that the server and the host share one copy of the library's
// per-thread data.
#include <iostream>
#include <string>

#include "library/component.h"
#include "library/library_object.h"
#include "runtime/app_objects.h"
#include "runtime/classes.h"
#include "runtime/error.h"
#include "runtime/variant.h"

int main() {
    int failures = 0;
    try {
        for (const auto& id : Sarn10B::programmaticIds()) {
            auto obj = rt::createObject(id);
            std::cout << "created " << id << " (" << obj->classInfo().name << ")\n";
        }
        // The library object came through the registry as the application
        // object; its buddy slot is the one the linked library sees too.
        auto buddy = rt::createObject("Sarn10B.clsKwAmbrGeneralA");
        rt::callGlobal("BuddyObjectGlobal", rt::CallKind::PropertySet, {buddy});
        if (!rt::sameObject(rt::make<Sarn10B::clsKwOrvel10BA>()->BuddyObjectGlobal(), buddy)) {
            std::cerr << "the server and the host hold separate copies of the buddy slot\n";
            ++failures;
        }
        auto manager = rt::createObject("Sarn10B.clsKwAmbrTvsA");
        std::cout << "ImageStyles = " << rt::toInt32(rt::callByName(manager, "ImageStyles", rt::CallKind::PropertyGet))
                  << "\n";
    } catch (const rt::Error& e) {
        std::cerr << e.what() << "\n";
        ++failures;
    }
    std::cout << (failures ? "installed host: FAILED\n" : "installed host: ok\n");
    return failures ? 1 : 0;
}
