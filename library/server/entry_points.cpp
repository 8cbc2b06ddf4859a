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

#include "runtime/server_entry_points.h"
