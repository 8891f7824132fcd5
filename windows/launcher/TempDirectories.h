// The temporary root, unique temporary names, the private temporary directory and its
// removal.
#pragma once
#include <string>

namespace qpk {

// The chain had to relax its checks to find a temporary root.
extern bool insufficientRights;

// False for an empty path. Creates the directory first when asked; rejects a long path
// name containing '?' when asked; then a test subdirectory must be creatable and findable.
bool isUsableDirectory(const std::string& dir, bool createFirst, bool rejectUnrepresentable);
bool isUsableDirectory(const std::wstring& dir, bool createFirst, bool rejectUnrepresentable);

// The "-temp" root; takes precedence over the chain.
void setManualTempRoot(const std::string& narrow, const std::wstring& wide);

// Narrow root: fatal (message 1015) when no candidate is usable.
void tempRoot(std::string& out);
// Wide root: empty when none is usable; fatal only when asked.
void tempRootWide(std::wstring& out, bool failIsFatal);

// A unique name in the temporary root; normally an empty placeholder file now exists.
std::string tempFileName();

// Creates the private temporary directory and stores it in the launcher state.
void createPrivateTempDir();

// Deletes the files of `path` and removes its subdirectories: with `descend` everything
// below them first (junctions and links are removed, never followed), without it only the
// subdirectories that are empty. Paths starting with "." are ignored.
void emptyDirectory(const std::string& path, bool descend);

// Removes the private temporary directory with everything in it, and the placeholder file
// that reserved its name; leaves it first when it is the current directory. Not in a
// language restart, whose directory belongs to the first start.
void removePrivateTempDir();

}  // namespace qpk
