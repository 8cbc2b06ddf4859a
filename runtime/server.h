#pragma once
// Component servers: shared libraries that export the four entry points
// DllRegisterServer, DllUnregisterServer, DllGetClassObject and
// DllCanUnloadNow. A server describes itself once (ServerModule); the runtime
// does the registering, hands out class factories, counts live objects, and
// activates registered classes by programmatic identifier in any process.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/guid.h"
#include "runtime/object.h"

namespace rt {

// The usual result codes of the entry points.
namespace hresult {
inline constexpr int32_t Ok = 0;
inline constexpr int32_t False = 1;
inline constexpr int32_t Fail = static_cast<int32_t>(0x80004005);
inline constexpr int32_t Pointer = static_cast<int32_t>(0x80004003);
inline constexpr int32_t NoInterface = static_cast<int32_t>(0x80004002);
inline constexpr int32_t ClassNotAvailable = static_cast<int32_t>(0x80040111);
inline constexpr int32_t SelfRegTypeLib = static_cast<int32_t>(0x80040200);
inline constexpr int32_t SelfRegClass = static_cast<int32_t>(0x80040201);
}  // namespace hresult

class ClassFactory : public Object {
public:
    virtual ObjectRef CreateInstance() = 0;
    virtual void LockServer(bool lock) = 0;
};

struct ServerClass {
    std::string progId;
    std::string clsid;
    std::function<ObjectRef()> create;
    bool appObject = false;               // callable without naming an instance
    std::string threading = "Apartment";  // recorded with the registration
};

struct ServerDescription {
    std::string typeLibName;
    std::string typeLibId;
    std::string typeLibVersion;  // "1.0"
    int32_t lcid = 0x409;
    std::vector<ServerClass> classes;
};

class ServerModule {
public:
    explicit ServerModule(ServerDescription description);

    // The entry points' work. Failures set the thread's Err and return a
    // failure code.
    int32_t registerServer(const std::string& serverFile);
    int32_t unregisterServer();
    int32_t getClassObject(const Guid* clsid, const Guid* iid, void** factory);
    int32_t canUnloadNow() const;

    int32_t liveObjects() const { return live_.load(); }
    int32_t locks() const { return locks_.load(); }

private:
    friend class ModuleClassFactory;
    ServerDescription description_;
    mutable std::atomic<int32_t> live_{0};
    std::atomic<int32_t> locks_{0};
};

// The file of the shared library (or program) that holds this address.
std::string moduleFileOf(const void* address);

// Loads a server file (once per process, by its canonical path) and calls one
// of its registration entry points by name; 53 when the file is missing, 52
// when its name holds control characters, 429 when it is not a regular file
// or has no such entry point.
int32_t callServerEntry(const std::string& serverFile, const char* entryPoint);

// Creates a registered class: finds its server in the registries (the
// user's first), checks and loads it, asks its DllGetClassObject for the
// class factory and creates the object. An application object becomes one in
// this process too. Nothing when no registry knows the identifier; 75 when a
// registry cannot be read; 429 naming the cause when one is missing, damaged
// or untrusted, or its server cannot be loaded or refuses the class.
ObjectRef activateFromRegistry(std::string_view progId);

}  // namespace rt
