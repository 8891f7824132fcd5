#include "BuildPaths.h"

namespace qpktest {

std::string toWindowsPath(const std::string& path) {
  std::string out = path;
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  if (!path.empty() && path[0] == '/') out.insert(0, "Z:");
  return out;
}

std::string launcherPath() { return toWindowsPath(QPK_LAUNCHER_PATH); }

std::string helperPath(const std::string& name) {
  return toWindowsPath(std::string(QPK_HELPER_DIR) + "/" + name + ".exe");
}

}  // namespace qpktest
