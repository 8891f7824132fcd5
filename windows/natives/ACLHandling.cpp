// ACLHandling: grants a group or an account access to a file, directory or registry key,
// keeping the entries the object already has.
#include <windows.h>
#include <aclapi.h>
#include <jni.h>

#include <cstdio>

#include "common/Owned.h"
#include "natives/AccessGrant.h"
#include "natives/AccountSid.h"
#include "natives/JavaStrings.h"

namespace qpk {

namespace {

// Writes the object's access list with the grant merged in; the messages say which step failed.
bool mergeGrant(wchar_t* path, SE_OBJECT_TYPE type, DWORD access, PSID sid) {
    if (path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    PACL oldAcl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD result = GetNamedSecurityInfoW(path, type, DACL_SECURITY_INFORMATION, nullptr, nullptr, &oldAcl,
                                         nullptr, &descriptor);
    UniqueLocalMemory ownedDescriptor(descriptor);
    if (result != ERROR_SUCCESS) {
        std::printf("GetNamedSecurityInfo Error %u %ls\n", unsigned(result), path);
        return false;
    }
    // No access list lets everyone do everything: the grant is in effect already, and a list
    // made of it alone would shut everyone else out.
    if (oldAcl == nullptr) return true;
    EXPLICIT_ACCESS_W entry = {};
    entry.grfAccessPermissions = access;
    entry.grfAccessMode = GRANT_ACCESS;
    entry.grfInheritance = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    entry.Trustee.MultipleTrusteeOperation = NO_MULTIPLE_TRUSTEE;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    entry.Trustee.ptstrName = static_cast<LPWSTR>(sid);
    PACL newAcl = nullptr;
    result = SetEntriesInAclW(1, &entry, oldAcl, &newAcl);
    UniqueLocalMemory ownedAcl(newAcl);
    if (result != ERROR_SUCCESS) {
        std::printf("SetEntriesInAcl Error %u\n", unsigned(result));
        return false;
    }
    result = SetNamedSecurityInfoW(path, type, DACL_SECURITY_INFORMATION, nullptr, nullptr, newAcl, nullptr);
    if (result != ERROR_SUCCESS) {
        std::printf("SetNamedSecurityInfo Error %u\n", unsigned(result));
        return false;
    }
    return true;
}

}  // namespace

bool addAccessEntry(const wchar_t* path, bool isRegistryKey, const AccessFlags& flags, int trustee,
                    const wchar_t* account) {
    DWORD access = accessMask(flags);
    TrusteeSid well = trusteeSid(trustee);
    UniqueLocalMemory named;
    UniqueAllocatedSid allocated;
    PSID sid = nullptr;
    if (well.isAccount) {
        named = accountSid(account);
        sid = named.get();
    } else {
        SID_IDENTIFIER_AUTHORITY authority = {{0, 0, 0, 0, 0, well.authority}};
        if (!AllocateAndInitializeSid(&authority, well.subAuthorityCount, well.subAuthorities[0],
                                      well.subAuthorities[1], 0, 0, 0, 0, 0, 0, allocated.put()))
            return false;
        sid = allocated.get();
    }
    if (sid == nullptr) return false;
    // GetNamedSecurityInfoW takes a writable path.
    std::wstring writable = path ? std::wstring(path) : std::wstring();
    bool done = mergeGrant(path ? &writable[0] : nullptr, isRegistryKey ? SE_REGISTRY_KEY : SE_FILE_OBJECT,
                           access, sid);
    std::fflush(stdout);
    return done;
}

}  // namespace qpk

extern "C" JNIEXPORT jboolean JNICALL Java_com_quillpack_runtime_installer_platform_win32_ACLHandling_addACE(
    JNIEnv* env, jclass, jstring path, jboolean isRegistryKey, jboolean read, jboolean write, jboolean execute,
    jboolean all, jint trustee, jstring account) {
    qpk::WideCopy objectPath = qpk::toWideCopy(env, path);
    qpk::WideCopy accountName = qpk::toWideCopy(env, account);
    if (qpk::anyHoldsNul({&objectPath, &accountName})) return JNI_FALSE;
    qpk::AccessFlags flags{read != JNI_FALSE, write != JNI_FALSE, execute != JNI_FALSE, all != JNI_FALSE};
    return qpk::addAccessEntry(objectPath.get(), isRegistryKey != JNI_FALSE, flags, int(trustee), accountName.get())
               ? JNI_TRUE
               : JNI_FALSE;
}
