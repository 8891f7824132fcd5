// Comparing the version resources of two files (also used to choose the shell folder library).
#pragma once
#include <cstdint>
#include <optional>

namespace qpk {

enum VersionComparison { kVersionsEqual = 0, kFirstNewer = 1, kFirstOlder = 2, kVersionUnreadable = 3 };

// Pure: file versions as (dwFileVersionMS << 32 | dwFileVersionLS), none when unreadable.
inline int compareVersions(std::optional<uint64_t> first, std::optional<uint64_t> second) {
    if (!first || !second) return kVersionUnreadable;
    if (*first == *second) return kVersionsEqual;
    return *first > *second ? kFirstNewer : kFirstOlder;
}

// The fixed file version of a file's version resource, none if it has none.
std::optional<uint64_t> readFileVersion(const wchar_t* path);

int compareFileVersions(const wchar_t* first, const wchar_t* second);

}  // namespace qpk
