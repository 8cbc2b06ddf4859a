#include "windows/platform/automation_tables.h"

#include <mutex>
#include <utility>
#include <vector>

#include "runtime/error.h"

namespace win {
namespace {

std::mutex lock;
std::vector<std::pair<std::function<bool(rt::Object&)>, const rt::ClassInfo*>>& tables() {
    static std::vector<std::pair<std::function<bool(rt::Object&)>, const rt::ClassInfo*>> t;
    return t;
}

}  // namespace

void addAutomationTable(std::function<bool(rt::Object&)> matches, const rt::ClassInfo* table) {
    std::lock_guard g(lock);
    tables().emplace_back(std::move(matches), table);
}

const rt::ClassInfo& automationTableOf(rt::Object& object) {
    const rt::ClassInfo& own = object.classInfo();
    if (!own.members.empty()) return own;
    std::lock_guard g(lock);
    for (const auto& [matches, table] : tables())
        if (matches(object)) return *table;
    return own;
}

rt::Variant invokeFromTable(const rt::ClassInfo& table, rt::Object& object, int32_t dispid, rt::CallKind kind,
                            rt::Args& args) {
    if (&table == &object.classInfo()) return rt::invokeDispid(object, dispid, kind, args);
    const rt::Member* m = table.find(dispid, kind);
    if (!m || !m->invoke) throw rt::errNoSuchMember("#" + std::to_string(dispid));
    rt::prepareArguments(*m, args);
    return m->invoke(object, args);
}

}  // namespace win
