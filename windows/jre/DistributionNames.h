// The pure rules for runtimes that Java distributions record in their own registry keys and
// install folders: the version a key or folder name carries, which names and home values
// are trusted, and the order in which the candidates are tried.
#pragma once
#include <string>
#include <vector>

namespace qpk {

struct DistributionRuntime {
    std::string home;     // as found, without a trailing backslash
    std::string version;  // from the key or folder name
    std::string origin;   // the key or folder it came from, for the log
    bool runtimeOnly;     // a JRE key or folder
};

// A key or folder name worth opening: 1 to 255 printable ASCII characters, no path
// separators, wildcards or ":", and not "." or "..".
bool isSafeName(const std::string& name);

// The version in a name such as "21.0.8.9", "jdk-21.0.8.9-hotspot", "zulu-17" or
// "jre1.8.0_291": after a leading run of letters and an optional "-", digits and the
// separators ".", "_", "+" and "-" up to the first other character. False (and `version`
// untouched) when the name is unsafe or no digit follows the prefix.
bool versionFromName(const std::string& name, std::string& version);

// A home taken from a registry value: an absolute path (drive or UNC) of printable
// characters whose "\bin\java.exe" still fits MAX_PATH. A trailing backslash is removed.
bool usableHome(const std::string& value, std::string& home);

// Newest first by `isNewerVersion`, equal versions in their found order; a home found
// again (compared without regard to ASCII case) is dropped.
std::vector<DistributionRuntime> newestFirst(std::vector<DistributionRuntime> candidates);

}  // namespace qpk
