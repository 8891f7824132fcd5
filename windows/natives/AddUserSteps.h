// The steps of adding a local user (and its group) over a table of the netapi32 and account
// functions, so that each step's failure can be told apart and tested with stand-ins.
#pragma once
#include <windows.h>
#include <lm.h>

#include <string>

#include "natives/UserAccounts.h"

namespace qpk {

struct NetAccountFunctions {
    NET_API_STATUS(WINAPI* groupAdd)(const wchar_t*, DWORD, BYTE*, DWORD*) = nullptr;
    NET_API_STATUS(WINAPI* groupGetInfo)(const wchar_t*, const wchar_t*, DWORD, BYTE**) = nullptr;
    NET_API_STATUS(WINAPI* bufferFree)(void*) = nullptr;
    NET_API_STATUS(WINAPI* userAdd)(const wchar_t*, DWORD, BYTE*, DWORD*) = nullptr;
    NET_API_STATUS(WINAPI* userGetInfo)(const wchar_t*, const wchar_t*, DWORD, BYTE**) = nullptr;
    NET_API_STATUS(WINAPI* addMembers)(const wchar_t*, const wchar_t*, DWORD, BYTE*, DWORD) = nullptr;
    BOOL(WINAPI* convertSid)(PSID, wchar_t**) = nullptr;  // text freed with LocalFree
    BOOL(WINAPI* lookupAccountName)(const wchar_t*, const wchar_t*, PSID, DWORD*, wchar_t*, DWORD*,
                                    SID_NAME_USE*) = nullptr;
};

// The answer of addUser0: the user's SID string, with " <group SID> true|false" when a group
// was named and could be looked up; or the failing step and its status ("1 1379",
// "2 2224 3", "3 2221", "4 5", "5", "6 2220"). Steps: 1 group creation, 6 group lookup,
// 2 user creation, 3 reading the user back, 4 adding it to the group, 5 its SID string.
std::wstring addUserSteps(const NetAccountFunctions& f, const NewUser& user);

}  // namespace qpk
