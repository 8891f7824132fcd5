// Early pre-processing of the argument vector: forced log, manual temporary root,
// configuration, product kind, working directory and the log-file question.
#pragma once
#include <windows.h>

#include "launcher/LauncherState.h"

namespace qpk {

void preprocessArguments(HINSTANCE instance, ArgumentVector& vector, bool allowManualTemp);

// The product word for a product kind character: "corvo" for 'c', else "quillpack".
const char* productWordFor(char kind);

}  // namespace qpk
