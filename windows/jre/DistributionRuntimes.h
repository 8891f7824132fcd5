// The runtimes Java distributions record on the machine: their keys under HKEY_LOCAL_MACHINE
// (64-bit view) and their default folders below Program Files. Every key, value and folder
// met is logged, and the skipped ones with the reason.
#pragma once
#include <vector>

#include "jre/DistributionNames.h"

namespace qpk {

// Candidates whose home holds bin\java.exe, newest first.
std::vector<DistributionRuntime> collectDistributionRuntimes();

}  // namespace qpk
