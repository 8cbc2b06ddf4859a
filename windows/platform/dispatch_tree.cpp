#include "windows/platform/dispatch_tree.h"

#include <ocidl.h>

#include <string>

#include "outside/tree_events.h"
#include "outside/tree_model.h"
#include "runtime/text.h"
#include "windows/platform/com_bridge.h"
#include "windows/platform/com_object.h"
#include "windows/platform/com_text.h"
#include "windows/platform/com_variant.h"

namespace win {
namespace {

using rt::CallKind;
using rt::Variant;

// The platform object behind a runtime object that stands for one.
IDispatch* dispatchOf(const rt::ObjectRef& object) {
    auto* backed = dynamic_cast<PlatformBacked*>(object.get());
    if (!backed) throw rt::errTypeMismatch();
    return backed->platformDispatch();
}

// Calls by name on the platform object, for the adapters below.
class Peer : public PlatformBacked {
public:
    explicit Peer(IDispatch* dispatch) : peer_(platformObject(dispatch)), dispatch_(dispatch) {}
    IDispatch* platformDispatch() const override { return dispatch_; }

protected:
    Variant get(std::string_view name) { return rt::callByName(peer_, name, CallKind::PropertyGet); }
    void let(std::string_view name, Variant value) { rt::callByName(peer_, name, CallKind::PropertyLet, {std::move(value)}); }
    Variant call(std::string_view name, rt::Args&& args) { return rt::callByName(peer_, name, CallKind::Method, args); }

    rt::ObjectRef peer_;  // holds the platform object

private:
    IDispatch* dispatch_;
};

class DispatchNode final : public tree::TreeNode, public Peer {
public:
    using Peer::Peer;

    std::string Key() override { return rt::toText(get("Key")); }
    std::string Text() override { return rt::toText(get("Text")); }
    void setText(const std::string& text) override { let("Text", text); }
    Variant Tag() override { return get("Tag"); }
    void setTag(const Variant& tag) override { let("Tag", tag); }
    Variant Image() override { return get("Image"); }
    void setImage(const Variant& image) override { let("Image", image); }
    rt::Ref<tree::TreeNode> Child() override;
    rt::Ref<tree::TreeNode> Next() override;
    rt::Ref<tree::TreeNode> Parent() override;
    int32_t Children() override { return rt::toInt32(get("Children")); }
    int16_t Expanded() override { return rt::toInt16(get("Expanded")); }
    void setExpanded(int16_t expanded) override { let("Expanded", rt::Bool16{expanded}); }
    int16_t Selected() override { return rt::toInt16(get("Selected")); }
    void setSelected(int16_t selected) override { let("Selected", rt::Bool16{selected}); }

    Variant callMember(std::string_view name, CallKind kind, rt::Args& args) override {
        return rt::callByName(peer_, name, kind, args);
    }
};

rt::Ref<tree::TreeNode> nodeOf(const Variant& value) {
    rt::ObjectRef object = rt::toObject(value);
    if (!object) return {};
    if (auto local = object.as<tree::TreeNode>()) return local;
    return rt::Ref<tree::TreeNode>(new DispatchNode(dispatchOf(object)));
}

rt::Ref<tree::TreeNode> DispatchNode::Child() { return nodeOf(get("Child")); }
rt::Ref<tree::TreeNode> DispatchNode::Next() { return nodeOf(get("Next")); }
rt::Ref<tree::TreeNode> DispatchNode::Parent() { return nodeOf(get("Parent")); }

class DispatchNodes final : public tree::TreeNodes, public Peer {
public:
    using Peer::Peer;

    rt::Ref<tree::TreeNode> Item(const Variant& indexOrKey) override { return nodeOf(call("Item", {indexOrKey})); }
    int32_t Count() override { return rt::toInt32(get("Count")); }
    rt::Ref<tree::TreeNode> Add(const Variant& relative, const Variant& relationship, const Variant& key,
                                const Variant& text, const Variant& image) override {
        return nodeOf(call("Add", {relative, relationship, key, text, image}));
    }
    void Clear() override { call("Clear", {}); }

    Variant callMember(std::string_view name, CallKind kind, rt::Args& args) override {
        return rt::callByName(peer_, name, kind, args);
    }
};

enum Event { NodeClick, KeyDown, KeyUp, MouseMove, EventCount };
constexpr const char* eventNames[EventCount] = {"NodeClick", "KeyDown", "KeyUp", "MouseMove"};

class DispatchTreeView;

// Receives the tree view's events and hands them to the listeners.
class EventSink final : public ComObject<IDispatch> {
public:
    explicit EventSink(DispatchTreeView& view) : view_(view) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO* info,
                                     UINT*) override;

    IID events = IID_NULL;
    DISPID ids[EventCount] = {DISPID_UNKNOWN, DISPID_UNKNOWN, DISPID_UNKNOWN, DISPID_UNKNOWN};

private:
    ~EventSink() = default;
    DispatchTreeView& view_;
};

class DispatchTreeView final : public tree::TreeView, public Peer {
public:
    using Peer::Peer;
    ~DispatchTreeView() override { disconnect(); }

    rt::Ref<tree::TreeNodes> Nodes() override {
        return rt::Ref<tree::TreeNodes>(new DispatchNodes(dispatchOf(rt::toObject(get("Nodes")))));
    }
    rt::Ref<tree::ImageList> GetImageList() override {
        // The list the library gave comes back as itself.
        return rt::toObject(get("ImageList")).as<tree::ImageList>();
    }
    void SetImageList(const rt::Ref<tree::ImageList>& list) override {
        rt::callByName(peer_, "ImageList", CallKind::PropertySet, {Variant(rt::ObjectRef(list))});
    }
    int32_t LabelEdit() override { return rt::toInt32(get("LabelEdit")); }
    void setLabelEdit(int32_t mode) override { let("LabelEdit", mode); }
    rt::Ref<tree::TreeNode> HitTest(float x, float y) override { return nodeOf(call("HitTest", {x, y})); }
    std::string ToolTipText() override { return rt::toText(get("ToolTipText")); }
    void setToolTipText(const std::string& text) override { let("ToolTipText", text); }

    int32_t advise(tree::TreeViewEvents* listener) override {
        if (listeners_.count() == 0) connect();
        return listeners_.advise(listener);
    }
    void unadvise(int32_t cookie) override {
        listeners_.unadvise(cookie);
        if (listeners_.count() == 0) disconnect();
    }

    Variant callMember(std::string_view name, CallKind kind, rt::Args& args) override {
        return rt::callByName(peer_, name, kind, args);
    }

    tree::EventSource& listeners() { return listeners_; }

private:
    // Finds the event interface and the four events by name in the object's
    // type information, then connects a sink to its connection point.
    void connect() {
        auto fail = [](const char* why) { return rt::Error(rt::errnum::InvalidCall, std::string("Cannot attach to the tree view's events: ") + why); };
        IProvideClassInfo* provide = nullptr;
        if (FAILED(platformDispatch()->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(&provide))))
            throw fail("no class information");
        ITypeInfo* coclass = nullptr;
        HRESULT hr = provide->GetClassInfo(&coclass);
        provide->Release();
        if (FAILED(hr) || !coclass) throw fail("no class information");
        EventSink* sink = new EventSink(*this);
        ITypeInfo* events = nullptr;
        TYPEATTR* ca = nullptr;
        coclass->GetTypeAttr(&ca);
        for (UINT i = 0; ca && i < ca->cImplTypes && !events; ++i) {
            INT flags = 0;
            HREFTYPE ref = 0;
            if (SUCCEEDED(coclass->GetImplTypeFlags(i, &flags)) && (flags & IMPLTYPEFLAG_FSOURCE) &&
                (flags & IMPLTYPEFLAG_FDEFAULT) && SUCCEEDED(coclass->GetRefTypeOfImplType(i, &ref)))
                coclass->GetRefTypeInfo(ref, &events);
        }
        if (ca) coclass->ReleaseTypeAttr(ca);
        coclass->Release();
        if (!events) {
            sink->Release();
            throw fail("no event interface");
        }
        TYPEATTR* ea = nullptr;
        events->GetTypeAttr(&ea);
        sink->events = ea->guid;
        for (UINT i = 0; i < ea->cFuncs; ++i) {
            FUNCDESC* f = nullptr;
            if (FAILED(events->GetFuncDesc(i, &f))) continue;
            BSTR name = nullptr;
            events->GetDocumentation(f->memid, &name, nullptr, nullptr, nullptr);
            for (int e = 0; e < EventCount; ++e)
                if (rt::textEquals(fromBstr(name), eventNames[e])) sink->ids[e] = f->memid;
            SysFreeString(name);
            events->ReleaseFuncDesc(f);
        }
        events->ReleaseTypeAttr(ea);
        events->Release();

        IConnectionPointContainer* container = nullptr;
        IConnectionPoint* point = nullptr;
        hr = platformDispatch()->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
        if (SUCCEEDED(hr)) {
            hr = container->FindConnectionPoint(sink->events, &point);
            container->Release();
        }
        DWORD cookie = 0;
        if (SUCCEEDED(hr)) hr = point->Advise(static_cast<IDispatch*>(sink), &cookie);
        sink->Release();  // the connection point holds it now
        if (FAILED(hr)) {
            if (point) point->Release();
            throw fail("the connection point refused the sink");
        }
        point_ = point;
        cookie_ = cookie;
    }

    void disconnect() {
        if (!point_) return;
        point_->Unadvise(cookie_);
        point_->Release();
        point_ = nullptr;
        cookie_ = 0;
    }

    tree::EventSource listeners_;
    IConnectionPoint* point_ = nullptr;
    DWORD cookie_ = 0;
};

HRESULT EventSink::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) && !IsEqualIID(iid, events))
        return E_NOINTERFACE;
    AddRef();
    *out = static_cast<IDispatch*>(this);
    return S_OK;
}

HRESULT EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO* info, UINT*) {
    const UINT n = params ? params->cArgs : 0;
    // Arguments arrive last to first.
    auto at = [&](UINT i) -> VARIANT& { return params->rgvarg[n - 1 - i]; };
    try {
        auto& listeners = view_.listeners();
        if (id == ids[NodeClick] && n >= 1) {
            auto node = nodeOf(fromComVariant(at(0)));
            listeners.raise([&](tree::TreeViewEvents& l) { l.NodeClick(node); });
        } else if ((id == ids[KeyDown] || id == ids[KeyUp]) && n >= 2) {
            int16_t key = rt::toInt16(fromComVariant(at(0)));
            int16_t shift = rt::toInt16(fromComVariant(at(1)));
            const bool down = id == ids[KeyDown];
            listeners.raise([&](tree::TreeViewEvents& l) { down ? l.KeyDown(key, shift) : l.KeyUp(key, shift); });
            writeBack(key, at(0));
            writeBack(shift, at(1));
        } else if (id == ids[MouseMove] && n >= 4) {
            int16_t button = rt::toInt16(fromComVariant(at(0)));
            int16_t shift = rt::toInt16(fromComVariant(at(1)));
            float x = rt::toSingle(fromComVariant(at(2)));
            float y = rt::toSingle(fromComVariant(at(3)));
            listeners.raise([&](tree::TreeViewEvents& l) { l.MouseMove(button, shift, x, y); });
            writeBack(button, at(0));
            writeBack(shift, at(1));
            writeBack(x, at(2));
            writeBack(y, at(3));
        }
    } catch (const rt::Error& e) {
        return toHresult(e, info);
    }
    return S_OK;
}

rt::ObjectRef adaptTreeView(IDispatch* dispatch) {
    IConnectionPointContainer* container = nullptr;
    if (FAILED(dispatch->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))))
        return {};
    container->Release();
    for (const wchar_t* member : {L"Nodes", L"HitTest"}) {
        std::wstring name = member;
        LPOLESTR names[] = {name.data()};
        DISPID id = DISPID_UNKNOWN;
        if (FAILED(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return {};
    }
    return rt::ObjectRef(new DispatchTreeView(dispatch));
}

}  // namespace

void registerTreeViewAdapter() { addPlatformAdapter(adaptTreeView); }

}  // namespace win
