// The type library's text, read back line by line and compared with the
// library's published surface: header, coclasses, default interfaces with
// their members, and the three enumerations.
#include "library/type_library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "library/identifiers.h"
#include "library/tests/expected_surface.h"

namespace Sarn10B::test {
namespace {

// --- a small reader for the interface-definition text -------------------------

// Attributes of one "[ ... ]" block: flags ("hidden") and valued ones
// ("uuid" -> "E532...").
struct Attributes {
    std::set<std::string> flags;
    std::map<std::string, std::string> values;
    bool has(const std::string& flag) const { return flags.count(flag) > 0; }
    std::string value(const std::string& name) const {
        auto it = values.find(name);
        return it == values.end() ? std::string() : it->second;
    }
};

struct IdlMember {
    std::string name;
    int32_t dispid = 0;
    std::string kind;  // "method", "propget", "propput", "propputref"
    bool operator==(const IdlMember&) const = default;
};
std::ostream& operator<<(std::ostream& os, const IdlMember& m) {
    return os << "{" << m.name << ", " << m.kind << ", 0x" << std::hex << m.dispid << std::dec << "}";
}

struct IdlInterface {
    Attributes attributes;
    std::string base;
    std::vector<IdlMember> members;
};

struct IdlCoclass {
    Attributes attributes;
    std::vector<std::string> interfaces;  // as written: "[default] interface _x"
};

struct IdlEnum {
    Attributes attributes;
    std::vector<std::pair<std::string, int32_t>> values;
};

struct IdlLibrary {
    std::string name;
    Attributes attributes;
    std::vector<std::string> imports;
    std::map<std::string, IdlInterface> interfaces;
    std::vector<std::string> coclassOrder;
    std::map<std::string, IdlCoclass> coclasses;
    std::map<std::string, IdlEnum> enums;
};

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The line up to a "//" that stands outside quotes.
std::string withoutComment(const std::string& line) {
    bool quoted = false;
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (!quoted && line[i] == '/' && line[i + 1] == '/') return line.substr(0, i);
    }
    return line;
}

// "uuid(X)" -> values["uuid"] = "X"; "hidden" -> flag. Quotes of a help
// string are dropped.
void addAttribute(Attributes& attrs, std::string item) {
    item = trim(item);
    if (item.empty()) return;
    const auto open = item.find('(');
    if (open == std::string::npos) {
        attrs.flags.insert(item);
        return;
    }
    if (item.back() != ')') throw std::runtime_error("unbalanced attribute: " + item);
    std::string value = item.substr(open + 1, item.size() - open - 2);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    attrs.values[item.substr(0, open)] = value;
}

// The items of a one-line attribute list "[a, b(c), d]", split at the commas
// outside parentheses and quotes.
Attributes attributesOf(const std::string& list) {
    Attributes attrs;
    std::string item;
    int depth = 0;
    bool quoted = false;
    for (char c : list) {
        if (c == '"') quoted = !quoted;
        if (!quoted && c == '(') ++depth;
        if (!quoted && c == ')') --depth;
        if (!quoted && depth == 0 && c == ',') {
            addAttribute(attrs, item);
            item.clear();
        } else {
            item += c;
        }
    }
    addAttribute(attrs, item);
    return attrs;
}

IdlLibrary parseIdl(const std::string& text) {
    std::vector<std::string> lines;
    {
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            line = trim(line);
            line = trim(withoutComment(line));
            if (!line.empty()) lines.push_back(line);
        }
    }
    IdlLibrary lib;
    static const std::regex memberName(R"(^HRESULT (\w+)\()");
    static const std::regex enumValue(R"(^(\w+) = (-?\d+),?$)");
    static const std::regex enumEnd(R"(^\} (\w+);$)");
    static const std::regex interfaceHead(R"(^interface (\w+) : (\w+) \{$)");
    static const std::regex coclassHead(R"(^coclass (\w+) \{$)");
    static const std::regex libraryHead(R"(^library (\w+)$)");
    static const std::regex import(R"re(^importlib\("([^"]+)"\);$)re");
    std::smatch m;

    size_t i = 0;
    auto next = [&]() -> const std::string& {
        if (i >= lines.size()) throw std::runtime_error("unexpected end of text");
        return lines[i++];
    };
    // A multi-line attribute block: "[" then one attribute per line, then "]".
    auto blockAttributes = [&] {
        Attributes attrs;
        for (std::string line = next(); line != "]"; line = next()) {
            if (!line.empty() && line.back() == ',') line.pop_back();
            addAttribute(attrs, line);
        }
        return attrs;
    };

    while (i < lines.size()) {
        const std::string line = next();
        if (line == "[") {
            Attributes attrs = blockAttributes();
            const std::string head = next();
            if (std::regex_match(head, m, libraryHead)) {
                lib.name = m[1];
                lib.attributes = attrs;
                if (next() != "{") throw std::runtime_error("library without body");
            } else if (std::regex_match(head, m, interfaceHead)) {
                IdlInterface itf{attrs, m[2], {}};
                const std::string name = m[1];
                for (std::string l = next(); l != "};"; l = next()) {
                    if (l.front() != '[' || l.back() != ']')
                        throw std::runtime_error("member without attributes: " + l);
                    Attributes memberAttrs = attributesOf(l.substr(1, l.size() - 2));
                    const std::string decl = next();
                    if (!std::regex_search(decl, m, memberName)) throw std::runtime_error("bad member: " + decl);
                    if (decl.substr(decl.size() - 2) != ");") throw std::runtime_error("unterminated member: " + decl);
                    std::string kind = "method";
                    for (const char* k : {"propget", "propput", "propputref"})
                        if (memberAttrs.has(k)) kind = k;
                    itf.members.push_back(
                        {m[1], static_cast<int32_t>(std::stoul(memberAttrs.value("id"), nullptr, 16)), kind});
                }
                if (!lib.interfaces.emplace(name, itf).second) throw std::runtime_error("interface twice: " + name);
            } else if (std::regex_match(head, m, coclassHead)) {
                IdlCoclass cls{attrs, {}};
                const std::string name = m[1];
                for (std::string l = next(); l != "};"; l = next()) cls.interfaces.push_back(l);
                lib.coclassOrder.push_back(name);
                if (!lib.coclasses.emplace(name, cls).second) throw std::runtime_error("coclass twice: " + name);
            } else {
                throw std::runtime_error("attributes before " + head);
            }
        } else if (line.rfind("typedef [", 0) == 0 && line.back() == ']') {
            IdlEnum e{attributesOf(line.substr(9, line.size() - 10)), {}};
            if (next() != "enum {") throw std::runtime_error("typedef of no enumeration");
            for (std::string l = next();; l = next()) {
                if (std::regex_match(l, m, enumEnd)) {
                    lib.enums[m[1]] = e;
                    break;
                }
                if (!std::regex_match(l, m, enumValue)) throw std::runtime_error("bad enumeration value: " + l);
                e.values.emplace_back(m[1], std::stoi(m[2]));
            }
        } else if (std::regex_match(line, m, import)) {
            lib.imports.push_back(m[1]);
        } else if (line.rfind("interface ", 0) == 0 && line.back() == ';') {
            // a forward declaration
        } else if (line == "};") {
            // the end of the library
        } else {
            throw std::runtime_error("unexpected line: " + line);
        }
    }
    return lib;
}

// --- expectations ------------------------------------------------------------

std::string idlKind(rt::CallKind kind) {
    switch (kind) {
        case rt::CallKind::PropertyGet:
            return "propget";
        case rt::CallKind::PropertyLet:
            return "propput";
        case rt::CallKind::PropertySet:
            return "propputref";
        case rt::CallKind::Method:
            break;
    }
    return "method";
}

bool isUuid(const std::string& s) {
    static const std::regex form("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$");
    return std::regex_match(s, form);
}

class TypeLibraryTextTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { lib_ = new IdlLibrary(parseIdl(idlText(typeLibrary()))); }
    static void TearDownTestSuite() {
        delete lib_;
        lib_ = nullptr;
    }
    const IdlLibrary& lib() const { return *lib_; }

private:
    static IdlLibrary* lib_;
};
IdlLibrary* TypeLibraryTextTest::lib_ = nullptr;

TEST_F(TypeLibraryTextTest, LibraryHeader) {
    EXPECT_EQ(lib().name, "Sarn10B");
    EXPECT_EQ(lib().attributes.value("version"), "1.0");
    EXPECT_EQ(std::stoul(lib().attributes.value("lcid"), nullptr, 16), 0x409u);
    EXPECT_TRUE(isUuid(lib().attributes.value("uuid")));
    EXPECT_EQ(lib().attributes.value("uuid"), ids::TypeLibrary);
    const std::string help = lib().attributes.value("helpstring");
    EXPECT_NE(help.find("Sarn10B"), std::string::npos) << "the help string names the product: " << help;
}

TEST_F(TypeLibraryTextTest, ImportsProvideEveryOutsideTypeTheMembersName) {
    std::vector<std::string> files;
    std::string provided;
    for (const auto& r : typeLibrary().references) {
        files.emplace_back(r.file);
        provided += std::string(r.what) + ", ";
    }
    EXPECT_EQ(lib().imports, files);

    // Types that no declaration of the library itself defines must come from
    // one of the imported libraries.
    std::set<std::string> outside{"IDispatch"};
    for (const auto& c : typeLibrary().classes)
        for (const auto& m : c.members->members) {
            if (!m.resultTypeName.empty()) outside.emplace(m.resultTypeName);
            for (const auto& p : m.params)
                if (!p.typeName.empty()) outside.emplace(p.typeName);
        }
    outside.erase("Object");  // written as IDispatch
    for (const auto& [name, e] : lib().enums) outside.erase(name);
    for (const char* expected :
         {"IDispatch", "IPictureDisp", "Collection", "LoadResConstants", "TreeRelationshipConstants"})
        EXPECT_EQ(outside.count(expected), 1u) << expected << " is not named by any member";
    for (const auto& type : outside)
        EXPECT_NE(provided.find(type + ","), std::string::npos) << type << " comes from no imported library";
}

TEST_F(TypeLibraryTextTest, CoclassesCarryTheirFlagsAndDefaultInterfaces) {
    struct Case {
        const char* name;
        bool appObject;
        bool predeclared;
        ids::ClassIds ids;
    };
    const Case cases[] = {
        {"clsKwAmbrTvsA", false, false, ids::StyleManager},
        {"clsKwOrvel10BA", true, true, ids::LibraryObject},
        {"clsKwAmbrListViewWndClassA", false, false, ids::ListViewWndClass},
        {"clsKwAmbrTreeviewWndClassA", false, false, ids::TreeviewWndClass},
        {"clsKwAmbrGeneralA", false, false, ids::General},
        {"clsKwAmbrAdvancedA", false, false, ids::Advanced},
    };
    std::vector<std::string> order;
    for (const auto& c : cases) order.push_back(c.name);
    EXPECT_EQ(lib().coclassOrder, order);

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(lib().coclasses.count(c.name), 1u);
        const IdlCoclass& cls = lib().coclasses.at(c.name);
        EXPECT_EQ(cls.attributes.has("appobject"), c.appObject);
        EXPECT_EQ(cls.attributes.has("predeclid"), c.predeclared);
        EXPECT_FALSE(cls.attributes.has("noncreatable")) << "every class is creatable";
        EXPECT_FALSE(cls.attributes.has("hidden"));
        EXPECT_EQ(cls.attributes.value("uuid"), c.ids.clsid);
        const std::string itf = std::string("_") + c.name;
        EXPECT_EQ(cls.interfaces, (std::vector<std::string>{"[default] interface " + itf + ";"}))
            << "one default interface and no event interface";

        ASSERT_EQ(lib().interfaces.count(itf), 1u) << itf;
        const IdlInterface& i = lib().interfaces.at(itf);
        for (const char* flag : {"hidden", "dual", "nonextensible", "oleautomation"})
            EXPECT_TRUE(i.attributes.has(flag)) << itf << " lacks " << flag;
        EXPECT_EQ(i.base, "IDispatch");
        EXPECT_EQ(i.attributes.value("uuid"), c.ids.iid);
    }
    EXPECT_EQ(lib().interfaces.size(), 6u);
}

TEST_F(TypeLibraryTextTest, InterfacesListThePublishedSlotsInOrder) {
    for (const auto& c : expectedClasses()) {
        SCOPED_TRACE(c.name);
        std::vector<IdlMember> expected;
        for (const auto& s : c.slots)
            if (s.published) expected.push_back({s.name, s.dispid, idlKind(s.kind)});
        ASSERT_EQ(lib().interfaces.count("_" + c.name), 1u);
        EXPECT_EQ(lib().interfaces.at("_" + c.name).members, expected);
    }
}

TEST_F(TypeLibraryTextTest, CollectionFieldsShowNoLetSlot) {
    const auto& members = lib().interfaces.at("_clsKwAmbrTvsA").members;
    for (const char* field : {"QueryNodeKeysCollection", "QueryNodeTextCollection"}) {
        SCOPED_TRACE(field);
        std::vector<std::string> kinds;
        for (const auto& m : members)
            if (m.name == field) kinds.push_back(m.kind);
        EXPECT_EQ(kinds, (std::vector<std::string>{"propget", "propputref"}));
    }
}

TEST_F(TypeLibraryTextTest, EnumerationsWithTheirValues) {
    struct Case {
        const char* name;
        std::string_view uuid;
        std::vector<std::pair<std::string, int32_t>> values;
    };
    const Case cases[] = {
        {"TVSNodeType", ids::EnumTVSNodeType, {{"TVSNodeType_CB", 1}, {"TVSNodeType_OB", 2}}},
        {"TVSNodeStyle",
         ids::EnumTVSNodeStyle,
         {{"TVSNodeStyle_Default", 0},
          {"TVSNodeStyle_CheckBoxoff", 1},
          {"TVSNodeStyle_CheckBoxOn", 2},
          {"TVSNodeStyle_OptionButtonOff", 3},
          {"TVSNodeStyle_OptionButtonOn", 4}}},
        {"TVSImageStyles",
         ids::EnumTVSImageStyles,
         {{"TVSImageStyles_CheckunCheckBox", 0},
          {"TVSImageStyles_WrongWrite", 1},
          {"TVSImageStyles_WrongWriteColor", 2},
          {"TVSImageStyles_LockUnlock", 3}}},
    };
    EXPECT_EQ(lib().enums.size(), 3u);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(lib().enums.count(c.name), 1u);
        const IdlEnum& e = lib().enums.at(c.name);
        EXPECT_EQ(e.values, c.values);
        EXPECT_EQ(e.attributes.value("uuid"), c.uuid);
    }
}

TEST_F(TypeLibraryTextTest, EveryIdentifierIsWellFormedAndDistinct) {
    std::vector<std::string> all{lib().attributes.value("uuid")};
    for (const auto& [name, c] : lib().coclasses) all.push_back(c.attributes.value("uuid"));
    for (const auto& [name, i] : lib().interfaces) all.push_back(i.attributes.value("uuid"));
    for (const auto& [name, e] : lib().enums) all.push_back(e.attributes.value("uuid"));
    ASSERT_EQ(all.size(), 1u + 6u + 6u + 3u);
    std::set<std::string> folded;
    for (const auto& id : all) {
        EXPECT_TRUE(isUuid(id)) << "'" << id << "'";
        std::string f = id;
        for (auto& ch : f) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        folded.insert(f);
    }
    EXPECT_EQ(folded.size(), all.size()) << "two declarations share an identifier";
}

TEST(TypeLibraryDescription, UsesTheClassesOwnMemberTables) {
    // The description and calls by name share one table per class, so the two
    // cannot drift apart.
    const auto expected = expectedClasses();
    const auto& classes = typeLibrary().classes;
    ASSERT_EQ(classes.size(), expected.size());
    for (size_t i = 0; i < classes.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(classes[i].ids.name, expected[i].name);
        ASSERT_NE(classes[i].members, nullptr);
        EXPECT_EQ(classes[i].members->name, expected[i].name);
        EXPECT_EQ(slotsOf(*classes[i].members), expected[i].slots);
    }
}

}  // namespace
}  // namespace Sarn10B::test
