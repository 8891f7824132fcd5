// ACLHandling.addACE from real Java, the access lists read back from outside.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "NativeDriver.h"
#include "ScratchDir.h"
#include "Utf8.h"

namespace {

// The allowed entries of an object's access list, each as "SID mask(hex) inheritance-flags";
// "(no list)" for an object without one.
std::set<std::string> allowedEntries(const std::string& path, SE_OBJECT_TYPE type) {
    std::set<std::string> entries;
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::wstring writable = qpktest::widen(path);
    if (GetNamedSecurityInfoW(&writable[0], type, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl, nullptr,
                              &descriptor) != ERROR_SUCCESS)
        return entries;
    if (acl == nullptr) entries.insert("(no list)");
    for (DWORD i = 0; acl && i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        LPWSTR sid = nullptr;
        if (!GetAce(acl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE ||
            !ConvertSidToStringSidW(&ace->SidStart, &sid))
            continue;
        char rest[32];
        std::snprintf(rest, sizeof rest, " %lx %d", ace->Mask, ace->Header.AceFlags);
        entries.insert(qpktest::narrow(sid) + rest);
        LocalFree(sid);
    }
    LocalFree(descriptor);
    return entries;
}

const char kKey[] = "Software\\qpk-tests\\ACLHandling";

bool anyEntryOf(const std::set<std::string>& entries, const std::string& sid) {
    for (const std::string& entry : entries)
        if (entry.rfind(sid + " ", 0) == 0) return true;
    return false;
}

// A key whose security descriptor has a null access list: everyone may do everything.
bool createOpenKey(const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
        return false;
    SECURITY_DESCRIPTOR descriptor;
    bool made = InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE) &&
                RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
    RegCloseKey(key);
    return made;
}

}  // namespace

TEST(ACLHandling, AddedEntriesAreMergedIntoTheAccessList) {
    qpktest::ScratchDir scratch("acl");
    const std::string key = std::string("CURRENT_USER\\") + kKey, allKey = key + "\\all", openKey = key + "\\open";
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kKey) + "\\all").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &created, nullptr), 0);
    RegCloseKey(created);
    ASSERT_TRUE(createOpenKey(std::string(kKey) + "\\open"));
    std::set<std::string> before = allowedEntries(key, SE_REGISTRY_KEY);
    ASSERT_FALSE(before.empty());

    qpknatives::DriverRun run = qpknatives::runDriver("ACLHandlingDriver", {scratch.path(), key, allKey, openKey});
    qpknatives::expectAllPassed(run, 12);
    EXPECT_NE(run.result.stdoutText.find("GetNamedSecurityInfo Error 2 "), std::string::npos) << run.result.stdoutText;

    // Wine stores the entries of registry keys as given (generic rights, not mapped); 3 is
    // inheritance by objects and containers.
    std::set<std::string> after = allowedEntries(key, SE_REGISTRY_KEY);
    for (const std::string& kept : before) EXPECT_EQ(after.count(kept), 1u) << kept;
    for (const char* added : {"S-1-5-11 80000000 3", "S-1-5-32-547 60000000 3", "S-1-5-32-544 80000000 3"})
        EXPECT_EQ(after.count(added), 1u) << added;
    EXPECT_FALSE(anyEntryOf(after, "S-1-1-0")) << "the name WD granted everyone access";
    std::set<std::string> all = allowedEntries(allKey, SE_REGISTRY_KEY);
    EXPECT_EQ(all.count("S-1-1-0 f0000000 3"), 1u);
    EXPECT_EQ(all.count("S-1-5-32-544 80000000 3"), 1u);
    EXPECT_EQ(allowedEntries(openKey, SE_REGISTRY_KEY), std::set<std::string>{"(no list)"});

    if (qpknatives::onWine())
        qpknatives::skipCheck("the directory's access list holds the grant",
                              "Wine makes file access lists up from the Unix permissions on every read");
    else
        EXPECT_TRUE(anyEntryOf(allowedEntries(scratch.path(), SE_FILE_OBJECT), "S-1-5-11"));

    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
}
