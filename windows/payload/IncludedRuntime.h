// The Java runtime that an installer carries as "jre.tar.gz": unpacked into "jre" beside it
// (the current directory is the private temporary directory), packed jars restored, then
// taken into use, or else an installed runtime.
#pragma once
#include <windows.h>

namespace qpk {

// Untars "jre.tar.gz" into "jre" (the bar from 100 to 200 with a dialog), deletes the
// archive, restores packed jars when entry 153 says so (the bar from 200 to 300), then
// useIncludedRuntime. A corrupt archive ends the setup with exit code 1.
void extractIncludedRuntime(HWND dialog);

// Takes "jre" into use (unless its packed jars could not be restored), else the first
// runtime the search finds; ends the setup when neither loads.
void useIncludedRuntime(bool unpacked);

}  // namespace qpk
