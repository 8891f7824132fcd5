// Registry value data to and from the texts the natives exchange with Java. Pure functions:
// registry data is untrusted, so every read is bounded by the data's own size and nothing
// assumes a terminating NUL.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qpk {

// A string list is written only up to this many bytes, its NULs included.
constexpr size_t kMultiStringBytes = 100000;

// REG_SZ / REG_EXPAND_SZ data: size/2 UTF-16 units (an odd last byte is ignored), less one
// trailing NUL if there is one.
std::u16string decodeRegistryString(const uint8_t* data, size_t size);

// REG_MULTI_SZ data: the NUL-separated strings before the final two bytes, in stored order.
// A last string without its NUL ends at the end of the data.
std::vector<std::u16string> decodeRegistryMultiString(const uint8_t* data, size_t size);

// The first 4 bytes, little-endian; nothing if the data is shorter.
std::optional<int32_t> decodeRegistryDword(const uint8_t* data, size_t size);

// A string with its NUL, whole.
std::vector<uint8_t> encodeRegistryString(const std::u16string& text);

// Each string and its NUL, then one more NUL. Nothing if an element is empty or the whole
// would exceed kMultiStringBytes.
std::optional<std::vector<uint8_t>> encodeRegistryMultiString(const std::vector<std::u16string>& texts);

}  // namespace qpk
