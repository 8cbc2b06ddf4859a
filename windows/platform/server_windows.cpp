// runtime/server.h on Windows: registration goes to the platform's class
// registry, class factories are the platform's IClassFactory, and classes
// that no factory of the process knows are created through the platform's
// class registry by programmatic identifier.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iterator>

#include "runtime/err_object.h"
#include "runtime/error.h"
#include "runtime/server.h"
#include "windows/platform/com_bridge.h"
#include "windows/platform/com_object.h"
#include "windows/platform/com_text.h"

namespace rt {

// The platform's class factory for one class of a server module.
class ModuleClassFactory final : public win::ComObject<IClassFactory> {
public:
    ModuleClassFactory(ServerModule& module, const ServerClass& cls) : module_(module), class_(cls) {
        module_.live_.fetch_add(1);  // a factory keeps the server loaded too
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, ::IID_IClassFactory)) return E_NOINTERFACE;
        AddRef();
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        try {
            ObjectRef obj = class_.create ? class_.create() : ObjectRef();
            if (!obj) throw errCannotCreate(class_.progId);
            obj->countIn(&module_.live_);
            IDispatch* dispatch = win::toDispatch(obj);
            const HRESULT hr = dispatch->QueryInterface(iid, out);
            dispatch->Release();
            return hr;
        } catch (const Error& e) {
            Err()->set(e);
            return E_FAIL;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            module_.locks_.fetch_add(1);
        else if (module_.locks_.load() > 0)
            module_.locks_.fetch_sub(1);
        return S_OK;
    }

private:
    ~ModuleClassFactory() { module_.live_.fetch_sub(1); }

    ServerModule& module_;
    const ServerClass& class_;
};

namespace {

int32_t fail(const Error& e, int32_t code) {
    Err()->set(e);
    return code;
}

std::wstring braced(const std::string& guid) { return win::wide("{" + guid + "}"); }

GUID toGuid(const std::string& text) {
    auto g = Guid::parse(text);
    if (!g) throw Error(errnum::InvalidCall, "Invalid class identifier " + text);
    GUID out;
    static_assert(sizeof(GUID) == sizeof(Guid));
    std::memcpy(&out, &*g, sizeof out);
    return out;
}

// Sets the value `name` (default value for the empty name) of a key below
// the classes root, creating the key.
void setValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY h = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr);
    if (rc == ERROR_SUCCESS) {
        rc = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(h);
    }
    if (rc != ERROR_SUCCESS)
        throw Error(errnum::FileAccess, "Cannot write the registry key " + win::narrow(key));
}

void deleteTree(const std::wstring& key) {
    const LONG rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (rc == ERROR_SUCCESS) RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
}

// 32-bit and 64-bit servers of one library register side by side on 64-bit
// Windows: class identifiers have a registry view for each bitness, while
// programmatic identifiers and the type library's key are shared by both.
// A server removes what is shared only when the other bitness's server is
// not registered (on 32-bit Windows the other view flag is ignored and the
// own view, already cleaned, is read).
#ifdef _WIN64
constexpr REGSAM otherView = KEY_WOW64_32KEY;
constexpr SYSKIND ownSysKind = SYS_WIN64;
constexpr const wchar_t* otherSysKind = L"win32";
#else
constexpr REGSAM otherView = KEY_WOW64_64KEY;
constexpr SYSKIND ownSysKind = SYS_WIN32;
constexpr const wchar_t* otherSysKind = L"win64";
#endif
constexpr const wchar_t* ownSysKindName = ownSysKind == SYS_WIN64 ? L"win64" : L"win32";

bool keyExists(const std::wstring& key, REGSAM view) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | view, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

std::wstring lcidText(int32_t lcid) {
    wchar_t text[16];
    std::swprintf(text, std::size(text), L"%x", static_cast<unsigned>(lcid));
    return text;
}

HMODULE moduleOf(const void* address) {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCWSTR>(address), &module);
    return module;
}

std::wstring wideModuleFileOf(const void* address) {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(moduleOf(address), path, static_cast<DWORD>(std::size(path)));
    return std::wstring(path, n);
}

}  // namespace

ServerModule::ServerModule(ServerDescription description) : description_(std::move(description)) {}

int32_t ServerModule::registerServer(const std::string& serverFile) {
    const std::wstring file = win::wide(serverFile);
    const bool hasTypeLibrary = !description_.typeLibId.empty();
    if (hasTypeLibrary) {
        ITypeLib* lib = nullptr;
        const HRESULT hr = LoadTypeLibEx(file.c_str(), REGKIND_REGISTER, &lib);
        if (FAILED(hr)) {
            char code[16];
            std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(hr));
            return fail(
                Error(errnum::CannotCreate, "Cannot register the type library of " + serverFile + " (" + code + ")"),
                hresult::SelfRegTypeLib);
        }
        lib->Release();
    }
    try {
        const std::wstring libid = braced(description_.typeLibId);
        for (const auto& cls : description_.classes) {
            const std::wstring clsid = braced(cls.clsid), progId = win::wide(cls.progId);
            const std::wstring name = progId.substr(progId.find(L'.') + 1);
            const std::wstring clsKey = L"CLSID\\" + clsid;
            setValue(clsKey, nullptr, name);
            setValue(clsKey + L"\\InprocServer32", nullptr, file);
            setValue(clsKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
            setValue(clsKey + L"\\ProgID", nullptr, progId);
            if (hasTypeLibrary) {
                setValue(clsKey + L"\\VERSION", nullptr, win::wide(description_.typeLibVersion));
                setValue(clsKey + L"\\TypeLib", nullptr, libid);
            }
            setValue(progId, nullptr, name);
            setValue(progId + L"\\CLSID", nullptr, clsid);
        }
        return hresult::Ok;
    } catch (const Error& e) {
        return fail(e, hresult::SelfRegClass);
    }
}

int32_t ServerModule::unregisterServer() {
    try {
        for (const auto& cls : description_.classes) {
            const std::wstring clsKey = L"CLSID\\" + braced(cls.clsid);
            deleteTree(clsKey);
            if (!keyExists(clsKey + L"\\InprocServer32", otherView)) deleteTree(win::wide(cls.progId));
        }
        if (description_.typeLibId.empty()) return hresult::Ok;
        const GUID libid = toGuid(description_.typeLibId);
        unsigned major = 1, minor = 0;
        std::sscanf(description_.typeLibVersion.c_str(), "%u.%u", &major, &minor);
        const std::wstring versionKey = L"TypeLib\\" + braced(description_.typeLibId) + L"\\" +
                                        win::wide(description_.typeLibVersion) + L"\\";
        bool otherRegistered = false;
        for (const std::wstring& lcid : {lcidText(description_.lcid), std::wstring(L"0")})
            otherRegistered = otherRegistered || keyExists(versionKey + lcid + L"\\" + otherSysKind, 0);
        if (otherRegistered) {
            // The interfaces' keys and the library's own key serve the other
            // server as well: only this bitness's file entry goes.
            for (const std::wstring& lcid : {lcidText(description_.lcid), std::wstring(L"0")})
                deleteTree(versionKey + lcid + L"\\" + ownSysKindName);
            return hresult::Ok;
        }
        // A library that is not registered (any more) is no failure here.
        UnRegisterTypeLib(libid, static_cast<WORD>(major), static_cast<WORD>(minor),
                          static_cast<LCID>(description_.lcid), ownSysKind);
        UnRegisterTypeLib(libid, static_cast<WORD>(major), static_cast<WORD>(minor), 0, ownSysKind);
        return hresult::Ok;
    } catch (const Error& e) {
        return fail(e, hresult::SelfRegClass);
    }
}

int32_t ServerModule::getClassObject(const Guid* clsid, const Guid* iid, void** factory) {
    if (!factory) return hresult::Pointer;
    *factory = nullptr;
    if (!clsid || !iid) return hresult::Pointer;
    for (const auto& cls : description_.classes) {
        if (Guid::parse(cls.clsid) != *clsid) continue;
        auto* f = new ModuleClassFactory(*this, cls);
        GUID wanted;
        std::memcpy(&wanted, iid, sizeof wanted);
        const HRESULT hr = f->QueryInterface(wanted, factory);
        f->Release();
        return hr;
    }
    return hresult::ClassNotAvailable;
}

int32_t ServerModule::canUnloadNow() const {
    return live_.load() == 0 && locks_.load() == 0 && win::liveBridgeObjects() == 0 ? hresult::Ok : hresult::False;
}

std::string moduleFileOf(const void* address) { return win::narrow(wideModuleFileOf(address)); }

int32_t callServerEntry(const std::string& serverFile, const char* name) {
    // Loaded once and never unloaded: objects may outlive any caller.
    HMODULE module = LoadLibraryW(win::wide(serverFile).c_str());
    if (!module) throw Error(errnum::CannotCreate, "Cannot load the component server " + serverFile);
    auto fn = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!fn) throw Error(errnum::CannotCreate, "The component server " + serverFile + " has no " + name);
    return fn();
}

ObjectRef activateFromRegistry(std::string_view progId) {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(win::wide(progId).c_str(), &clsid))) return {};
    IDispatch* dispatch = nullptr;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(&dispatch));
    if (FAILED(hr) || !dispatch) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(hr));
        throw errCannotCreate(std::string(progId) + " (" + code + ")");
    }
    ObjectRef object = win::fromUnknown(dispatch);
    dispatch->Release();
    return object;
}

}  // namespace rt
