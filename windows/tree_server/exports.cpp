// The four entry points of sarn_tree.dll; its module.
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

#include "runtime/server_entry_points.h"
