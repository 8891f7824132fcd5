// Where the payload starts: the first byte after the raw data of the last section of the
// PE image, found from the PE headers alone.
#pragma once
#include <cstdint>

#include "payload/ByteSource.h"
#include "payload/ConfigBlock.h"

namespace qpk {

struct PeLayout {
    int32_t peHeaderOffset = 0;       // e_lfanew
    uint16_t sectionCount = 0;
    uint16_t optionalHeaderSize = 0;
    uint32_t lastSectionHeader = 0;   // file offset of the last section header
    uint32_t rawDataSize = 0;
    uint32_t rawDataOffset = 0;
    uint64_t payloadStart = 0;        // rawDataOffset + rawDataSize
};

// Reads the header fields with the same primitives as the block; a short read fails with
// the primitive's error kind.
ReadStatus readPeLayout(ByteSource& source, PeLayout& out);

}  // namespace qpk
