#include "payload/PeLayout.h"

namespace qpk {
namespace {

// A seek that fails counts as a short read of the field that was to be read there.
bool seekOrFail(ByteSource& s, uint64_t to, ReadError kind, ReadStatus& st) {
    if (s.seek(to)) return true;
    st.error = kind;
    st.lastError = s.lastError();
    st.position = to;
    return false;
}

}  // namespace

ReadStatus readPeLayout(ByteSource& s, PeLayout& out) {
    ReadStatus st;
    int16_t sections = 0, optionalSize = 0;
    int32_t rawSize = 0, rawOffset = 0;
    if (!seekOrFail(s, 60, ReadError::ReadInt, st) || !(st = readInt(s, out.peHeaderOffset)).ok()) return st;
    uint64_t pe = uint32_t(out.peHeaderOffset);
    if (!seekOrFail(s, pe + 6, ReadError::ReadShort, st) || !(st = readShort(s, sections)).ok()) return st;
    out.sectionCount = uint16_t(sections);
    if (!seekOrFail(s, pe + 20, ReadError::ReadShort, st) || !(st = readShort(s, optionalSize)).ok()) return st;
    out.optionalHeaderSize = uint16_t(optionalSize);
    // The size field of the last section header; that header begins 16 bytes earlier.
    uint64_t sizeField = pe + out.optionalHeaderSize + 40ull * out.sectionCount;
    out.lastSectionHeader = uint32_t(sizeField - 16);
    if (!seekOrFail(s, sizeField, ReadError::ReadInt, st) || !(st = readInt(s, rawSize)).ok()) return st;
    if (!(st = readInt(s, rawOffset)).ok()) return st;
    out.rawDataSize = uint32_t(rawSize);
    out.rawDataOffset = uint32_t(rawOffset);
    out.payloadStart = uint64_t(out.rawDataSize) + out.rawDataOffset;
    return st;
}

}  // namespace qpk
