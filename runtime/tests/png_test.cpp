#include <gtest/gtest.h>

#include <unistd.h>
#if !defined(_WIN32)
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "runtime/error.h"
#include "runtime/picture.h"
#include "runtime/tests/helpers.h"

namespace {

using runtime_tests::errorNumberOf;
using Bytes = std::vector<uint8_t>;

uint32_t bigEndian32(const Bytes& b, size_t at) {
    if (at + 4 > b.size()) throw std::runtime_error("read past the end");
    return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

// Bit by bit, independent of the encoder's table.
uint32_t crc32(const uint8_t* data, size_t n) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint32_t adler32(const Bytes& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

struct Chunk {
    std::string type;
    Bytes body;
};

// Splits a PNG file into chunks, checking the signature and every CRC.
std::vector<Chunk> readChunks(const Bytes& png) {
    const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || !std::equal(signature.begin(), signature.end(), png.begin()))
        throw std::runtime_error("bad signature");
    std::vector<Chunk> chunks;
    size_t at = 8;
    while (at < png.size()) {
        const uint32_t length = bigEndian32(png, at);
        if (at + 12 + length > png.size()) throw std::runtime_error("chunk runs past the end");
        const uint8_t* typeAndBody = png.data() + at + 4;
        if (crc32(typeAndBody, 4 + length) != bigEndian32(png, at + 8 + length))
            throw std::runtime_error("bad CRC");
        chunks.push_back(
            {std::string(typeAndBody, typeAndBody + 4), Bytes(typeAndBody + 4, typeAndBody + 4 + length)});
        at += 12 + length;
    }
    return chunks;
}

struct Inflated {
    Bytes data;
    int blocks = 0;
};

// Inflates a zlib stream made of stored blocks only, which is all the
// encoder writes; any other block type is refused.
Inflated inflateStored(const Bytes& z) {
    if (z.size() < 6) throw std::runtime_error("stream too short");
    if ((z[0] & 0x0F) != 8) throw std::runtime_error("not deflate");
    if ((z[0] * 256 + z[1]) % 31 != 0) throw std::runtime_error("bad header check");
    if (z[1] & 0x20) throw std::runtime_error("unexpected preset dictionary");
    Inflated out;
    size_t at = 2;
    for (bool last = false; !last;) {
        if (at + 5 > z.size()) throw std::runtime_error("block header past the end");
        last = z[at] & 1;
        if (((z[at] >> 1) & 3) != 0) throw std::runtime_error("not a stored block");
        const unsigned len = z[at + 1] | z[at + 2] << 8;
        const unsigned nlen = z[at + 3] | z[at + 4] << 8;
        if ((len ^ 0xFFFFu) != nlen) throw std::runtime_error("length and its complement disagree");
        at += 5;
        if (at + len > z.size()) throw std::runtime_error("block past the end");
        out.data.insert(out.data.end(), z.begin() + static_cast<std::ptrdiff_t>(at),
                        z.begin() + static_cast<std::ptrdiff_t>(at + len));
        at += len;
        ++out.blocks;
    }
    if (at + 4 != z.size()) throw std::runtime_error("stream does not end with its checksum");
    if (bigEndian32(z, at) != adler32(out.data)) throw std::runtime_error("bad Adler-32");
    return out;
}

// A picture with every pixel different, some of them transparent.
rt::Ref<rt::Picture> patterned(int width, int height) {
    auto picture = rt::make<rt::Picture>(rt::PictureType::Bitmap, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((x + y) % 5 != 0) picture->setPixel(x, y, static_cast<rt::Rgb>(x * 0x010203 + y * 0x070503));
    return picture;
}

TEST(PngTest, HasSignatureHeaderDataAndEndWithValidCrcs) {
    const auto png = rt::encodePng(*patterned(3, 2));
    std::vector<Chunk> chunks;
    ASSERT_NO_THROW(chunks = readChunks(png));
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    EXPECT_TRUE(chunks[2].body.empty());

    const auto& ihdr = chunks[0].body;
    ASSERT_EQ(ihdr.size(), 13u);
    EXPECT_EQ(bigEndian32(ihdr, 0), 3u);  // width
    EXPECT_EQ(bigEndian32(ihdr, 4), 2u);  // height
    EXPECT_EQ(ihdr[8], 8);                // bits per sample
    EXPECT_EQ(ihdr[9], 6);                // colour type: RGBA
    EXPECT_EQ(ihdr[10], 0);               // compression: deflate
    EXPECT_EQ(ihdr[11], 0);               // filter method
    EXPECT_EQ(ihdr[12], 0);               // no interlace
}

TEST(PngTest, CorruptedFileFailsTheChecks) {
    // Makes sure the checks above can fail at all.
    auto png = rt::encodePng(*patterned(2, 2));
    png[20] ^= 0x01;  // inside IHDR
    EXPECT_THROW(readChunks(png), std::runtime_error);
}

TEST(PngTest, PixelDataInflatesBackToTheRgbaRows) {
    struct Row {
        const char* name;
        int width;
        int height;
        int blocks;
    };
    // Raw data is height * (1 + 4 * width) bytes; a stored block holds 65535.
    const Row rows[] = {
        {"one pixel", 1, 1, 1},
        {"small", 3, 2, 1},
        {"exactly one full block", 64, 255, 1},
        {"exactly two full blocks", 64, 510, 2},
        {"several blocks, 200 x 100", 200, 100, 2},
        {"wide", 4000, 10, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto picture = patterned(row.width, row.height);
        std::vector<Chunk> chunks;
        ASSERT_NO_THROW(chunks = readChunks(rt::encodePng(*picture)));
        ASSERT_EQ(chunks.size(), 3u);
        Inflated raw;
        ASSERT_NO_THROW(raw = inflateStored(chunks[1].body));
        EXPECT_EQ(raw.blocks, row.blocks);

        const size_t stride = 4 * static_cast<size_t>(row.width);
        ASSERT_EQ(raw.data.size(), static_cast<size_t>(row.height) * (stride + 1));
        const auto rgba = picture->rgba();
        Bytes pixels;
        for (size_t y = 0; y < static_cast<size_t>(row.height); ++y) {
            const auto line = raw.data.begin() + static_cast<std::ptrdiff_t>(y * (stride + 1));
            ASSERT_EQ(*line, 0) << "row " << y << " has a filter";
            pixels.insert(pixels.end(), line + 1, line + 1 + static_cast<std::ptrdiff_t>(stride));
        }
        EXPECT_TRUE(pixels == rgba);
    }
}

TEST(PngTest, PictureWithoutPixelsIsRefusedWith481) {
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {0, 0}, {-3, 2}}) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        const auto picture = rt::make<rt::Picture>(rt::PictureType::Bitmap, w, h);
        EXPECT_EQ(errorNumberOf([&] { rt::encodePng(*picture); }), rt::errnum::InvalidPicture);
    }
}

class SavePngTest : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove(path); }
    std::string path = (std::filesystem::temp_directory_path() /
                        ("runtime_tests_" + std::to_string(::getpid()) + ".png"))
                           .string();
};

TEST_F(SavePngTest, WritesTheEncodedBytes) {
    const auto picture = patterned(5, 4);
    rt::savePng(*picture, path);
    std::ifstream f(path, std::ios::binary);
    const Bytes written((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(written == rt::encodePng(*picture));
}

TEST_F(SavePngTest, PictureWithoutPixelsLeavesAnExistingFileAlone) {
    {
        std::ofstream f(path, std::ios::binary);
        f << "earlier";
    }
    const auto empty = rt::make<rt::Picture>(rt::PictureType::Bitmap, 0, 3);
    EXPECT_EQ(errorNumberOf([&] { rt::savePng(*empty, path); }), rt::errnum::InvalidPicture);
    std::ifstream f(path, std::ios::binary);
    const std::string kept((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "earlier");
}

TEST_F(SavePngTest, UnwritablePathFailsWith75) {
    const auto picture = patterned(2, 2);
    struct Row {
        const char* name;
        std::string path;
    };
    const Row rows[] = {
        {"missing folder", "/nonexistent-runtime-tests-folder/picture.png"},
        {"a folder", std::filesystem::temp_directory_path().string()},
        {"empty path", ""},
        {"full device", "/dev/full"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.path == "/dev/full" && !std::filesystem::exists(row.path)) continue;
        try {
            rt::savePng(*picture, row.path);
            ADD_FAILURE() << "no error";
        } catch (const rt::Error& e) {
            EXPECT_EQ(e.number(), rt::errnum::FileAccess);
            EXPECT_NE(e.description().find(row.path), std::string::npos) << e.description();
        }
    }
}

}  // namespace

#if !defined(_WIN32)
namespace {

std::string contentsOf(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST_F(SavePngTest, ALinkPlantedAtTheNewFilesNameIsNeverFollowed) {
    const std::string victim = path + ".victim";
    {
        std::ofstream f(victim, std::ios::binary);
        f << "not yours";
    }
    const std::string planted = path + ".new-" + std::to_string(::getpid()) + "-0";
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    const auto picture = patterned(3, 3);
    rt::savePng(*picture, path);
    EXPECT_EQ(contentsOf(victim), "not yours");
    const auto bytes = rt::encodePng(*picture);
    EXPECT_EQ(contentsOf(path), std::string(bytes.begin(), bytes.end()));
    ::unlink(planted.c_str());
    std::filesystem::remove(victim);
}

TEST_F(SavePngTest, AWriteThatFailsHalfWayLeavesTheOldFileWhole) {
    const std::string earlier(100, 'e');
    {
        std::ofstream f(path, std::ios::binary);
        f << earlier;
    }
    // A child process whose files may not grow past 200 bytes: the disk is
    // full for it as soon as the picture is larger.
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{200, 200};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(99);
        try {
            rt::savePng(*patterned(40, 40), path);
        } catch (const rt::Error& e) {
            ::_exit(e.number() == rt::errnum::FileAccess ? 0 : 2);
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no error, 2: another error, 99: no limit";
    EXPECT_EQ(contentsOf(path), earlier);
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        EXPECT_EQ(e.path().string().rfind(path + ".new-", 0), std::string::npos) << "left behind: " << e.path();
}

TEST_F(SavePngTest, ALinkedFileIsWrittenThroughAndKeepsItsMode) {
    const std::string real = path + ".real";
    {
        std::ofstream f(real, std::ios::binary);
        f << "old";
    }
    std::filesystem::permissions(real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_EQ(::symlink(real.c_str(), path.c_str()), 0);
    const auto picture = patterned(2, 2);
    rt::savePng(*picture, path);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    const auto bytes = rt::encodePng(*picture);
    EXPECT_EQ(contentsOf(real), std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(std::filesystem::status(real).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::remove(real);
}
#endif
