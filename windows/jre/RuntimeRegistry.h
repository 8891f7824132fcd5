// The launcher's registry records of Java runtimes, shared by every launcher on the
// machine: the version cache (per java.exe and its last-write time) and the runtimes the
// user located by hand.
#pragma once
#include <windows.h>

#include <string>

#include "jre/Version.h"

namespace qpk {

// The key name of a normalised java.exe path: backslashes become slashes.
std::string runtimeKeyName(const std::string& javaExe);

void storeCachedVersion(const std::string& javaExe, const FILETIME& lastWrite, const std::string& version);
// `capacity` bounds the read like the caller's buffer (6000, or 2000 for the loader's).
bool lookupCachedVersion(const std::string& javaExe, const FILETIME& lastWrite, std::string& versionOut,
                         size_t capacity = 6000);

void recordLocatedJvm(const std::string& javaExe);
// The newest acceptable located runtime of the current user and of the machine;
// without `acceptAll` only those whose path contains "qpk_jres".
bool findLocatedJvm(std::string& javaExeOut, std::string& versionOut, const VersionList& min,
                    const VersionList& max, bool acceptAll);

}  // namespace qpk
