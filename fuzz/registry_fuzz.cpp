// The registry reader: any file content either reads or fails with the
// runtime's error, and what reads writes back to a file that reads the same.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "runtime/error.h"
#include "runtime/registry.h"

namespace {

// One private folder per process, in the temporary folder.
const std::string& folder() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/registry_fuzz.XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    return path;
}

bool same(const rt::RegistryContents& a, const rt::RegistryContents& b) {
    if (a.classes.size() != b.classes.size() || a.typeLibraries.size() != b.typeLibraries.size()) return false;
    for (size_t i = 0; i < a.classes.size(); ++i) {
        const auto &x = a.classes[i], &y = b.classes[i];
        if (x.clsid != y.clsid || x.progId != y.progId || x.server != y.server || x.threading != y.threading)
            return false;
    }
    for (size_t i = 0; i < a.typeLibraries.size(); ++i) {
        const auto &x = a.typeLibraries[i], &y = b.typeLibraries[i];
        if (x.id != y.id || x.version != y.version || x.lcid != y.lcid || x.name != y.name || x.server != y.server)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file = folder() + "/registry";
    const std::string copy = folder() + "/copy";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    rt::RegistryContents read;
    try {
        read = rt::readRegistry(file, false);
    } catch (const rt::Error&) {
        return 0;
    }
    rt::writeRegistry(copy, read);
    if (!same(rt::readRegistry(copy, false), read)) {
        fprintf(stderr, "what was read does not read back the same after writing\n");
        std::abort();
    }
    return 0;
}
