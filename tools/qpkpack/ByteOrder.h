// Little-endian integers in byte strings: appended, read and overwritten. Readers take
// offsets the caller has checked against the string's size.
#pragma once
#include <cstdint>
#include <string>

namespace qpkpack {

inline void putU16(std::string& b, uint32_t v) {
    b += char(v & 0xFF);
    b += char(v >> 8 & 0xFF);
}

inline void putU32(std::string& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b += char(v >> (8 * i) & 0xFF);
}

inline void putU64(std::string& b, uint64_t v) {
    for (int i = 0; i < 8; ++i) b += char(v >> (8 * i) & 0xFF);
}

inline uint16_t getU16(const std::string& b, size_t at) {
    return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

inline uint32_t getU32(const std::string& b, size_t at) {
    return uint32_t(getU16(b, at)) | uint32_t(getU16(b, at + 2)) << 16;
}

inline void setU16(std::string& b, size_t at, uint32_t v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8 & 0xFF);
}

inline void setU32(std::string& b, size_t at, uint32_t v) {
    setU16(b, at, v & 0xFFFF);
    setU16(b, at + 2, v >> 16);
}

// Whether `count` bytes from `at` lie inside `b`, without overflowing.
inline bool fits(const std::string& b, uint64_t at, uint64_t count) {
    return at <= b.size() && count <= b.size() - at;
}

}  // namespace qpkpack
