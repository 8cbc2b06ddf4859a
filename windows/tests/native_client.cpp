// A native automation client of sarn10b.dll, as a host program written in
// C++ would be: it reads the registered type library back and compares every
// class, interface, member and dispatch identifier with the published
// surface; creates every class through the platform's class registry; calls
// members by dispatch identifier (late binding, identifiers asked by name
// and compared) and through the vtables of their dual interfaces (early
// binding, declared by widl from the type library's text); and checks
// by-reference write-back both ways; and reads the library's own resources
// both through the library object and straight from the server file.
// Prints "N passed, M failed" and exits with M.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <olectl.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "sarn10b_h.h"

#include "library/identifiers.h"
#include "library/tests/expected_surface.h"

namespace {

int passed = 0, failed = 0;

void check(bool ok, const std::string& what) {
    ++(ok ? passed : failed);
    if (!ok) std::printf("FAILED: %s\n", what.c_str());
}

std::wstring wide(std::string_view s) { return std::wstring(s.begin(), s.end()); }
std::string narrow(const wchar_t* s) {
    std::string out;
    for (; s && *s; ++s) out += static_cast<char>(*s);
    return out;
}

GUID guidOf(std::string_view text) {
    GUID g{};
    CLSIDFromString(wide("{" + std::string(text) + "}").c_str(), &g);
    return g;
}

std::string hex(long v) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%08lx", static_cast<unsigned long>(v));
    return b;
}

rt::CallKind kindOf(INVOKEKIND k) {
    switch (k) {
        case INVOKE_PROPERTYGET:
            return rt::CallKind::PropertyGet;
        case INVOKE_PROPERTYPUT:
            return rt::CallKind::PropertyLet;
        case INVOKE_PROPERTYPUTREF:
            return rt::CallKind::PropertySet;
        default:
            return rt::CallKind::Method;
    }
}

const Sarn10B::ids::ClassIds* idsOf(const std::string& name) {
    static const Sarn10B::ids::ClassIds* all[] = {&Sarn10B::ids::StyleManager, &Sarn10B::ids::LibraryObject,
                                                  &Sarn10B::ids::ListViewWndClass, &Sarn10B::ids::TreeviewWndClass,
                                                  &Sarn10B::ids::General, &Sarn10B::ids::Advanced};
    for (auto* c : all)
        if (c->name == name) return c;
    return nullptr;
}

std::string nameOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
    BSTR name = nullptr;
    info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
    std::string out = narrow(name);
    SysFreeString(name);
    return out;
}

// Members of the interface part of a dual interface, in slot order.
std::vector<Sarn10B::test::Slot> slotsOf(ITypeInfo* dual) {
    std::vector<Sarn10B::test::Slot> out;
    ITypeInfo* vtable = dual;
    HREFTYPE ref = 0;
    if (SUCCEEDED(dual->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref))) dual->GetRefTypeInfo(ref, &vtable);
    TYPEATTR* attr = nullptr;
    vtable->GetTypeAttr(&attr);
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(vtable->GetFuncDesc(i, &f))) continue;
        out.push_back({nameOf(vtable, f->memid), kindOf(f->invkind), static_cast<int32_t>(f->memid)});
        vtable->ReleaseFuncDesc(f);
    }
    vtable->ReleaseTypeAttr(attr);
    if (vtable != dual) vtable->Release();
    return out;
}

void checkTypeLibrary() {
    ITypeLib* lib = nullptr;
    HRESULT hr = LoadRegTypeLib(guidOf(Sarn10B::ids::TypeLibrary), 1, 0, 0x409, &lib);
    check(SUCCEEDED(hr), "the type library is registered (" + hex(hr) + ")");
    if (FAILED(hr)) return;
    TLIBATTR* la = nullptr;
    lib->GetLibAttr(&la);
    check(la->wMajorVerNum == 1 && la->wMinorVerNum == 0 && la->lcid == 0x409, "type library version 1.0, locale 0x409");
    lib->ReleaseTLibAttr(la);
    BSTR libName = nullptr;
    lib->GetDocumentation(-1, &libName, nullptr, nullptr, nullptr);
    check(narrow(libName) == "Sarn10B", "the type library is called Sarn10B, not " + narrow(libName));
    SysFreeString(libName);

    for (const auto& expected : Sarn10B::test::expectedClasses()) {
        const auto* ids = idsOf(expected.name);
        check(ids != nullptr, expected.name + " has identifiers");
        if (!ids) continue;
        ITypeInfo* coclass = nullptr;
        hr = lib->GetTypeInfoOfGuid(guidOf(ids->clsid), &coclass);
        check(SUCCEEDED(hr), expected.name + ": the class is in the type library");
        if (FAILED(hr)) continue;
        TYPEATTR* ca = nullptr;
        coclass->GetTypeAttr(&ca);
        check(ca->typekind == TKIND_COCLASS && (ca->wTypeFlags & TYPEFLAG_FCANCREATE),
              expected.name + ": a creatable class");
        const bool appObject = expected.name == "clsKwOrvel10BA";
        check(((ca->wTypeFlags & TYPEFLAG_FAPPOBJECT) != 0) == appObject,
              expected.name + (appObject ? ": the application object" : ": no application object"));
        check(((ca->wTypeFlags & TYPEFLAG_FPREDECLID) != 0) == appObject,
              expected.name + (appObject ? ": has a predeclared identifier" : ": no predeclared identifier"));
        coclass->ReleaseTypeAttr(ca);
        check(nameOf(coclass) == expected.name, expected.name + ": its name in the type library");

        HREFTYPE ref = 0;
        ITypeInfo* dual = nullptr;
        INT implFlags = 0;
        coclass->GetImplTypeFlags(0, &implFlags);
        check(SUCCEEDED(coclass->GetRefTypeOfImplType(0, &ref)) && SUCCEEDED(coclass->GetRefTypeInfo(ref, &dual)) &&
                  (implFlags & IMPLTYPEFLAG_FDEFAULT),
              expected.name + ": has a default interface");
        coclass->Release();
        if (!dual) continue;
        TYPEATTR* ia = nullptr;
        dual->GetTypeAttr(&ia);
        check(IsEqualGUID(ia->guid, guidOf(ids->iid)), expected.name + ": the default interface's identifier");
        const WORD wanted = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE;
        check((ia->wTypeFlags & wanted) == wanted,
              expected.name + ": the default interface is dual, hidden and non-extensible (flags " +
                  hex(ia->wTypeFlags) + ")");
        dual->ReleaseTypeAttr(ia);
        // The interface half of the dual interface carries the automation flag.
        ITypeInfo* vtable = nullptr;
        TYPEATTR* va = nullptr;
        if (SUCCEEDED(dual->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
            SUCCEEDED(dual->GetRefTypeInfo(ref, &vtable)) && SUCCEEDED(vtable->GetTypeAttr(&va))) {
            check(va->typekind == TKIND_INTERFACE && (va->wTypeFlags & TYPEFLAG_FOLEAUTOMATION),
                  expected.name + ": the interface half is automation-compatible (flags " + hex(va->wTypeFlags) + ")");
            vtable->ReleaseTypeAttr(va);
        } else {
            check(false, expected.name + ": the default interface has an interface half");
        }
        if (vtable) vtable->Release();
        check(nameOf(dual) == "_" + expected.name, expected.name + ": the default interface is _" + expected.name);

        std::vector<Sarn10B::test::Slot> published;
        for (const auto& s : expected.slots)
            if (s.published) published.push_back(s);
        const auto read = slotsOf(dual);
        check(read.size() == published.size(),
              expected.name + ": " + std::to_string(published.size()) + " members, read " + std::to_string(read.size()));
        for (size_t i = 0; i < read.size() && i < published.size(); ++i) {
            std::ostringstream a, b;
            a << read[i];
            b << published[i];
            check(read[i] == published[i], expected.name + " slot " + std::to_string(i) + ": " + a.str() +
                                               ", expected " + b.str());
        }
        dual->Release();
    }
    lib->Release();
}

IDispatch* create(std::string_view progId) {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(wide(progId).c_str(), &clsid))) return nullptr;
    IDispatch* d = nullptr;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&d));
    return d;
}

DISPID idOf(IDispatch* d, const std::string& name) {
    std::wstring w = wide(name);
    LPOLESTR names[] = {w.data()};
    DISPID id = DISPID_UNKNOWN;
    d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

HRESULT invoke(IDispatch* d, DISPID id, WORD flags, std::vector<VARIANT> argsLastFirst, VARIANT* result,
               EXCEPINFO* info = nullptr) {
    DISPID put = DISPID_PROPERTYPUT;
    const bool assignment = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    DISPPARAMS p{argsLastFirst.data(), assignment ? &put : nullptr, static_cast<UINT>(argsLastFirst.size()),
                 assignment ? 1u : 0u};
    EXCEPINFO local{};
    return d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &p, result, info ? info : &local, nullptr);
}

void checkLateBinding() {
    for (const auto& expected : Sarn10B::test::expectedClasses()) {
        const std::string progId = "Sarn10B." + expected.name;
        IDispatch* d = create(progId);
        check(d != nullptr, progId + ": created through the platform's class registry");
        if (!d) continue;
        for (const auto& s : expected.slots)
            check(idOf(d, s.name) == s.dispid, progId + "." + s.name + ": dispatch identifier " + hex(s.dispid));
        check(idOf(d, "NoSuchMember") == DISPID_UNKNOWN, progId + ": an unknown name has no identifier");

        UINT count = 0;
        d->GetTypeInfoCount(&count);
        ITypeInfo* info = nullptr;
        check(count == 1 && SUCCEEDED(d->GetTypeInfo(0, 0x409, &info)) && info,
              progId + ": describes itself by its type information");
        if (info) {
            check(nameOf(info) == "_" + expected.name, progId + ": its type information is _" + expected.name);
            info->Release();
        }
        d->Release();
    }

    // Handle through Invoke: let, then get; a text that is no number fails
    // as a type mismatch with the runtime's number.
    IDispatch* h = create("Sarn10B.clsKwAmbrTreeviewWndClassA");
    if (h) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = -42;
        check(invoke(h, 0x68030000, DISPATCH_PROPERTYPUT, {v}, nullptr) == S_OK, "Handle let through Invoke");
        VARIANT r;
        VariantInit(&r);
        check(invoke(h, 0x68030000, DISPATCH_PROPERTYGET, {}, &r) == S_OK && r.vt == VT_I4 && r.lVal == -42,
              "Handle get through Invoke returns the Long -42");
        VARIANT text;
        VariantInit(&text);
        text.vt = VT_BSTR;
        text.bstrVal = SysAllocString(L"x");
        EXCEPINFO info{};
        const HRESULT hr = invoke(h, 0x68030000, DISPATCH_PROPERTYPUT, {text}, nullptr, &info);
        check(hr == DISP_E_EXCEPTION && info.scode == static_cast<HRESULT>(0x800A000D),
              "a text for Handle fails with error 13 (" + hex(hr) + ", " + hex(info.scode) + ")");
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrHelpFile);
        VariantClear(&text);
        check(invoke(h, 0x12345, DISPATCH_METHOD, {}, nullptr) == DISP_E_MEMBERNOTFOUND,
              "an unknown dispatch identifier is not found");
        h->Release();
    }
}


// The arguments of AddNode, typed as a compiled client holds them.
struct AddNodeArgs {
    BSTR relative, key, text, imageKey, tag;
    LONG relationship, style;
    IDispatch* picture = nullptr;
    VARIANT_BOOL expanded = VARIANT_FALSE;
};

// The two ways a compiled client calls a style manager.
struct Binding {
    const char* name;
    HRESULT (*addNode)(IDispatch* m, AddNodeArgs& a, VARIANT* result);
    HRESULT (*moreChildren)(IDispatch* m, BSTR* section, LONG* count, VARIANT_BOOL* answer);
};

_clsKwAmbrTvsA* early(IDispatch* m) {
    _clsKwAmbrTvsA* dual = nullptr;
    m->QueryInterface(guidOf(Sarn10B::ids::StyleManager.iid), reinterpret_cast<void**>(&dual));
    return dual;
}

const Binding bindings[] = {
    {"late binding",
     [](IDispatch* m, AddNodeArgs& a, VARIANT* result) {
         std::vector<VARIANT> args(9);
         for (auto& v : args) VariantInit(&v);
         // Last to first: sTag, bExpanded, picture, image key, style, text, key, relationship, relative.
         args[0].vt = VT_BYREF | VT_BSTR, args[0].pbstrVal = &a.tag;
         args[1].vt = VT_BYREF | VT_BOOL, args[1].pboolVal = &a.expanded;
         args[2].vt = VT_BYREF | VT_DISPATCH, args[2].ppdispVal = &a.picture;
         args[3].vt = VT_BYREF | VT_BSTR, args[3].pbstrVal = &a.imageKey;
         args[4].vt = VT_BYREF | VT_I4, args[4].plVal = &a.style;
         args[5].vt = VT_BYREF | VT_BSTR, args[5].pbstrVal = &a.text;
         args[6].vt = VT_BYREF | VT_BSTR, args[6].pbstrVal = &a.key;
         args[7].vt = VT_BYREF | VT_I4, args[7].plVal = &a.relationship;
         args[8].vt = VT_BYREF | VT_BSTR, args[8].pbstrVal = &a.relative;
         return invoke(m, 0x6003000A, DISPATCH_METHOD, args, result);
     },
     [](IDispatch* m, BSTR* section, LONG* count, VARIANT_BOOL* answer) {
         std::vector<VARIANT> args(2);
         args[0].vt = VT_BYREF | VT_I4, args[0].plVal = count;
         args[1].vt = VT_BYREF | VT_BSTR, args[1].pbstrVal = section;
         VARIANT result;
         VariantInit(&result);
         const HRESULT hr = invoke(m, 0x60030012, DISPATCH_METHOD, args, &result);
         if (hr == S_OK && result.vt != VT_BOOL) return E_UNEXPECTED;
         *answer = result.boolVal;
         return hr;
     }},
    {"early binding",
     [](IDispatch* m, AddNodeArgs& a, VARIANT* result) {
         _clsKwAmbrTvsA* dual = early(m);
         if (!dual) return E_NOINTERFACE;
         const HRESULT hr = dual->AddNode(&a.relative, reinterpret_cast<TreeRelationshipConstants*>(&a.relationship),
                                          &a.key, &a.text, reinterpret_cast<TVSNodeStyle*>(&a.style), &a.imageKey,
                                          reinterpret_cast<IPictureDisp**>(&a.picture), &a.expanded, &a.tag, result);
         dual->Release();
         return hr;
     },
     [](IDispatch* m, BSTR* section, LONG* count, VARIANT_BOOL* answer) {
         _clsKwAmbrTvsA* dual = early(m);
         if (!dual) return E_NOINTERFACE;
         const HRESULT hr = dual->MoreChildrenDefault(section, count, answer);
         dual->Release();
         return hr;
     }},
};

// A failure through a vtable: the client reads its description and source
// from the thread's error information, the same as a late-bound caller gets.
void checkEarlyFailure(Collection* nodes) {
    ISupportErrorInfo* supports = nullptr;
    check(nodes->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&supports)) == S_OK && supports &&
              supports->InterfaceSupportsErrorInfo(__uuidof(Collection)) == S_OK,
          "the collection says that its vtable sets error information");
    if (supports) supports->Release();
    SetErrorInfo(0, nullptr);
    VARIANT index, item;
    VariantInit(&index);
    VariantInit(&item);
    index.vt = VT_I4;
    index.lVal = 99;
    const HRESULT hr = nodes->Item(&index, &item);
    IErrorInfo* error = nullptr;
    BSTR description = nullptr, source = nullptr;
    if (GetErrorInfo(0, &error) == S_OK && error) {
        error->GetDescription(&description);
        error->GetSource(&source);
        error->Release();
    }
    EXCEPINFO late{};
    const HRESULT lateHr = invoke(nodes, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {index}, &item, &late);
    check(hr == static_cast<HRESULT>(0x800A0009) && lateHr == DISP_E_EXCEPTION && late.scode == hr,
          "Item 99 fails with 9 through the vtable and by name (" + hex(hr) + ")");
    check(description && narrow(description) == narrow(late.bstrDescription) && narrow(description) != "",
          "GetErrorInfo gives the description that a script gets (" + narrow(description) + ")");
    check(source && narrow(source) == narrow(late.bstrSource) && narrow(source) != "",
          "GetErrorInfo gives the source that a script gets (" + narrow(source) + ")");
    SysFreeString(description);
    SysFreeString(source);
    SysFreeString(late.bstrDescription);
    SysFreeString(late.bstrSource);
    SysFreeString(late.bstrHelpFile);
    VariantClear(&item);
}

// Typed by-reference arguments, as a compiled client passes them: AddNode
// writes the image key and picture back, MoreChildrenDefault the child count.
void checkWriteBack(const Binding& binding) {
    const std::string how = std::string(" (") + binding.name + ")";
    IDispatch* tv = create("SarnTree.TreeView");
    IDispatch* m = create("Sarn10B.clsKwAmbrTvsA");
    check(tv && m, "the tree view and a style manager are created" + how);
    if (!tv || !m) {
        if (tv) tv->Release();
        if (m) m->Release();
        return;
    }
    VARIANT view;
    VariantInit(&view);
    view.vt = VT_DISPATCH;
    view.pdispVal = tv;
    check(invoke(m, 0x68030007, DISPATCH_PROPERTYPUTREF, {view}, nullptr) == S_OK, "TreeViewObject is bound" + how);

    struct Call {
        const wchar_t* relative;
        LONG relationship;
        const wchar_t* key;
        LONG style;
        const char* expectedImageKey;
        bool expectPicture;
    };
    const Call calls[] = {
        {L"", 0, L"S1", 0, "S1", true},           // a section: its own key and the blank picture
        {L"S1", 4, L"CBbold", 1, "chkoff", false},  // a check box that is off
        {L"S1", 4, L"OBleft", 4, "opton", false},   // an option button that is on
    };
    for (const auto& c : calls) {
        const std::string name = narrow(c.key) + how;
        AddNodeArgs a{SysAllocString(c.relative), SysAllocString(c.key), SysAllocString(c.key),
                      SysAllocString(L""), SysAllocString(L""), c.relationship, c.style};
        VARIANT result;
        VariantInit(&result);
        const HRESULT hr = binding.addNode(m, a, &result);
        check(hr == S_OK && result.vt == VT_EMPTY, name + ": AddNode succeeds and answers Empty (" + hex(hr) + ")");
        check(narrow(a.imageKey) == c.expectedImageKey,
              name + ": the image key written back is " + narrow(a.imageKey) + ", expected " + c.expectedImageKey);
        check((a.picture != nullptr) == c.expectPicture,
              name + (c.expectPicture ? ": the blank picture is written back" : ": no picture is written back"));
        check(narrow(a.key) == narrow(c.key) && a.style == c.style && a.relationship == c.relationship,
              name + ": arguments that AddNode does not write keep their values");
        if (a.picture) {
            IPicture* p = nullptr;
            SHORT type = PICTYPE_NONE;
            OLE_XSIZE_HIMETRIC width = 0;
            if (SUCCEEDED(a.picture->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&p)))) {
                p->get_Type(&type);
                p->get_Width(&width);
                p->Release();
            }
            check(type == PICTYPE_ICON && width > 0,
                  name + ": the blank picture is a standard picture object holding an icon (type " +
                      std::to_string(type) + ")");
            a.picture->Release();
        }
        for (BSTR b : {a.relative, a.key, a.text, a.imageKey, a.tag}) SysFreeString(b);
    }

    // Through the default interface's Invoke, optional typed arguments may
    // be left out: at the end and in between.
    _clsKwAmbrTvsA* dual = &binding == &bindings[0] ? nullptr : early(m);
    if (dual) {
        struct Omitted {
            const char* name;
            std::vector<VARIANT> argsLastFirst;
        };
        auto text = [](const wchar_t* s) {
            VARIANT v;
            VariantInit(&v);
            v.vt = VT_BSTR;
            v.bstrVal = SysAllocString(s);
            return v;
        };
        VARIANT gap;
        VariantInit(&gap);
        gap.vt = VT_ERROR;
        gap.scode = DISP_E_PARAMNOTFOUND;
        Omitted cases[] = {
            {"only a key", {text(L"S2"), gap, gap}},
            {"a key and a text, the style given as left out", {gap, text(L"Two"), text(L"S3"), gap, gap}},
        };
        for (auto& c : cases) {
            VARIANT result;
            VariantInit(&result);
            const HRESULT hr = invoke(dual, 0x6003000A, DISPATCH_METHOD, c.argsLastFirst, &result);
            check(hr == S_OK, std::string("AddNode with ") + c.name + " through the default interface's Invoke" + how +
                                  " (" + hex(hr) + ")");
            for (auto& v : c.argsLastFirst) VariantClear(&v);
        }

        // A collection handed out through the vtable is the type library's
        // Collection, early bound too, and the same object by name.
        BSTR s1 = SysAllocString(L"S1");
        TVSNodeType prefix = TVSNodeType_CB;
        Collection* nodes = nullptr;
        const HRESULT hr = dual->QueryNodeCollection(&s1, &prefix, &nodes);
        check(hr == S_OK && nodes, "QueryNodeCollection through the vtable hands out a Collection (" + hex(hr) + ")");
        if (nodes) {
            LONG early = -1;
            VARIANT late;
            VariantInit(&late);
            check(nodes->Count(&early) == S_OK && early == 1 &&
                      invoke(nodes, 2, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, &late) == S_OK &&
                      late.vt == VT_I4 && late.lVal == early,
                  "the section's check boxes counted through the Collection vtable and by name (" +
                      std::to_string(early) + ")");
            VARIANT index, item, byName;
            VariantInit(&index);
            VariantInit(&item);
            VariantInit(&byName);
            index.vt = VT_I4;
            index.lVal = 1;
            check(nodes->Item(&index, &item) == S_OK && item.vt == VT_BSTR &&
                      invoke(nodes, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {index}, &byName) == S_OK &&
                      byName.vt == VT_BSTR && narrow(item.bstrVal) == narrow(byName.bstrVal),
                  "Item 1 through the Collection vtable is the check box's state, as by name (" +
                      narrow(item.vt == VT_BSTR ? item.bstrVal : nullptr) + ")");
            VariantClear(&item);
            VariantClear(&byName);
            checkEarlyFailure(nodes);
            nodes->Release();
        }
        SysFreeString(s1);
        dual->Release();
    }

    // MoreChildrenDefault writes the section's child count.
    BSTR section = SysAllocString(L"S1");
    LONG count = -1;
    VARIANT_BOOL answer = VARIANT_FALSE;
    check(binding.moreChildren(m, &section, &count, &answer) == S_OK && answer == VARIANT_TRUE,
          "MoreChildrenDefault answers True for a section with items" + how);
    check(count == 2, "MoreChildrenDefault writes the child count back (" + std::to_string(count) + ")" + how);
    SysFreeString(section);

    VARIANT nothing;
    VariantInit(&nothing);
    nothing.vt = VT_DISPATCH;
    nothing.pdispVal = nullptr;
    invoke(m, 0x68030007, DISPATCH_PROPERTYPUTREF, {nothing}, nullptr);
    m->Release();
    tv->Release();
}

// Early binding: every class answers for its default interface with the same
// identity; calls go through the vtable, and the interface's own IDispatch
// through the type library onto it.
void checkEarlyBinding() {
    for (const auto& expected : Sarn10B::test::expectedClasses()) {
        const std::string progId = "Sarn10B." + expected.name;
        const auto* ids = idsOf(expected.name);
        IDispatch* d = create(progId);
        if (!d || !ids) {
            check(false, progId + ": created for early binding");
            if (d) d->Release();
            continue;
        }
        IDispatch* dual = nullptr;
        check(SUCCEEDED(d->QueryInterface(guidOf(ids->iid), reinterpret_cast<void**>(&dual))) && dual,
              progId + ": answers for its default interface _" + expected.name);
        if (dual) {
            IUnknown *a = nullptr, *b = nullptr;
            d->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
            dual->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
            check(a && a == b, progId + ": the default interface has the object's identity");
            if (a) a->Release();
            if (b) b->Release();
            ITypeInfo* info = nullptr;
            check(SUCCEEDED(dual->GetTypeInfo(0, 0x409, &info)) && info && nameOf(info) == "_" + expected.name,
                  progId + ": the default interface describes itself as _" + expected.name);
            if (info) info->Release();
            for (const auto& s : expected.slots)
                check(idOf(dual, s.name) == s.dispid,
                      progId + "." + s.name + ": the type library gives the default interface " + hex(s.dispid));
            dual->Release();
        }
        d->Release();
    }

    IDispatch* h = create("Sarn10B.clsKwAmbrTreeviewWndClassA");
    _clsKwAmbrTreeviewWndClassA* window = nullptr;
    if (h) h->QueryInterface(guidOf(Sarn10B::ids::TreeviewWndClass.iid), reinterpret_cast<void**>(&window));
    check(window != nullptr, "clsKwAmbrTreeviewWndClassA: its default interface for early binding");
    if (window) {
        LONG handle = 0;
        check(window->put_Handle(-42) == S_OK && window->get_Handle(&handle) == S_OK && handle == -42,
              "Handle let and get through the vtable keep -42 (" + std::to_string(handle) + ")");
        VARIANT r;
        VariantInit(&r);
        check(invoke(h, 0x68030000, DISPATCH_PROPERTYGET, {}, &r) == S_OK && r.vt == VT_I4 && r.lVal == -42,
              "a Handle set through the vtable reads back by name");
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = 77;
        check(invoke(window, 0x68030000, DISPATCH_PROPERTYPUT, {v}, nullptr) == S_OK &&
                  window->get_Handle(&handle) == S_OK && handle == 77,
              "Handle let through the default interface's Invoke reaches the vtable (" + std::to_string(handle) + ")");
        check(invoke(window, 0x12345, DISPATCH_METHOD, {}, nullptr) == DISP_E_MEMBERNOTFOUND,
              "the default interface's Invoke knows only the type library's identifiers");
        VARIANT missing;
        VariantInit(&missing);
        missing.vt = VT_ERROR;
        missing.scode = DISP_E_PARAMNOTFOUND;
        check(invoke(window, 0x68030000, DISPATCH_PROPERTYPUT, {missing}, nullptr) != S_OK,
              "a left-out value for Handle through the default interface's Invoke fails");
        window->Release();
    }
    if (h) h->Release();

    // A failure through the vtable: the runtime's number as the HRESULT, its
    // description as the thread's error information.
    IDispatch* lib = create("Sarn10B.clsKwOrvel10BA");
    _clsKwOrvel10BA* library = nullptr;
    if (lib) lib->QueryInterface(guidOf(Sarn10B::ids::LibraryObject.iid), reinterpret_cast<void**>(&library));
    check(library != nullptr, "clsKwOrvel10BA: its default interface for early binding");
    if (library) {
        LONG id = 424242;
        BSTR text = nullptr;
        const HRESULT hr = library->get_GetProResStrings(&id, &text);
        IErrorInfo* error = nullptr;
        BSTR description = nullptr;
        if (GetErrorInfo(0, &error) == S_OK && error) {
            error->GetDescription(&description);
            error->Release();
        }
        check(hr == static_cast<HRESULT>(0x800A0146) && description && *description,
              "a missing string resource fails through the vtable with 326 and a description (" + hex(hr) + ")");
        SysFreeString(description);
        SysFreeString(text);
        library->Release();
    }
    if (lib) lib->Release();
}

// An index to a property without parameters that returns an object goes to
// that object's default member, through the object's IDispatch and through
// its default interface's alike; a result without one refuses it with 450,
// and so does an index with an assignment.
void checkDefaultMember() {
    IDispatch* tv = create("SarnTree.TreeView");
    IDispatch* m = create("Sarn10B.clsKwAmbrTvsA");
    IDispatch* dual = nullptr;
    if (m) m->QueryInterface(guidOf(Sarn10B::ids::StyleManager.iid), reinterpret_cast<void**>(&dual));
    check(tv && m && dual, "a tree view and a style manager with its default interface");
    if (!tv || !m || !dual) {
        for (IDispatch* d : {tv, m, dual})
            if (d) d->Release();
        return;
    }
    auto number = [](long v) {
        VARIANT r;
        VariantInit(&r);
        r.vt = VT_I4;
        r.lVal = v;
        return r;
    };
    auto text = [](const wchar_t* s) {
        VARIANT r;
        VariantInit(&r);
        r.vt = VT_BSTR;
        r.bstrVal = SysAllocString(s);
        return r;
    };
    VARIANT view;
    VariantInit(&view);
    view.vt = VT_DISPATCH;
    view.pdispVal = tv;
    invoke(m, 0x68030007, DISPATCH_PROPERTYPUTREF, {view}, nullptr);
    for (const wchar_t* key : {L"S1", L"CBbold", L"CBital"}) {
        const bool section = std::wstring(key) == L"S1";
        // Last to first: style, text, key, relationship, relative.
        std::vector<VARIANT> args = {number(section ? 0 : 1), text(key), text(key), number(section ? 0 : 4),
                                     text(section ? L"" : L"S1")};
        VARIANT result;
        VariantInit(&result);
        invoke(m, 0x6003000A, DISPATCH_METHOD, args, &result);
        for (auto& v : args) VariantClear(&v);
    }
    VARIANT s1 = text(L"S1"), states;
    VariantInit(&states);
    invoke(m, 0x60030014, DISPATCH_METHOD, {s1}, &states);
    VariantClear(&s1);
    VariantClear(&states);

    const struct {
        const char* name;
        IDispatch* through;
    } ways[] = {{"IDispatch", m}, {"the default interface's Invoke", dual}};
    for (const auto& way : ways) {
        const std::string how = std::string(" (") + way.name + ")";
        struct Read {
            const char* name;
            DISPID id;
            long index;
            std::string expected;  // the text, or the error code
        };
        const Read reads[] = {
            {"QueryNodeTextCollection(2)", 0x40030003, 2, "CBital"},  // each item's text is its key
            {"QueryNodeKeysCollection(1)", 0x40030002, 1, "CBbold"},
            {"QueryNodeKeysCollection(3)", 0x40030002, 3, "0x800a0009"},
            {"TreeViewObject(1), no default member", 0x68030007, 1, "0x800a01c2"},
            {"BuddyObject(1), nothing", 0x68030006, 1, "0x800a01c2"},
            {"Tag(1), a text", 0x68030005, 1, "0x800a01c2"},
        };
        for (const auto& read : reads) {
            VARIANT result;
            VariantInit(&result);
            EXCEPINFO info{};
            const HRESULT hr = invoke(way.through, read.id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {number(read.index)},
                                      &result, &info);
            const std::string outcome = hr == S_OK && result.vt == VT_BSTR ? narrow(result.bstrVal)
                                        : hr == DISP_E_EXCEPTION        ? hex(info.scode)
                                                                        : hex(hr);
            check(outcome == read.expected, std::string(read.name) + " gives " + read.expected + how + ": " + outcome);
            VariantClear(&result);
            SysFreeString(info.bstrSource);
            SysFreeString(info.bstrDescription);
            SysFreeString(info.bstrHelpFile);
        }
        // QueryNodeTextCollection(1) = other collection: the index is refused.
        VARIANT before;
        VariantInit(&before);
        invoke(m, 0x40030003, DISPATCH_PROPERTYGET, {}, &before);
        VARIANT value = before;  // the same kind of value, a collection
        EXCEPINFO info{};
        const HRESULT hr = invoke(way.through, 0x40030003, DISPATCH_PROPERTYPUTREF, {value, number(1)}, nullptr, &info);
        check(hr == DISP_E_EXCEPTION && info.scode == static_cast<HRESULT>(0x800A01C2),
              "an index with an assignment to QueryNodeTextCollection fails with 450" + how + " (" + hex(hr) + ", " +
                  hex(info.scode) + ")");
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        VARIANT after;
        VariantInit(&after);
        invoke(m, 0x40030003, DISPATCH_PROPERTYGET, {}, &after);
        check(after.vt == VT_DISPATCH && before.vt == VT_DISPATCH && after.pdispVal == before.pdispVal,
              "and leaves the collection in place" + how);
        VariantClear(&before);
        VariantClear(&after);
    }

    VARIANT nothing;
    VariantInit(&nothing);
    nothing.vt = VT_DISPATCH;
    invoke(m, 0x68030007, DISPATCH_PROPERTYPUTREF, {nothing}, nullptr);
    dual->Release();
    m->Release();
    tv->Release();
}

// The library's own resources through the library object, compared byte for
// byte with what sarn10b.dll carries, read here with the platform's resource
// functions.
std::vector<uint8_t> resourceOfFile(HMODULE file, int id, LPCWSTR type) {
    HRSRC found = FindResourceW(file, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found ? LoadResource(file, found) : nullptr;
    const auto* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    return data ? std::vector<uint8_t>(data, data + SizeofResource(file, found)) : std::vector<uint8_t>{};
}

std::vector<uint8_t> bytesOf(const VARIANT& v) {
    std::vector<uint8_t> out;
    if (v.vt != (VT_ARRAY | VT_UI1) || !v.parray) return out;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(v.parray, &data))) return out;
    const auto* first = static_cast<const uint8_t*>(data);
    out.assign(first, first + v.parray->rgsabound[0].cElements);
    SafeArrayUnaccessData(v.parray);
    return out;
}

VARIANT typeArgument(const wchar_t* name, int number) {
    VARIANT type;
    VariantInit(&type);
    if (name) {
        type.vt = VT_BSTR;
        type.bstrVal = SysAllocString(name);
    } else {
        type.vt = VT_I4;
        type.lVal = number;
    }
    return type;
}

void checkOwnResources() {
    IDispatch* lib = create("Sarn10B.clsKwOrvel10BA");
    _clsKwOrvel10BA* library = nullptr;
    if (lib) lib->QueryInterface(guidOf(Sarn10B::ids::LibraryObject.iid), reinterpret_cast<void**>(&library));
    const HMODULE file = GetModuleHandleW(L"sarn10b.dll");
    check(library && file, "the library object and its server file, loaded");
    if (!library || !file) {
        if (lib) lib->Release();
        return;
    }
    const DISPID byName = idOf(lib, "GetProResData");
    struct Case {
        int id;
        const wchar_t* typeName;  // or, when null, the type's number
        int typeNumber;
        LPCWSTR fileType;
        const char* what;
    };
    std::vector<Case> cases = {
        {1, L"TYPELIB", 0, L"TYPELIB", "the type library"},
        {1, L"typelib", 0, L"TYPELIB", "the type library, its type named in lower case"},
        {1, nullptr, 16, MAKEINTRESOURCEW(16), "the version block"},
    };
    for (int id = 1; id <= 6; ++id) cases.push_back({id, L"CLASSINFO", 0, L"CLASSINFO", "a class record"});
    for (const auto& c : cases) {
        const std::string what = std::string(c.what) + " (" + std::to_string(c.id) + ")";
        const std::vector<uint8_t> carried = resourceOfFile(file, c.id, c.fileType);
        check(!carried.empty(), what + ": the server file carries it");

        LONG id = c.id;
        VARIANT type = typeArgument(c.typeName, c.typeNumber);
        VARIANT early;
        VariantInit(&early);
        const HRESULT hr = library->get_GetProResData(&id, &type, &early);
        check(hr == S_OK && bytesOf(early) == carried, what + ": read through the vtable, the file's bytes (" + hex(hr) + ")");

        VARIANT args[] = {type, VARIANT{}};
        VariantInit(&args[1]);
        args[1].vt = VT_I4;
        args[1].lVal = c.id;
        VARIANT late;
        VariantInit(&late);
        const HRESULT lateHr = invoke(lib, byName, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {args[0], args[1]}, &late);
        check(lateHr == S_OK && bytesOf(late) == carried, what + ": read by name, the file's bytes (" + hex(lateHr) + ")");

        if (!IS_INTRESOURCE(c.fileType) && std::wstring(c.fileType) == L"CLASSINFO") {
            // A copy: the table is handed out by value.
            const auto expected = Sarn10B::test::expectedClasses().at(static_cast<size_t>(c.id - 1));
            const auto* ids = idsOf(expected.name);
            const std::string record(carried.begin(), carried.end());
            check(ids && record == expected.name + " " + std::string(ids->clsid) + " " + std::string(ids->iid),
                  what + ": \"name clsid iid\" of " + expected.name + ", not \"" + record + "\"");
        }
        if (!IS_INTRESOURCE(c.fileType) && std::wstring(c.fileType) == L"TYPELIB")
            check(carried.size() > 4 && std::memcmp(carried.data(), "MSFT", 4) == 0, what + ": the compiled type library");
        VariantClear(&early);
        VariantClear(&late);
        VariantClear(&type);
    }

    // A resource that the file does not carry: 326, as on every platform.
    for (const auto& [id, typeName] : {std::pair{7, L"CLASSINFO"}, std::pair{2, L"TYPELIB"}, std::pair{1, L"#16"},
                                        std::pair{70000, L"CLASSINFO"}}) {
        LONG lid = id;
        VARIANT type = typeArgument(typeName, 0);
        VARIANT r;
        VariantInit(&r);
        const HRESULT hr = library->get_GetProResData(&lid, &type, &r);
        check(hr == static_cast<HRESULT>(0x800A0146),
              "resource " + std::to_string(id) + " of type " + narrow(typeName) + " is missing: 326 (" + hex(hr) + ")");
        VariantClear(&r);
        VariantClear(&type);
    }
    library->Release();
    lib->Release();
}

// The version resource of the registered server file, read back with the
// platform's version functions.
void checkVersionResource() {
    HKEY key = nullptr;
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = sizeof path;
    const std::wstring inproc = wide("CLSID\\{" + std::string(Sarn10B::ids::StyleManager.clsid) + "}\\InprocServer32");
    const bool found = RegOpenKeyExW(HKEY_CLASSES_ROOT, inproc.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS &&
                       RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size) == ERROR_SUCCESS;
    if (key) RegCloseKey(key);
    check(found, "the in-process server file is registered");
    if (!found) return;
    DWORD handle = 0;
    const DWORD length = GetFileVersionInfoSizeW(path, &handle);
    check(length > 0, "the server file has a version resource");
    if (!length) return;
    std::vector<char> block(length);
    GetFileVersionInfoW(path, 0, length, block.data());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedLength = 0;
    check(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedLength) && fixed &&
              fixed->dwFileVersionMS == 0x00010000 && fixed->dwFileVersionLS == 74 && fixed->dwFileType == VFT_DLL,
          "file version 1.0.0.74 of a dynamic-link library");
    const std::pair<const wchar_t*, const char*> strings[] = {
        {L"\\StringFileInfo\\040904B0\\FileVersion", "1.00.0074"},
        {L"\\StringFileInfo\\040904B0\\ProductVersion", "1.00.0074"},
        {L"\\StringFileInfo\\040904B0\\InternalName", "sarn10b"},
        {L"\\StringFileInfo\\040904B0\\OriginalFilename", "sarn10b.dll"},
        {L"\\StringFileInfo\\040904B0\\OLESelfRegister", ""},
    };
    for (const auto& [query, expected] : strings) {
        wchar_t* value = nullptr;
        UINT valueLength = 0;
        const bool ok = VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &valueLength);
        check(ok && narrow(value) == expected, narrow(query) + " is \"" + expected + "\"");
    }
}

}  // namespace

int main() {
    CoInitialize(nullptr);
    checkTypeLibrary();
    checkLateBinding();
    checkEarlyBinding();
    for (const auto& binding : bindings) checkWriteBack(binding);
    checkDefaultMember();
    checkVersionResource();
    checkOwnResources();
    CoUninitialize();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed;
}
