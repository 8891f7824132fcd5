// Win32Proxy: the three proxy sources of WinHTTP, reported raw to the Java side. WinHTTP is
// loaded at run time; its header stays in this source alone (it clashes with WinINet's).
#include <windows.h>
#include <jni.h>
#include <winhttp.h>

#include "common/ProcLookup.h"
#include "natives/JavaStrings.h"
#include "natives/ProxyStatus.h"

namespace qpk {

namespace {

struct WinHttpFunctions {
    decltype(&WinHttpGetIEProxyConfigForCurrentUser) ieConfig = nullptr;
    decltype(&WinHttpOpen) open = nullptr;
    decltype(&WinHttpCloseHandle) close = nullptr;
    decltype(&WinHttpGetProxyForUrl) proxyForUrl = nullptr;
    decltype(&WinHttpGetDefaultProxyConfiguration) defaultConfig = nullptr;

    bool complete() const { return ieConfig && open && close && proxyForUrl && defaultConfig; }
};

// Loaded once, even if that fails; the library stays for the life of the process.
const WinHttpFunctions& winHttp() {
    static const WinHttpFunctions functions = [] {
        WinHttpFunctions f;
        HMODULE library = LoadLibraryW(L"Winhttp.dll");
        f.ieConfig = lookupFunction<decltype(f.ieConfig)>(library, "WinHttpGetIEProxyConfigForCurrentUser");
        f.open = lookupFunction<decltype(f.open)>(library, "WinHttpOpen");
        f.close = lookupFunction<decltype(f.close)>(library, "WinHttpCloseHandle");
        f.proxyForUrl = lookupFunction<decltype(f.proxyForUrl)>(library, "WinHttpGetProxyForUrl");
        f.defaultConfig = lookupFunction<decltype(f.defaultConfig)>(library, "WinHttpGetDefaultProxyConfiguration");
        return f;
    }();
    return functions;
}

// A non-empty Windows string goes into the array; every returned string is freed.
void storeAndFree(JNIEnv* env, jobjectArray result, jsize index, LPWSTR text) {
    if (text == nullptr) return;
    if (*text != L'\0') {
        jstring value = toJavaString(env, text);
        if (value != nullptr) {
            env->SetObjectArrayElement(result, index, value);
            env->DeleteLocalRef(value);
        }
        // An array too short for the caller's contract must not leave an exception behind.
        env->ExceptionClear();
    }
    GlobalFree(text);
}

void storeFlag(JNIEnv* env, jobjectArray result, bool flag) {
    jstring value = env->NewStringUTF(flag ? "true" : "false");
    if (value != nullptr) {
        env->SetObjectArrayElement(result, 0, value);
        env->DeleteLocalRef(value);
    }
    env->ExceptionClear();
}

void storeProxyInfo(JNIEnv* env, jobjectArray result, WINHTTP_PROXY_INFO& info) {
    storeFlag(env, result, info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY);
    storeAndFree(env, result, 1, info.lpszProxy);
    storeAndFree(env, result, 2, info.lpszProxyBypass);
}

}  // namespace

}  // namespace qpk

#define QPK_PROXY(method) Java_com_quillpack_runtime_installer_platform_win32_Win32Proxy_##method

extern "C" JNIEXPORT jboolean JNICALL QPK_PROXY(loadFunctions0)(JNIEnv*, jclass) {
    return qpk::winHttp().complete() ? JNI_TRUE : JNI_FALSE;
}

extern "C" JNIEXPORT jint JNICALL QPK_PROXY(getIEConfig0)(JNIEnv* env, jclass, jobjectArray result) {
    const qpk::WinHttpFunctions& f = qpk::winHttp();
    if (!f.complete()) return qpk::kProxyFunctionsMissing;
    // No array to fill: a failed call, not a crash of the JVM.
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
    if (!f.ieConfig(&config)) return jint(GetLastError());
    qpk::storeFlag(env, result, config.fAutoDetect != FALSE);
    qpk::storeAndFree(env, result, 1, config.lpszAutoConfigUrl);
    qpk::storeAndFree(env, result, 2, config.lpszProxy);
    qpk::storeAndFree(env, result, 3, config.lpszProxyBypass);
    return 0;
}

extern "C" JNIEXPORT jint JNICALL QPK_PROXY(getDefaultConfig0)(JNIEnv* env, jclass, jobjectArray result) {
    const qpk::WinHttpFunctions& f = qpk::winHttp();
    if (!f.complete()) return qpk::kProxyFunctionsMissing;
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    WINHTTP_PROXY_INFO info = {};
    if (!f.defaultConfig(&info)) return jint(GetLastError());
    qpk::storeProxyInfo(env, result, info);
    return 0;
}

extern "C" JNIEXPORT jlong JNICALL QPK_PROXY(getAutoProxyConfig0)(JNIEnv* env, jclass, jobjectArray result,
                                                                   jstring url, jstring scriptUrl, jint flags,
                                                                   jint autoDetectFlags, jboolean autoLogon) {
    const qpk::WinHttpFunctions& f = qpk::winHttp();
    if (!f.complete()) return qpk::kProxyFunctionsMissing;
    if (url == nullptr) return 0;
    if (result == nullptr) return qpk::proxyFailure(qpk::ProxyStep::QueryUrl, ERROR_INVALID_PARAMETER);
    HINTERNET session = f.open(L"quillpack proxy detection/1.0", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0);
    if (session == nullptr) return qpk::proxyFailure(qpk::ProxyStep::OpenSession, GetLastError());
    qpk::WideCopy target = qpk::toWideCopy(env, url);
    qpk::WideCopy script = qpk::toWideCopy(env, scriptUrl);
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    options.dwFlags = DWORD(flags);
    options.dwAutoDetectFlags = DWORD(autoDetectFlags);
    options.lpszAutoConfigUrl = script.get();
    options.fAutoLogonIfChallenged = autoLogon != JNI_FALSE;
    WINHTTP_PROXY_INFO info = {};
    jlong status = 0;
    if (f.proxyForUrl(session, target.get(), &options, &info))
        qpk::storeProxyInfo(env, result, info);
    else
        status = qpk::proxyFailure(qpk::ProxyStep::QueryUrl, GetLastError());
    f.close(session);
    return status;
}
