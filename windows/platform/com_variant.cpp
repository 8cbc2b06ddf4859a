#include "windows/platform/com_variant.h"

#include <cstring>
#include <type_traits>

#include "runtime/error.h"
#include "windows/platform/com_bridge.h"
#include "windows/platform/com_text.h"

namespace win {
namespace {

SAFEARRAY* toByteArray(const rt::Bytes& bytes) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!array) throw rt::Error(rt::errnum::OutOfMemory, "Out of memory");
    if (!bytes.empty()) {
        void* data = nullptr;
        SafeArrayAccessData(array, &data);
        std::memcpy(data, bytes.data(), bytes.size());
        SafeArrayUnaccessData(array);
    }
    return array;
}

rt::Bytes fromByteArray(SAFEARRAY* array) {
    if (!array) return {};
    LONG low = 0, high = -1;
    SafeArrayGetLBound(array, 1, &low);
    SafeArrayGetUBound(array, 1, &high);
    rt::Bytes out(static_cast<size_t>(high - low + 1));
    if (!out.empty()) {
        void* data = nullptr;
        SafeArrayAccessData(array, &data);
        std::memcpy(out.data(), data, out.size());
        SafeArrayUnaccessData(array);
    }
    return out;
}

}  // namespace

void toComVariant(const rt::Variant& value, VARIANT* out) {
    VariantInit(out);
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, rt::Empty>) {
                out->vt = VT_EMPTY;
            } else if constexpr (std::is_same_v<T, rt::Null>) {
                out->vt = VT_NULL;
            } else if constexpr (std::is_same_v<T, rt::Missing>) {
                out->vt = VT_ERROR;
                out->scode = DISP_E_PARAMNOTFOUND;
            } else if constexpr (std::is_same_v<T, rt::Bool16>) {
                out->vt = VT_BOOL;
                out->boolVal = v.value;
            } else if constexpr (std::is_same_v<T, int16_t>) {
                out->vt = VT_I2;
                out->iVal = v;
            } else if constexpr (std::is_same_v<T, int32_t>) {
                out->vt = VT_I4;
                out->lVal = v;
            } else if constexpr (std::is_same_v<T, float>) {
                out->vt = VT_R4;
                out->fltVal = v;
            } else if constexpr (std::is_same_v<T, double>) {
                out->vt = VT_R8;
                out->dblVal = v;
            } else if constexpr (std::is_same_v<T, std::string>) {
                out->vt = VT_BSTR;
                out->bstrVal = toBstr(v);
            } else if constexpr (std::is_same_v<T, rt::ObjectRef>) {
                out->vt = VT_DISPATCH;
                out->pdispVal = toDispatch(v);
            } else if constexpr (std::is_same_v<T, rt::Bytes>) {
                out->vt = VT_ARRAY | VT_UI1;
                out->parray = toByteArray(v);
            }
        },
        value.storage());
}

rt::Variant fromComVariant(const VARIANT& in) {
    if (in.vt == (VT_BYREF | VT_VARIANT)) return in.pvarVal ? fromComVariant(*in.pvarVal) : rt::Variant();
    VARIANT plain;
    VariantInit(&plain);
    const VARIANT* v = &in;
    if (in.vt & VT_BYREF) {
        // A typed reference: read its value as a plain VARIANT.
        if (FAILED(VariantCopyInd(&plain, const_cast<VARIANT*>(&in)))) throw rt::errTypeMismatch();
        v = &plain;
    }
    rt::Variant out;
    switch (v->vt) {
        case VT_EMPTY:
            break;
        case VT_NULL:
            out = rt::Null{};
            break;
        case VT_ERROR:
            out = v->scode == DISP_E_PARAMNOTFOUND ? rt::Variant(rt::Missing{}) : rt::Variant(int32_t{v->scode});
            break;
        case VT_BOOL:
            out = rt::Bool16{v->boolVal};
            break;
        case VT_I2:
            out = int16_t{v->iVal};
            break;
        case VT_UI1:
            out = int16_t{v->bVal};
            break;
        case VT_I4:
            out = int32_t{v->lVal};
            break;
        case VT_R4:
            out = v->fltVal;
            break;
        case VT_R8:
            out = v->dblVal;
            break;
        case VT_BSTR:
            out = fromBstr(v->bstrVal);
            break;
        case VT_DISPATCH:
            out = fromUnknown(v->pdispVal);
            break;
        case VT_UNKNOWN:
            out = fromUnknown(v->punkVal);
            break;
        case VT_ARRAY | VT_UI1:
            out = fromByteArray(v->parray);
            break;
        default: {
            // Other numbers (currency, 64-bit, unsigned, dates) as a Double.
            VARIANT d;
            VariantInit(&d);
            const HRESULT hr = VariantChangeType(&d, const_cast<VARIANT*>(v), 0, VT_R8);
            VariantClear(&plain);
            if (FAILED(hr)) throw rt::errTypeMismatch();
            return d.dblVal;
        }
    }
    VariantClear(&plain);
    return out;
}

bool writeBack(const rt::Variant& value, const VARIANT& byRef) {
    if (!(byRef.vt & VT_BYREF)) return false;
    VARIANT converted;
    toComVariant(value, &converted);
    if (byRef.vt == (VT_BYREF | VT_VARIANT)) {
        if (!byRef.pvarVal) {
            VariantClear(&converted);
            return false;
        }
        VariantClear(byRef.pvarVal);
        *byRef.pvarVal = converted;  // takes over what converted holds
        return true;
    }
    const VARTYPE target = static_cast<VARTYPE>(byRef.vt & ~VT_BYREF);
    if (VariantChangeType(&converted, &converted, 0, target) != S_OK) {
        VariantClear(&converted);
        return false;
    }
    switch (target) {
        case VT_BSTR:
            SysFreeString(*byRef.pbstrVal);
            *byRef.pbstrVal = converted.bstrVal;
            return true;
        case VT_DISPATCH:
            if (*byRef.ppdispVal) (*byRef.ppdispVal)->Release();
            *byRef.ppdispVal = converted.pdispVal;
            return true;
        case VT_UNKNOWN:
            if (*byRef.ppunkVal) (*byRef.ppunkVal)->Release();
            *byRef.ppunkVal = converted.punkVal;
            return true;
        case VT_BOOL:
            *byRef.pboolVal = converted.boolVal;
            return true;
        case VT_I2:
            *byRef.piVal = converted.iVal;
            return true;
        case VT_I4:
            *byRef.plVal = converted.lVal;
            return true;
        case VT_R4:
            *byRef.pfltVal = converted.fltVal;
            return true;
        case VT_R8:
            *byRef.pdblVal = converted.dblVal;
            return true;
        case VT_UI1:
            *byRef.pbVal = converted.bVal;
            return true;
        default:
            VariantClear(&converted);
            return false;
    }
}

}  // namespace win
