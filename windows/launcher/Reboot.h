// Restarting the machine, and remembering that a restart is still due.
#pragma once

namespace qpk {

// The reboot role: waits 5 seconds, then asks for the restart; what that gives is ignored.
void rebootMode();

// Enables the shutdown privilege and asks Windows to restart; true when it was initiated.
bool rebootNow();

// Creates an empty file in the temporary directory that is deleted at the next boot and
// stores its path as "RebootCheckFile" under the product key of HKLM and HKCU, so that a
// later run can tell whether the machine has restarted since.
void recordRebootCheckFile();

}  // namespace qpk
