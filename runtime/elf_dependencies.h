#pragma once
// What a shared library asks the dynamic loader to load with it: the names
// it needs (DT_NEEDED, and the filters DT_FILTER and DT_AUXILIARY) and the
// folders it names to find them in (DT_RUNPATH and DT_RPATH), read from its
// program headers as the loader reads them.
// Only the standard library: the bytes come through a reader.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rt {

struct ElfDependencies {
    std::vector<std::string> needed;
    std::vector<std::string> runPath;  // DT_RUNPATH, then DT_RPATH, as written ("$ORIGIN/../lib")
};

// Reads size bytes at offset into out; false when the file is shorter.
using ElfReader = std::function<bool(uint64_t offset, size_t size, char* out)>;

// The dependencies of an ELF shared object of either class and byte order.
// 429 "<fileName> is not ...: why" when the headers are not those of a
// shared object or point outside the file.
ElfDependencies readElfDependencies(const ElfReader& read, const std::string& fileName);

// The folders of a run-path entry list ("a:b"), empty entries kept (the
// loader reads them as the working folder).
std::vector<std::string> splitRunPath(const std::string& list);

}  // namespace rt
