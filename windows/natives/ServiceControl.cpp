#include "natives/ServiceControl.h"

#include "common/Format.h"
#include "common/Owned.h"
#include "common/ProcLookup.h"
#include "natives/ServiceConfigText.h"

namespace qpk {

namespace {

constexpr DWORD kConfigBufferBytes = 8192;
// The configuration can change between two queries; this many are tried.
constexpr int kConfigQueries = 4;
constexpr std::size_t kDependencyListChars = 8192;
constexpr DWORD kStopPollMs = 500;

int lastError() { return static_cast<int>(GetLastError()); }

struct OpenedService {
    UniqueService manager;
    UniqueService service;
};

// 0 with both handles open, else the method's result.
int openService(const wchar_t* name, DWORD managerAccess, DWORD serviceAccess, OpenedService& opened) {
    opened.manager.reset(OpenSCManagerW(nullptr, nullptr, managerAccess));
    if (!opened.manager) return kServiceManagerUnavailable;
    opened.service.reset(OpenServiceW(opened.manager.get(), name, serviceAccess));
    return opened.service ? 0 : lastError();
}

bool waitForStopped(SC_HANDLE service) {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service, &status)) return false;
    DWORD since = GetTickCount();
    DWORD checkPoint = status.dwCheckPoint;
    while (status.dwCurrentState == SERVICE_STOP_PENDING) {
        Sleep(kStopPollMs);
        if (!QueryServiceStatus(service, &status)) return false;
        if (status.dwCheckPoint > checkPoint) {
            since = GetTickCount();
            checkPoint = status.dwCheckPoint;
        } else if (GetTickCount() - since > status.dwWaitHint) {
            break;
        }
    }
    return status.dwCurrentState == SERVICE_STOPPED;
}

// The configuration as QueryServiceConfigW writes it: the record, then its strings.
using ConfigBuffer = std::vector<unsigned char>;
const QUERY_SERVICE_CONFIGW* config(const ConfigBuffer& buffer) {
    return reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(buffer.data());
}

// 0 with the configuration in `buffer`, else the method's result. A long binary path or
// dependency list does not fit the first buffer: it is queried again with the size asked for.
int queryConfig(const wchar_t* name, ConfigBuffer& buffer) {
    OpenedService opened;
    if (int result = openService(name, SC_MANAGER_CONNECT, SERVICE_QUERY_CONFIG, opened)) return result;
    buffer.assign(kConfigBufferBytes, 0);
    for (int attempt = 0; attempt < kConfigQueries; ++attempt) {
        DWORD needed = 0;
        auto* record = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
        if (QueryServiceConfigW(opened.service.get(), record, static_cast<DWORD>(buffer.size()), &needed)) return 0;
        int error = lastError();
        if (error != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) return error;
        buffer.assign(needed, 0);
    }
    return ERROR_INSUFFICIENT_BUFFER;
}

}  // namespace

int installService(const wchar_t* name, const wchar_t* displayName, const wchar_t* binaryPath) {
    UniqueService manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return kServiceManagerUnavailable;
    UniqueService created(CreateServiceW(manager.get(), name, displayName, SERVICE_ALL_ACCESS,
                                         SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                         binaryPath, nullptr, nullptr, nullptr, nullptr, nullptr));
    return created ? 0 : lastError();
}

int uninstallService(const wchar_t* name) {
    OpenedService opened;
    if (int result = openService(name, SC_MANAGER_ALL_ACCESS, DELETE, opened)) return result;
    return DeleteService(opened.service.get()) ? 0 : lastError();
}

int startService(const wchar_t* name, const std::vector<const wchar_t*>* arguments) {
    OpenedService opened;
    if (int result = openService(name, SC_MANAGER_CONNECT, SERVICE_START, opened)) return result;
    DWORD count = arguments != nullptr ? static_cast<DWORD>(arguments->size()) : 0;
    const wchar_t** vector = arguments != nullptr && count != 0 ? const_cast<const wchar_t**>(arguments->data()) : nullptr;
    return StartServiceW(opened.service.get(), count, vector) ? 0 : lastError();
}

int stopService(const wchar_t* name) {
    OpenedService opened;
    if (int result = openService(name, SC_MANAGER_CONNECT, SERVICE_STOP | SERVICE_QUERY_STATUS, opened)) return result;
    SERVICE_STATUS status{};
    if (!ControlService(opened.service.get(), SERVICE_CONTROL_STOP, &status)) return lastError();
    return waitForStopped(opened.service.get()) ? 0 : kServiceStopIncomplete;
}

int queryServiceState(const wchar_t* name) {
    OpenedService opened;
    if (int result = openService(name, SC_MANAGER_CONNECT, SERVICE_QUERY_STATUS, opened)) return result;
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(opened.service.get(), &status)) return lastError();
    return -static_cast<int>(status.dwCurrentState);
}

int queryServiceStartType(const wchar_t* name) {
    ConfigBuffer buffer;
    if (int result = queryConfig(name, buffer)) return result;
    return -static_cast<int>(config(buffer)->dwStartType);
}

std::wstring queryServiceBinary(const wchar_t* name) {
    ConfigBuffer buffer;
    if (int result = queryConfig(name, buffer)) return formatWide(L" %d", result);
    const wchar_t* path = config(buffer)->lpBinaryPathName;
    return path != nullptr ? path : L"";
}

int changeServiceConfig(const wchar_t* name, const ServiceChange& change) {
    std::wstring dependencies;
    // Longer lists than the fixed buffer are refused before anything is changed.
    if (!buildDependencyList(change.dependencies, kDependencyListChars, dependencies)) return ERROR_INVALID_PARAMETER;
    OpenedService opened;
    if (int result = openService(name, SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS, opened)) return result;
    if (!ChangeServiceConfigW(opened.service.get(), change.serviceType, change.startType, SERVICE_NO_CHANGE,
                              change.binaryPath, nullptr, nullptr, dependencies.c_str(),
                              serviceAccountName(change.account), change.password, change.displayName)) {
        return lastError();
    }
    if (change.description != nullptr) {
        SERVICE_DESCRIPTIONW description{const_cast<wchar_t*>(change.description)};
        ChangeServiceConfig2W(opened.service.get(), SERVICE_CONFIG_DESCRIPTION, &description);
    }
    return 0;
}

int setServiceRestart(const wchar_t* name, bool restart, DWORD delayMs) {
    using Config2 = BOOL(WINAPI*)(SC_HANDLE, DWORD, void*);
    auto config2 = lookupFunction<Config2>(GetModuleHandleW(L"advapi32.dll"), "ChangeServiceConfig2W");
    if (config2 == nullptr) return kServiceConfig2Missing;
    OpenedService opened;
    if (int result = openService(name, SC_MANAGER_ALL_ACCESS, SERVICE_CHANGE_CONFIG | SERVICE_START, opened)) return result;
    SC_ACTION action{SC_ACTION_RESTART, delayMs};
    // No actions at all when restart is off: that clears the service's failure actions.
    SERVICE_FAILURE_ACTIONSW actions{0, nullptr, nullptr, restart ? 1u : 0u, &action};
    return config2(opened.service.get(), SERVICE_CONFIG_FAILURE_ACTIONS, &actions) ? 0 : lastError();
}

int setServiceDelayedAutoStart(const wchar_t* name, bool delayed) {
    OpenedService opened;
    if (int result = openService(name, SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS, opened)) return result;
    SERVICE_DELAYED_AUTO_START_INFO info{delayed ? TRUE : FALSE};
    return ChangeServiceConfig2W(opened.service.get(), SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &info) ? 0 : lastError();
}

}  // namespace qpk
