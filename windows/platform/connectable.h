#pragma once
// Runtime objects that raise events to platform clients: the platform layer
// offers them with a connection point for their event interface and with
// their class's type information, and calls the connected sinks by dispatch
// identifier.

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace win {

class Connectable {
public:
    virtual const GUID& eventInterface() const = 0;
    // The class's type information (a new reference), or nullptr.
    virtual ITypeInfo* classTypeInfo() const = 0;

    DWORD connect(IDispatch* sink);
    void disconnect(DWORD cookie);
    size_t sinkCount() const { return sinks_.size(); }

    // Calls every connected sink; args are last to first, as Invoke takes
    // them (by-reference ones are written back by the sinks).
    void fire(DISPID event, VARIANT* argsLastFirst, UINT count);

protected:
    ~Connectable();

private:
    std::vector<std::pair<DWORD, IDispatch*>> sinks_;
    DWORD lastCookie_ = 0;
};

}  // namespace win
