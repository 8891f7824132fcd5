// The process's library search: hardening at start-up, the once-only preloads, common
// controls, and the DLL directories that the runtime loading adds and removes.
#pragma once
#include <string>

namespace qpk {

// Restricts the DLL search to System32 and added directories where the OS supports it.
void hardenDllSearch();

// Loads the system libraries that must be in place before any shell call; once per process.
void preloadSystemLibraries();

// Calls InitCommonControls from comctl32 when it is there.
void initCommonControls();

// Adds an 8-bit directory to the DLL search path; returns the cookie, or nullptr.
void* addDllDirectory(const std::string& path8);
void removeDllDirectory(void* cookie);

}  // namespace qpk
