// The registry reader: any text of a server file or of the old single file
// either reads or fails with the runtime's error, and a server file that
// reads writes back to a text that reads the same.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/error.h"
#include "runtime/registry.h"

namespace {

bool sameClasses(const std::vector<rt::ClassEntry>& a, const std::vector<rt::ClassEntry>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto &x = a[i], &y = b[i];
        if (x.clsid != y.clsid || x.progId != y.progId || x.server != y.server || x.threading != y.threading ||
            x.appObject != y.appObject)
            return false;
    }
    return true;
}

bool same(const rt::ServerRegistration& a, const rt::ServerRegistration& b) {
    const auto &x = a.typeLibrary, &y = b.typeLibrary;
    return a.server == b.server && x.id == y.id && x.version == y.version && x.lcid == y.lcid &&
           x.name == y.name && x.server == y.server && sameClasses(a.classes, b.classes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        rt::parseOldRegistry(text, "registry");
    } catch (const rt::Error&) {
    }
    rt::ServerRegistration read;
    try {
        read = rt::parseServerFile(text, "fuzz.server");
    } catch (const rt::Error&) {
        return 0;
    }
    if (!same(rt::parseServerFile(rt::serverFileText(read), "copy.server"), read)) {
        fprintf(stderr, "a server file does not read back the same after writing\n");
        std::abort();
    }
    return 0;
}
