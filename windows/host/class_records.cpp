// Writes the library's class records (type "CLASSINFO", identifiers 1 up),
// byte for byte as the library's own resources hold them, one file each, and
// class_records.rc, the resource lines that embed them.
#include <cstdio>
#include <fstream>
#include <string>

#include "library/resources.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: class_records OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::ofstream lines(folder + "/class_records.rc", std::ios::binary);
    const rt::ResourceTable::Type type = std::string("CLASSINFO");
    for (int32_t id = 1;; ++id) {
        const rt::Bytes* record = Sarn10B::libraryResources().find(type, id);
        if (!record) break;
        const std::string file = folder + "/classinfo" + std::to_string(id) + ".bin";
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(record->data()), static_cast<std::streamsize>(record->size()));
        if (!out) return 1;
        lines << id << " CLASSINFO \"" << file << "\"\n";
    }
    return lines ? 0 : 1;
}
