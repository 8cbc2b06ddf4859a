// Registers and unregisters component servers, and lists what the registry
// holds.
//
//   regserver [--registry FILE] register SERVER
//   regserver [--registry FILE] unregister SERVER
//   regserver [--registry FILE] list

#include <iostream>
#include <string>

#include "runtime/err_object.h"
#include "runtime/error.h"
#include "runtime/registry.h"
#include "runtime/server.h"

namespace {

int usage() {
    std::cerr << "usage: regserver [--registry FILE] register|unregister SERVER\n"
                 "       regserver [--registry FILE] list\n";
    return 2;
}

int callEntry(const std::string& server, const char* entry) {
    int32_t hr = rt::callServerEntry(server, entry);
    if (hr != rt::hresult::Ok) {
        std::cerr << entry << " failed (0x" << std::hex << static_cast<uint32_t>(hr) << std::dec
                  << "): " << rt::Err()->Description << "\n";
        return 1;
    }
    std::cout << entry << " succeeded for " << server << " in " << rt::registryPath() << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int i = 1;
    if (i + 1 < argc && std::string(argv[i]) == "--registry") {
        rt::setRegistryPath(argv[i + 1]);
        i += 2;
    }
    if (i >= argc) return usage();
    const std::string command = argv[i];
    try {
        if (command == "list" && i + 1 == argc) {
            auto r = rt::readRegistry(rt::registryPath(), false);
            for (const auto& c : r.classes)
                std::cout << c.progId << "  {" << c.clsid << "}  " << c.threading << "  " << c.server << "\n";
            for (const auto& t : r.typeLibraries)
                std::cout << "type library " << t.name << " " << t.version << "  {" << t.id << "}  lcid " << t.lcid
                          << "  " << t.server << "\n";
            return 0;
        }
        if (i + 2 != argc) return usage();
        if (command == "register") return callEntry(argv[i + 1], "DllRegisterServer");
        if (command == "unregister") return callEntry(argv[i + 1], "DllUnregisterServer");
    } catch (const rt::Error& e) {
        std::cerr << "error " << e.number() << ": " << e.description() << "\n";
        return 1;
    }
    return usage();
}
