// The version block, read back with a reader of the platform's standard
// layout that checks every length and every padding on the way.
#include "library/version_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace Sarn10B::test {
namespace {

using Bytes = std::vector<uint8_t>;

// One node: length, value length, type (0 binary, 1 text), a UTF-16 key,
// padding to 32 bits, the value, padding, then the children.
struct VersionNode {
    size_t offset = 0;
    uint16_t length = 0;
    uint16_t valueLength = 0;
    uint16_t type = 0;
    std::string key;
    Bytes value;
    std::vector<VersionNode> children;

    const VersionNode& child(const std::string& childKey) const {
        for (const auto& c : children)
            if (c.key == childKey) return c;
        throw std::runtime_error("no child " + childKey + " under " + key);
    }
    std::vector<std::string> childKeys() const {
        std::vector<std::string> out;
        for (const auto& c : children) out.push_back(c.key);
        return out;
    }
    // A text value without its terminating zero.
    std::string text() const {
        if (type != 1) throw std::runtime_error(key + " holds no text");
        std::string out;
        for (size_t i = 0; i + 1 < value.size(); i += 2) {
            const uint16_t c = static_cast<uint16_t>(value[i] | value[i + 1] << 8);
            if (c == 0) {
                if (i + 2 != value.size()) throw std::runtime_error(key + ": text ends before its value length");
                return out;
            }
            if (c > 0x7F) throw std::runtime_error(key + ": unexpected character");
            out += static_cast<char>(c);
        }
        if (!value.empty()) throw std::runtime_error(key + ": text without terminating zero");
        return out;
    }
    uint32_t dword(size_t index) const {
        const size_t at = index * 4;
        if (at + 4 > value.size()) throw std::runtime_error(key + ": value too short");
        return static_cast<uint32_t>(value[at] | value[at + 1] << 8 | value[at + 2] << 16 |
                                     static_cast<uint32_t>(value[at + 3]) << 24);
    }
    uint16_t word(size_t index) const {
        const size_t at = index * 2;
        if (at + 2 > value.size()) throw std::runtime_error(key + ": value too short");
        return static_cast<uint16_t>(value[at] | value[at + 1] << 8);
    }
};

class VersionReader {
public:
    explicit VersionReader(const Bytes& bytes) : b_(bytes) {}

    VersionNode root() {
        VersionNode r = node(0, b_.size());
        // The root may be followed by its own padding, nothing else.
        if (b_.size() != r.length && b_.size() != (r.length + 3u) / 4 * 4)
            throw std::runtime_error("block size " + std::to_string(b_.size()) + " but root length " +
                                     std::to_string(r.length));
        skipPadding(r.length, b_.size());
        return r;
    }

private:
    uint16_t u16(size_t at) const {
        if (at + 2 > b_.size()) throw std::runtime_error("read beyond the block at " + std::to_string(at));
        return static_cast<uint16_t>(b_[at] | b_[at + 1] << 8);
    }
    // Zero bytes up to the next 32-bit boundary, all inside the node.
    size_t skipPadding(size_t pos, size_t end) const {
        while (pos % 4) {
            if (pos >= end) throw std::runtime_error("padding runs past the node end at " + std::to_string(pos));
            if (b_[pos] != 0) throw std::runtime_error("non-zero padding at " + std::to_string(pos));
            ++pos;
        }
        return pos;
    }

    VersionNode node(size_t start, size_t limit) const {
        if (start % 4) throw std::runtime_error("node not aligned at " + std::to_string(start));
        VersionNode n;
        n.offset = start;
        n.length = u16(start);
        n.valueLength = u16(start + 2);
        n.type = u16(start + 4);
        const size_t end = start + n.length;
        if (n.length < 6 || end > limit)
            throw std::runtime_error("node at " + std::to_string(start) + " has length " + std::to_string(n.length) +
                                     " beyond its parent");
        if (n.type > 1) throw std::runtime_error("node type " + std::to_string(n.type));

        size_t pos = start + 6;
        for (;;) {
            if (pos + 2 > end) throw std::runtime_error("key runs past the node end at " + std::to_string(start));
            const uint16_t c = u16(pos);
            pos += 2;
            if (c == 0) break;
            n.key += static_cast<char>(c);
        }
        const size_t valueBytes = n.type == 1 ? size_t{n.valueLength} * 2 : n.valueLength;
        if (valueBytes) pos = skipPadding(pos, end);
        if (pos + valueBytes > end) throw std::runtime_error(n.key + ": value runs past the node end");
        n.value.assign(b_.begin() + static_cast<ptrdiff_t>(pos), b_.begin() + static_cast<ptrdiff_t>(pos + valueBytes));
        pos += valueBytes;

        while (pos < end) {
            pos = skipPadding(pos, end);
            VersionNode child = node(pos, end);
            pos += child.length;
            n.children.push_back(std::move(child));
        }
        if (pos != end) throw std::runtime_error(n.key + ": children do not fill the node");
        return n;
    }

    const Bytes& b_;
};

VersionNode readBlock(const Bytes& bytes) { return VersionReader(bytes).root(); }

class VersionBlockTest : public ::testing::Test {
protected:
    const Bytes bytes = encodeVersionBlock(libraryVersion());
    VersionNode root = readBlock(bytes);

    std::map<std::string, std::string> strings() const {
        std::map<std::string, std::string> out;
        for (const auto& s : table().children) {
            EXPECT_TRUE(s.children.empty()) << s.key;
            EXPECT_EQ(s.type, 1) << s.key;
            out[s.key] = s.text();
        }
        return out;
    }
    const VersionNode& table() const { return root.child("StringFileInfo").child("040904B0"); }
};

TEST_F(VersionBlockTest, RootHoldsTheFixedFileInformation) {
    EXPECT_EQ(root.key, "VS_VERSION_INFO");
    EXPECT_EQ(root.type, 0);
    ASSERT_EQ(root.valueLength, 52);
    EXPECT_EQ(root.dword(0), 0xFEEF04BDu) << "signature";
    EXPECT_EQ(root.dword(1), 0x00010000u) << "structure version";
    EXPECT_EQ(root.dword(2), 0x00010000u) << "file version 1.0";
    EXPECT_EQ(root.dword(3), 0x0000004Au) << "file version .0.74";
    EXPECT_EQ(root.dword(4), 0x00010000u) << "product version 1.0";
    EXPECT_EQ(root.dword(5), 0x0000004Au) << "product version .0.74";
    EXPECT_EQ(root.dword(7) & ~root.dword(6), 0u) << "flags within their mask";
    EXPECT_EQ(root.dword(8), 0x4u) << "32-bit Windows";
    EXPECT_EQ(root.dword(9), 0x2u) << "dynamic-link library";
    EXPECT_EQ(root.dword(10), 0u) << "no subtype";
    EXPECT_EQ(root.childKeys(), (std::vector<std::string>{"StringFileInfo", "VarFileInfo"}));
}

TEST_F(VersionBlockTest, StringTableForEnglishInUnicode) {
    EXPECT_EQ(root.child("StringFileInfo").childKeys(), std::vector<std::string>{"040904B0"});
    const auto s = strings();
    const std::pair<const char*, const char*> expected[] = {
        {"FileVersion", "1.00.0074"},        {"ProductVersion", "1.00.0074"}, {"InternalName", "sarn10b"},
        {"OriginalFilename", "sarn10b.dll"}, {"OLESelfRegister", ""},
    };
    for (const auto& [key, value] : expected) {
        SCOPED_TRACE(key);
        ASSERT_EQ(s.count(key), 1u) << "missing";
        EXPECT_EQ(s.at(key), value);
    }
}

TEST_F(VersionBlockTest, TranslationNamesLanguageAndCodePage) {
    const VersionNode& vars = root.child("VarFileInfo");
    ASSERT_EQ(vars.childKeys(), std::vector<std::string>{"Translation"});
    const VersionNode& translation = vars.child("Translation");
    EXPECT_EQ(translation.type, 0);
    ASSERT_EQ(translation.valueLength, 4);
    EXPECT_EQ(translation.word(0), 0x0409);
    EXPECT_EQ(translation.word(1), 1200);
}

TEST_F(VersionBlockTest, TextValueLengthsCountCharactersWithTheirZero) {
    for (const auto& s : table().children) {
        SCOPED_TRACE(s.key);
        EXPECT_EQ(s.valueLength, s.text().size() + 1);
    }
}

TEST(VersionBlockLayout, OtherVersionsAndStringsKeepAValidLayout) {
    // Keys and values of every length modulo 4 exercise each padding case.
    VersionInfo info;
    info.major = 2;
    info.minor = 3;
    info.build = 4;
    info.revision = 5;
    info.strings = {{"A", ""}, {"Ab", "x"}, {"Abc", "xy"}, {"Abcd", "xyz"}, {"Abcde", "wxyz"}};
    const VersionNode root = readBlock(encodeVersionBlock(info));
    EXPECT_EQ(root.dword(2), 0x00020003u);
    EXPECT_EQ(root.dword(3), 0x00040005u);
    const VersionNode& table = root.child("StringFileInfo").child("040904B0");
    ASSERT_EQ(table.children.size(), info.strings.size());
    for (size_t i = 0; i < info.strings.size(); ++i) {
        SCOPED_TRACE(info.strings[i].first);
        EXPECT_EQ(table.children[i].key, info.strings[i].first);
        EXPECT_EQ(table.children[i].text(), info.strings[i].second);
    }
}

TEST(VersionBlockReader, RejectsBrokenLayouts) {
    // The reader must catch a layout fault, or the checks above would prove
    // little.
    const Bytes good = encodeVersionBlock(libraryVersion());
    ASSERT_NO_THROW(readBlock(good));

    // The offset of the node whose key is the given text.
    auto nodeAt = [&](const std::string& key) {
        Bytes pattern;
        for (char c : key) {
            pattern.push_back(static_cast<uint8_t>(c));
            pattern.push_back(0);
        }
        pattern.push_back(0);
        pattern.push_back(0);
        auto it = std::search(good.begin(), good.end(), pattern.begin(), pattern.end());
        EXPECT_NE(it, good.end()) << key;
        return static_cast<size_t>(it - good.begin()) - 6;
    };
    struct Case {
        const char* name;
        std::function<void(Bytes&)> damage;
    };
    const Case cases[] = {
        {"root length short by 4", [](Bytes& b) { b[0] = static_cast<uint8_t>(b[0] - 4); }},
        {"text value length in bytes",
         [&](Bytes& b) { b[nodeAt("InternalName") + 2] = static_cast<uint8_t>(b[nodeAt("InternalName") + 2] * 2); }},
        {"string length one word longer", [&](Bytes& b) { b[nodeAt("FileVersion")] += 2; }},
        {"padding not zero", [&](Bytes& b) { b[nodeAt("VS_VERSION_INFO") + 6 + 32] = 1; }},
        {"a byte dropped", [&](Bytes& b) { b.erase(b.begin() + static_cast<ptrdiff_t>(nodeAt("Comments"))); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bad = good;
        c.damage(bad);
        EXPECT_THROW(readBlock(bad), std::runtime_error);
    }
}

}  // namespace
}  // namespace Sarn10B::test
