// The text of registry files: one server's file, and the single file of
// earlier versions. Nothing here touches the disk.
#include "runtime/registry.h"

#include <cstdint>
#include <cstdio>

#include "runtime/error.h"

namespace rt {
namespace {

constexpr const char* ServerHeader = "sarn-server 1";
constexpr const char* OldHeader = "sarn-registry 1";
constexpr int32_t BadFileName = 52;

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

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

Error damaged(const std::string& file, size_t line, const std::string& why) {
    return {321, "The registry file " + file + " is damaged at line " + std::to_string(line) + ": " + why};
}

bool safeFileNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.' || c == '+';
}

std::string safeFileNamePart(const std::string& s) {
    std::string out;
    for (char c : s) out += safeFileNameChar(c) ? c : '_';
    return out.empty() ? std::string("_") : out;
}

}  // namespace

namespace {

// A character that changes how a terminal or a text view shows what follows
// it: C0 and C1 controls (also the raw byte 0x9B, which some terminals read
// as the start of a command), DEL, and the marks and overrides of
// bidirectional text. Where one starts, and its length in bytes; npos when
// there is none.
struct Found {
    size_t at = std::string::npos;
    size_t length = 0;
    uint32_t code = 0;
};

Found firstUnsafe(const std::string& text, bool allowTab, size_t from = 0) {
    for (size_t i = from; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if ((c < 0x20 && !(allowTab && c == '\t')) || c == 0x7f) return {i, 1, c};
            ++i;
            continue;
        }
        // One character of UTF-8, or a byte that starts none.
        size_t length = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : c >= 0xc0 ? 2 : 0;
        uint32_t code = length == 4 ? c & 0x07u : length == 3 ? c & 0x0fu : c & 0x1fu;
        bool valid = length != 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xc0) == 0x80;
            code = (code << 6) | (next & 0x3fu);
        }
        if (!valid) {
            if (c <= 0x9f) return {i, 1, c};  // a raw C1 byte
            ++i;                              // another lone byte of some older encoding
            continue;
        }
        const bool c1 = code >= 0x80 && code <= 0x9f;
        const bool bidi = code == 0x061c || code == 0x200e || code == 0x200f || (code >= 0x202a && code <= 0x202e) ||
                          (code >= 0x2066 && code <= 0x2069) || code == 0x2028 || code == 0x2029;
        if (c1 || bidi) return {i, length, code};
        i += length;
    }
    return {};
}

}  // namespace

// A control character other than the tab that separates fields.
static bool holdsControlCharacter(const std::string& line) { return firstUnsafe(line, true).at != std::string::npos; }

// Tabs and line ends would split an entry; any other control character, or
// a mark that reorders text, has no business in a name or path and could
// mislead whoever reads the file or a listing of it.
void checkRegistryField(const std::string& field, const char* what) {
    const Found bad = firstUnsafe(field, false);
    if (bad.at == std::string::npos) return;
    char code[16];
    if (bad.length == 1)
        std::snprintf(code, sizeof code, "0x%02x", static_cast<unsigned>(bad.code));
    else
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(bad.code));
    throw Error(BadFileName, std::string("The ") + what + " \"" + printable(field.substr(0, bad.at)) +
                                 "...\" holds the control character " + code + " at byte " +
                                 std::to_string(bad.at + 1) + "; it cannot be registered");
}

std::string printable(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const Found bad = firstUnsafe(text, false, i);
        const size_t end = bad.at == std::string::npos ? text.size() : bad.at;
        for (; i < end; ++i) {
            if (text[i] == '\\') out += '\\';
            out += text[i];
        }
        if (i >= text.size()) break;
        char escaped[16];
        if (bad.length == 1)
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned>(bad.code));
        else
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(bad.code));
        out += escaped;
        i += bad.length;
    }
    return out;
}

std::string serverFileName(const std::string& typeLibName, const std::string& typeLibId) {
    // Never starts with a dot: readers pass over such names, which are the
    // writers' own (temporary files, the lock).
    std::string name = safeFileNamePart(typeLibName);
    if (name[0] == '.') name[0] = '_';
    return name + "-" + safeFileNamePart(typeLibId) + ".server";
}

std::string serverFileText(const ServerRegistration& r) {
    checkRegistryField(r.server, "server path");
    const auto& t = r.typeLibrary;
    for (const auto* f : {&t.id, &t.version, &t.lcid, &t.name}) checkRegistryField(*f, "type library field");
    std::string text = std::string(ServerHeader) + "\nserver\t" + r.server + "\n";
    text += "typelib\t" + t.id + "\t" + t.version + "\t" + t.lcid + "\t" + t.name + "\n";
    for (const auto& c : r.classes) {
        for (const auto* f : {&c.clsid, &c.progId, &c.threading}) checkRegistryField(*f, "class field");
        text += "class\t" + c.clsid + "\t" + c.progId + "\t" + c.threading + "\t" + (c.appObject ? "appobject" : "") +
                "\n";
    }
    return text;
}

ServerRegistration parseServerFile(const std::string& text, const std::string& fileName) {
    if (text.empty()) throw Error(321, "The registry file " + fileName + " is empty");
    if (text.back() != '\n') throw damaged(fileName, splitLines(text).size(), "the file is cut short");
    const auto lines = splitLines(text);
    if (lines[0] != ServerHeader)
        throw damaged(fileName, 1, "it does not start with \"" + std::string(ServerHeader) + "\"");
    ServerRegistration r;
    bool haveTypeLib = false;
    for (size_t n = 1; n < lines.size(); ++n) {
        auto f = splitTabs(lines[n]);
        // What the writer refuses to write is damage when read. (Files of the
    // old format were written without that check and stay readable.)
        if (holdsControlCharacter(lines[n])) throw damaged(fileName, n + 1, "a field holds a control character");
        if (f[0] == "server" && f.size() == 2 && !f[1].empty() && r.server.empty()) {
            r.server = f[1];
        } else if (f[0] == "typelib" && f.size() == 5 && !f[1].empty() && !haveTypeLib) {
            r.typeLibrary = {f[1], f[2], f[3], f[4], {}};
            haveTypeLib = true;
        } else if (f[0] == "class" && f.size() == 5 && !f[1].empty() && !f[2].empty() &&
                   (f[4].empty() || f[4] == "appobject")) {
            r.classes.push_back({f[1], f[2], {}, f[3], f[4] == "appobject"});
        } else {
            throw damaged(fileName, n + 1, "unknown, repeated or incomplete entry");
        }
    }
    if (r.server.empty()) throw damaged(fileName, lines.size(), "it names no server");
    if (!haveTypeLib) throw damaged(fileName, lines.size(), "it names no type library");
    r.typeLibrary.server = r.server;
    for (auto& c : r.classes) c.server = r.server;
    return r;
}

RegistryContents parseOldRegistry(const std::string& text, const std::string& fileName) {
    if (text.empty()) throw Error(321, "The registry file " + fileName + " is empty");
    const auto lines = splitLines(text);
    if (lines[0] != OldHeader) throw damaged(fileName, 1, "it does not start with \"" + std::string(OldHeader) + "\"");
    RegistryContents contents;
    for (size_t n = 1; n < lines.size(); ++n) {
        if (lines[n].empty()) continue;
        auto f = splitTabs(lines[n]);
        if (f[0] == "class" && f.size() == 5 && !f[1].empty() && !f[2].empty() && !f[3].empty())
            contents.classes.push_back({f[1], f[2], f[3], f[4]});
        else if (f[0] == "typelib" && f.size() == 6 && !f[1].empty())
            contents.typeLibraries.push_back({f[1], f[2], f[3], f[4], f[5]});
        else
            throw damaged(fileName, n + 1, "unknown or incomplete entry");
    }
    return contents;
}

}  // namespace rt
