// The version information resource (VS_VERSIONINFO): built from the manifest's values and
// read back for inspect.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qpkpack {

struct VersionInfo {
    uint16_t fileVersion[4] = {};
    uint16_t productVersion[4] = {};
    std::u16string table;  // read back: the string table's key, such as "000004b0"
    std::vector<std::pair<std::u16string, std::u16string>> strings;  // name, value
};

// Parses one to four dot-separated numbers of at most 65535 (exactly four when `four`);
// missing parts are 0.
bool parseVersionNumbers(const std::string& text, bool four, uint16_t out[4], std::string& why);

// The resource for an application: fixed part, and the strings in a language-neutral
// Unicode table ("000004b0") with the matching translation. False when it would exceed the format's 65535 bytes.
bool buildVersionResource(const VersionInfo& info, std::string& out);

// Reads the fixed versions and the first string table; false when `data` is no version
// resource.
bool parseVersionResource(const std::string& data, VersionInfo& out);

// "2.4.1.0"
std::string versionText(const uint16_t parts[4]);

}  // namespace qpkpack
