// The configuration block behind the PE image: parsing from a byte source into plain
// values. No Windows calls, no logging: the launcher maps a failure to its fatal message,
// the packer's inspect command to its report.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "payload/ByteSource.h"

namespace qpk {

// Which reading primitive failed. Each has its own fatal message in the launcher.
enum class ReadError { None, ReadInt, ReadShort, ReadLong, ReadString, ReadWString, Magic };

struct ReadStatus {
    ReadError error = ReadError::None;
    uint32_t lastError = 0;   // the source's error code at the failure
    uint32_t bytesRead = 0;   // bytes the failing read delivered
    uint64_t position = 0;    // where the failing field starts
    bool ok() const { return error == ReadError::None; }
};

// The reading primitives. A length prefix larger than what remains in the source, or
// negative, is a short read of the primitive: nothing is allocated for it.
ReadStatus readInt(ByteSource& s, int32_t& out);
ReadStatus readShort(ByteSource& s, int16_t& out);
ReadStatus readLong(ByteSource& s, int64_t& out);
ReadStatus readString(ByteSource& s, std::string& out);        // int32 L, L bytes
ReadStatus readWString(ByteSource& s, std::u16string& out);    // int32 L, L bytes of UTF-16LE

struct LanguageSection {
    std::string code;
    std::vector<std::pair<int32_t, std::u16string>> entries;  // file order
};

struct ConfigBlock {
    int32_t integrityFlag = 0;
    uint32_t crc = 0;
    int64_t checkedLength = 0;
    std::vector<std::pair<int32_t, std::string>> narrow;      // file order, duplicates kept
    std::vector<std::pair<int32_t, std::u16string>> wide;     // file order, duplicates kept
    std::vector<LanguageSection> sections;                    // file order
    uint64_t fileAreaStart = 0;                               // position after the last section
};

// Parses the block starting at the source's current position (the payload start).
// On failure `out` holds what was read so far and must not be used as configuration.
ReadStatus parseConfigBlock(ByteSource& source, ConfigBlock& out);

// The maps the launcher works with: later ids replace earlier ones; language sections
// whose code is a prefix of `localeText` override wide entries, in file order.
std::map<int32_t, std::string> narrowMap(const ConfigBlock& block);
std::map<int32_t, std::u16string> wideMap(const ConfigBlock& block, const std::string& localeText);

// True when the section code is a prefix of the locale text (an empty code always applies).
bool sectionApplies(const std::string& sectionCode, const std::string& localeText);

}  // namespace qpk
