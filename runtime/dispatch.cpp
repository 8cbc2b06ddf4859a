#include "runtime/dispatch.h"

#include "runtime/error.h"
#include "runtime/text.h"

namespace rt {

const ClassInfo& Object::classInfo() const {
    static const ClassInfo none{"Object", {}};
    return none;
}

namespace {

bool answers(const Member& m, CallKind kind) {
    if (m.kind == kind) return true;
    return kind == CallKind::Method && m.kind == CallKind::PropertyGet;
}

template <class Match>
const Member* findMember(const ClassInfo& info, CallKind kind, Match match) {
    for (const auto& m : info.members)
        if (match(m) && answers(m, kind)) return &m;
    if (kind == CallKind::PropertyLet)
        for (const auto& m : info.members)
            if (match(m) && m.kind == CallKind::PropertySet) return &m;
    return nullptr;
}

Variant call(Object& obj, const Member* m, CallKind kind, std::string_view name, Args& args) {
    if (!m || !m->invoke) throw errNoSuchMember(std::string(name));
    if (passesToDefaultMember(*m, kind, args)) {
        Args none;
        return callDefaultMember(m->invoke(obj, none), kind, args);
    }
    prepareArguments(*m, args);
    return m->invoke(obj, args);
}

// Calls on in default members that the current call of this thread has made.
thread_local int defaultMemberSteps = 0;
constexpr int MostDefaultMemberSteps = 8;

}  // namespace

bool passesToDefaultMember(const Member& m, CallKind kind, const Args& args) {
    if (args.empty() || !m.params.empty()) return false;
    if (kind != CallKind::Method && kind != CallKind::PropertyGet) return false;
    if (m.kind == CallKind::PropertyGet) return m.result == VarType::Object || m.result == VarType::Variant;
    return m.kind == CallKind::Method && m.result == VarType::Object;
}

Variant callDefaultMember(const Variant& result, CallKind kind, Args& args) {
    if (!result.isObject()) throw errWrongArgumentCount();
    const ObjectRef target = toObject(result);
    if (!target) throw errWrongArgumentCount();
    const Member* m = target->classInfo().find(DefaultMemberDispid, kind);
    if (!m || !m->invoke) throw errWrongArgumentCount();
    DefaultMemberStep step;
    return call(*target, m, kind, "#0", args);
}

DefaultMemberStep::DefaultMemberStep() {
    if (defaultMemberSteps >= MostDefaultMemberSteps) throw errWrongArgumentCount();
    ++defaultMemberSteps;
}

DefaultMemberStep::~DefaultMemberStep() { --defaultMemberSteps; }

void prepareArguments(const Member& m, Args& args) {
    // A let or a set takes the assigned value even where the table declares
    // no parameter for it; every other extra argument is a caller's mistake.
    const bool assignment = m.kind == CallKind::PropertyLet || m.kind == CallKind::PropertySet;
    const size_t most = m.params.empty() && assignment ? 1 : m.params.size();
    if (args.size() > most) throw errWrongArgumentCount();
    for (size_t i = 0; i < m.params.size(); ++i)
        if (!m.params[i].optional && isOmitted(args, i)) throw errArgumentNotOptional();
    // Missing trailing arguments are filled in so the invoker can write back.
    if (args.size() < m.params.size()) args.resize(m.params.size(), Variant(Missing{}));
}

const Member* ClassInfo::find(std::string_view memberName, CallKind kind) const {
    return findMember(*this, kind, [&](const Member& m) { return textEquals(m.name, memberName); });
}

const Member* ClassInfo::find(int32_t dispid, CallKind kind) const {
    return findMember(*this, kind, [&](const Member& m) { return m.dispid == dispid; });
}

int32_t ClassInfo::dispidOf(std::string_view memberName) const {
    for (const auto& m : members)
        if (textEquals(m.name, memberName)) return m.dispid;
    throw errNoSuchMember(std::string(memberName));
}

Variant Object::callMember(std::string_view name, CallKind kind, Args& args) {
    return call(*this, classInfo().find(name, kind), kind, name, args);
}

Variant callByName(Object& obj, std::string_view name, CallKind kind, Args& args) {
    return obj.callMember(name, kind, args);
}
Variant callByName(Object& obj, std::string_view name, CallKind kind, Args&& args) {
    return callByName(obj, name, kind, args);
}
Variant callByName(const ObjectRef& obj, std::string_view name, CallKind kind, Args& args) {
    if (!obj) throw errObjectNotSet();
    return callByName(*obj, name, kind, args);
}
Variant callByName(const ObjectRef& obj, std::string_view name, CallKind kind, Args&& args) {
    return callByName(obj, name, kind, args);
}

Variant invokeDispid(Object& obj, int32_t dispid, CallKind kind, Args& args) {
    std::string name = "#";
    name += std::to_string(dispid);
    return call(obj, obj.classInfo().find(dispid, kind), kind, name, args);
}

const Variant& argAt(const Args& args, size_t i) {
    static const Variant missing{Missing{}};
    return i < args.size() ? args[i] : missing;
}

const Variant& requiredArg(const Args& args, size_t i) {
    if (isOmitted(args, i)) throw errArgumentNotOptional();
    return args[i];
}

bool isOmitted(const Args& args, size_t i) { return i >= args.size() || args[i].isMissing(); }

}  // namespace rt
