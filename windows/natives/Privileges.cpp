#include "natives/Privileges.h"

#include <windows.h>

#include "common/Owned.h"

namespace qpk {

bool setPrivilege(const wchar_t* name, bool on) {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = on ? SE_PRIVILEGE_ENABLED : 0;
    // An unknown name leaves the LUID zero; AdjustTokenPrivileges then reports the failure.
    LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid);
    SetLastError(0);
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    // Success alone is not enough: a privilege the account lacks gives ERROR_NOT_ALL_ASSIGNED.
    return GetLastError() == 0;
}

}  // namespace qpk
