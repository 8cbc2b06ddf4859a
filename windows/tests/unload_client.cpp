// Unloading sarn10b.dll while another component still holds one of its
// objects: the tree view server keeps the image list that the style manager
// gave it; everything else is released and the platform is asked, twice, to
// unload every server that says it can go. sarn10b.dll must stay; the image
// list must still work; once it is released too, the server says it can go
// and is unloaded. Before that, a thread of the host uses the library's
// per-thread data and ends: it must end, and the server, which releases a
// thread's data when the thread ends, then reports nothing alive.
// Ends with one line "N passed, M failed" and returns M.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

namespace {

int passed = 0, failed = 0;

void check(bool ok, const std::string& what) {
    ++(ok ? passed : failed);
    if (!ok) std::printf("FAILED: %s\n", what.c_str());
}

IDispatch* create(const wchar_t* progId) {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(progId, &clsid))) return nullptr;
    IDispatch* d = nullptr;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&d));
    return d;
}

// Calls a member by name with the arguments last to first.
HRESULT call(IDispatch* d, const wchar_t* name, WORD flags, VARIANT* args, UINT count, VARIANT* result) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPID put = DISPID_PROPERTYPUT;
    const bool assignment = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    DISPPARAMS p{args, assignment ? &put : nullptr, count, assignment ? 1u : 0u};
    EXCEPINFO info{};
    hr = d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &p, result, &info, nullptr);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return hr;
}

VARIANT text(const wchar_t* s) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(s);
    return v;
}

VARIANT number(LONG n) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = n;
    return v;
}

bool loaded() { return GetModuleHandleW(L"sarn10b.dll") != nullptr; }

void unloadUnused() {
    CoFreeUnusedLibrariesEx(0, 0);
    CoFreeUnusedLibrariesEx(0, 0);
}

// The number of pictures in the image list, read through its ListImages.
LONG pictureCount(IDispatch* list) {
    VARIANT images, count;
    VariantInit(&images);
    VariantInit(&count);
    LONG n = -1;
    if (SUCCEEDED(call(list, L"ListImages", DISPATCH_PROPERTYGET, nullptr, 0, &images)) &&
        images.vt == VT_DISPATCH && images.pdispVal &&
        SUCCEEDED(call(images.pdispVal, L"Count", DISPATCH_PROPERTYGET, nullptr, 0, &count)) && count.vt == VT_I4)
        n = count.lVal;
    VariantClear(&images);
    VariantClear(&count);
    return n;
}

// What the server itself answers; S_OK once it may go (E_FAIL when it is not loaded).
HRESULT canUnloadNow() {
    HMODULE server = GetModuleHandleW(L"sarn10b.dll");
    auto entry = server ? reinterpret_cast<HRESULT(WINAPI*)()>(
                              reinterpret_cast<void*>(GetProcAddress(server, "DllCanUnloadNow")))
                        : nullptr;
    return entry ? entry() : E_FAIL;
}

// The whole use, on this thread.
int useAndRelease() {
    IDispatch* tv = create(L"SarnTree.TreeView");
    IDispatch* m = create(L"Sarn10B.clsKwAmbrTvsA");
    check(tv && m && loaded(), "the tree view and a style manager are created");
    if (!tv || !m) {
        if (tv) tv->Release();
        if (m) m->Release();
        return 1;
    }

    VARIANT view;
    VariantInit(&view);
    view.vt = VT_DISPATCH;
    view.pdispVal = tv;
    check(call(m, L"TreeViewObject", DISPATCH_PROPERTYPUTREF, &view, 1, nullptr) == S_OK, "the tree view is bound");
    // AddNode "", tvwLast, "S1", "Fonts", TVSNodeStyle_Default: the image list goes to the tree view.
    VARIANT args[] = {number(0), text(L"Fonts"), text(L"S1"), number(1), text(L"")};
    check(call(m, L"AddNode", DISPATCH_METHOD, args, 5, nullptr) == S_OK, "a section is added");
    for (auto& a : args) VariantClear(&a);
    m->Release();

    unloadUnused();
    check(loaded(), "sarn10b.dll stays loaded while the tree view holds its image list");
    check(canUnloadNow() == S_FALSE, "sarn10b.dll says it cannot go while its image list is held");

    VARIANT list;
    VariantInit(&list);
    check(call(tv, L"ImageList", DISPATCH_PROPERTYGET, nullptr, 0, &list) == S_OK && list.vt == VT_DISPATCH &&
              list.pdispVal,
          "the tree view still has its image list");
    if (list.vt == VT_DISPATCH && list.pdispVal) {
        const LONG n = pictureCount(list.pdispVal);
        check(n > 0, "the image list still answers (" + std::to_string(n) + " pictures)");
    }
    VariantClear(&list);
    tv->Release();  // and with it the image list

    check(canUnloadNow() == S_OK, "sarn10b.dll says it can go once nothing of it is held");
    unloadUnused();
    check(!loaded(), "sarn10b.dll is unloaded once nothing of it is held");
    return 0;
}

// An object of the host that counts its references; the thread puts it in
// the library's buddy slot, which must let go of it when the thread ends.
struct HostObject : IDispatch {
    LONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&refs); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
};

HostObject hostBuddy;

// A thread of the host that uses the library's per-thread data (App, the
// buddy slot, the hidden form) and ends. With `holdServer` it first takes a
// reference of its own on sarn10b.dll, handed back through it, so that the
// server outlives the thread's apartment and can be asked afterwards.
DWORD WINAPI useOnThread(void* holdServer) {
    CoInitialize(nullptr);
    IDispatch* tv = create(L"SarnTree.TreeView");
    IDispatch* m = create(L"Sarn10B.clsKwAmbrTvsA");
    IDispatch* lib = create(L"Sarn10B.clsKwOrvel10BA");
    check(tv && m && lib, "a thread of the host creates a tree view, a manager and the library object");
    if (tv && m && lib) {
        VARIANT view;
        VariantInit(&view);
        view.vt = VT_DISPATCH;
        view.pdispVal = tv;
        call(m, L"TreeViewObject", DISPATCH_PROPERTYPUTREF, &view, 1, nullptr);
        VARIANT section[] = {number(0), text(L"Fonts"), text(L"S1"), number(1), text(L"")};
        VARIANT item[] = {number(1), text(L"Bold"), text(L"CBbold"), number(4), text(L"S1")};
        check(call(m, L"AddNode", DISPATCH_METHOD, section, 5, nullptr) == S_OK &&
                  call(m, L"AddNode", DISPATCH_METHOD, item, 5, nullptr) == S_OK,
              "the thread adds a section and an item");
        for (auto& a : section) VariantClear(&a);
        for (auto& a : item) VariantClear(&a);
        VARIANT app, buddy;
        VariantInit(&app);
        VariantInit(&buddy);
        check(call(lib, L"GetProStdProperties", DISPATCH_METHOD | DISPATCH_PROPERTYGET, nullptr, 0, &app) == S_OK &&
                  call(lib, L"BuddyObjectGlobal", DISPATCH_PROPERTYGET, nullptr, 0, &buddy) == S_OK,
              "the thread reads its App object and buddy slot");
        VARIANT mine;
        VariantInit(&mine);
        mine.vt = VT_DISPATCH;
        mine.pdispVal = &hostBuddy;
        check(call(lib, L"BuddyObjectGlobal", DISPATCH_PROPERTYPUTREF, &mine, 1, nullptr) == S_OK &&
                  hostBuddy.refs > 1,
              "the thread puts an object of the host in its buddy slot");
        VariantClear(&app);
        VariantClear(&buddy);
    }
    if (holdServer) GetModuleHandleExW(0, L"sarn10b.dll", static_cast<HMODULE*>(holdServer));
    for (IDispatch* d : {lib, m, tv})
        if (d) d->Release();
    CoUninitialize();
    return 0;
}

bool runThread(HMODULE* holdServer) {
    HANDLE thread = CreateThread(nullptr, 0, useOnThread, holdServer, 0, nullptr);
    const bool ended = thread && WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0;
    if (thread) CloseHandle(thread);
    return ended;
}

}  // namespace

int main() {
    CoInitialize(nullptr);
    // First, before this thread holds any per-thread data of the library.
    // The thread's apartment may take the server with it when it closes:
    // the thread must still end.
    check(runThread(nullptr), "a thread of the host that used the library's per-thread data ends");
    check(!loaded() || canUnloadNow() == S_OK, "after the thread has ended, the server is gone or has nothing alive");
    // Kept loaded past the thread's end, the server has released that
    // thread's data by itself.
    HMODULE held = nullptr;
    check(runThread(&held), "a thread that used per-thread data ends while the server stays loaded");
    check(held && loaded(), "the server is still loaded after that thread");
    check(canUnloadNow() == S_OK, "after that thread has ended, the server reports nothing alive");
    check(hostBuddy.refs == 1, "the ended thread's buddy slot let go of the host's object (" +
                                   std::to_string(hostBuddy.refs) + " references)");
    if (held) FreeLibrary(held);

    useAndRelease();
    CoUninitialize();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed;
}
