// Registers and unregisters component servers, and lists what the registries
// hold.
//
//   regserver [--system | --registry LOCATION] register SERVER
//   regserver [--system | --registry LOCATION] unregister SERVER
//   regserver [--system | --registry LOCATION] list
//
// Without an option, register and unregister write the user's registry and
// list shows every registry a lookup reads, in the order it reads them; one
// that is refused is shown with the reason (and list then exits with 1).
// --system writes the registry of the installed system (for every user).

#include <iostream>
#include <string>
#include <vector>

#include "runtime/err_object.h"
#include "runtime/error.h"
#include "runtime/registry.h"
#include "runtime/server.h"

namespace {

int usage() {
    std::cerr << "usage: regserver [--system | --registry LOCATION] register|unregister SERVER\n"
                 "       regserver [--system | --registry LOCATION] list\n";
    return 2;
}

int callEntry(const std::string& server, const char* entry) {
    int32_t hr = rt::callServerEntry(server, entry);
    if (hr != rt::hresult::Ok) {
        std::cerr << entry << " failed (0x" << std::hex << static_cast<uint32_t>(hr) << std::dec
                  << "): error " << rt::Err()->Number << ": " << rt::printable(rt::Err()->Description) << "\n";
        return 1;
    }
    std::cout << entry << " succeeded for " << rt::printable(server) << " in " << rt::printable(rt::registryPath())
              << ".d\n";
    return 0;
}

// Everything a registry says is printed escaped: a server path may hold
// what a terminal would obey. A registry that cannot be listed says why,
// and the next one is listed all the same.
bool list(const std::string& location) {
    using rt::printable;
    std::cout << printable(location) << ".d:\n";
    rt::RegistryContents r;
    try {
        r = rt::readRegistry(location, true);
    } catch (const rt::Error& e) {
        std::cout << "  refused: error " << e.number() << ": " << printable(e.description()) << "\n";
        return false;
    }
    for (const auto& c : r.classes)
        std::cout << "  " << printable(c.progId) << "  {" << printable(c.clsid) << "}  " << printable(c.threading)
                  << (c.appObject ? "  appobject" : "") << "  " << printable(c.server) << "\n";
    for (const auto& t : r.typeLibraries)
        std::cout << "  type library " << printable(t.name) << " " << printable(t.version) << "  {" << printable(t.id)
                  << "}  lcid " << printable(t.lcid) << "  " << printable(t.server) << "\n";
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int i = 1;
    bool named = false;
    if (i < argc && std::string(argv[i]) == "--system") {
        rt::setRegistryPath(rt::systemRegistryPaths().front());
        named = true;
        i += 1;
    } else if (i + 1 < argc && std::string(argv[i]) == "--registry") {
        rt::setRegistryPath(argv[i + 1]);
        named = true;
        i += 2;
    }
    if (i >= argc) return usage();
    const std::string command = argv[i];
    try {
        if (command == "list" && i + 1 == argc) {
            const std::vector<std::string> locations =
                named ? std::vector<std::string>{rt::registryPath()} : rt::registryLocations();
            bool all = true;
            for (const auto& location : locations) all = list(location) && all;
            return all ? 0 : 1;
        }
        if (i + 2 != argc) return usage();
        if (command == "register") return callEntry(argv[i + 1], "DllRegisterServer");
        if (command == "unregister") return callEntry(argv[i + 1], "DllUnregisterServer");
    } catch (const rt::Error& e) {
        std::cerr << "error " << e.number() << ": " << rt::printable(e.description()) << "\n";
        return 1;
    }
    return usage();
}
