// Java version strings as lists of numbers, and the comparisons built on them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qpk {

using VersionList = std::vector<int32_t>;

// Splits at ".", "_", "-" and "+" and converts each piece like strtol (leading digits
// only, 0 without any, saturating at the 32-bit limits). An empty text gives an empty list.
VersionList parseVersion(const std::string& text);

// One bound against one candidate, over the bound's positions only; an empty bound accepts.
bool checkBound(const VersionList& bound, const VersionList& candidate, bool isUpper, bool lenient);

// True when the text contains "beta", "ea" or "rc" anywhere.
bool looksLikePreRelease(const std::string& text);

// The strict check for a version a runtime reported itself: pre-release rule (unless
// allowed here or by configuration entry 130), then both bounds strictly.
bool matchesVersionRange(const std::string& text, const VersionList& min, const VersionList& max,
                         bool allowPreRelease);

// The lenient check for versions named by registry keys and values: no pre-release rule.
bool matchesVersionRangeLoosely(const std::string& text, const VersionList& min, const VersionList& max);

// Whether `a` is strictly newer than `b`.
bool isNewerVersion(const std::string& a, const std::string& b);

// Entries 126 and 127, parsed afresh.
VersionList configuredMinimum();
VersionList configuredMaximum();

}  // namespace qpk
