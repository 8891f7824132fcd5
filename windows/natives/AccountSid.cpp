#include "natives/AccountSid.h"

#include <cwchar>
#include <vector>

#include "common/ProcLookup.h"

namespace qpk {

namespace {
constexpr DWORD kSidBytes = 8192;
constexpr DWORD kDomainChars = 8192;
}  // namespace

UniqueLocalMemory accountSid(const wchar_t* account) {
    UniqueLocalMemory sid;
    if (account == nullptr) return sid;
    using StringToSid = BOOL(WINAPI*)(LPCWSTR, PSID*);
    auto toSid = lookupFunction<StringToSid>(GetModuleHandleW(L"advapi32.dll"), "ConvertStringSidToSidW");
    PSID converted = nullptr;
    if (std::wcsncmp(account, L"S-", 2) == 0 && toSid != nullptr && toSid(account, &converted)) {
        sid.reset(converted);
        return sid;
    }
    sid.reset(LocalAlloc(LPTR, kSidBytes));
    if (!sid) return sid;
    DWORD sidBytes = kSidBytes, domainChars = kDomainChars;
    std::vector<wchar_t> domain(kDomainChars);
    SID_NAME_USE use;
    if (!LookupAccountNameW(nullptr, account, sid.get(), &sidBytes, domain.data(), &domainChars, &use)) sid.reset();
    return sid;
}

}  // namespace qpk
