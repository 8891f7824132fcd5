// The preparation sequence: from a started launcher to a running Java installer. Integrity
// check, private directory, extraction, runtime choice, packed files, then the JVM.
#pragma once
#include <windows.h>

namespace qpk {

// Where the watcher starts moving the progress bar (100, 200 or 300 units of 400).
extern int progressBase;

// Runs the sequence with or without the progress dialog; every failure ends the process.
// Returns 0 once the Java main method has returned.
int runPreparation(HWND dialog);

}  // namespace qpk
