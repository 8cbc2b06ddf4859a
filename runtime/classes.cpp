#include "runtime/classes.h"

#include <map>
#include <mutex>

#include "runtime/error.h"
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

Factory lookup(std::string_view progId) {
    auto& t = table();
    std::lock_guard g(t.lock);
    auto it = t.byFoldedId.find(foldCase(progId));
    return it == t.byFoldedId.end() ? Factory{} : it->second.second;
}

}  // namespace

void registerClass(std::string_view progId, Factory factory) {
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

ObjectRef createObject(std::string_view progId) {
    // The factory runs outside the lock: it may itself create objects.
    Factory f = lookup(progId);
    if (!f) throw errCannotCreate(std::string(progId));
    ObjectRef obj = f();
    if (!obj) throw errCannotCreate(std::string(progId));
    return obj;
}

ClassRegistration::ClassRegistration(std::string_view progId, Factory factory)
    : progId_(progId), previous_(lookup(progId)) {
    registerClass(progId, std::move(factory));
}

ClassRegistration::~ClassRegistration() {
    if (previous_)
        registerClass(progId_, std::move(previous_));
    else
        unregisterClass(progId_);
}

}  // namespace rt
