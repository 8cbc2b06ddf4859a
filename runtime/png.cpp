// A small PNG encoder: 8-bit RGBA, no filtering, zlib "stored" blocks.
#include <algorithm>
#include <array>
#include <fstream>

#include "runtime/error.h"
#include "runtime/picture.h"

namespace rt {
namespace {

uint32_t crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t adler32(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
    put32(out, static_cast<uint32_t>(body.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    put32(out, crc32(out.data() + start, out.size() - start));
}

}  // namespace

std::vector<uint8_t> encodePng(const Picture& picture) {
    // The format has no empty image: readers refuse a zero width or height.
    if (picture.width() <= 0 || picture.height() <= 0) throw errInvalidPicture();
    const auto w = static_cast<size_t>(picture.width());
    const auto h = static_cast<size_t>(picture.height());
    const auto pixels = picture.rgba();

    std::vector<uint8_t> raw;  // each row: filter byte 0, then the row
    raw.reserve(h * (w * 4 + 1));
    for (size_t y = 0; y < h; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), pixels.begin() + static_cast<std::ptrdiff_t>(y * w * 4),
                   pixels.begin() + static_cast<std::ptrdiff_t>((y + 1) * w * 4));
    }

    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        size_t len = std::min<size_t>(65535, raw.size() - pos);
        bool last = pos + len == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<uint8_t>(len));
        z.push_back(static_cast<uint8_t>(len >> 8));
        z.push_back(static_cast<uint8_t>(~len));
        z.push_back(static_cast<uint8_t>(~len >> 8));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
                 raw.begin() + static_cast<std::ptrdiff_t>(pos + len));
        pos += len;
    } while (pos < raw.size());
    put32(z, adler32(raw));

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    put32(ihdr, static_cast<uint32_t>(w));
    put32(ihdr, static_cast<uint32_t>(h));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8-bit, RGBA, deflate, no filter, no interlace
    chunk(out, "IHDR", ihdr);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", {});
    return out;
}

void savePng(const Picture& picture, const std::string& path) {
    const auto bytes = encodePng(picture);
    std::ofstream f(path, std::ios::binary);
    if (f) f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    // A small file sits in the stream's buffer until the close, so a full
    // disk only shows there.
    if (f) f.close();
    if (!f) throw Error(errnum::FileAccess, "Path/File access error: " + path);
}

}  // namespace rt
