#include "runtime/classes.h"

#include <map>
#include <mutex>
#include <utility>

#include "runtime/error.h"
#include "runtime/server.h"
#include "runtime/text.h"

namespace rt {
namespace {

struct ClassTable {
    std::mutex lock;
    std::map<std::string, std::pair<std::string, Factory>> byFoldedId;  // folded id -> (id, factory)
};

ClassTable& table() {
    static ClassTable t;
    return t;
}

// The registered spelling and factory of an identifier; empty when unknown.
std::pair<std::string, Factory> entryOf(std::string_view progId) {
    auto& t = table();
    std::lock_guard g(t.lock);
    auto it = t.byFoldedId.find(foldCase(progId));
    return it == t.byFoldedId.end() ? std::pair<std::string, Factory>{} : it->second;
}

Factory lookup(std::string_view progId) { return entryOf(progId).second; }

}  // namespace

void registerClass(std::string_view progId, Factory factory) {
    // An empty factory creates nothing, so it must not be listed either.
    if (!factory) {
        unregisterClass(progId);
        return;
    }
    auto& t = table();
    std::lock_guard g(t.lock);
    t.byFoldedId[foldCase(progId)] = {std::string(progId), std::move(factory)};
}

void unregisterClass(std::string_view progId) {
    auto& t = table();
    std::lock_guard g(t.lock);
    t.byFoldedId.erase(foldCase(progId));
}

bool isClassRegistered(std::string_view progId) { return static_cast<bool>(lookup(progId)); }

std::vector<std::string> registeredClasses() {
    auto& t = table();
    std::lock_guard g(t.lock);
    std::vector<std::string> out;
    for (const auto& [folded, entry] : t.byFoldedId) out.push_back(entry.first);
    return out;
}

// Classes that no factory of the process knows are looked up in the
// registry of component servers.
static Activator& currentActivator() {
    static Activator a = activateFromRegistry;
    return a;
}

Activator setActivator(Activator next) {
    auto& t = table();
    std::lock_guard g(t.lock);
    return std::exchange(currentActivator(), std::move(next));
}

ObjectRef createObject(std::string_view progId) {
    // Factories and the activator run outside the lock: they may themselves
    // create objects.
    Factory f = lookup(progId);
    if (!f) {
        Activator a;
        {
            std::lock_guard g(table().lock);
            a = currentActivator();
        }
        ObjectRef obj = a ? a(progId) : ObjectRef();
        if (!obj) throw errCannotCreate(std::string(progId));
        return obj;
    }
    ObjectRef obj = f();
    if (!obj) throw errCannotCreate(std::string(progId));
    return obj;
}

ClassRegistration::ClassRegistration(std::string_view progId, Factory factory) : progId_(progId) {
    // Remember the spelling of an earlier registration too, so that it comes
    // back exactly as it was.
    auto [previousId, previousFactory] = entryOf(progId);
    if (previousFactory) {
        progId_ = std::move(previousId);
        previous_ = std::move(previousFactory);
    }
    registerClass(progId, std::move(factory));
}

ClassRegistration::~ClassRegistration() {
    if (previous_)
        registerClass(progId_, std::move(previous_));
    else
        unregisterClass(progId_);
}

}  // namespace rt
