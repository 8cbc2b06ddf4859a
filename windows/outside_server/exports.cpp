// The four entry points of sarn_outside.dll; its module.
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

#include "runtime/server_entry_points.h"
