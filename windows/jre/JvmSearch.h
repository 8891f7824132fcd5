// The search of the machine for an installed Java runtime: runtime-location files, the
// configured search sequence, previous installations, the vendor registry keys, located
// runtimes and two environment variables, in a fixed order. The first candidate whose
// library loads ends it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "jre/DistributionNames.h"
#include "jre/Version.h"

namespace qpk {

// One entry of the search sequence: its type letter and its argument.
struct SearchEntry {
    char type;
    std::string argument;
};
// Entries separated by ";"; empty ones skipped.
std::vector<SearchEntry> parseSearchSequence(const std::string& sequence);

// Whether the relaxed pass skips an A or R entry: its second character is ":" or it
// begins with two backslashes.
bool isAbsoluteLocation(const std::string& argument);

// The names in descending byte-wise order, the order in which version subkeys are tried.
std::vector<std::string> descendingOrder(std::vector<std::string> names);

// The first line of a runtime-location file: at most 5999 characters, trailing CR and LF
// removed. False when it cannot be read.
bool readLocationFile(const std::wstring& path, std::string& line);

// Fills the caller's java.exe path, version, source kind and text; returns the loaded
// library or nullptr.
HMODULE searchJvm(std::string& javaExe, std::string& version, int& sourceKind, std::string& sourceText);

// Restores the packed jars of the home at `location`, then checks its java.exe; `relaxed`
// accepts any home whose jars could be restored.
bool checkJreLocation(std::string& javaExe, std::string& version, const std::string& location,
                      const VersionList& min, const VersionList& max, bool relaxed);
bool javaExeForHome(std::string& javaExe, const std::string& home);
bool checkEnvironmentHome(std::string& javaExe, std::string& version, const char* name, const VersionList& min,
                          const VersionList& max);
bool checkPathJava(std::string& javaExe, std::string& version, const VersionList& min, const VersionList& max);
bool checkAppIdInstallations(HKEY hive, std::string& javaExe, std::string& version, const VersionList& min,
                             const VersionList& max);
// A distribution's runtime through checkJavaExe like a vendor-registry one; with entry 131
// only a home with bin\javac.exe or lib\tools.jar that came from no JRE key or folder.
bool checkDistributionRuntime(const DistributionRuntime& candidate, std::string& javaExe, std::string& version,
                              const VersionList& min, const VersionList& max);
bool findRegistryJre(std::string& javaExe, std::string& version, const VersionList& min, const VersionList& max);
bool checkVendorRegistry(std::string& javaExe, std::string& version, const VersionList& min, const VersionList& max);

}  // namespace qpk
