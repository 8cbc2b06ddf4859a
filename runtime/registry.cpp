#include "runtime/registry.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

#include "runtime/error.h"

namespace rt {
namespace {

constexpr const char* Header = "sarn-registry 1";

std::mutex& pathLock() {
    static std::mutex m;
    return m;
}
std::string& overridePath() {
    static std::string p;
    return p;
}

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

Error damaged(const std::string& path, size_t line, const std::string& why) {
    return {321, "The registry file " + path + " is damaged at line " + std::to_string(line) + ": " + why};
}

}  // namespace

std::string registryPath() {
    {
        std::lock_guard g(pathLock());
        if (!overridePath().empty()) return overridePath();
    }
    if (const char* env = std::getenv("SARN_REGISTRY"); env && *env) return env;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/share/sarn/registry";
}

void setRegistryPath(std::string path) {
    std::lock_guard g(pathLock());
    overridePath() = std::move(path);
}

RegistryContents readRegistry(const std::string& path, bool allowMissing) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (allowMissing) return {};
        throw Error(53, "The registry file " + path + " does not exist");
    }
    std::string line;
    if (!std::getline(in, line)) throw Error(321, "The registry file " + path + " is empty");
    if (line != Header) throw damaged(path, 1, "it does not start with \"" + std::string(Header) + "\"");
    RegistryContents contents;
    for (size_t number = 2; std::getline(in, line); ++number) {
        if (line.empty()) continue;
        auto f = splitTabs(line);
        if (f[0] == "class" && f.size() == 5 && !f[1].empty() && !f[2].empty() && !f[3].empty())
            contents.classes.push_back({f[1], f[2], f[3], f[4]});
        else if (f[0] == "typelib" && f.size() == 6 && !f[1].empty())
            contents.typeLibraries.push_back({f[1], f[2], f[3], f[4], f[5]});
        else
            throw damaged(path, number, "unknown or incomplete entry");
    }
    if (in.bad()) throw Error(errnum::FileAccess, "The registry file " + path + " cannot be read");
    return contents;
}

void writeRegistry(const std::string& path, const RegistryContents& contents) {
    std::ostringstream text;
    text << Header << "\n";
    for (const auto& c : contents.classes)
        text << "class\t" << c.clsid << "\t" << c.progId << "\t" << c.server << "\t" << c.threading << "\n";
    for (const auto& t : contents.typeLibraries)
        text << "typelib\t" << t.id << "\t" << t.version << "\t" << t.lcid << "\t" << t.name << "\t" << t.server
             << "\n";

    // A new file beside the old one, renamed over it only when complete.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    const std::string temp = path + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        const std::string s = text.str();
        out.write(s.data(), static_cast<std::streamsize>(s.size()));
        out.close();
        if (!out) {
            std::remove(temp.c_str());
            throw Error(errnum::FileAccess, "The registry file " + path + " cannot be written");
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        throw Error(errnum::FileAccess, "The registry file " + path + " cannot be replaced");
    }
}

}  // namespace rt
