#pragma once
// The library's version block, laid out as the platform's standard version
// resource (VS_VERSIONINFO: fixed file information, then a string table for
// language 0x0409 and code page 1200, then the translation list), so that
// existing tools can read it.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Sarn10B {

struct VersionInfo {
    uint16_t major = 1, minor = 0, build = 0, revision = 74;
    uint16_t language = 0x0409;
    uint16_t codePage = 1200;
    uint32_t fileOs = 0x00000004;   // 32-bit Windows
    uint32_t fileType = 0x00000002;  // dynamic-link library
    std::vector<std::pair<std::string, std::string>> strings;  // in order
};

const VersionInfo& libraryVersion();

std::vector<uint8_t> encodeVersionBlock(const VersionInfo& info);

}  // namespace Sarn10B
