// The four entry points of the library as a component server. Each hands the
// library's registration data to the runtime, which does the work.
#include <cstdint>

#include "library/component.h"
#include "library/type_library.h"
#include "runtime/server.h"

namespace {

rt::ServerModule& serverModule() {
    static rt::ServerModule module([] {
        const auto& lib = Sarn10B::typeLibrary();
        rt::ServerDescription d{std::string(lib.name), std::string(lib.uuid),
                                std::to_string(lib.major) + "." + std::to_string(lib.minor), lib.lcid, {}};
        for (const auto& cls : lib.classes)
            d.classes.push_back({Sarn10B::programmaticId(cls.ids.name), std::string(cls.ids.clsid),
                                 Sarn10B::factoryOf(cls.ids.name), cls.appObject, "Apartment"});
        return d;
    }());
    return module;
}

}  // namespace

#define SARN_EXPORT extern "C" __attribute__((visibility("default")))

SARN_EXPORT int32_t DllRegisterServer() {
    return serverModule().registerServer(rt::moduleFileOf(reinterpret_cast<const void*>(&DllRegisterServer)));
}

SARN_EXPORT int32_t DllUnregisterServer() { return serverModule().unregisterServer(); }

SARN_EXPORT int32_t DllGetClassObject(const rt::Guid* clsid, const rt::Guid* iid, void** factory) {
    return serverModule().getClassObject(clsid, iid, factory);
}

SARN_EXPORT int32_t DllCanUnloadNow() { return serverModule().canUnloadNow(); }
