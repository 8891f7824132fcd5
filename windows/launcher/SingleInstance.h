// The instance semaphore every launcher process holds for its lifetime, named after its
// executable's path: in single-instance mode a second start ends, otherwise each process
// takes the first free numbered name.
#pragma once
#include <windows.h>

#include <string>

namespace qpk {

// Runs the check of the configured mode; a second instance in single-instance mode ends
// the process with exit code 0.
void checkSingleInstance();

// The semaphore name this process holds (empty before the check).
const std::string& semaphoreName();

// The executable's path made absolute and lower-cased, and its form usable in an object
// name: backslashes and spaces become underscores.
std::string instancePathKey();
std::string sanitisedKey(const std::string& pathKey);

void registerPid();
DWORD readOtherPid();
void activateWindows(DWORD pid, bool restore);

}  // namespace qpk
