// The preparation sequence: from a started launcher to a running Java installer. Integrity
// check, private directory, extraction, runtime choice, packed files, then the JVM.
#pragma once
#include <windows.h>

namespace qpk {

// Where the watcher starts moving the progress bar (100, 200 or 300 units of 400).
extern int progressBase;

// A runtime archive (or, on a language restart, an unpacked "jre") is at hand in the
// temporary directory: shipped with the installer, or downloaded by offerRuntime.
extern bool jreIncluded;

// Runs the sequence with or without the progress dialog; every failure ends the process.
// Returns 0 once the Java main method has returned.
int runPreparation(HWND dialog);

}  // namespace qpk
