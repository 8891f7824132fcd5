// The one test every candidate java.exe goes through: normalised path, existence, version
// from the cache or from running it, range check, and the windowed executable's rule.
#pragma once
#include <windows.h>

#include <string>

#include "jre/Version.h"

namespace qpk {

// Runs "\"<short path>\" -version" with standard error in a temporary file and reads the
// version from its first line. At most 60 s; see the cache rules for non-zero exits.
bool getVersionByExecution(const std::string& javaExe, const FILETIME& lastWrite, std::string& versionOut);

// `javaExe` is rewritten in place to the normalised path (and, for entry 107 = 1, to the
// javaw.exe beside it). `versionOut` keeps the version examined, also on failure. With
// `useCache`, a version not in the cache is taken from the runtime's files where they
// state it for sure (RuntimeFiles.h) before the runtime is run; either is then cached.
bool checkJavaExe(std::string& javaExe, std::string& versionOut, const VersionList& min, const VersionList& max,
                  bool allowPreRelease, bool useCache);

}  // namespace qpk
