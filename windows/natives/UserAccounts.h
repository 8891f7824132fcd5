// Questions about the current user, account lookups, local users and groups, account rights
// and elevated starts. The advapi32, netapi32 and Userenv functions beyond the account
// lookups are found at run time; a missing one is a reported failure.
#pragma once
#include <windows.h>

#include <string>

namespace qpk {

// Whether the token holds the built-in group (domain 32) `rid`, enabled and not deny-only.
// True whenever the group list cannot be read.
bool isMemberOfBuiltinGroup(DWORD rid);
// 1 default, 2 full, 3 limited; 0 when it cannot be read.
int processElevationType();
bool currentUserSid(std::wstring& out);  // out unchanged on failure

// Starts the program through the shell's "runas" verb; true when the shell accepted it.
bool executeElevated(const wchar_t* file, const wchar_t* parameters, const wchar_t* directory, int show);

// The account's name, or a text beginning with a space (" %d"); empty when the SID
// conversion function is missing.
std::wstring accountNameForSid(const wchar_t* sid, bool nameOnly);
// The profile directory, or one of the failure texts, each beginning with a space.
std::wstring userProfileDirectory(const wchar_t* sid, const wchar_t* password);

struct NewUser {
    const wchar_t* name;
    const wchar_t* password;
    const wchar_t* comment;
    const wchar_t* group;  // null: no group step
    const wchar_t* groupComment;
    bool createGroup;
    bool failIfGroupExists;
};
// The user's SID string (with the group's SID and whether it was created), or the failing
// step and its status as digits; false (out unchanged) when a needed function is missing.
bool addUser(const NewUser& user, std::wstring& out);
// The NetUserDel / NetLocalGroupDel status; -1 when it is not available.
int deleteUser(const wchar_t* server, const wchar_t* user);
int deleteLocalGroup(const wchar_t* server, const wchar_t* group);

// Adds or removes a right of the account (a SID string or a name, as accountSid reads it) in
// the local security policy; removing with a null right removes them all. False for a null
// account.
bool setAccountRight(const wchar_t* account, const wchar_t* right, bool add);

}  // namespace qpk
