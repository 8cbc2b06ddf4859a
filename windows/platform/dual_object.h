#pragma once
// Dual interfaces of runtime objects: the vtable that a type library's
// interface declares, for clients that bind early, next to the calls by name.
// The classes themselves are generated at build time from the member tables
// (windows/host/dual_interfaces.cpp); each vtable method hands its typed
// arguments to callThroughTable, which calls the member's invoker. Their
// IDispatch goes through the type library onto that same vtable.
//
// A dual object is a tear-off of the object's platform dispatch object (its
// owner): it keeps the owner alive and answers every other interface, the
// object's identity included, through it.

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <initializer_list>

#include "runtime/dispatch.h"
#include "windows/platform/com_object.h"

namespace win {

// One argument (or the result) of a vtable call: where its typed value
// lives, its automation type, whether the member may write it (an [in, out]
// pointer; a null pointer is an argument left out), and for objects the
// interface they are handed out as (nullptr: IDispatch).
struct DualArg {
    VARTYPE type;
    void* value;
    bool byRef;
    const IID* as;
};

// Calls the member dispid/kind of the table with the arguments in declared
// order, writes by-reference arguments back and stores the result (type
// VT_EMPTY for none). Errors become the returned HRESULT and the thread's
// error information.
HRESULT callThroughTable(rt::Object& object, const rt::ClassInfo& table, int32_t dispid, rt::CallKind kind,
                         std::initializer_list<DualArg> args, const DualArg& result);

// The type information of the class's dual interface: its dispatch part, or
// the interface part that DispInvoke calls through (a new reference).
HRESULT dualTypeInfo(const rt::ClassInfo& table, bool vtablePart, ITypeInfo** out);

using DualFactory = IUnknown* (*)(IUnknown* owner, const rt::ObjectRef& object);
// Declares the dual interface iid of the objects whose class table is table.
void addDualInterface(const rt::ClassInfo& table, const GUID& iid, DualFactory make);
// Whether iid is the dual interface declared for the class whose table is table.
bool isDualInterface(const rt::ClassInfo& table, REFIID iid);
// A new dual object for object if iid is its class's dual interface, else nullptr.
IUnknown* makeDual(const rt::ObjectRef& object, REFIID iid, IUnknown* owner);
// Whether a call by identifier gives the member that vtable declares for it
// other arguments than the vtable method takes: fewer (one left out, or
// given as the missing argument) or more (for the default member of what
// the member returns, or an index with an assignment).
bool needsMemberTable(ITypeInfo* vtable, DISPID id, WORD flags, const DISPPARAMS* params);

template <class Interface>
class DualObject : public ComObject<Interface> {
public:
    DualObject(IUnknown* owner, const rt::ObjectRef& object, const rt::ClassInfo& table, REFIID iid)
        : owner_(owner), object_(object), table_(table), iid_(iid) {
        owner_->AddRef();
    }
    virtual ~DualObject() { owner_->Release(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (!IsEqualIID(iid, iid_)) return owner_->QueryInterface(iid, out);
        this->AddRef();
        *out = static_cast<Interface*>(this);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return index == 0 ? dualTypeInfo(table_, false, out) : DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        ITypeInfo* info = nullptr;
        HRESULT hr = dualTypeInfo(table_, true, &info);
        if (FAILED(hr)) return hr;
        hr = DispGetIDsOfNames(info, names, count, ids);
        info->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* info, UINT* argError) override {
        ITypeInfo* vtable = nullptr;
        HRESULT hr = dualTypeInfo(table_, true, &vtable);
        if (FAILED(hr)) return hr;
        if (needsMemberTable(vtable, id, flags, params)) {
            // The platform would pass a left-out argument to a typed
            // parameter as a variant in its place, and drop an index given
            // with an assignment; the member table knows a left-out
            // argument as missing, and arguments beyond the declared ones
            // as the caller's for the result's default member or as 450,
            // as calls by name through the object's own IDispatch.
            vtable->Release();
            IDispatch* owner = nullptr;
            hr = owner_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&owner));
            if (FAILED(hr)) return hr;
            hr = owner->Invoke(id, riid, lcid, flags, params, result, info, argError);
            owner->Release();
            return hr;
        }
        hr = DispInvoke(static_cast<Interface*>(this), vtable, id, flags, params, result, info, argError);
        vtable->Release();
        return hr;
    }

protected:
    HRESULT call(int32_t dispid, rt::CallKind kind, std::initializer_list<DualArg> args, const DualArg& result) {
        return callThroughTable(*object_, table_, dispid, kind, args, result);
    }

private:
    IUnknown* owner_;
    rt::ObjectRef object_;
    const rt::ClassInfo& table_;
    IID iid_;
};

}  // namespace win
