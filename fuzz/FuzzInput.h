// Helpers shared by the fuzz targets: the input as the text forms the parsers take.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace qpkfuzz {

inline std::string bytes(const uint8_t* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

// UTF-16LE code units, as the Windows build's wide strings hold them; an odd last byte is dropped.
inline std::wstring utf16(const uint8_t* data, size_t size) {
    std::wstring out;
    for (size_t i = 0; i + 1 < size; i += 2) out += wchar_t(data[i] | data[i + 1] << 8);
    return out;
}

}  // namespace qpkfuzz
