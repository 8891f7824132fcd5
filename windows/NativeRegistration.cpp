#include "NativeRegistration.h"

#include "JavaVMLauncher.h"
#include "common/ProcLookup.h"
#include "launcher/LauncherState.h"
#include "launcher/Log.h"

namespace qpk {

namespace {

const char kPackage[] = "com/quillpack/runtime/installer/platform/win32/";
const char kCommonClass[] = "com/quillpack/runtime/installer/platform/win32/Common";

struct FlatEntry {
    const char* simpleClass;
    NativeMethodEntry method;
};

const FlatEntry kTable[] = {
#define QPK_NATIVE(cls, method, signature) {#cls, {#method, signature}},
#include "NativeMethods.inc"
#undef QPK_NATIVE
};

std::vector<NativeClassEntry> groupByClass() {
    std::vector<NativeClassEntry> classes;
    for (const FlatEntry& e : kTable) {
        std::string name = std::string(kPackage) + e.simpleClass;
        if (classes.empty() || classes.back().className != name) classes.push_back({name, {}});
        classes.back().methods.push_back(e.method);
    }
    return classes;
}

using RegisterNativesFunction = bool (*)(JNIEnv*, HMODULE, ErrorReporter);

}  // namespace

const std::vector<NativeClassEntry>& nativeClasses() {
    static const std::vector<NativeClassEntry> classes = groupByClass();
    return classes;
}

std::string jniSymbolName(const std::string& className, const char* method) {
    std::string symbol = "Java_" + className + "_" + method;
    for (char& c : symbol)
        if (c == '/') c = '_';
    return symbol;
}

bool registerClassNatives(JNIEnv* env, HMODULE module, ErrorReporter reportError, const NativeClassEntry& entry) {
    jclass cls = env->FindClass(entry.className.c_str());
    if (cls == nullptr) {
        env->ExceptionClear();
        reportError(L"could not load class %S", entry.className.c_str());
        return false;
    }
    std::vector<JNINativeMethod> methods;
    for (const NativeMethodEntry& m : entry.methods) {
        std::string symbol = jniSymbolName(entry.className, m.name);
        void* function = reinterpret_cast<void*>(GetProcAddress(module, symbol.c_str()));
        if (function == nullptr) {
            reportError(L"did not find %S", symbol.c_str());
            return false;
        }
        methods.push_back({const_cast<char*>(m.name), const_cast<char*>(m.signature), function});
    }
    jint result = env->RegisterNatives(cls, methods.data(), jint(methods.size()));
    if (result != 0) {
        env->ExceptionClear();
        reportError(L"register %S failed %d", entry.className.c_str(), int(result));
        return false;
    }
    // The class reference stays: the registration lives as long as the class.
    return true;
}

bool initFromLauncher(bool flag) {
    jclass common = jniEnv->FindClass(kCommonClass);
    if (common == nullptr) {
        jniEnv->ExceptionClear();
        logError(L"did not find %S", kCommonClass);
        return false;
    }
    bool called = false;
    jmethodID init = jniEnv->GetStaticMethodID(common, "initFromLauncher", "(Z)V");
    if (init == nullptr) {
        jniEnv->ExceptionClear();
        logError(L"did not find initMethod");
    } else {
        jniEnv->CallStaticVoidMethod(common, init, jboolean(flag ? JNI_TRUE : JNI_FALSE));
        // A throwing initFromLauncher must not leave its exception to the main call.
        if (jniEnv->ExceptionCheck()) {
            jniEnv->ExceptionDescribe();
            jniEnv->ExceptionClear();
        }
        called = true;
    }
    jniEnv->DeleteLocalRef(common);
    return called;
}

void bindNativeMethods() {
    if (gState.productKind != 'q') return;
    logLine(L"load helper dll");
    HMODULE module = GetModuleHandleA(nullptr);
    logLine(L"helper dll (in-module) %p", module);
    if (module == nullptr) return;
    auto registerAll = lookupFunction<RegisterNativesFunction>(module, "registerNatives");
    if (registerAll == nullptr) {
        logError(L"did not find register natives in helper dll");
        return;
    }
    if (!initFromLauncher(true)) return;
    if (!registerAll(jniEnv, module, logError)) {
        logError(L"registering helper dll failed");
        initFromLauncher(false);
    }
}

}  // namespace qpk

extern "C" bool registerNatives(JNIEnv* env, HMODULE module, qpk::ErrorReporter reportError) {
    for (const qpk::NativeClassEntry& entry : qpk::nativeClasses())
        if (!qpk::registerClassNatives(env, module, reportError, entry)) return false;
    return true;
}
