#include "runtime/server.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <optional>

#include "runtime/app_objects.h"
#include "runtime/err_object.h"
#include "runtime/error.h"
#include "runtime/registry.h"
#include "runtime/text.h"
#include "runtime/trusted_load.h"

namespace rt {

class ModuleClassFactory : public ClassFactory {
public:
    ModuleClassFactory(ServerModule& module, const ServerClass& cls) : module_(module), class_(cls) {
        countIn(&module.live_);  // a factory keeps the server loaded too
    }
    ObjectRef CreateInstance() override {
        ObjectRef obj = class_.create();
        if (!obj) throw errCannotCreate(class_.progId);
        obj->countIn(&module_.live_);
        return obj;
    }
    void LockServer(bool lock) override {
        if (lock)
            module_.locks_.fetch_add(1);
        else if (module_.locks_.load() > 0)
            module_.locks_.fetch_sub(1);
    }

private:
    ServerModule& module_;
    const ServerClass& class_;
};

namespace {

int32_t fail(const Error& e, int32_t code) {
    Err()->set(e);
    return code;
}

using GetClassObjectFn = int32_t (*)(const Guid*, const Guid*, void**);
using EntryFn = int32_t (*)();

// Loads a server only after checkServerCode, and by the canonical path it
// checked: every folder on that path is root's or the user's and closed to
// others, so what the loader opens is what was checked. Code cannot be
// vetted after loading (its constructors have run), so the check before is
// the guarantee; the comparison after only catches what should be impossible.
void* loadServer(const std::string& file) {
    static std::mutex lock;
    static std::map<std::string, void*> loaded;  // never unloaded: objects may outlive any caller
    const TrustedPath server = checkServerCode(file);
    std::lock_guard g(lock);
    auto it = loaded.find(server.path);
    if (it != loaded.end()) return it->second;
    void* handle = dlopen(server.path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        throw Error(errnum::CannotCreate,
                    "Cannot load the component server " + server.path + ": " + (why ? why : "?"));
    }
    struct link_map* map = nullptr;
    struct stat now{};
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name || ::stat(map->l_name, &now) != 0 ||
        now.st_dev != server.info.st_dev || now.st_ino != server.info.st_ino)
        throw Error(errnum::CannotCreate,
                    "The component server " + server.path + " that was loaded is not the file that was checked");
    loaded.emplace(server.path, handle);
    return handle;
}

void* entryPoint(const std::string& file, const char* name) {
    void* symbol = dlsym(loadServer(file), name);
    if (!symbol) throw Error(errnum::CannotCreate, "The component server " + file + " has no " + name);
    return symbol;
}

}  // namespace

ServerModule::ServerModule(ServerDescription description) : description_(std::move(description)) {}

int32_t ServerModule::registerServer(const std::string& serverFile) {
    try {
        ServerRegistration r;
        r.server = canonicalServerPath(serverFile);
        char lcid[16];
        std::snprintf(lcid, sizeof lcid, "%x", static_cast<unsigned>(description_.lcid));
        r.typeLibrary = {description_.typeLibId, description_.typeLibVersion, lcid, description_.typeLibName, r.server};
        for (const auto& cls : description_.classes)
            r.classes.push_back({cls.clsid, cls.progId, r.server, cls.threading, cls.appObject});
        writeServerRegistration(registryPath(), r);
        return hresult::Ok;
    } catch (const Error& e) {
        return fail(e, hresult::SelfRegClass);
    }
}

int32_t ServerModule::unregisterServer() {
    try {
        removeServerRegistration(registryPath(), description_.typeLibName, description_.typeLibId);
        return hresult::Ok;
    } catch (const Error& e) {
        return fail(e, hresult::SelfRegClass);
    }
}

int32_t ServerModule::getClassObject(const Guid* clsid, const Guid* iid, void** factory) {
    if (!factory) return hresult::Pointer;
    *factory = nullptr;
    if (!clsid || !iid) return hresult::Pointer;
    static const Guid classFactory = *Guid::parse(IID_IClassFactory);
    static const Guid unknown = *Guid::parse("00000000-0000-0000-C000-000000000046");
    for (const auto& cls : description_.classes) {
        if (Guid::parse(cls.clsid) != *clsid) continue;
        if (*iid != classFactory && *iid != unknown) return hresult::NoInterface;
        Ref<ClassFactory> f(new ModuleClassFactory(*this, cls));
        *factory = static_cast<Object*>(f.detach());
        return hresult::Ok;
    }
    return hresult::ClassNotAvailable;
}

int32_t ServerModule::canUnloadNow() const {
    return live_.load() == 0 && locks_.load() == 0 ? hresult::Ok : hresult::False;
}

std::string moduleFileOf(const void* address) {
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname) return {};
    return info.dli_fname;
}

int32_t callServerEntry(const std::string& serverFile, const char* name) {
    const std::string file = canonicalServerPath(serverFile);
    auto fn = reinterpret_cast<EntryFn>(entryPoint(file, name));
    return fn();
}

namespace {

// The first registration of the identifier, the user's registry first.
// Missing registries are passed over, and so are registries that cannot be
// read or trusted: a later one may hold the class. When none holds it, the
// refusals are the answer (with the first one's number), else nothing is
// found; when no registry exists at all that is the answer.
std::optional<ClassEntry> findClass(std::string_view progId) {
    const auto locations = registryLocations();
    bool anyRegistry = false;
    std::optional<Error> firstRefusal;
    std::string refusals;
    for (const auto& location : locations) {
        RegistryContents r;
        try {
            r = readRegistry(location, false);
        } catch (const Error& e) {
            if (e.number() == 53) continue;
            if (!firstRefusal) firstRefusal = e;
            refusals += (refusals.empty() ? "" : "; ") + e.description();
            continue;
        }
        anyRegistry = true;
        for (auto& c : r.classes)
            if (textEquals(c.progId, progId)) return std::move(c);
    }
    if (firstRefusal) {
        const std::string name(progId);
        throw Error(firstRefusal->number(), "Cannot create object: " + name + " (no registry that could be read holds it; "
                                             "refused: " + refusals + ")");
    }
    if (!anyRegistry)
        throw errCannotCreate(std::string(progId) + " (the registry " + (locations.empty() ? "" : locations.front()) +
                              " does not exist)");
    return std::nullopt;
}

}  // namespace

ObjectRef activateFromRegistry(std::string_view progId) {
    auto c = findClass(progId);
    if (!c) return {};
    auto clsid = Guid::parse(c->clsid);
    if (!clsid) throw errCannotCreate(std::string(progId) + " (its class identifier is not valid)");
    try {
        checkServerFile(c->server);
    } catch (const Error& e) {
        throw errCannotCreate(std::string(progId) + " (" + e.description() + ")");
    }
    auto get = reinterpret_cast<GetClassObjectFn>(entryPoint(c->server, "DllGetClassObject"));
    const Guid iid = *Guid::parse(IID_IClassFactory);
    void* out = nullptr;
    int32_t hr = get(&*clsid, &iid, &out);
    if (hr != hresult::Ok || !out) throw errCannotCreate(std::string(progId) + " (the server refused its class)");
    auto factory = Ref<Object>::attach(static_cast<Object*>(out)).as<ClassFactory>();
    if (!factory) throw errCannotCreate(std::string(progId) + " (no class factory)");
    ObjectRef obj = factory->CreateInstance();
    // Its members can now be called without naming an instance, as when the
    // library is linked into the process.
    if (c->appObject) registerAppObject(c->progId);
    return obj;
}

}  // namespace rt
