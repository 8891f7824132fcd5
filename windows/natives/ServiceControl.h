// Windows service control on the local machine. Every function opens the service control
// manager and the service, makes its call(s) and closes both. Results: 0 on success, the
// Windows error code of the failed call, or one of the codes below.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace qpk {

constexpr int kServiceManagerUnavailable = 5000;
constexpr int kServiceStopIncomplete = 5001;
constexpr int kServiceConfig2Missing = 1;  // setServiceRestart only

int installService(const wchar_t* name, const wchar_t* displayName, const wchar_t* binaryPath);
int uninstallService(const wchar_t* name);
// Returns once StartServiceW does; does not wait for the running state.
int startService(const wchar_t* name, const std::vector<const wchar_t*>* arguments);
// Waits while the service reports stop pending and keeps advancing its check point; gives up
// one wait hint after the check point stopped advancing (kServiceStopIncomplete).
int stopService(const wchar_t* name);
// Minus the current state on success.
int queryServiceState(const wchar_t* name);
// Minus the start type on success.
int queryServiceStartType(const wchar_t* name);
// The stored command line, or " %d" with the error code.
std::wstring queryServiceBinary(const wchar_t* name);

struct ServiceChange {
    const wchar_t* displayName;
    const wchar_t* binaryPath;
    DWORD serviceType;  // SERVICE_NO_CHANGE to keep
    DWORD startType;    // SERVICE_NO_CHANGE to keep
    const wchar_t* dependencies;  // comma-separated; null or empty removes all
    const wchar_t* account;
    const wchar_t* password;
    const wchar_t* description;  // null leaves it alone
};
int changeServiceConfig(const wchar_t* name, const ServiceChange& change);
int setServiceRestart(const wchar_t* name, bool restart, DWORD delayMs);
int setServiceDelayedAutoStart(const wchar_t* name, bool delayed);

}  // namespace qpk
