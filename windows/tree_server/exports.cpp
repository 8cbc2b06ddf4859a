// The four entry points of sarn_tree.dll (kept apart from the platform's
// headers, which declare them with the platform's own types).
#include <cstdint>
#include <string>

#include "runtime/server.h"
#include "windows/tree_server/identifiers.h"
#include "windows/tree_server/create_tree_view.h"

namespace {

rt::ServerModule& serverModule() {
    static rt::ServerModule module(rt::ServerDescription{
        "SarnTree",
        std::string(tree_server::TypeLibrary),
        "1.0",
        0,
        {{std::string(tree_server::ProgId), std::string(tree_server::Clsid),
          tree_server::createTreeView}}});
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
