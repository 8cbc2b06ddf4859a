// The four entry points of sarn_control.dll (kept apart from the platform's
// headers, which declare them with the platform's own types).
#include <cstdint>
#include <string>

#include "runtime/server.h"
#include "windows/tree_control/identifiers.h"

namespace win_tree {
rt::ObjectRef createTreeControl();
}

namespace {

rt::ServerModule& serverModule() {
    static rt::ServerModule module(rt::ServerDescription{
        "SarnControl",
        std::string(win_tree::TypeLibrary),
        "1.0",
        0,
        {{std::string(win_tree::ProgId), std::string(win_tree::Clsid), win_tree::createTreeControl}}});
    return module;
}

}  // namespace

extern "C" int32_t DllRegisterServer() {
    return serverModule().registerServer(rt::moduleFileOf(reinterpret_cast<const void*>(&DllRegisterServer)));
}
extern "C" int32_t DllUnregisterServer() { return serverModule().unregisterServer(); }
extern "C" int32_t DllGetClassObject(const rt::Guid* clsid, const rt::Guid* iid, void** factory) {
    return serverModule().getClassObject(clsid, iid, factory);
}
extern "C" int32_t DllCanUnloadNow() { return serverModule().canUnloadNow(); }
