// The four entry points of sarn_outside.dll (kept apart from the platform's
// headers, which declare them with the platform's own types).
#include <cstdint>
#include <string>

#include "runtime/server.h"
#include "windows/outside_server/standins.h"

namespace {

rt::ServerModule& serverModule() {
    // No type library: the stand-ins are reached by name only.
    static rt::ServerModule module(rt::ServerDescription{
        "",
        "",
        "",
        0,
        {{"KwBrenta10.clsKwbrErrorHandlerA", outside_server::ErrorHandlerClsid, outside_server::createErrorHandler},
         {"KwBrenta10.clsKwBrenta10A", outside_server::AboutClsid, outside_server::createAbout}}});
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
