#pragma once
// Where the programs under test are, as Windows paths (UTF-8).
#include <string>

namespace qpktest {

// "/a/b" becomes "Z:\a\b" (Wine maps the Unix root to drive Z:); any other path only has
// its forward slashes turned into backslashes.
std::string toWindowsPath(const std::string& path);

// The built launcher.exe.
std::string launcherPath();

// A helper program of tests/helpers by target name, e.g. helperPath("boxshow").
std::string helperPath(const std::string& name);

}  // namespace qpktest
