#include "natives/BlockFraming.h"

namespace qpk {

void encodeBlockLength(std::int32_t length, unsigned char out[kBlockPrefixSize]) {
    auto bits = static_cast<std::uint32_t>(length);
    for (std::size_t i = 0; i < kBlockPrefixSize; ++i) out[i] = static_cast<unsigned char>(bits >> (8 * i));
}

std::int32_t decodeBlockLength(const unsigned char in[kBlockPrefixSize]) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < kBlockPrefixSize; ++i) bits |= std::uint32_t{in[i]} << (8 * i);
    return static_cast<std::int32_t>(bits);
}

}  // namespace qpk
