// A small PNG encoder: 8-bit RGBA, no filtering, zlib "stored" blocks.
#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <process.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

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

// Writes bytes to a new file beside target and renames it over target, so
// that a reader, a crash or a full disk sees the old file or the whole new
// one. The new file is created exclusively and never through a link; an
// existing file keeps its mode.
bool writeWholeFile(const std::string& target, const std::vector<uint8_t>& bytes) {
#if !defined(_WIN32)
    struct stat old{};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = target + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    ok = ok && (!exists || ::fchmod(fd, old.st_mode & 07777) == 0) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
#else
    const std::string temp = target + ".new-" + std::to_string(::_getpid());
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        if (f) f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (f) f.close();
        if (!f) {
            std::remove(temp.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, target, ec);
    if (ec) std::remove(temp.c_str());
    return !ec;
#endif
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
    const auto failed = [&] { return Error(errnum::FileAccess, "Path/File access error: " + path); };
    if (path.empty()) throw failed();
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        // A device or a pipe holds no file to lose: write to it as it is.
        std::ofstream f(path, std::ios::binary);
        if (f) f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (f) f.close();
        if (!f) throw failed();
        return;
    }
    // A file that is a link is written through to the file it names.
    std::string target = path;
    if (std::filesystem::exists(status)) {
        target = std::filesystem::canonical(path, ec).string();
        if (ec) throw failed();
    }
    if (!writeWholeFile(target, bytes)) throw failed();
}

}  // namespace rt
