// Writes the library's version block, byte for byte as the library encodes
// it, to a file that the resource compiler embeds as the version resource.
#include <cstdio>
#include <fstream>

#include "library/version_block.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: version_resource OUTPUT\n");
        return 2;
    }
    const auto bytes = Sarn10B::encodeVersionBlock(Sarn10B::libraryVersion());
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return out ? 0 : 1;
}
