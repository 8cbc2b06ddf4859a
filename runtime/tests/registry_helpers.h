#pragma once
// What the registry and loading tests share: whole files read and written,
// the description of a failure, and the name a created test class answers.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "runtime/classes.h"
#include "runtime/dispatch.h"
#include "runtime/error.h"
#include "runtime/variant.h"

namespace registry_tests {

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The description of what f raised, or "" when it raised nothing.
template <class F>
std::string errorTextOf(F&& f) {
    try {
        f();
    } catch (const rt::Error& e) {
        return e.description();
    }
    return "";
}

// The name answered by <name>.Thing, or the failure.
inline std::string createdName(const std::string& name) {
    try {
        return rt::toText(rt::callByName(rt::createObject(name + ".Thing"), "Name", rt::CallKind::PropertyGet));
    } catch (const rt::Error& e) {
        return e.what();
    }
}

}  // namespace registry_tests
