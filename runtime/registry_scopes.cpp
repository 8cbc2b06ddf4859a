// Where registries are: the named one, else the user's, then the system's.
// POSIX only, like the files themselves.
#if !defined(_WIN32)

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "runtime/error.h"
#include "runtime/registry.h"

#ifndef SARN_SYSTEM_DATADIR
#define SARN_SYSTEM_DATADIR "/usr/local/share"
#endif

namespace rt {
namespace {

std::mutex& pathLock() {
    static std::mutex m;
    return m;
}
std::string& overridePath() {
    static std::string p;
    return p;
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') return home;
    // No usable HOME: the password database says where the user lives. There
    // is no shared stand-in, which anyone could fill.
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    struct passwd entry{};
    struct passwd* found = nullptr;
    while (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (found && found->pw_dir && found->pw_dir[0] == '/') return found->pw_dir;
    throw Error(errnum::FileAccess, "No home folder is known for user " + std::to_string(::geteuid()) +
                                        " (HOME is not set and the password database names none); the "
                                        "user's registry cannot be used");
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::string userRegistryPath() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
        return withoutTrailingSlashes(data) + "/sarn/registry";
    return withoutTrailingSlashes(homeFolder()) + "/.local/share/sarn/registry";
}

std::vector<std::string> systemRegistryPaths() {
    std::vector<std::string> folders{SARN_SYSTEM_DATADIR};
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dirs && *dirs ? dirs : "/usr/local/share/:/usr/share/";
    for (size_t start = 0; start <= list.size();) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string folder = list.substr(start, end - start);
        if (!folder.empty() && folder[0] == '/') folders.push_back(folder);  // relative entries are ignored
        start = end + 1;
    }
    std::vector<std::string> paths;
    for (const auto& f : folders) {
        std::string path = withoutTrailingSlashes(f) + "/sarn/registry";
        if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
    }
    return paths;
}

std::string registryPath() {
    {
        std::lock_guard g(pathLock());
        if (!overridePath().empty()) return overridePath();
    }
    if (const char* env = std::getenv("SARN_REGISTRY"); env && *env) return env;
    return userRegistryPath();
}

void setRegistryPath(std::string path) {
    std::lock_guard g(pathLock());
    overridePath() = std::move(path);
}

std::vector<std::string> registryLocations() {
    {
        std::lock_guard g(pathLock());
        if (!overridePath().empty()) return {overridePath()};
    }
    if (const char* env = std::getenv("SARN_REGISTRY"); env && *env) return {env};
    std::vector<std::string> locations;
    try {
        locations.push_back(userRegistryPath());
    } catch (const Error&) {
        // Without a home there is no user registry; the system's still count.
    }
    for (auto& p : systemRegistryPaths())
        if (std::find(locations.begin(), locations.end(), p) == locations.end()) locations.push_back(p);
    return locations;
}

}  // namespace rt

#endif  // !_WIN32
