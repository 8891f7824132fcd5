// Natives of Win32Services: install, configure, start, stop, query and remove a service.
// Results are the codes of ServiceControl.h; nothing is thrown into Java.
#include <jni.h>
#include <windows.h>

#include <string>
#include <vector>

#include "natives/JavaStrings.h"
#include "natives/ServiceControl.h"

using namespace qpk;

#define QPK_SERVICES(method) Java_com_quillpack_runtime_installer_platform_win32_Win32Services_##method

extern "C" {

JNIEXPORT jint JNICALL QPK_SERVICES(installService0)(JNIEnv* env, jclass, jstring name, jstring displayName,
                                                      jstring binaryPath) {
    return installService(toWideCopy(env, name).get(), toWideCopy(env, displayName).get(),
                          toWideCopy(env, binaryPath).get());
}

JNIEXPORT jint JNICALL QPK_SERVICES(uninstallService0)(JNIEnv* env, jclass, jstring name) {
    return uninstallService(toWideCopy(env, name).get());
}

JNIEXPORT jint JNICALL QPK_SERVICES(startService0)(JNIEnv* env, jclass, jstring name, jobjectArray arguments) {
    if (arguments == nullptr) return startService(toWideCopy(env, name).get(), nullptr);
    jsize count = env->GetArrayLength(arguments);
    std::vector<std::wstring> texts;
    for (jsize i = 0; i < count; ++i) {
        auto element = static_cast<jstring>(env->GetObjectArrayElement(arguments, i));
        WideCopy text = toWideCopy(env, element);
        // A null element would reach the service control manager as a null string.
        texts.emplace_back(text.get() != nullptr ? text.get() : L"");
        env->DeleteLocalRef(element);
    }
    std::vector<const wchar_t*> vector;
    for (const std::wstring& text : texts) vector.push_back(text.c_str());
    return startService(toWideCopy(env, name).get(), &vector);
}

JNIEXPORT jint JNICALL QPK_SERVICES(stopService0)(JNIEnv* env, jclass, jstring name) {
    return stopService(toWideCopy(env, name).get());
}

JNIEXPORT jint JNICALL QPK_SERVICES(queryStatus0)(JNIEnv* env, jclass, jstring name) {
    return queryServiceState(toWideCopy(env, name).get());
}

JNIEXPORT jint JNICALL QPK_SERVICES(getStartType0)(JNIEnv* env, jclass, jstring name) {
    return queryServiceStartType(toWideCopy(env, name).get());
}

JNIEXPORT jstring JNICALL QPK_SERVICES(getServiceBinary0)(JNIEnv* env, jclass, jstring name) {
    return toJavaString(env, queryServiceBinary(toWideCopy(env, name).get()));
}

JNIEXPORT jint JNICALL QPK_SERVICES(changeServiceConfig0)(JNIEnv* env, jclass, jstring name, jstring displayName,
                                                           jstring binaryPath, jint serviceType, jint startType,
                                                           jstring dependencies, jstring account, jstring password,
                                                           jstring description) {
    WideCopy display = toWideCopy(env, displayName), binary = toWideCopy(env, binaryPath),
             depends = toWideCopy(env, dependencies), user = toWideCopy(env, account),
             secret = toWideCopy(env, password), text = toWideCopy(env, description);
    ServiceChange change{display.get(), binary.get(), static_cast<DWORD>(serviceType), static_cast<DWORD>(startType),
                         depends.get(), user.get(), secret.get(), text.get()};
    return changeServiceConfig(toWideCopy(env, name).get(), change);
}

JNIEXPORT jint JNICALL QPK_SERVICES(setRestartServiceConfig0)(JNIEnv* env, jclass, jstring name, jboolean restart,
                                                               jint delayMs) {
    return setServiceRestart(toWideCopy(env, name).get(), restart != JNI_FALSE, static_cast<DWORD>(delayMs));
}

JNIEXPORT jint JNICALL QPK_SERVICES(setDelayedAutoStart0)(JNIEnv* env, jclass, jstring name, jboolean delayed) {
    return setServiceDelayedAutoStart(toWideCopy(env, name).get(), delayed != JNI_FALSE);
}

}  // extern "C"
