// Constants of the configuration block and payload records that the packer writes
// behind the launcher's PE image and the launcher reads back.
#pragma once
#include <cstdint>

namespace qpk {

constexpr uint32_t kBlockMagic = 0xE8E413D5u;  // bytes D5 13 E4 E8
constexpr uint8_t kPayloadMask = 0x5A;          // every payload byte is XORed with it

// Offsets within the 20-byte header in front of the configuration tables.
constexpr uint64_t kHeaderSize = 20;            // magic, flag, CRC, checked length
constexpr uint64_t kCheckedRangeOffset = 20;    // the CRC covers from here on

// Ids whose values the packer fills from the list of payload files.
constexpr int kIdFileCount = 2002;
constexpr int kIdFileNames = 2003;

}  // namespace qpk
