// The data block of the pipe conversation: a 4-byte signed little-endian length, then that
// many payload bytes. The length comes from another process and is not trusted.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qpk {

constexpr std::size_t kBlockPrefixSize = 4;

void encodeBlockLength(std::int32_t length, unsigned char out[kBlockPrefixSize]);
std::int32_t decodeBlockLength(const unsigned char in[kBlockPrefixSize]);

// Moves `total` bytes by repeated steps; step(offset, wanted) returns how many it moved.
// A step that moves nothing (a failed call, or one that returned no data) ends the transfer
// as failed, so a vanished peer can never make this loop for ever.
template <class Step>
bool transferExactly(std::size_t total, Step step) {
    std::size_t done = 0;
    while (done < total) {
        std::size_t moved = step(done, total - done);
        if (moved == 0 || moved > total - done) return false;
        done += moved;
    }
    return true;
}

}  // namespace qpk
