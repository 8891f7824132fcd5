// Natives of Win32UserInfo: the current user, account names and profiles, local users and
// groups, account rights, elevated starts. Failures come back as the methods' sentinels.
#include <jni.h>
#include <windows.h>

#include <string>

#include "natives/JavaStrings.h"
#include "natives/UserAccounts.h"

using namespace qpk;

#define QPK_USERINFO(method) Java_com_quillpack_runtime_installer_platform_win32_Win32UserInfo_##method

extern "C" {

JNIEXPORT jboolean JNICALL QPK_USERINFO(isMemberOfGroup0)(JNIEnv*, jclass, jint rid) {
    return isMemberOfBuiltinGroup(static_cast<DWORD>(rid)) ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT jint JNICALL QPK_USERINFO(getElevationType0)(JNIEnv*, jclass) { return processElevationType(); }

JNIEXPORT jstring JNICALL QPK_USERINFO(getUserSid0)(JNIEnv* env, jclass) {
    std::wstring sid;
    return currentUserSid(sid) ? toJavaString(env, sid) : nullptr;
}

JNIEXPORT jboolean JNICALL QPK_USERINFO(executeElevated0)(JNIEnv* env, jclass, jstring file, jstring parameters,
                                                           jstring directory, jint show) {
    WideCopy program = toWideCopy(env, file), arguments = toWideCopy(env, parameters),
             folder = toWideCopy(env, directory);
    if (anyHoldsNul({&program, &arguments, &folder})) return JNI_FALSE;
    return executeElevated(program.get(), arguments.get(), folder.get(), show) ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT jstring JNICALL QPK_USERINFO(getAccountName0)(JNIEnv* env, jclass, jstring sid, jboolean nameOnly) {
    WideCopy account = toWideCopy(env, sid);
    if (account.holdsNul()) return toJavaString(env, L" " + std::to_wstring(ERROR_INVALID_SID));
    return toJavaString(env, accountNameForSid(account.get(), nameOnly != JNI_FALSE));
}

JNIEXPORT jstring JNICALL QPK_USERINFO(getUserProfileDirectory0)(JNIEnv* env, jclass, jstring sid, jstring password) {
    WideCopy account = toWideCopy(env, sid), secret = toWideCopy(env, password);
    if (anyHoldsNul({&account, &secret})) return toJavaString(env, L" " + std::to_wstring(ERROR_INVALID_SID));
    return toJavaString(env, userProfileDirectory(account.get(), secret.get()));
}

JNIEXPORT jstring JNICALL QPK_USERINFO(addUser0)(JNIEnv* env, jclass, jstring name, jstring password, jstring comment,
                                                  jstring group, jstring groupComment, jboolean createGroup,
                                                  jboolean failIfGroupExists) {
    WideCopy user = toWideCopy(env, name), secret = toWideCopy(env, password), note = toWideCopy(env, comment),
             groupName = toWideCopy(env, group), groupNote = toWideCopy(env, groupComment);
    if (anyHoldsNul({&user, &secret, &note, &groupName, &groupNote})) return nullptr;
    NewUser request{user.get(),      secret.get(),          note.get(), groupName.get(), groupNote.get(),
                    createGroup != JNI_FALSE, failIfGroupExists != JNI_FALSE};
    std::wstring answer;
    if (!addUser(request, answer) || answer.empty()) return nullptr;
    return toJavaString(env, answer);
}

JNIEXPORT jint JNICALL QPK_USERINFO(deleteUser0)(JNIEnv* env, jclass, jstring server, jstring user) {
    WideCopy host = toWideCopy(env, server), name = toWideCopy(env, user);
    if (anyHoldsNul({&host, &name})) return ERROR_INVALID_NAME;
    return deleteUser(host.get(), name.get());
}

JNIEXPORT jint JNICALL QPK_USERINFO(deleteLocalGroup0)(JNIEnv* env, jclass, jstring server, jstring group) {
    WideCopy host = toWideCopy(env, server), name = toWideCopy(env, group);
    if (anyHoldsNul({&host, &name})) return ERROR_INVALID_NAME;
    return deleteLocalGroup(host.get(), name.get());
}

JNIEXPORT jboolean JNICALL QPK_USERINFO(setLsaAccountRight0)(JNIEnv* env, jclass, jstring account, jstring right,
                                                              jboolean add) {
    WideCopy who = toWideCopy(env, account), what = toWideCopy(env, right);
    if (anyHoldsNul({&who, &what})) return JNI_FALSE;
    return setAccountRight(who.get(), what.get(), add != JNI_FALSE) ? JNI_TRUE : JNI_FALSE;
}

}  // extern "C"
