#include "payload/ConfigBlock.h"

#include "payload/BlockFormat.h"

namespace qpk {
namespace {

ReadStatus failure(ReadError kind, const ByteSource& s, uint64_t at, size_t got) {
    ReadStatus st;
    st.error = kind;
    st.lastError = s.lastError();
    st.bytesRead = static_cast<uint32_t>(got);
    st.position = at;
    return st;
}

// Reads exactly `count` bytes; anything less is a failure of `kind`.
ReadStatus readExact(ByteSource& s, void* out, size_t count, ReadError kind) {
    uint64_t at = s.position();
    size_t got = 0;
    if (!s.read(out, count, got) || got != count) return failure(kind, s, at, got);
    return {};
}

uint32_t le32(const unsigned char* b) {
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// The length prefix of a string field, checked against what the source still holds so
// that a corrupt length can never drive an allocation.
ReadStatus readLength(ByteSource& s, ReadError kind, size_t& length) {
    uint64_t at = s.position();
    int32_t n = 0;
    if (!readInt(s, n).ok()) return failure(kind, s, at, 0);
    uint64_t left = s.size() > s.position() ? s.size() - s.position() : 0;
    if (n < 0 || uint64_t(n) > left) return failure(kind, s, at, 0);
    length = size_t(n);
    return {};
}

ReadStatus readWideEntries(ByteSource& s, int32_t count,
                           std::vector<std::pair<int32_t, std::u16string>>& out) {
    for (int32_t i = 0; i < count; ++i) {
        int32_t id = 0;
        std::u16string value;
        ReadStatus st = readInt(s, id);
        if (st.ok()) st = readWString(s, value);
        if (!st.ok()) return st;
        out.emplace_back(id, std::move(value));
    }
    return {};
}

}  // namespace

ReadStatus readInt(ByteSource& s, int32_t& out) {
    unsigned char b[4];
    ReadStatus st = readExact(s, b, 4, ReadError::ReadInt);
    if (st.ok()) out = int32_t(le32(b));
    return st;
}

ReadStatus readShort(ByteSource& s, int16_t& out) {
    unsigned char b[2];
    ReadStatus st = readExact(s, b, 2, ReadError::ReadShort);
    if (st.ok()) out = int16_t(uint16_t(b[0] | b[1] << 8));
    return st;
}

ReadStatus readLong(ByteSource& s, int64_t& out) {
    unsigned char b[8];
    ReadStatus st = readExact(s, b, 8, ReadError::ReadLong);
    if (st.ok()) out = int64_t(uint64_t(le32(b)) | uint64_t(le32(b + 4)) << 32);
    return st;
}

ReadStatus readString(ByteSource& s, std::string& out) {
    size_t n = 0;
    ReadStatus st = readLength(s, ReadError::ReadString, n);
    if (!st.ok()) return st;
    out.assign(n, '\0');
    return n ? readExact(s, &out[0], n, ReadError::ReadString) : st;
}

ReadStatus readWString(ByteSource& s, std::u16string& out) {
    size_t n = 0;
    ReadStatus st = readLength(s, ReadError::ReadWString, n);
    if (!st.ok()) return st;
    std::string raw(n, '\0');
    if (n) st = readExact(s, &raw[0], n, ReadError::ReadWString);
    if (!st.ok()) return st;
    // An odd byte length leaves its last byte unused, as L / 2 units are taken.
    out.resize(n / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = char16_t(uint8_t(raw[2 * i]) | uint8_t(raw[2 * i + 1]) << 8);
    return st;
}

ReadStatus parseConfigBlock(ByteSource& s, ConfigBlock& out) {
    int32_t magic = 0, crc = 0, count = 0;
    ReadStatus st = readInt(s, magic);
    if (!st.ok()) return st;
    if (uint32_t(magic) != kBlockMagic) {
        st.error = ReadError::Magic;
        st.position = s.position() - 4;
        return st;
    }
    if (!(st = readInt(s, out.integrityFlag)).ok()) return st;
    if (!(st = readInt(s, crc)).ok()) return st;
    out.crc = uint32_t(crc);
    if (!(st = readLong(s, out.checkedLength)).ok()) return st;

    if (!(st = readInt(s, count)).ok()) return st;
    for (int32_t i = 0; i < count; ++i) {
        int32_t id = 0;
        std::string value;
        if (!(st = readInt(s, id)).ok() || !(st = readString(s, value)).ok()) return st;
        out.narrow.emplace_back(id, std::move(value));
    }
    if (!(st = readInt(s, count)).ok()) return st;
    if (!(st = readWideEntries(s, count, out.wide)).ok()) return st;

    if (!(st = readInt(s, count)).ok()) return st;
    for (int32_t i = 0; i < count; ++i) {
        LanguageSection section;
        int32_t entries = 0;
        if (!(st = readString(s, section.code)).ok()) return st;
        if (!(st = readInt(s, entries)).ok()) return st;
        if (!(st = readWideEntries(s, entries, section.entries)).ok()) return st;
        out.sections.push_back(std::move(section));
    }
    out.fileAreaStart = s.position();
    return st;
}

bool sectionApplies(const std::string& sectionCode, const std::string& localeText) {
    return localeText.compare(0, sectionCode.size(), sectionCode) == 0;
}

std::map<int32_t, std::string> narrowMap(const ConfigBlock& block) {
    std::map<int32_t, std::string> m;
    for (const auto& [id, value] : block.narrow) m[id] = value;
    return m;
}

std::map<int32_t, std::u16string> wideMap(const ConfigBlock& block, const std::string& localeText) {
    std::map<int32_t, std::u16string> m;
    for (const auto& [id, value] : block.wide) m[id] = value;
    for (const auto& section : block.sections)
        if (sectionApplies(section.code, localeText))
            for (const auto& [id, value] : section.entries) m[id] = value;
    return m;
}

}  // namespace qpk
