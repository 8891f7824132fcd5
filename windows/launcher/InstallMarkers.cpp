#include "launcher/InstallMarkers.h"

#include <mutex>

#include "common/Owned.h"
#include "launcher/LauncherState.h"

namespace qpk {

namespace {

const char kMarkerKey[] = "SOFTWARE\\larchmont-works\\corvo\\";
const char kGlobalName[] = "InstallStarted";

// Cancel (main thread) and the preparation worker meet here: once cancelled, the markers
// are never written again, however late the worker gets to them.
std::mutex markerLock;
bool cancelled = false;

void setOrDelete(HKEY key, const std::string& name, bool set) {
    if (set) {
        DWORD one = 1;
        RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    } else {
        RegDeleteValueA(key, name.c_str());
    }
}

void writeMarkers(bool set, bool perProcess, bool global) {
    if (gState.languageRestart) return;
    UniqueKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kMarkerKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return;
    if (perProcess) setOrDelete(key.get(), perProcessMarkerName(GetCurrentProcessId()), set);
    if (global) setOrDelete(key.get(), kGlobalName, set);
}

}  // namespace

std::string perProcessMarkerName(DWORD pid) { return std::string(kGlobalName) + "_" + std::to_string(pid); }

void setInstallStarted(bool set, bool perProcess, bool global) {
    std::lock_guard<std::mutex> hold(markerLock);
    if (!cancelled) writeMarkers(set, perProcess, global);
}

void cancelInstallMarkers() {
    std::lock_guard<std::mutex> hold(markerLock);
    cancelled = true;
    writeMarkers(false, true, true);
}

DWORD readInstallStarted(bool perProcess) {
    std::string name = perProcess ? perProcessMarkerName(GetCurrentProcessId()) : kGlobalName;
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kMarkerKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return 0;
    return value;
}

}  // namespace qpk
