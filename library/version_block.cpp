#include "library/version_block.h"

#include <cstdio>

namespace Sarn10B {
namespace {

// Version resources are trees of nodes: length, value length, type (0 binary,
// 1 text), a UTF-16 key, padding to 32 bits, the value, padding, children.
class Writer {
public:
    size_t begin(const std::string& key, uint16_t valueLength, uint16_t type) {
        align();
        size_t start = out.size();
        put16(0);  // length, patched by end()
        put16(valueLength);
        put16(type);
        putText(key);
        align();
        return start;
    }
    void end(size_t start) {
        const size_t length = out.size() - start;
        out[start] = static_cast<uint8_t>(length);
        out[start + 1] = static_cast<uint8_t>(length >> 8);
    }
    void put16(uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    }
    void put32(uint32_t v) {
        put16(static_cast<uint16_t>(v));
        put16(static_cast<uint16_t>(v >> 16));
    }
    // ASCII text as UTF-16 with its terminating zero.
    void putText(const std::string& s) {
        for (unsigned char c : s) put16(c);
        put16(0);
    }
    void align() {
        while (out.size() % 4) out.push_back(0);
    }
    std::vector<uint8_t> out;
};

}  // namespace

const VersionInfo& libraryVersion() {
    static const VersionInfo info{
        1, 0, 0, 74, 0x0409, 1200, 0x4, 0x2,
        {{"Comments", "Check boxes and option buttons for tree views"},
         {"CompanyName", "sarn10b developers"},
         {"FileDescription", "Tree view style manager"},
         {"FileVersion", "1.00.0074"},
         {"InternalName", "sarn10b"},
         {"LegalCopyright", "sarn10b developers"},
         {"LegalTrademarks", ""},
         {"OriginalFilename", "sarn10b.dll"},
         {"ProductName", "Sarn10B"},
         {"ProductVersion", "1.00.0074"},
         {"OLESelfRegister", ""}},
    };
    return info;
}

std::vector<uint8_t> encodeVersionBlock(const VersionInfo& info) {
    Writer w;
    const size_t root = w.begin("VS_VERSION_INFO", 52, 0);
    const uint32_t versionMs = (uint32_t{info.major} << 16) | info.minor;
    const uint32_t versionLs = (uint32_t{info.build} << 16) | info.revision;
    for (uint32_t v : {0xFEEF04BDu, 0x00010000u, versionMs, versionLs, versionMs, versionLs, 0x3Fu, 0u,
                       info.fileOs, info.fileType, 0u, 0u, 0u})
        w.put32(v);

    const size_t stringFileInfo = w.begin("StringFileInfo", 0, 1);
    char tableKey[16];
    std::snprintf(tableKey, sizeof tableKey, "%04X%04X", info.language, info.codePage);
    const size_t table = w.begin(tableKey, 0, 1);
    for (const auto& [key, value] : info.strings) {
        const size_t entry = w.begin(key, static_cast<uint16_t>(value.size() + 1), 1);
        w.putText(value);
        w.end(entry);
    }
    w.end(table);
    w.end(stringFileInfo);

    const size_t varFileInfo = w.begin("VarFileInfo", 0, 1);
    const size_t translation = w.begin("Translation", 4, 0);
    w.put16(info.language);
    w.put16(info.codePage);
    w.end(translation);
    w.end(varFileInfo);

    w.end(root);
    return w.out;
}

}  // namespace Sarn10B
