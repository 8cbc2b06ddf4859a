#pragma once
// Objects between the runtime and the platform's automation. A runtime object
// is offered to the platform as an IDispatch served from its member table
// (names to dispatch identifiers, Invoke to the member's invoker, by-reference
// arguments written back); a platform object is offered to the runtime as an
// rt::Object whose calls by name go through its IDispatch.

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string_view>

#include "runtime/dispatch.h"
#include "runtime/error.h"

namespace win {

// A new reference (the caller releases it); nullptr for nothing. A platform
// object that the runtime holds comes back as itself.
IDispatch* toDispatch(const rt::ObjectRef& object);
// The runtime object behind a platform reference; nothing for nullptr. Ours
// come back as themselves; others are wrapped (13 when they offer no IDispatch).
rt::ObjectRef fromUnknown(IUnknown* unknown);

// Runtime objects that stand for a platform object hand that object back
// when they cross to the platform again, so identity survives the round trip.
class PlatformBacked {
public:
    virtual IDispatch* platformDispatch() const = 0;

protected:
    ~PlatformBacked() = default;
};

// A runtime object whose calls by name go to the platform object.
rt::ObjectRef platformObject(IDispatch* dispatch);

// Adapters turn platform objects of a kind the runtime has a model for (a
// tree view) into runtime objects of that model; nothing when not theirs.
using PlatformAdapter = std::function<rt::ObjectRef(IDispatch* dispatch)>;
void addPlatformAdapter(PlatformAdapter adapter);

// Objects of a class whose table is `members` describe themselves to
// platform clients by the type library `libid` (registered, version 1.0,
// locale `lcid`) and its interface `iid`.
void describeClass(const rt::ClassInfo& members, const GUID& libid, LCID lcid, const GUID& iid);
// The registered type information of the interface described for members.
HRESULT describedTypeInfo(const rt::ClassInfo& members, ITypeInfo** out);

// The platform objects handed out and not yet released (the server may be
// unloaded only when none is left).
LONG liveBridgeObjects();

// The runtime's error as the platform's: 0x800A0000 + number for the
// runtime's numbers, with source and description in the exception info.
HRESULT toHresult(const rt::Error& error, EXCEPINFO* info);
// Sets the thread's error information (source and description) for the
// error, as callers through a vtable read it, and returns its code.
HRESULT setThreadErrorInfo(const rt::Error& error);
// The platform's failure as the runtime's error (the reverse of toHresult;
// other codes keep the code as the number).
rt::Error toError(HRESULT hr, const EXCEPINFO* info, std::string_view what);

}  // namespace win
