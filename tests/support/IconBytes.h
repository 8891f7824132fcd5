// Icon files byte by byte for the tests: square images of one colour as 32-bit bitmaps or
// as PNGs (with real compressed data), gathered in an .ico file.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <zlib.h>

namespace qpktest {

inline void putLe(std::string& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b += char(v >> (8 * i) & 0xFF);
}

inline void putBe32(std::string& b, uint32_t v) {
    for (int i = 3; i >= 0; --i) b += char(v >> (8 * i) & 0xFF);
}

// A bitmap image as an icon holds it: header, colour pixels (bottom-up BGRA), AND mask.
inline std::string bitmapImage(int side, uint32_t bgra) {
    std::string b;
    putLe(b, 40, 4);
    putLe(b, uint32_t(side), 4);
    putLe(b, uint32_t(2 * side), 4);  // colour and mask
    putLe(b, 1, 2);
    putLe(b, 32, 2);
    putLe(b, 0, 4);
    putLe(b, uint32_t(side * side * 4), 4);
    b.append(16, '\0');
    for (int i = 0; i < side * side; ++i) putLe(b, bgra, 4);
    b.append(size_t((side + 31) / 32 * 4 * side), '\0');
    return b;
}

inline std::string pngChunk(const std::string& type, const std::string& data) {
    std::string b;
    putBe32(b, uint32_t(data.size()));
    std::string body = type + data;
    b += body;
    putBe32(b, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
    return b;
}

inline std::string pngImage(int side, uint32_t rgba) {
    std::string header;
    putBe32(header, uint32_t(side));
    putBe32(header, uint32_t(side));
    header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA
    std::string rows;
    for (int y = 0; y < side; ++y) {
        rows += '\0';  // no filter
        for (int x = 0; x < side; ++x) putBe32(rows, rgba);
    }
    std::string packed(compressBound(uLong(rows.size())), '\0');
    uLongf size = uLongf(packed.size());
    compress(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(rows.data()), uLong(rows.size()));
    packed.resize(size);
    return std::string("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", packed) +
           pngChunk("IEND", "");
}

// An .ico file of (side, image) pairs, in that order.
inline std::string icoFile(const std::vector<std::pair<int, std::string>>& images) {
    std::string b;
    putLe(b, 0, 2);
    putLe(b, 1, 2);
    putLe(b, uint32_t(images.size()), 2);
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (const auto& [side, image] : images) {
        b += char(side & 0xFF);  // 256 is written as 0
        b += char(side & 0xFF);
        b += '\0';
        b += '\0';
        putLe(b, 1, 2);
        putLe(b, 32, 2);
        putLe(b, uint32_t(image.size()), 4);
        putLe(b, offset, 4);
        offset += uint32_t(image.size());
    }
    for (const auto& entry : images) b += entry.second;
    return b;
}

// The icon most tests brand with: three bitmaps and a PNG-compressed 256-pixel image.
inline std::vector<std::pair<int, std::string>> sampleIconImages() {
    return {{16, bitmapImage(16, 0xFF2040C0)},
            {32, bitmapImage(32, 0xFF2040C0)},
            {48, bitmapImage(48, 0xFF2040C0)},
            {256, pngImage(256, 0xC04020FF)}};
}

}  // namespace qpktest
