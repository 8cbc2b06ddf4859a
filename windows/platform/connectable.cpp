#include "windows/platform/connectable.h"

namespace win {

DWORD Connectable::connect(IDispatch* sink) {
    sink->AddRef();
    sinks_.emplace_back(++lastCookie_, sink);
    return lastCookie_;
}

void Connectable::disconnect(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it)
        if (it->first == cookie) {
            IDispatch* sink = it->second;
            sinks_.erase(it);
            sink->Release();
            return;
        }
}

void Connectable::fire(DISPID event, VARIANT* argsLastFirst, UINT count) {
    // A sink may disconnect itself or another one while it is called.
    std::vector<std::pair<DWORD, IDispatch*>> now = sinks_;
    for (auto& [cookie, sink] : now) sink->AddRef();
    for (auto& [cookie, sink] : now) {
        bool stillConnected = false;
        for (const auto& s : sinks_) stillConnected |= s.first == cookie;
        if (!stillConnected) continue;
        DISPPARAMS params{argsLastFirst, nullptr, count, 0};
        EXCEPINFO info{};
        sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &info, nullptr);
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
    }
    for (auto& [cookie, sink] : now) sink->Release();
}

Connectable::~Connectable() {
    for (auto& s : sinks_) s.second->Release();
}

}  // namespace win
