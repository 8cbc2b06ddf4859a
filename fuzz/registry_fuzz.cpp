// The registry reader: any text of a server file or of the old single file
// either reads or fails with the runtime's error, and a server file that
// reads writes back to a text that reads the same. The same bytes also go
// to the escaping of listings (what it shows holds nothing a terminal would
// obey) and, as a shared library's headers, to the run-path reader.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/elf_dependencies.h"
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
        rt::checkRegistryField(rt::printable(text), "listing");
    } catch (const rt::Error& e) {
        fprintf(stderr, "an escaped text still holds a control character: %s\n", e.description().c_str());
        std::abort();
    }
    try {
        rt::readElfDependencies(
            [&](uint64_t offset, size_t n, char* out) {
                if (offset > size || n > size - offset) return false;
                std::memcpy(out, data + offset, n);
                return true;
            },
            "fuzz.so");
    } catch (const rt::Error&) {
    }
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
