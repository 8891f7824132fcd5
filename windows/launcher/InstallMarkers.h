// The installation-started markers: REG_DWORD values under HKCU that tell the installer
// runtime (and a later start) how far this launch got. 1 means the JVM is about to start;
// the installer runtime writes 2 once it runs. The launcher never writes 2.
#pragma once
#include <windows.h>

#include <string>

namespace qpk {

// "InstallStarted_<pid>".
std::string perProcessMarkerName(DWORD pid);

// Sets the chosen values to 1, or deletes them. Does nothing in a language restart.
void setInstallStarted(bool set, bool perProcess, bool global);

// Cancel: deletes both values; from then on setInstallStarted does nothing.
void cancelInstallMarkers();

// The per-process (or global) value, 0 when absent.
DWORD readInstallStarted(bool perProcess);

}  // namespace qpk
