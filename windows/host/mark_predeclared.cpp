// Sets the predeclared-identifier flag on the classes of a compiled type
// library that the library's tables declare predeclared. widl does not know
// the attribute, so the flag is set in the compiled file: in the type
// library's binary layout, each type's entry holds its identifier's position
// in the identifier table and its type flags.
//   mark_predeclared FILE.tlb
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <fstream>
#include <iterator>
#include <vector>

#include "library/type_library.h"
#include "runtime/guid.h"

namespace {

constexpr uint32_t TypeKindCoclass = 5;
constexpr uint32_t FlagPredeclared = 0x8;
constexpr uint32_t HelpDllFlag = 0x100;

uint32_t read32(const std::vector<char>& b, size_t at) {
    if (at + 4 > b.size()) throw std::out_of_range("past the end of the file");
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

void write32(std::vector<char>& b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mark_predeclared FILE.tlb\n");
        return 2;
    }
    std::vector<char> b;
    {
        std::ifstream in(argv[1], std::ios::binary);
        b.assign(std::istreambuf_iterator<char>(in), {});
    }
    try {
        if (b.size() < 0x54 || std::memcmp(b.data(), "MSFT", 4) != 0) throw std::runtime_error("not a type library");
        const uint32_t typeCount = read32(b, 0x20);
        size_t offsets = 0x54 + ((read32(b, 0x14) & HelpDllFlag) ? 4 : 0);
        const size_t segments = offsets + 4 * typeCount;
        const uint32_t typeTable = read32(b, segments + 0 * 16);
        const uint32_t guidTable = read32(b, segments + 5 * 16);
        int marked = 0, wanted = 0;
        for (const auto& cls : Sarn10B::typeLibrary().classes) {
            if (!cls.predeclared) continue;
            ++wanted;
            const rt::Guid clsid = *rt::Guid::parse(cls.ids.clsid);
            for (uint32_t i = 0; i < typeCount; ++i) {
                const size_t entry = typeTable + read32(b, offsets + 4 * i);
                if ((read32(b, entry) & 0xF) != TypeKindCoclass) continue;
                const size_t guidAt = guidTable + read32(b, entry + 0x2C);
                if (guidAt + sizeof(rt::Guid) > b.size() || std::memcmp(b.data() + guidAt, &clsid, sizeof clsid) != 0)
                    continue;
                write32(b, entry + 0x30, read32(b, entry + 0x30) | FlagPredeclared);
                ++marked;
            }
        }
        if (marked != wanted) throw std::runtime_error("a predeclared class is missing from the type library");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mark_predeclared: %s: %s\n", argv[1], e.what());
        return 1;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(b.data(), static_cast<std::streamsize>(b.size()));
    return out ? 0 : 1;
}
