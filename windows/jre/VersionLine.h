// The version line of a runtime's "-version" output. Pure, so that it can be fuzzed.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace qpk {

// Lines of the output looked at for the version line; notices printed before it (such as
// "Picked up JAVA_TOOL_OPTIONS: ...") or warnings of the runtime are skipped.
constexpr size_t kVersionOutputLines = 10;
// Characters of a line that are read, its line break included; the rest is dropped.
constexpr size_t kVersionLineCapacity = 99;

// The version behind "java version \"" or "openjdk version \"": the text up to the closing
// quote, or, without one on the line, the rest of the line less its last two characters.
bool versionFromLine(const std::string& line, std::string& version);

struct VersionLineSearch {
    bool found = false;                // a line with one of the prefixes and a version in it
    std::string version;
    std::vector<std::string> skipped;  // the lines before it
};

// Looks through the first kVersionOutputLines lines of `output` (as read in text mode)
// for the first line with one of the two prefixes. A line ends at its line break or NUL.
VersionLineSearch findVersionLine(const std::string& output);

}  // namespace qpk
