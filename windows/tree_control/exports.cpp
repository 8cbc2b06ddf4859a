// The four entry points of sarn_control.dll; its module.
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

#include "runtime/server_entry_points.h"
