// Reading the dynamic section of an ELF file: the program headers find it,
// the loadable segments map its string table back into the file.
#include "runtime/elf_dependencies.h"

#include "runtime/error.h"

namespace rt {
namespace {

constexpr uint32_t PtLoad = 1, PtDynamic = 2;
constexpr uint64_t DtNull = 0, DtNeeded = 1, DtStrtab = 5, DtStrsz = 10, DtRpath = 15, DtRunpath = 29;
// Filter libraries: the loader loads these with the object, like needed ones.
constexpr uint64_t DtAuxiliary = 0x7ffffffd, DtFilter = 0x7fffffff;
constexpr uint16_t EtDyn = 3;
constexpr uint64_t MaxStringTable = 16u << 20;
constexpr uint64_t MaxDynamicEntries = 1u << 16;

class Image {
public:
    Image(const ElfReader& read, const std::string& fileName) : read_(read), fileName_(fileName) {}

    Error bad(const std::string& why) const {
        return Error(errnum::CannotCreate, "The file " + fileName_ + " is not a shared library that can be checked: " + why);
    }
    std::string bytes(uint64_t offset, uint64_t size) const {
        std::string out(static_cast<size_t>(size), '\0');
        if (size && !read_(offset, static_cast<size_t>(size), out.data())) throw bad("it is cut short");
        return out;
    }
    // An unsigned field of the file's byte order.
    uint64_t field(const std::string& from, size_t at, size_t size) const {
        if (at + size > from.size()) throw bad("a header is cut short");
        uint64_t value = 0;
        for (size_t i = 0; i < size; ++i) {
            const auto byte = static_cast<unsigned char>(from[bigEndian ? at + i : at + size - 1 - i]);
            value = (value << 8) | byte;
        }
        return value;
    }

    bool wide = true;  // ELFCLASS64
    bool bigEndian = false;

private:
    const ElfReader& read_;
    const std::string& fileName_;
};

struct Segment {
    uint64_t offset, vaddr, filesz;
};

}  // namespace

ElfDependencies readElfDependencies(const ElfReader& read, const std::string& fileName) {
    Image elf(read, fileName);
    std::string header = elf.bytes(0, 16);
    if (header.compare(0, 4, "\x7f" "ELF") != 0) throw elf.bad("it does not start as an ELF file");
    if (header[4] != 1 && header[4] != 2) throw elf.bad("its class is unknown");
    if (header[5] != 1 && header[5] != 2) throw elf.bad("its byte order is unknown");
    elf.wide = header[4] == 2;
    elf.bigEndian = header[5] == 2;
    header = elf.bytes(0, elf.wide ? 64 : 52);
    if (elf.field(header, 16, 2) != EtDyn) throw elf.bad("it is not a shared object");
    const uint64_t phoff = elf.field(header, elf.wide ? 32 : 28, elf.wide ? 8 : 4);
    const uint64_t phentsize = elf.field(header, elf.wide ? 54 : 42, 2);
    const uint64_t phnum = elf.field(header, elf.wide ? 56 : 44, 2);
    if (phentsize < (elf.wide ? 56u : 32u) || phentsize > 256) throw elf.bad("its program headers have an odd size");
    const std::string table = elf.bytes(phoff, phentsize * phnum);

    std::vector<Segment> loads;
    Segment dynamic{0, 0, 0};
    bool haveDynamic = false;
    for (uint64_t i = 0; i < phnum; ++i) {
        const size_t at = static_cast<size_t>(i * phentsize);
        const uint64_t type = elf.field(table, at, 4);
        Segment s{};
        if (elf.wide) {
            s = {elf.field(table, at + 8, 8), elf.field(table, at + 16, 8), elf.field(table, at + 32, 8)};
        } else {
            s = {elf.field(table, at + 4, 4), elf.field(table, at + 8, 4), elf.field(table, at + 16, 4)};
        }
        if (type == PtLoad) loads.push_back(s);
        if (type == PtDynamic && !haveDynamic) {
            dynamic = s;
            haveDynamic = true;
        }
    }
    ElfDependencies deps;
    if (!haveDynamic) return deps;  // needs nothing

    const uint64_t entrySize = elf.wide ? 16 : 8;
    if (dynamic.filesz / entrySize > MaxDynamicEntries) throw elf.bad("its dynamic section is too large");
    const std::string entries = elf.bytes(dynamic.offset, dynamic.filesz - dynamic.filesz % entrySize);
    uint64_t strtab = 0, strsz = 0;
    bool haveStrtab = false;
    std::vector<uint64_t> needed, runpath, rpath;
    for (size_t at = 0; at + entrySize <= entries.size(); at += entrySize) {
        const uint64_t tag = elf.field(entries, at, entrySize / 2);
        const uint64_t value = elf.field(entries, at + entrySize / 2, entrySize / 2);
        if (tag == DtNull) break;
        if (tag == DtNeeded || tag == DtAuxiliary || tag == DtFilter) needed.push_back(value);
        if (tag == DtRunpath) runpath.push_back(value);
        if (tag == DtRpath) rpath.push_back(value);
        if (tag == DtStrtab) {
            strtab = value;
            haveStrtab = true;
        }
        if (tag == DtStrsz) strsz = value;
    }
    if (needed.empty() && runpath.empty() && rpath.empty()) return deps;
    if (!haveStrtab) throw elf.bad("it names libraries but has no string table");
    if (strsz > MaxStringTable) throw elf.bad("its string table is too large");
    // The string table is given by address: find the segment that loads it.
    uint64_t strOffset = 0;
    bool mapped = false;
    for (const auto& s : loads) {
        if (strtab >= s.vaddr && strtab - s.vaddr < s.filesz && strsz <= s.filesz - (strtab - s.vaddr)) {
            strOffset = s.offset + (strtab - s.vaddr);
            mapped = true;
            break;
        }
    }
    if (!mapped) throw elf.bad("its string table lies outside what it loads");
    const std::string strings = elf.bytes(strOffset, strsz);
    auto text = [&](uint64_t offset) {
        if (offset >= strings.size()) throw elf.bad("a name lies outside its string table");
        const size_t end = strings.find('\0', static_cast<size_t>(offset));
        if (end == std::string::npos) throw elf.bad("a name in its string table does not end");
        return strings.substr(static_cast<size_t>(offset), end - static_cast<size_t>(offset));
    };
    for (uint64_t n : needed) deps.needed.push_back(text(n));
    for (const auto* list : {&runpath, &rpath})
        for (uint64_t n : *list) {
            const std::string entry = text(n);
            if (entry.empty()) continue;  // no folder at all, as the loader reads it
            for (auto& folder : splitRunPath(entry)) deps.runPath.push_back(std::move(folder));
        }
    return deps;
}

std::vector<std::string> splitRunPath(const std::string& list) {
    std::vector<std::string> folders;
    size_t start = 0;
    for (;;) {
        const size_t colon = list.find(':', start);
        folders.push_back(list.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
        if (colon == std::string::npos) return folders;
        start = colon + 1;
    }
}

}  // namespace rt
