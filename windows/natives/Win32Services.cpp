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

namespace {

// Calls `action` with the service name, or gives ERROR_INVALID_NAME for a name with a NUL
// inside: Windows would stop reading there and act on another service.
template <typename Action>
jint onService(JNIEnv* env, jstring name, Action action) {
    WideCopy service = toWideCopy(env, name);
    if (service.holdsNul()) return ERROR_INVALID_NAME;
    return action(service.get());
}

}  // namespace

extern "C" {

JNIEXPORT jint JNICALL QPK_SERVICES(installService0)(JNIEnv* env, jclass, jstring name, jstring displayName,
                                                      jstring binaryPath) {
    WideCopy display = toWideCopy(env, displayName), binary = toWideCopy(env, binaryPath);
    if (anyHoldsNul({&display, &binary})) return ERROR_INVALID_NAME;
    return onService(env, name,
                     [&](const wchar_t* service) { return installService(service, display.get(), binary.get()); });
}

JNIEXPORT jint JNICALL QPK_SERVICES(uninstallService0)(JNIEnv* env, jclass, jstring name) {
    return onService(env, name, uninstallService);
}

JNIEXPORT jint JNICALL QPK_SERVICES(startService0)(JNIEnv* env, jclass, jstring name, jobjectArray arguments) {
    if (arguments == nullptr) return onService(env, name, [](const wchar_t* service) {
        return startService(service, nullptr);
    });
    jsize count = env->GetArrayLength(arguments);
    std::vector<std::wstring> texts;
    for (jsize i = 0; i < count; ++i) {
        auto element = static_cast<jstring>(env->GetObjectArrayElement(arguments, i));
        WideCopy text = toWideCopy(env, element);
        env->DeleteLocalRef(element);
        // The service would be started with another argument than the one given.
        if (text.holdsNul()) return ERROR_INVALID_NAME;
        // A null element would reach the service control manager as a null string.
        texts.emplace_back(text.get() != nullptr ? text.get() : L"");
    }
    std::vector<const wchar_t*> vector;
    for (const std::wstring& text : texts) vector.push_back(text.c_str());
    return onService(env, name, [&](const wchar_t* service) { return startService(service, &vector); });
}

JNIEXPORT jint JNICALL QPK_SERVICES(stopService0)(JNIEnv* env, jclass, jstring name) {
    return onService(env, name, stopService);
}

JNIEXPORT jint JNICALL QPK_SERVICES(queryStatus0)(JNIEnv* env, jclass, jstring name) {
    return onService(env, name, queryServiceState);
}

JNIEXPORT jint JNICALL QPK_SERVICES(getStartType0)(JNIEnv* env, jclass, jstring name) {
    return onService(env, name, queryServiceStartType);
}

JNIEXPORT jstring JNICALL QPK_SERVICES(getServiceBinary0)(JNIEnv* env, jclass, jstring name) {
    WideCopy service = toWideCopy(env, name);
    if (service.holdsNul()) return toJavaString(env, L" " + std::to_wstring(ERROR_INVALID_NAME));
    return toJavaString(env, queryServiceBinary(service.get()));
}

JNIEXPORT jint JNICALL QPK_SERVICES(changeServiceConfig0)(JNIEnv* env, jclass, jstring name, jstring displayName,
                                                           jstring binaryPath, jint serviceType, jint startType,
                                                           jstring dependencies, jstring account, jstring password,
                                                           jstring description) {
    WideCopy display = toWideCopy(env, displayName), binary = toWideCopy(env, binaryPath),
             depends = toWideCopy(env, dependencies), user = toWideCopy(env, account),
             secret = toWideCopy(env, password), text = toWideCopy(env, description);
    if (anyHoldsNul({&display, &binary, &depends, &user, &secret, &text})) return ERROR_INVALID_NAME;
    ServiceChange change{display.get(), binary.get(), static_cast<DWORD>(serviceType), static_cast<DWORD>(startType),
                         depends.get(), user.get(), secret.get(), text.get()};
    return onService(env, name, [&](const wchar_t* service) { return changeServiceConfig(service, change); });
}

JNIEXPORT jint JNICALL QPK_SERVICES(setRestartServiceConfig0)(JNIEnv* env, jclass, jstring name, jboolean restart,
                                                               jint delayMs) {
    return onService(env, name, [&](const wchar_t* service) {
        return setServiceRestart(service, restart != JNI_FALSE, static_cast<DWORD>(delayMs));
    });
}

JNIEXPORT jint JNICALL QPK_SERVICES(setDelayedAutoStart0)(JNIEnv* env, jclass, jstring name, jboolean delayed) {
    return onService(env, name, [&](const wchar_t* service) {
        return setServiceDelayedAutoStart(service, delayed != JNI_FALSE);
    });
}

}  // extern "C"
