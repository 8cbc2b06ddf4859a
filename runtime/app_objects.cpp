#include "runtime/app_objects.h"

#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "runtime/error.h"
#include "runtime/text.h"
#include "runtime/thread_data.h"

namespace rt {
namespace {

std::mutex& lock() {
    static std::mutex m;
    return m;
}

std::vector<std::string>& appObjects() {
    static std::vector<std::string> ids;  // folded programmatic identifiers
    return ids;
}

std::map<std::string, ObjectRef>& threadInstances() {
    static const char key = 0;
    return perThread<std::map<std::string, ObjectRef>>(&key);
}

}  // namespace

void registerAppObject(std::string_view progId) {
    std::lock_guard g(lock());
    auto folded = foldCase(progId);
    for (const auto& id : appObjects())
        if (id == folded) return;
    appObjects().push_back(folded);
}

void unregisterAppObject(std::string_view progId) {
    std::lock_guard g(lock());
    auto folded = foldCase(progId);
    std::erase(appObjects(), folded);
    threadInstances().erase(folded);
}

ObjectRef appObjectInstance(std::string_view progId) {
    auto& slot = threadInstances()[foldCase(progId)];
    if (!slot) slot = createObject(progId);
    return slot;
}

Variant callGlobal(std::string_view member, CallKind kind, Args& args) {
    std::vector<std::string> ids;
    {
        std::lock_guard g(lock());
        ids = appObjects();
    }
    // An application object whose class can no longer be created (its
    // server was unregistered or refused) must not hide the members of the
    // others; its failure is told only when no other object has the member.
    std::optional<Error> firstFailure;
    for (const auto& id : ids) {
        ObjectRef obj;
        try {
            obj = appObjectInstance(id);
        } catch (const Error& e) {
            if (!firstFailure) firstFailure = e;
            continue;
        }
        if (obj->classInfo().find(member, kind)) return callByName(obj, member, kind, args);
    }
    if (firstFailure) throw *firstFailure;
    throw errNoSuchMember(std::string(member));
}

Variant callGlobal(std::string_view member, CallKind kind, Args&& args) { return callGlobal(member, kind, args); }

}  // namespace rt
