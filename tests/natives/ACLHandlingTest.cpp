// ACLHandling.addACE from real Java, the access lists read back from outside.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NativeDriver.h"
#include "ScratchDir.h"
#include "Utf8.h"

namespace {

struct Entry {
    std::wstring sid;
    DWORD mask;
    BYTE flags;
    bool operator==(const Entry& o) const { return sid == o.sid && mask == o.mask && flags == o.flags; }
};

// The allowed entries of an object's access list as "SID, mask, inheritance flags".
std::vector<Entry> allowedEntries(const std::wstring& path, SE_OBJECT_TYPE type) {
    std::vector<Entry> entries;
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::wstring writable = path;
    if (GetNamedSecurityInfoW(&writable[0], type, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl, nullptr,
                              &descriptor) != ERROR_SUCCESS)
        return entries;
    for (DWORD i = 0; acl && i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(acl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        LPWSTR text = nullptr;
        if (!ConvertSidToStringSidW(&ace->SidStart, &text)) continue;
        entries.push_back({text, ace->Mask, ace->Header.AceFlags});
        LocalFree(text);
    }
    LocalFree(descriptor);
    return entries;
}

bool has(const std::vector<Entry>& entries, const Entry& wanted) {
    for (const Entry& e : entries)
        if (e == wanted) return true;
    return false;
}

const wchar_t kKey[] = L"Software\\qpk-tests\\ACLHandling";
const wchar_t kAllKey[] = L"Software\\qpk-tests\\ACLHandling\\all";
const BYTE kInherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

}  // namespace

TEST(ACLHandling, AddedEntriesAreMergedIntoTheAccessList) {
    qpktest::ScratchDir scratch("acl");
    for (const wchar_t* key : {kKey, kAllKey}) {
        HKEY created = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr), 0);
        RegCloseKey(created);
    }
    const std::wstring key = std::wstring(L"CURRENT_USER\\") + kKey;
    const std::wstring allKey = std::wstring(L"CURRENT_USER\\") + kAllKey;
    std::vector<Entry> before = allowedEntries(key, SE_REGISTRY_KEY);
    ASSERT_FALSE(before.empty());

    qpknatives::DriverRun run = qpknatives::runDriver(
        "ACLHandlingDriver", {scratch.path(), qpktest::narrow(key), qpktest::narrow(allKey)});
    qpknatives::expectAllPassed(run, 10);
    EXPECT_NE(run.result.stdoutText.find("GetNamedSecurityInfo Error 2 "), std::string::npos) << run.result.stdoutText;

    // Wine stores the entries of registry keys as given (generic rights, not mapped).
    std::vector<Entry> after = allowedEntries(key, SE_REGISTRY_KEY);
    for (const Entry& kept : before) EXPECT_TRUE(has(after, kept)) << qpktest::narrow(kept.sid);
    EXPECT_TRUE(has(after, {L"S-1-5-11", GENERIC_READ, kInherited}));
    EXPECT_TRUE(has(after, {L"S-1-2-547", GENERIC_WRITE | GENERIC_EXECUTE, kInherited}));
    EXPECT_TRUE(has(after, {L"S-1-5-32-544", GENERIC_READ, kInherited}));
    std::vector<Entry> all = allowedEntries(allKey, SE_REGISTRY_KEY);
    EXPECT_TRUE(has(all, {L"S-1-1-0", GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL, kInherited}));
    EXPECT_TRUE(has(all, {L"S-1-5-32-544", GENERIC_READ, kInherited}));

    // Wine: the directory's grant succeeded, but file access lists are made up from the Unix
    // permissions on every read, so the entry is not there to be seen.
    EXPECT_FALSE(has(allowedEntries(qpktest::widen(scratch.path()), SE_FILE_OBJECT), {L"S-1-5-11", GENERIC_READ, kInherited}));

    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\qpk-tests\\ACLHandling");
}
