#include "windows/platform/dual_object.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "runtime/error.h"
#include "windows/platform/automation_tables.h"
#include "windows/platform/com_bridge.h"
#include "windows/platform/com_variant.h"

namespace win {
namespace {

struct DualEntry {
    const rt::ClassInfo* table;
    GUID iid;
    DualFactory make;
};

std::mutex lock;
std::vector<DualEntry>& duals() {
    static std::vector<DualEntry> d;
    return d;
}

// An [out] result starts out empty, so that writing it frees nothing.
void clearResult(VARTYPE type, void* result) {
    if (type == VT_VARIANT) {
        VariantInit(static_cast<VARIANT*>(result));
        return;
    }
    switch (type) {
        case VT_BSTR:
        case VT_DISPATCH:
        case VT_UNKNOWN:
            *static_cast<void**>(result) = nullptr;
            break;
        case VT_I2:
        case VT_BOOL:
            *static_cast<SHORT*>(result) = 0;
            break;
        case VT_R8:
            *static_cast<DOUBLE*>(result) = 0;
            break;
        default:  // long, single and enumerations: four bytes
            *static_cast<LONG*>(result) = 0;
            break;
    }
}

VARIANT reference(VARTYPE type, void* value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = static_cast<VARTYPE>(VT_BYREF | type);
    v.byref = value;
    return v;
}

// Writes value into a by-reference argument or the result; objects as the
// interface declared for them. An argument that cannot take what the member
// left in it keeps its value, as in calls by name; a result must fit.
void store(const rt::Variant& value, const DualArg& to, bool isResult) {
    if (!writeBack(value, reference(to.type, to.value))) {
        if (isResult) throw rt::errTypeMismatch();
        return;
    }
    if (to.type != VT_DISPATCH || !to.as) return;
    auto& slot = *static_cast<IDispatch**>(to.value);
    if (!slot) return;
    void* typed = nullptr;
    const HRESULT hr = slot->QueryInterface(*to.as, &typed);
    slot->Release();
    slot = static_cast<IDispatch*>(typed);
    if (FAILED(hr) && isResult) throw rt::errTypeMismatch();
}

}  // namespace

HRESULT callThroughTable(rt::Object& object, const rt::ClassInfo& table, int32_t dispid, rt::CallKind kind,
                         std::initializer_list<DualArg> args, const DualArg& result) {
    if (result.type != VT_EMPTY) {
        if (!result.value) return E_POINTER;
        clearResult(result.type, result.value);
    }
    try {
        rt::Args values;
        values.reserve(args.size());
        for (const auto& a : args)
            values.push_back(a.value ? fromComVariant(reference(a.type, a.value)) : rt::Variant(rt::Missing{}));
        rt::Variant value = invokeFromTable(table, object, dispid, kind, values);
        size_t i = 0;
        for (const auto& a : args) {
            if (a.byRef && a.value && i < values.size()) store(values[i], a, false);
            ++i;
        }
        if (result.type != VT_EMPTY && !value.isEmpty()) store(value, result, true);
        return S_OK;
    } catch (const rt::Error& e) {
        return setThreadErrorInfo(e);
    } catch (const std::exception& e) {
        return setThreadErrorInfo(rt::Error(51, std::string("Internal error: ") + e.what()));
    }
}

HRESULT dualTypeInfo(const rt::ClassInfo& table, bool vtablePart, ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    ITypeInfo* dispatch = nullptr;
    HRESULT hr = describedTypeInfo(table, &dispatch);
    if (FAILED(hr) || !vtablePart) {
        *out = dispatch;
        return hr;
    }
    HREFTYPE ref = 0;
    hr = dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref);
    if (SUCCEEDED(hr)) hr = dispatch->GetRefTypeInfo(ref, out);
    dispatch->Release();
    return hr;
}

bool needsMemberTable(ITypeInfo* vtable, DISPID id, WORD flags, const DISPPARAMS* params) {
    ITypeInfo2* info = nullptr;
    if (FAILED(vtable->QueryInterface(IID_ITypeInfo2, reinterpret_cast<void**>(&info)))) return false;
    INVOKEKIND kinds[2] = {INVOKE_FUNC, INVOKE_PROPERTYGET};
    if (flags & DISPATCH_PROPERTYPUTREF) kinds[0] = kinds[1] = INVOKE_PROPERTYPUTREF;
    else if (flags & DISPATCH_PROPERTYPUT) kinds[0] = kinds[1] = INVOKE_PROPERTYPUT;
    else if (!(flags & DISPATCH_METHOD)) kinds[0] = INVOKE_PROPERTYGET;
    FUNCDESC* f = nullptr;
    for (INVOKEKIND kind : kinds) {
        UINT index = 0;
        if (SUCCEEDED(info->GetFuncIndexOfMemId(id, kind, &index)) && SUCCEEDED(info->GetFuncDesc(index, &f))) break;
        f = nullptr;
    }
    bool out = false;
    if (f) {
        UINT declared = 0;
        for (SHORT i = 0; i < f->cParams; ++i)
            if (!(f->lprgelemdescParam[i].paramdesc.wParamFlags & PARAMFLAG_FRETVAL)) ++declared;
        const UINT given = params ? params->cArgs : 0;
        out = given != declared;
        for (UINT i = 0; !out && i < given; ++i) {
            const VARIANT* v = &params->rgvarg[i];
            if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
            out = v->vt == VT_ERROR && v->scode == DISP_E_PARAMNOTFOUND;
        }
        info->ReleaseFuncDesc(f);
    }
    info->Release();
    return out;
}

void addDualInterface(const rt::ClassInfo& table, const GUID& iid, DualFactory make) {
    std::lock_guard g(lock);
    duals().push_back({&table, iid, make});
}

bool isDualInterface(const rt::ClassInfo& table, REFIID iid) {
    std::lock_guard g(lock);
    for (const auto& d : duals())
        if (d.table == &table && IsEqualIID(d.iid, iid)) return true;
    return false;
}

IUnknown* makeDual(const rt::ObjectRef& object, REFIID iid, IUnknown* owner) {
    DualFactory make = nullptr;
    {
        std::lock_guard g(lock);
        for (const auto& d : duals())
            if (d.table == &object->classInfo() && IsEqualIID(d.iid, iid)) make = d.make;
    }
    return make ? make(owner, object) : nullptr;
}

}  // namespace win
