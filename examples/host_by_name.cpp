// A host that never linked the library: it registers the component server in
// a registry of its own, creates every public class by its programmatic
// identifier, walks the road of a typical use through calls by name only,
// and unregisters the server again.
//
// Usage: host_by_name SERVER-FILE [REGISTRY]
//
// Without REGISTRY it uses a registry in a private temporary folder.

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "outside/about_standin.h"
#include "outside/error_handler_standin.h"
#include "outside/memory_tree.h"
#include "outside/tree_text.h"
#include "runtime/classes.h"
#include "runtime/collection.h"
#include "runtime/err_object.h"
#include "runtime/error.h"
#include "runtime/registry.h"
#include "runtime/server.h"

namespace {

using rt::CallKind;

rt::Variant call(const rt::ObjectRef& obj, const char* member, rt::Args& args) {
    return rt::callByName(obj, member, CallKind::Method, args);
}
rt::Variant call(const rt::ObjectRef& obj, const char* member, rt::Args&& args = {}) { return call(obj, member, args); }
rt::Variant get(const rt::ObjectRef& obj, const char* member) {
    return rt::callByName(obj, member, CallKind::PropertyGet);
}
void let(const rt::ObjectRef& obj, const char* member, rt::Variant value) {
    rt::callByName(obj, member, CallKind::PropertyLet, {std::move(value)});
}
void set(const rt::ObjectRef& obj, const char* member, rt::Variant value) {
    rt::callByName(obj, member, CallKind::PropertySet, {std::move(value)});
}

void registerServer(const std::string& server, const char* entry) {
    int32_t hr = rt::hresult::Fail;
    try {
        hr = rt::callServerEntry(server, entry);
    } catch (const rt::Error& e) {
        std::cerr << entry << ": " << e.what() << "\n";
        std::exit(1);
    }
    std::cout << entry << ": " << (hr == rt::hresult::Ok ? "ok" : "failed: " + rt::Err()->Description) << "\n";
    if (hr != rt::hresult::Ok) std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: host_by_name SERVER-FILE [REGISTRY]\n";
        return 2;
    }
    const std::string server = argv[1];
    std::string privateFolder;
    if (argc <= 2) {
        // Not straight in the shared temporary folder: a registry whose
        // folder anyone can write is refused.
        std::string pattern = (std::filesystem::temp_directory_path() / "sarn10b-host-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::cerr << "cannot make a temporary folder\n";
            return 1;
        }
        privateFolder = pattern;
    }
    const std::string registry = argc > 2 ? argv[2] : privateFolder + "/registry";
    rt::setRegistryPath(registry);
    outside::registerErrorHandlerStandIn([](const std::string& line) { std::cout << "   report> " << line << "\n"; });
    outside::registerAboutStandIn();

    std::cout << "registry: " << registry << ".d\n";
    registerServer(server, "DllRegisterServer");
    for (const auto& c : rt::readRegistry(registry, false).classes)
        std::cout << "   registered " << c.progId << " {" << c.clsid << "} " << c.threading << "\n";

    try {
        for (const char* cls : {"clsKwAmbrTvsA", "clsKwOrvel10BA", "clsKwAmbrListViewWndClassA",
                                "clsKwAmbrTreeviewWndClassA", "clsKwAmbrGeneralA", "clsKwAmbrAdvancedA"}) {
            auto obj = rt::createObject(std::string("Sarn10B.") + cls);
            std::cout << "created Sarn10B." << cls << "\n";
        }

        // The road of a typical use, by name only.
        auto tv = rt::make<tree::MemoryTreeView>();
        auto manager = rt::createObject("Sarn10B.clsKwAmbrTvsA");
        let(manager, "ImageStyles", 0);
        set(manager, "TreeViewObject", tv);
        call(manager, "AddNode", {rt::Missing{}, rt::Missing{}, "S1", "Fonts", 0});
        rt::Args add{"S1", 4, "CBbold", "Bold", rt::Missing{}, "", rt::Missing{}};
        call(manager, "AddNode", add);
        std::cout << "AddNode wrote back the image key \"" << rt::toText(add[5]) << "\"\n";
        tv->clickNode("CBbold");
        auto states = rt::toObject(call(manager, "QueryNodeCollection", {"S1"})).as<rt::Collection>();
        std::cout << "QueryNodeCollection(S1): " << rt::toText(states->Item(1)) << "; texts: "
                  << rt::toText(call(get(manager, "QueryNodeTextCollection").isObject()
                                         ? rt::toObject(get(manager, "QueryNodeTextCollection"))
                                         : rt::ObjectRef(),
                                     "Item", {1}))
                  << "; keys: " << rt::toText(call(rt::toObject(get(manager, "QueryNodeKeysCollection")), "Item", {1}))
                  << "\n"
                  << tree::treeAsText(*tv);
        call(manager, "Refresh");
        std::cout << "after Refresh the tree holds " << tv->Nodes()->Count() << " nodes\n";

        auto library = rt::createObject("Sarn10B.clsKwOrvel10BA");
        auto app = rt::toObject(get(library, "GetProStdProperties"));
        std::cout << "the library's App: " << rt::toText(get(app, "Title")) << " " << rt::toText(get(app, "Major"))
                  << "." << rt::toText(get(app, "Minor")) << "." << rt::toText(get(app, "Revision")) << "\n";
        std::cout << "About returned " << rt::toText(call(library, "About")) << "\n";

        auto wnd = rt::createObject("Sarn10B.clsKwAmbrTreeviewWndClassA");
        let(wnd, "Handle", -42);
        std::cout << "Handle holds " << rt::toText(get(wnd, "Handle")) << "\n";
    } catch (const rt::Error& e) {
        std::cerr << "unexpected " << e.what() << "\n";
        return 1;
    }

    registerServer(server, "DllUnregisterServer");
    try {
        rt::createObject("Sarn10B.clsKwAmbrTvsA");
        std::cerr << "the class could still be created after unregistering\n";
        return 1;
    } catch (const rt::Error& e) {
        std::cout << "after unregistering: error " << e.number() << ": " << e.description() << "\n";
    }
    if (!privateFolder.empty()) std::filesystem::remove_all(privateFolder);
    return 0;
}
