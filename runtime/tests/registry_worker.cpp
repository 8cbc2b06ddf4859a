// One process of the registry's concurrency test. The registry is named by
// SARN_REGISTRY.
//
//   registry_worker cycle SERVER NAME ROUNDS registered|unregistered
//     registers and unregisters SERVER, checking after each step that
//     NAME.Thing can (or cannot) be created, and ends in the state named.
//   registry_worker create STABLE OTHERS... ROUNDS
//     creates STABLE.Thing (which must always succeed) and each OTHER.Thing
//     (which may be missing, but must never fail otherwise).
//
// Prints each failure and exits with the number of failures (at most 100).
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "runtime/classes.h"
#include "runtime/dispatch.h"
#include "runtime/err_object.h"
#include "runtime/error.h"
#include "runtime/server.h"
#include "runtime/variant.h"

namespace {

int failures = 0;

void fail(const std::string& what) {
    std::cerr << "registry_worker: " << what << "\n";
    ++failures;
}

// "" when NAME.Thing was created and answered with its name; else why not.
std::string create(const std::string& name) {
    try {
        auto thing = rt::createObject(name + ".Thing");
        auto answer = rt::toText(rt::callByName(thing, "Name", rt::CallKind::PropertyGet));
        return answer == name ? "" : "wrong class " + answer;
    } catch (const rt::Error& e) {
        return e.what();
    }
}

bool isNotRegistered(const std::string& why, const std::string& name) {
    return why == "error 429: Cannot create object: " + name + ".Thing";
}

// Calls an entry point; a writer that gave up waiting for the lock changed
// nothing (which the next creation checks) and simply tries again, so a
// machine under load does not count as a failure.
int32_t entry(const std::string& server, const char* name) {
    int32_t hr = rt::hresult::Fail;
    for (int attempt = 0; attempt < 5; ++attempt) {
        hr = rt::callServerEntry(server, name);
        if (hr == rt::hresult::Ok || rt::Err()->Description.find("did not finish within 5 seconds") == std::string::npos)
            break;
    }
    return hr;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 5 && args[0] == "cycle") {
        const std::string& server = args[1];
        const std::string& name = args[2];
        const int rounds = std::atoi(args[3].c_str());
        for (int i = 0; i < rounds && failures < 100; ++i) {
            if (entry(server, "DllRegisterServer") != rt::hresult::Ok)
                fail("register " + name + ": " + rt::Err()->Description);
            if (auto why = create(name); !why.empty()) fail("create " + name + " after registering: " + why);
            if (entry(server, "DllUnregisterServer") != rt::hresult::Ok)
                fail("unregister " + name + ": " + rt::Err()->Description);
            if (auto why = create(name); !isNotRegistered(why, name))
                fail("create " + name + " after unregistering: " + (why.empty() ? "created" : why));
        }
        if (args[4] == "registered" && entry(server, "DllRegisterServer") != rt::hresult::Ok)
            fail("register " + name + " at the end: " + rt::Err()->Description);
    } else if (args.size() >= 3 && args[0] == "create") {
        const int rounds = std::atoi(args.back().c_str());
        for (int i = 0; i < rounds && failures < 100; ++i) {
            if (auto why = create(args[1]); !why.empty()) fail("create " + args[1] + ": " + why);
            for (size_t k = 2; k + 1 < args.size(); ++k)
                if (auto why = create(args[k]); !why.empty() && !isNotRegistered(why, args[k]))
                    fail("create " + args[k] + ": " + why);
        }
    } else {
        std::cerr << "usage: registry_worker cycle SERVER NAME ROUNDS registered|unregistered\n"
                     "       registry_worker create STABLE OTHERS... ROUNDS\n";
        return 100;
    }
    return failures;
}
