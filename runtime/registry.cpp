// The text of registry files: one server's file, and the single file of
// earlier versions. Nothing here touches the disk.
#include "runtime/registry.h"

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

// A control character other than the tab that separates fields.
static bool holdsControlCharacter(const std::string& line) {
    for (const char ch : line) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c < 0x20 && c != '\t') || c == 0x7f) return true;
    }
    return false;
}

// Tabs and line ends would split an entry; any other control character has
// no business in a name or path and could mislead whoever reads the file.
void checkRegistryField(const std::string& field, const char* what) {
    for (size_t i = 0; i < field.size(); ++i) {
        const auto c = static_cast<unsigned char>(field[i]);
        if (c < 0x20 || c == 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02x", c);
            throw Error(BadFileName, std::string("The ") + what + " \"" + field.substr(0, i) +
                                         "...\" holds the control character " + hex + " at byte " +
                                         std::to_string(i + 1) + "; it cannot be registered");
        }
    }
}

std::string serverFileName(const std::string& typeLibName, const std::string& typeLibId) {
    // Never starts with a dot: names that do are the writers' temporary files.
    return safeFileNamePart(typeLibName) + "-" + safeFileNamePart(typeLibId) + ".server";
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
