#include "natives/UserAccounts.h"

#include <lm.h>
#include <ntsecapi.h>

#include <cwchar>
#include <vector>

#include "common/Format.h"
#include "common/Owned.h"
#include "common/ProcLookup.h"
#include "natives/AccountSid.h"
#include "natives/AccountText.h"
#include "natives/AddUserSteps.h"
#include "natives/ShellFunctions.h"

namespace qpk {

namespace {

constexpr DWORD kNameChars = 8192;

struct TokenFunctions {
    BOOL(WINAPI* allocateAndInitializeSid)(PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                                           DWORD, DWORD, PSID*) = nullptr;
    BOOL(WINAPI* equalSid)(PSID, PSID) = nullptr;
    BOOL(WINAPI* getTokenInformation)(HANDLE, TOKEN_INFORMATION_CLASS, void*, DWORD, DWORD*) = nullptr;
    BOOL(WINAPI* openProcessToken)(HANDLE, DWORD, HANDLE*) = nullptr;
    BOOL(WINAPI* openThreadToken)(HANDLE, DWORD, BOOL, HANDLE*) = nullptr;
};

HMODULE advapi32() { return GetModuleHandleW(L"advapi32.dll"); }

bool resolveTokenFunctions(TokenFunctions& f) {
    HMODULE module = advapi32();
    f.allocateAndInitializeSid = lookupFunction<decltype(f.allocateAndInitializeSid)>(module, "AllocateAndInitializeSid");
    f.equalSid = lookupFunction<decltype(f.equalSid)>(module, "EqualSid");
    f.getTokenInformation = lookupFunction<decltype(f.getTokenInformation)>(module, "GetTokenInformation");
    f.openProcessToken = lookupFunction<decltype(f.openProcessToken)>(module, "OpenProcessToken");
    f.openThreadToken = lookupFunction<decltype(f.openThreadToken)>(module, "OpenThreadToken");
    return f.allocateAndInitializeSid && f.equalSid && f.getTokenInformation && f.openProcessToken && f.openThreadToken;
}

// The thread's own token if it impersonates, else the process token.
bool openCurrentToken(const TokenFunctions& f, UniqueHandle& token) {
    if (f.openThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.put())) return true;
    return f.openProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) != FALSE;
}

enum class TokenRead { Unavailable, Failed, Read };

// The size query may fail only for the missing buffer; anything else means "cannot tell".
TokenRead readTokenInformation(const TokenFunctions& f, HANDLE token, TOKEN_INFORMATION_CLASS kind,
                               std::vector<unsigned char>& buffer) {
    DWORD size = 0;
    if (!f.getTokenInformation(token, kind, nullptr, 0, &size) && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return TokenRead::Unavailable;
    }
    buffer.assign(size, 0);
    return f.getTokenInformation(token, kind, buffer.data(), size, &size) ? TokenRead::Read : TokenRead::Failed;
}

using ConvertStringSidFunction = BOOL(WINAPI*)(const wchar_t*, PSID*);
using ConvertSidFunction = BOOL(WINAPI*)(PSID, wchar_t**);

ConvertStringSidFunction convertStringSid() {
    return lookupFunction<ConvertStringSidFunction>(advapi32(), "ConvertStringSidToSidW");
}

// The SID's string form through the looked-up converter.
bool sidToString(ConvertSidFunction convert, PSID sid, std::wstring& out) {
    wchar_t* text = nullptr;
    if (!convert(sid, &text)) return false;
    UniqueLocalMemory owned(text);
    out = text;
    return true;
}

HMODULE netapi32() {
    HMODULE module = GetModuleHandleW(L"netapi32.dll");
    // Once loaded it stays loaded, like the system's own users of it.
    return module != nullptr ? module : LoadLibraryW(L"netapi32.dll");
}

struct AccountLookup {
    std::vector<wchar_t> name = std::vector<wchar_t>(kNameChars);
    std::vector<wchar_t> domain = std::vector<wchar_t>(kNameChars);
};

bool lookupAccount(PSID sid, AccountLookup& found) {
    DWORD nameChars = kNameChars, domainChars = kNameChars;
    SID_NAME_USE use;
    return LookupAccountSidW(nullptr, sid, found.name.data(), &nameChars, found.domain.data(), &domainChars, &use) !=
           FALSE;
}

}  // namespace

bool isMemberOfBuiltinGroup(DWORD rid) {
    TokenFunctions f;
    if (!resolveTokenFunctions(f)) return true;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    UniqueAllocatedSid group;
    if (!f.allocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, rid, 0, 0, 0, 0, 0, 0, group.put())) return true;
    UniqueHandle token;
    if (!openCurrentToken(f, token)) return true;
    std::vector<unsigned char> buffer;
    TokenRead read = readTokenInformation(f, token.get(), TokenGroups, buffer);
    if (read != TokenRead::Read) return read == TokenRead::Unavailable;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        const SID_AND_ATTRIBUTES& entry = groups->Groups[i];
        if (f.equalSid(entry.Sid, group.get()) &&
            (entry.Attributes & (SE_GROUP_USE_FOR_DENY_ONLY | SE_GROUP_ENABLED)) == SE_GROUP_ENABLED) {
            return true;
        }
    }
    return false;
}

int processElevationType() {
    TokenFunctions f;
    if (!resolveTokenFunctions(f)) return 0;
    UniqueHandle token;
    if (!f.openProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return 0;
    DWORD value = 0, size = 0;
    if (!f.getTokenInformation(token.get(), TokenElevationType, &value, sizeof value, &size)) return 0;
    return static_cast<int>(value);
}

bool currentUserSid(std::wstring& out) {
    TokenFunctions f;
    if (!resolveTokenFunctions(f)) return false;
    auto convert = lookupFunction<ConvertSidFunction>(advapi32(), "ConvertSidToStringSidW");
    if (convert == nullptr) return false;
    UniqueHandle token;
    if (!openCurrentToken(f, token)) return false;
    std::vector<unsigned char> buffer;
    if (readTokenInformation(f, token.get(), TokenUser, buffer) != TokenRead::Read) return false;
    return sidToString(convert, reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid, out);
}

bool executeElevated(const wchar_t* file, const wchar_t* parameters, const wchar_t* directory, int show) {
    static const bool sspiPreloaded = (LoadLibraryW(L"sspicli.dll"), true);
    (void)sspiPreloaded;
    if (!loadShellFunctions()) return false;
    HINSTANCE result = shellExecuteW()(nullptr, L"runas", file, parameters, directory, show);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

std::wstring accountNameForSid(const wchar_t* sid, bool nameOnly) {
    if (const wchar_t* fixed = serviceAccountForSid(sid)) return fixed;
    ConvertStringSidFunction convert = convertStringSid();
    if (convert == nullptr) return L"";
    PSID raw = nullptr;
    if (!convert(sid, &raw)) return formatWide(L" %d", static_cast<int>(GetLastError()));
    UniqueLocalMemory owned(raw);
    AccountLookup found;
    if (!lookupAccount(raw, found)) return formatWide(L" %d", static_cast<int>(GetLastError()));
    return formatAccountName(found.name.data(), found.domain.data(), sid, nameOnly);
}

std::wstring userProfileDirectory(const wchar_t* sid, const wchar_t* password) {
    UniqueLibrary userenv(LoadLibraryW(L"userenv.dll"));
    if (advapi32() == nullptr || !userenv) return formatWide(L" could not load library %d", static_cast<int>(GetLastError()));
    if (serviceAccountForSid(sid) != nullptr) return L" no user account";
    using LogonFunction = BOOL(WINAPI*)(const wchar_t*, const wchar_t*, const wchar_t*, DWORD, DWORD, HANDLE*);
    using ProfileFunction = BOOL(WINAPI*)(HANDLE, wchar_t*, DWORD*);
    ConvertStringSidFunction convert = convertStringSid();
    auto logon = lookupFunction<LogonFunction>(advapi32(), "LogonUserW");
    auto profile = lookupFunction<ProfileFunction>(userenv.get(), "GetUserProfileDirectoryW");
    if (!convert || !logon || !profile) return formatWide(L" could not get functions %d", static_cast<int>(GetLastError()));
    PSID raw = nullptr;
    if (!convert(sid, &raw)) return formatWide(L" could not convert sid %d", static_cast<int>(GetLastError()));
    UniqueLocalMemory owned(raw);
    AccountLookup found;
    if (!lookupAccount(raw, found)) {
        return formatWide(L" could not look up account name %d", static_cast<int>(GetLastError()));
    }
    const wchar_t* domain = isBuiltinAliasSid(sid) || found.domain[0] == L'\0' ? L"." : found.domain.data();
    UniqueHandle token;
    if (!logon(found.name.data(), domain, password, LOGON32_LOGON_NETWORK, LOGON32_PROVIDER_DEFAULT, token.put())) {
        return formatWide(L" could not get token %d", static_cast<int>(GetLastError()));
    }
    std::vector<wchar_t> directory(kNameChars);
    DWORD chars = kNameChars;
    if (!profile(token.get(), directory.data(), &chars)) {
        return formatWide(L" could not get user profile dir %d", static_cast<int>(GetLastError()));
    }
    return directory.data();
}

bool addUser(const NewUser& user, std::wstring& out) {
    NetAccountFunctions f;
    HMODULE net = netapi32();
    f.convertSid = lookupFunction<decltype(f.convertSid)>(advapi32(), "ConvertSidToStringSidW");
    f.groupAdd = lookupFunction<decltype(f.groupAdd)>(net, "NetLocalGroupAdd");
    f.groupGetInfo = lookupFunction<decltype(f.groupGetInfo)>(net, "NetLocalGroupGetInfo");
    f.bufferFree = lookupFunction<decltype(f.bufferFree)>(net, "NetApiBufferFree");
    f.userAdd = lookupFunction<decltype(f.userAdd)>(net, "NetUserAdd");
    f.userGetInfo = lookupFunction<decltype(f.userGetInfo)>(net, "NetUserGetInfo");
    f.addMembers = lookupFunction<decltype(f.addMembers)>(net, "NetLocalGroupAddMembers");
    f.lookupAccountName = LookupAccountNameW;
    if (!f.convertSid || !f.groupAdd || !f.groupGetInfo || !f.bufferFree || !f.userAdd || !f.userGetInfo ||
        !f.addMembers) {
        return false;
    }
    out = addUserSteps(f, user);
    return true;
}

namespace {

int netDelete(const char* function, const wchar_t* server, const wchar_t* name) {
    using Delete = NET_API_STATUS(WINAPI*)(const wchar_t*, const wchar_t*);
    auto remove = lookupFunction<Delete>(netapi32(), function);
    return remove != nullptr ? static_cast<int>(remove(server, name)) : -1;
}

}  // namespace

int deleteUser(const wchar_t* server, const wchar_t* user) { return netDelete("NetUserDel", server, user); }

int deleteLocalGroup(const wchar_t* server, const wchar_t* group) {
    return netDelete("NetLocalGroupDel", server, group);
}

bool setAccountRight(const wchar_t* account, const wchar_t* right, bool add) {
    using Open = NTSTATUS(NTAPI*)(LSA_UNICODE_STRING*, LSA_OBJECT_ATTRIBUTES*, ACCESS_MASK, LSA_HANDLE*);
    using Add = NTSTATUS(NTAPI*)(LSA_HANDLE, PSID, LSA_UNICODE_STRING*, ULONG);
    using Remove = NTSTATUS(NTAPI*)(LSA_HANDLE, PSID, BOOLEAN, LSA_UNICODE_STRING*, ULONG);
    using Close = NTSTATUS(NTAPI*)(LSA_HANDLE);
    auto open = lookupFunction<Open>(advapi32(), "LsaOpenPolicy");
    auto addRights = lookupFunction<Add>(advapi32(), "LsaAddAccountRights");
    auto removeRights = lookupFunction<Remove>(advapi32(), "LsaRemoveAccountRights");
    auto close = lookupFunction<Close>(advapi32(), "LsaClose");
    if (!open || !addRights || !removeRights || !close) return false;

    // A counted string holds at most 32,767 characters; a longer right cannot be named.
    const wchar_t* rightText = right != nullptr ? right : L"";
    std::size_t rightChars = std::wcslen(rightText);
    if (rightChars > 32766) return false;

    UniqueLocalMemory sid = accountSid(account);
    if (!sid) return false;

    LSA_OBJECT_ATTRIBUTES attributes{};
    LSA_HANDLE policy = nullptr;
    if (open(nullptr, &attributes, POLICY_CREATE_ACCOUNT | POLICY_LOOKUP_NAMES, &policy) != 0) return false;
    auto bytes = static_cast<USHORT>(rightChars * sizeof(wchar_t));
    LSA_UNICODE_STRING rightString{bytes, static_cast<USHORT>(bytes + sizeof(wchar_t)), const_cast<wchar_t*>(rightText)};
    NTSTATUS status = add ? addRights(policy, sid.get(), &rightString, 1)
                          : removeRights(policy, sid.get(), right == nullptr ? TRUE : FALSE, &rightString, 1);
    close(policy);
    return status == 0;
}

}  // namespace qpk
