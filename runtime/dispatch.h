#pragma once
// Calls by name (late binding). Every class that offers members to callers
// describes them once in a table: name, dispatch identifier, kind and the
// function that performs the call. Calls by name and by identifier, and the
// description of the class in its type library, all come from that table.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/object.h"
#include "runtime/variant.h"

namespace rt {

enum class CallKind : uint8_t {
    Method = 1,
    PropertyGet = 2,
    PropertyLet = 4,
    PropertySet = 8,
};

// One declared parameter, for type descriptions and argument checks.
struct Param {
    std::string_view name;
    VarType type = VarType::Variant;
    bool optional = false;
    bool byRef = true;
    std::string_view typeName = {};      // for enumerations and object kinds: "TVSNodeStyle", "Collection"
    std::string_view defaultValue = {};  // the declared default of an optional argument, if any
};

// Performs one call: args are in declared order and may be written back.
using Invoker = Variant (*)(Object& self, Args& args);

struct Member {
    std::string_view name;
    int32_t dispid = 0;
    CallKind kind = CallKind::Method;
    Invoker invoke = nullptr;
    std::vector<Param> params = {};
    VarType result = VarType::Empty;  // Empty: no result (a Sub, a let or a set)
    std::string_view resultTypeName = {};
    bool published = true;  // false: a slot the type description leaves out
};

struct ClassInfo {
    std::string_view name;
    std::vector<Member> members;  // in slot order

    // The member that answers a call of this kind, found without regard to
    // case; nullptr when there is none. A method call is also answered by a
    // property get, and a let by a set when no let exists.
    const Member* find(std::string_view memberName, CallKind kind) const;
    const Member* find(int32_t dispid, CallKind kind) const;
    // The dispatch identifier of a name, as a client asks for it before a call.
    int32_t dispidOf(std::string_view memberName) const;
};

// Calls a member of obj by name. Unknown names and kinds fail with 438. The
// arguments are passed by reference: a member may write them back. A call
// that gives arguments to a member without parameters that returns an object
// hands them on to that object's default member (passesToDefaultMember).
Variant callByName(Object& obj, std::string_view name, CallKind kind, Args& args);
Variant callByName(Object& obj, std::string_view name, CallKind kind, Args&& args = {});
Variant callByName(const ObjectRef& obj, std::string_view name, CallKind kind, Args& args);
Variant callByName(const ObjectRef& obj, std::string_view name, CallKind kind, Args&& args = {});
Variant invokeDispid(Object& obj, int32_t dispid, CallKind kind, Args& args);

// The dispatch identifier of an object's default member: the member that a
// call on the object itself reaches, as c(1) reaches c.Item(1).
inline constexpr int32_t DefaultMemberDispid = 0;

// Whether a call of `kind` with these arguments hands them on to the default
// member of what m returns instead of giving them to m: m takes no
// parameters, the call gives it some, and m is a property get that may
// return an object (declared as one or as a variant) or a method declared to
// return one. So obj.Items(1) is obj.Items().Item(1). A let or a set never
// hands its arguments on: obj.Items(1) = x fails with 450. A method declared
// with another result is refused before it runs.
bool passesToDefaultMember(const Member& m, CallKind kind, const Args& args);
// Calls the default member of the object that a member returned, with the
// caller's arguments and call kind; that call may hand them on again. 450
// when the result is no object, nothing, or an object without a default
// member of that kind.
Variant callDefaultMember(const Variant& result, CallKind kind, Args& args);

// Held while a call runs on in a default member. One call hands its
// arguments on through a few default members at most; past that it fails
// with 450, so a default member that returns its own object cannot recurse
// for ever.
class DefaultMemberStep {
public:
    DefaultMemberStep();
    ~DefaultMemberStep();
    DefaultMemberStep(const DefaultMemberStep&) = delete;
    DefaultMemberStep& operator=(const DefaultMemberStep&) = delete;
};

// The checks before a member is called: more arguments than it declares fail
// with 450, a required one left out with 449; missing trailing arguments are
// then filled in as Missing.
void prepareArguments(const Member& m, Args& args);

// Argument access inside invokers: a position beyond the given arguments reads
// as Missing, and a required argument that is missing fails with 449.
const Variant& argAt(const Args& args, size_t i);
const Variant& requiredArg(const Args& args, size_t i);
bool isOmitted(const Args& args, size_t i);

// The object that an invoker was called on, as its own class.
template <class T>
T& self(Object& obj) {
    return static_cast<T&>(obj);
}

}  // namespace rt
