#pragma once
// A fresh directory for one test, removed with everything in it when the object goes,
// unless the environment variable QPK_KEEP_TEST_FILES is set (its path is then printed).
// Relative names may use '/' or '\'; all texts are UTF-8.
#include <optional>
#include <string>
#include <vector>

namespace qpktest {

class ScratchDir {
 public:
  // Created as "<base>\<namePrefix>-<pid>-<n>"; base empty means the TEMP directory;
  // a Unix absolute base is converted as toWindowsPath does.
  // The prefix may hold spaces and characters outside the ANSI code page, to run
  // programs from such paths.
  explicit ScratchDir(const std::string& namePrefix = "qpk-test", const std::string& base = "");
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  bool valid() const { return !path_.empty(); }
  const std::string& path() const { return path_; }    // long Windows path
  std::string path(const std::string& relative) const;  // path() + "\" + relative

  // Creates the missing parent directories first.
  bool writeFile(const std::string& relative, const std::string& bytes) const;
  bool makeDirs(const std::string& relative) const;
  std::optional<std::string> readFile(const std::string& relative) const;
  bool exists(const std::string& relative) const;
  // Every file and directory below relative (all of it by default), as paths relative to
  // it, sorted; directories end in '\'.
  std::vector<std::string> listFiles(const std::string& relative = "") const;

 private:
  std::string path_;
};

// Deletes a directory tree, read-only files included. True when nothing is left.
bool removeTree(const std::string& path);

}  // namespace qpktest
