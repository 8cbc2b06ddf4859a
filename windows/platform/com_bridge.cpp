#include "windows/platform/com_bridge.h"

#include <atomic>
#include <map>
#include <mutex>
#include <vector>

#include <ocidl.h>
#include <olectl.h>

#include "runtime/collection.h"
#include "windows/platform/automation_tables.h"
#include "windows/platform/com_object.h"
#include "windows/platform/com_picture.h"
#include "windows/platform/com_text.h"
#include "windows/platform/connectable.h"
#include "windows/platform/com_variant.h"
#include "windows/platform/dual_object.h"

namespace win {
namespace {

// Asked of an IDispatch to find out whether it is one of ours. Each module
// (sarn10b.dll, the tree view server...) has a runtime of its own, so the
// identifier carries the module's address: objects of another module's
// runtime stay platform objects here.
GUID runtimeObjectIid() {
    GUID g = {0x6f2b3a41, 0x8c1d, 0x4e57, {}};
    const auto address = reinterpret_cast<uintptr_t>(&liveBridgeObjects);
    for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<unsigned char>(address >> (8 * i));
    return g;
}
const GUID IID_RuntimeObject = runtimeObjectIid();

std::atomic<LONG> liveObjects{0};

struct TypeInfoEntry {
    GUID libid;
    LCID lcid;
    GUID iid;
};

std::mutex typeInfoLock;
std::map<const rt::ClassInfo*, TypeInfoEntry>& typeInfos() {
    static std::map<const rt::ClassInfo*, TypeInfoEntry> m;
    return m;
}

class DispatchObject;
std::mutex cacheLock;
// One platform object per runtime object, so that identity survives the trip.
std::map<const rt::Object*, DispatchObject*>& cache() {
    static std::map<const rt::Object*, DispatchObject*> m;
    return m;
}

rt::CallKind kindOf(WORD flags) {
    // Some script engines send both assignment flags for every assignment:
    // that is a let, which a property that only takes objects answers with
    // its set.
    const WORD assignment = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
    if ((flags & assignment) == assignment) return rt::CallKind::PropertyLet;
    if (flags & DISPATCH_PROPERTYPUTREF) return rt::CallKind::PropertySet;
    if (flags & DISPATCH_PROPERTYPUT) return rt::CallKind::PropertyLet;
    if (flags & DISPATCH_METHOD) return rt::CallKind::Method;
    return rt::CallKind::PropertyGet;
}

// Runtime objects cross as this one platform object each. It answers for
// the extra interfaces that its object supports: connection points for one
// that raises events, IEnumVARIANT for an enumerator.
class DispatchObject final : public IDispatch,
                             public IConnectionPointContainer,
                             public IProvideClassInfo,
                             public IEnumVARIANT,
                             public ISupportErrorInfo {
public:
    explicit DispatchObject(rt::ObjectRef object)
        : object_(std::move(object)),
          connectable_(dynamic_cast<Connectable*>(object_.get())),
          enumerator_(dynamic_cast<rt::Enumerator*>(object_.get())) {
        ++liveObjects;
    }

    static IDispatch* wrap(const rt::ObjectRef& object) {
        std::lock_guard g(cacheLock);
        auto& c = cache();
        if (auto it = c.find(object.get()); it != c.end()) {
            it->second->refs_.fetch_add(1);
            return it->second;
        }
        auto* d = new DispatchObject(object);
        c.emplace(object.get(), d);
        return d;
    }

    const rt::ObjectRef& object() const { return object_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_RuntimeObject))
            *out = static_cast<IDispatch*>(this);
        else if (connectable_ && IsEqualIID(iid, IID_IConnectionPointContainer))
            *out = static_cast<IConnectionPointContainer*>(this);
        else if (connectable_ && IsEqualIID(iid, IID_IProvideClassInfo))
            *out = static_cast<IProvideClassInfo*>(this);
        else if (enumerator_ && IsEqualIID(iid, IID_IEnumVARIANT))
            *out = static_cast<IEnumVARIANT*>(this);
        else if (IsEqualIID(iid, IID_ISupportErrorInfo))
            *out = static_cast<ISupportErrorInfo*>(this);
        else if (IUnknown* dual = makeDual(object_, iid, static_cast<IDispatch*>(this))) {
            *out = dual;
            return S_OK;
        } else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

    // IConnectionPointContainer: the one connection point of the events.
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

    // IProvideClassInfo
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = connectable_->classTypeInfo();
        return *out ? S_OK : E_FAIL;
    }

    // IEnumVARIANT
    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* items, ULONG* fetched) override {
        if (!items && wanted) return E_POINTER;
        ULONG n = 0;
        try {
            for (rt::Variant item; n < wanted && enumerator_->Next(item); ++n) toComVariant(item, &items[n]);
        } catch (const rt::Error&) {
            for (ULONG i = 0; i < n; ++i) VariantClear(&items[i]);
            if (fetched) *fetched = 0;
            return E_OUTOFMEMORY;
        }
        if (fetched) *fetched = n;
        return n == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return enumerator_->Skip(count) ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Reset() override {
        enumerator_->Reset();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
        if (!out) return E_POINTER;
        IDispatch* copy = wrap(rt::ObjectRef(enumerator_->Clone()));
        *out = static_cast<IEnumVARIANT*>(static_cast<DispatchObject*>(copy));
        return S_OK;
    }

    // ISupportErrorInfo: failures through IDispatch and through the class's
    // dual interface leave the thread's error information set.
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
        if (IsEqualIID(iid, IID_IDispatch) || isDualInterface(object_->classInfo(), iid)) return S_OK;
        return S_FALSE;
    }

    Connectable* connectable() const { return connectable_; }
    ULONG STDMETHODCALLTYPE AddRef() override { return refs_.fetch_add(1) + 1; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left;
        {
            std::lock_guard g(cacheLock);
            left = refs_.fetch_sub(1) - 1;
            if (left == 0) cache().erase(object_.get());
        }
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        ITypeInfo* info = nullptr;
        *count = SUCCEEDED(GetTypeInfo(0, 0, &info)) ? 1 : 0;
        if (info) info->Release();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return describedTypeInfo(object_->classInfo(), out);
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids || count == 0) return E_POINTER;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        try {
            ids[0] = automationTableOf(*object_).dispidOf(narrow(names[0], std::wcslen(names[0])));
        } catch (const rt::Error&) {
            hr = DISP_E_UNKNOWNNAME;
        }
        // Arguments are taken by position only.
        if (count > 1) hr = DISP_E_UNKNOWNNAME;
        return hr;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT* argError) override {
        const rt::CallKind kind = kindOf(flags);
        const bool assignment = kind == rt::CallKind::PropertyLet || kind == rt::CallKind::PropertySet;
        const UINT count = params ? params->cArgs : 0;
        const UINT named = params ? params->cNamedArgs : 0;
        if (named > 1 || (named == 1 && (!assignment || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)))
            return DISP_E_NONAMEDARGS;
        if (assignment && named != 1) return DISP_E_PARAMNOTOPTIONAL;
        const rt::ClassInfo& table = automationTableOf(*object_);
        const rt::Member* member = table.find(id, kind);
        if (!member) return DISP_E_MEMBERNOTFOUND;

        // The platform passes arguments last to first; the assigned value of
        // a property let or set comes first and goes last here.
        const UINT positional = count - named;
        rt::Args args;
        args.reserve(count);
        UINT at = 0;
        try {
            for (UINT i = 0; i < positional; ++i) {
                at = count - 1 - i;
                args.push_back(fromComVariant(params->rgvarg[at]));
            }
            if (assignment) {
                at = 0;
                args.push_back(fromComVariant(params->rgvarg[0]));
            }
        } catch (const rt::Error&) {
            if (argError) *argError = at;
            return DISP_E_TYPEMISMATCH;
        }

        if (rt::passesToDefaultMember(*member, kind, args))
            return invokeDefaultMember(table, id, kind, flags, params, result, info, argError);

        rt::Variant value;
        try {
            value = invokeFromTable(table, *object_, id, kind, args);
        } catch (const rt::Error& e) {
            return failed(e, info);
        } catch (const std::exception& e) {
            return failed(rt::Error(51, std::string("Internal error: ") + e.what()), info);
        }
        // By-reference arguments receive what the member left in them.
        for (UINT i = 0; i < positional && i < args.size(); ++i) writeBack(args[i], params->rgvarg[count - 1 - i]);
        if (result) {
            VariantInit(result);
            toComVariant(value, result);
        }
        return S_OK;
    }

private:
    ~DispatchObject() { --liveObjects; }

    // Arguments for a member without parameters that returns an object go to
    // that object's default member, as the platform's type information
    // passes them on: the member is read without them, and the caller's
    // call, arguments and by-reference slots included, goes to dispatch
    // identifier 0 of what it returned. A result without one fails with 450.
    HRESULT invokeDefaultMember(const rt::ClassInfo& table, DISPID id, rt::CallKind kind, WORD flags,
                                DISPPARAMS* params, VARIANT* result, EXCEPINFO* info, UINT* argError) {
        IDispatch* target = nullptr;
        try {
            rt::Args none;
            const rt::Variant value = invokeFromTable(table, *object_, id, kind, none);
            if (!value.isObject() || !(target = toDispatch(rt::toObject(value)))) throw rt::errWrongArgumentCount();
        } catch (const rt::Error& e) {
            return failed(e, info);
        } catch (const std::exception& e) {
            return failed(rt::Error(51, std::string("Internal error: ") + e.what()), info);
        }
        HRESULT hr;
        try {
            rt::DefaultMemberStep step;
            hr = target->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, flags, params, result, info, argError);
        } catch (const rt::Error& e) {
            hr = failed(e, info);
        }
        target->Release();
        if (hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_UNKNOWNNAME) return failed(rt::errWrongArgumentCount(), info);
        return hr;
    }

    // A failed call: the caller's exception information, and the thread's
    // error information for callers that read it from there.
    static HRESULT failed(const rt::Error& e, EXCEPINFO* info) {
        setThreadErrorInfo(e);
        return toHresult(e, info);
    }

    std::atomic<ULONG> refs_{1};
    rt::ObjectRef object_;
    Connectable* connectable_;
    rt::Enumerator* enumerator_;
};

class ConnectionPoint final : public ComObject<IConnectionPoint> {
public:
    explicit ConnectionPoint(DispatchObject* owner) : owner_(owner) { owner_->AddRef(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint)) return E_NOINTERFACE;
        AddRef();
        *out = static_cast<IConnectionPoint*>(this);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        if (!iid) return E_POINTER;
        *iid = owner_->connectable()->eventInterface();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
        if (!out) return E_POINTER;
        owner_->AddRef();
        *out = static_cast<IConnectionPointContainer*>(owner_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie) return E_POINTER;
        IDispatch* dispatch = nullptr;
        if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))) || !dispatch)
            return CONNECT_E_CANNOTCONNECT;
        *cookie = owner_->connectable()->connect(dispatch);
        dispatch->Release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        owner_->connectable()->disconnect(cookie);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

private:
    ~ConnectionPoint() { owner_->Release(); }

    DispatchObject* owner_;
};

HRESULT DispatchObject::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, connectable_->eventInterface())) return CONNECT_E_NOCONNECTION;
    *out = new ConnectionPoint(this);
    return S_OK;
}

std::mutex adapterLock;
std::vector<PlatformAdapter>& adapters() {
    static std::vector<PlatformAdapter> a;
    return a;
}

// A platform automation object seen from the runtime: calls by name go to its
// IDispatch.
class PlatformObject final : public rt::Object, public PlatformBacked {
public:
    explicit PlatformObject(IDispatch* dispatch) : dispatch_(dispatch) { dispatch_->AddRef(); }
    ~PlatformObject() override { dispatch_->Release(); }

    IDispatch* platformDispatch() const override { return dispatch_; }

    rt::Variant callMember(std::string_view name, rt::CallKind kind, rt::Args& args) override {
        std::wstring wideName = wide(name);
        LPOLESTR names[] = {wideName.data()};
        DISPID id = DISPID_UNKNOWN;
        if (FAILED(dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
            throw rt::errNoSuchMember(std::string(name));

        const bool assignment = kind == rt::CallKind::PropertyLet || kind == rt::CallKind::PropertySet;
        const size_t n = args.size();
        // Values in call order; arguments go by reference (as variants) so
        // that the callee may write them back, except left-out ones and the
        // assigned value.
        std::vector<VARIANT> values(n);
        std::vector<VARIANT> passed(n);
        for (size_t i = 0; i < n; ++i) {
            toComVariant(args[i], &values[i]);
            VariantInit(&passed[n - 1 - i]);
            const bool byValue = args[i].isMissing() || (assignment && i + 1 == n);
            if (byValue) {
                passed[n - 1 - i] = values[i];
            } else {
                passed[n - 1 - i].vt = VT_BYREF | VT_VARIANT;
                passed[n - 1 - i].pvarVal = &values[i];
            }
        }
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS params{passed.data(), assignment ? &putId : nullptr, static_cast<UINT>(n),
                          assignment ? 1u : 0u};
        WORD flags = DISPATCH_PROPERTYGET;
        switch (kind) {
            case rt::CallKind::Method:
                flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
                break;
            case rt::CallKind::PropertyGet:
                break;
            case rt::CallKind::PropertyLet:
                flags = DISPATCH_PROPERTYPUT;
                break;
            case rt::CallKind::PropertySet:
                flags = DISPATCH_PROPERTYPUTREF;
                break;
        }
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO info{};
        UINT argError = 0;
        const HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &info, &argError);
        auto clear = [&] {
            for (auto& v : values) VariantClear(&v);
            VariantClear(&result);
        };
        if (FAILED(hr)) {
            clear();
            throw toError(hr, &info, name);
        }
        rt::Variant out;
        try {
            for (size_t i = 0; i < n; ++i)
                if (!(args[i].isMissing() || (assignment && i + 1 == n))) args[i] = fromComVariant(values[i]);
            out = fromComVariant(result);
        } catch (...) {
            clear();
            throw;
        }
        clear();
        return out;
    }

private:
    IDispatch* dispatch_;
};

}  // namespace

IDispatch* toDispatch(const rt::ObjectRef& object) {
    if (!object) return nullptr;
    if (auto* platform = dynamic_cast<PlatformBacked*>(object.get())) {
        IDispatch* d = platform->platformDispatch();
        d->AddRef();
        return d;
    }
    if (auto* picture = dynamic_cast<rt::Picture*>(object.get())) return toPictureDisp(*picture);
    return DispatchObject::wrap(object);
}

rt::ObjectRef platformObject(IDispatch* dispatch) { return rt::ObjectRef(new PlatformObject(dispatch)); }

void addPlatformAdapter(PlatformAdapter adapter) {
    std::lock_guard g(adapterLock);
    adapters().push_back(std::move(adapter));
}

rt::ObjectRef fromUnknown(IUnknown* unknown) {
    if (!unknown) return {};
    void* ours = nullptr;
    if (SUCCEEDED(unknown->QueryInterface(IID_RuntimeObject, &ours)) && ours) {
        auto* d = static_cast<DispatchObject*>(static_cast<IDispatch*>(ours));
        rt::ObjectRef object = d->object();
        d->Release();
        return object;
    }
    if (auto picture = fromPictureObject(unknown)) return picture;
    IDispatch* dispatch = nullptr;
    if (FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))) || !dispatch)
        throw rt::errTypeMismatch();
    std::vector<PlatformAdapter> candidates;
    {
        std::lock_guard g(adapterLock);
        candidates = adapters();
    }
    rt::ObjectRef object;
    try {
        for (const auto& adapt : candidates)
            if ((object = adapt(dispatch))) break;
        if (!object) object = platformObject(dispatch);
    } catch (...) {
        dispatch->Release();
        throw;
    }
    dispatch->Release();
    return object;
}

void describeClass(const rt::ClassInfo& members, const GUID& libid, LCID lcid, const GUID& iid) {
    std::lock_guard g(typeInfoLock);
    typeInfos()[&members] = {libid, lcid, iid};
}

HRESULT describedTypeInfo(const rt::ClassInfo& members, ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    TypeInfoEntry entry;
    {
        std::lock_guard g(typeInfoLock);
        auto it = typeInfos().find(&members);
        if (it == typeInfos().end()) return TYPE_E_ELEMENTNOTFOUND;
        entry = it->second;
    }
    ITypeLib* lib = nullptr;
    HRESULT hr = LoadRegTypeLib(entry.libid, 1, 0, entry.lcid, &lib);
    if (FAILED(hr)) return hr;
    hr = lib->GetTypeInfoOfGuid(entry.iid, out);
    lib->Release();
    return hr;
}

LONG liveBridgeObjects() { return liveObjects.load(); }

HRESULT setThreadErrorInfo(const rt::Error& error) {
    EXCEPINFO info{};
    toHresult(error, &info);
    ICreateErrorInfo* create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        create->SetSource(info.bstrSource);
        create->SetDescription(info.bstrDescription);
        IErrorInfo* errorInfo = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&errorInfo)))) {
            SetErrorInfo(0, errorInfo);
            errorInfo->Release();
        }
        create->Release();
    }
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    return info.scode;
}

HRESULT toHresult(const rt::Error& error, EXCEPINFO* info) {
    const int32_t n = error.number();
    const HRESULT code = n > 0 && n <= 0xFFFF ? static_cast<HRESULT>(0x800A0000u | static_cast<uint32_t>(n))
                                             : (n < 0 ? static_cast<HRESULT>(n) : E_FAIL);
    if (!info) return code;
    *info = EXCEPINFO{};
    info->scode = code;
    info->bstrSource = toBstr(error.source().empty() ? std::string("Sarn10B") : error.source());
    info->bstrDescription = toBstr(error.description());
    return DISP_E_EXCEPTION;
}

rt::Error toError(HRESULT hr, const EXCEPINFO* info, std::string_view what) {
    auto numberOf = [](HRESULT code) -> int32_t {
        if ((static_cast<uint32_t>(code) & 0xFFFF0000u) == 0x800A0000u) return code & 0xFFFF;
        return code;
    };
    switch (hr) {
        case DISP_E_UNKNOWNNAME:
        case DISP_E_MEMBERNOTFOUND:
            return rt::errNoSuchMember(std::string(what));
        case DISP_E_BADPARAMCOUNT:
            return rt::errWrongArgumentCount();
        case DISP_E_TYPEMISMATCH:
            return rt::errTypeMismatch();
        case DISP_E_PARAMNOTOPTIONAL:
            return rt::errArgumentNotOptional();
        case DISP_E_OVERFLOW:
            return rt::errOverflow();
        default:
            break;
    }
    if (hr == DISP_E_EXCEPTION && info) {
        EXCEPINFO copy = *info;
        if (copy.pfnDeferredFillIn) copy.pfnDeferredFillIn(&copy);
        const int32_t number = copy.scode ? numberOf(copy.scode) : copy.wCode;
        rt::Error e(number, fromBstr(copy.bstrDescription), fromBstr(copy.bstrSource));
        SysFreeString(copy.bstrSource);
        SysFreeString(copy.bstrDescription);
        SysFreeString(copy.bstrHelpFile);
        return e;
    }
    return rt::Error(numberOf(hr), "Automation error");
}

}  // namespace win
