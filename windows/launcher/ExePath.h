// The executable's own path in the forms the rest of the launcher needs. Computed once on
// the main thread, then only read.
#pragma once
#include <string>

namespace qpk {

const std::string& exePath();          // 8-bit path that the ANSI file APIs can open
const std::wstring& exePathLong();     // long wide path
const std::string& exeDirNarrow();     // directory with trailing backslash
const std::wstring& exeDirWide();
const std::wstring& exeDirWideFromNarrow();

// Short form of `longPath` obtained from the command interpreter; true on success.
bool shortPathViaShell(const std::wstring& longPath, std::string& out);

// True for a clean result of at least 5 characters ending in ".exe" (any case).
bool looksLikeExePath(const std::string& path);

}  // namespace qpk
