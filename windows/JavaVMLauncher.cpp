#include "JavaVMLauncher.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "JvmArguments.h"
#include "NativeRegistration.h"
#include "VariableExpansion.h"
#include "jre/JvmLoader.h"
#include "launcher/CommandLine.h"
#include "launcher/ErrorReporting.h"
#include "launcher/ExePath.h"
#include "launcher/Log.h"
#include "launcher/PathHelpers.h"
#include "launcher/SingleInstance.h"
#include "payload/Config.h"
#include "payload/Extraction.h"

namespace qpk {

JavaVM* javaVm = nullptr;
JNIEnv* jniEnv = nullptr;

namespace {

const char kLibraryPathPrefix[] = "-Djava.library.path=";
constexpr size_t kLibraryPathEntry = 12000;

bool startsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

std::string property(const char* key, const std::string& value) { return std::string("-D") + key + "=" + value; }

// A failed lookup leaves an exception pending, which would make the next JNI call fail.
void clearPending() {
    if (jniEnv->ExceptionCheck()) jniEnv->ExceptionClear();
}

// PATH as the JVM's library path; a value longer than the property's buffer is not read.
std::string currentPath() {
    char buffer[kLibraryPathEntry - sizeof kLibraryPathPrefix + 1];
    DWORD n = GetEnvironmentVariableA("PATH", buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

// Entry 103 or 105 as the main method receives it: expanded, and absolute unless it names
// a variable the Java side resolves itself.
std::wstring configuredPath(int switchId, int pathId) {
    if (getInt(switchId) == 0) return std::wstring();
    std::wstring text = getWide(pathId);
    expandVariables(text, false);
    if (!text.empty() && text[0] == L'$') return text;
    return fullPath(text, true);
}

std::string narrowEntry(int id, size_t capacity) {
    std::string buffer(capacity, '\0');
    buffer.resize(getNarrow(id, &buffer[0], capacity));
    return buffer;
}

// System.exit ends the process through the JVM's own C runtime, which runs none of the
// launcher's exit work; the JVM calls this instead, which does what a return from WinMain
// would: the launcher's output is flushed and its log deleted unless kept.
void JNICALL endProcessFromJava(jint code) {
    fflush(nullptr);
    endLog();
    ExitProcess(UINT(code));
}

bool createJvm(const std::vector<std::string>& properties, const ArgumentVector& arguments) {
    // The JVM may keep pointers into its option strings while it runs, which is until the
    // process ends: the list is never freed.
    const OptionList& options = *new OptionList(buildVmArguments(properties, arguments));
    std::vector<JavaVMOption> vmOptions(options.size());
    for (size_t i = 0; i < options.size(); ++i) {
        vmOptions[i].optionString = const_cast<char*>(options[i].c_str());
        vmOptions[i].extraInfo = nullptr;
    }
    vmOptions.push_back(JavaVMOption{const_cast<char*>("exit"), reinterpret_cast<void*>(&endProcessFromJava)});
    JavaVMInitArgs initArgs{};
    initArgs.version = JNI_VERSION_1_2;
    initArgs.nOptions = jint(vmOptions.size());
    initArgs.options = vmOptions.data();
    initArgs.ignoreUnrecognized = JNI_TRUE;
    logLine(L"Creating JVM");
    if (createJavaVmFunction == nullptr) return false;
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    jint result = createJavaVmFunction(reinterpret_cast<void**>(&vm), reinterpret_cast<void**>(&env), &initArgs);
    if (result != JNI_OK) {
        logLine(L"JNI_CreateJavaVM returned %d", int(result));
        return false;
    }
    javaVm = vm;
    jniEnv = env;
    return true;
}

void passSplashSettings() {
    jclass launcher = jniEnv->FindClass("com/corvo/runtime/WinLauncher");
    if (launcher == nullptr) {
        clearPending();
        logError(L"could not find main class for splash properties");
        return;
    }
    jmethodID method = jniEnv->GetStaticMethodID(
        launcher, "initAwtSplashConfig",
        "(ZZLjava/lang/String;IILjava/lang/String;IILjava/lang/String;IILjava/lang/String;II)V");
    if (method == nullptr) {
        clearPending();
        logError(L"could not find method for splash properties");
        jniEnv->DeleteLocalRef(launcher);
        return;
    }
    const int groups[4][3] = {{10111, 10109, 10110}, {10114, 10113, 10115}, {10118, 10116, 10117}, {10121, 10120, 10122}};
    jstring texts[4];
    jint first[4];
    jint second[4];
    for (int g = 0; g < 4; ++g) {
        texts[g] = jniEnv->NewStringUTF(narrowEntry(groups[g][0], 2000).c_str());
        first[g] = jint(getInt(groups[g][1]));
        second[g] = jint(getInt(groups[g][2]));
    }
    // The first flag tells the Java side that the settings come from this launcher.
    jniEnv->CallStaticVoidMethod(launcher, method, JNI_TRUE, jboolean(getInt(163) != 0), texts[0], first[0],
                                 second[0], texts[1], first[1], second[1], texts[2], first[2], second[2], texts[3],
                                 first[3], second[3]);
    // An exception left pending here would make the natives' binding call JNI illegally.
    if (!checkJavaException(false)) logError(L"splash properties not passed");
    for (jstring text : texts)
        if (text) jniEnv->DeleteLocalRef(text);
    jniEnv->DeleteLocalRef(launcher);
}

void publishExecutable() {
    jclass winDel = jniEnv->FindClass("com/corvo/runtime/util/WinDel");
    if (winDel == nullptr) {
        clearPending();
        logError(L"did not find WinDel class");
        return;
    }
    jfieldID field = jniEnv->GetStaticFieldID(winDel, "externalExecutable", "Ljava/lang/String;");
    if (field == nullptr) {
        clearPending();
        logError(L"did not find WinDel field");
    } else {
        wchar_t path[6000];
        DWORD n = GetModuleFileNameW(nullptr, path, 6000);
        if (n == 0 || n >= 6000) {
            logError(L"could not get module name for WinDel");
        } else if (jstring text = jniEnv->NewString(reinterpret_cast<const jchar*>(path), jsize(n))) {
            jniEnv->SetStaticObjectField(winDel, field, text);
            jniEnv->DeleteLocalRef(text);
        } else {
            clearPending();
            logError(L"could not create string for WinDel");
        }
    }
    jniEnv->DeleteLocalRef(winDel);
}

[[noreturn]] void assertionFailed(const wchar_t* expression) {
    logError(L"assertion failed: %s in JavaVMLauncher", expression);
    fatalText(std::wstring(L"Internal Error: ") + expression + L" (JavaVMLauncher)");
}

MainArgumentInputs configuredMainArguments() {
    MainArgumentInputs in;
    in.applicationKindOne = getInt(107) == 1;
    in.moduleMode = getInt(133) != 0;
    in.mainClass = getWideFromNarrow(122);
    in.firstPath = configuredPath(102, 103);
    in.secondPath = configuredPath(104, 105);
    in.flag106 = getInt(106) != 0;
    std::wstring extra = getWide(124).substr(0, 1999);
    expandVariables(extra, false, 2000);
    splitCommandLine(extra, in.extraArguments);
    in.dropVmOptionArguments = getInt(125) != 0;
    return in;
}

bool callMainClass(const ArgumentVector& arguments) {
    std::string name = mainClassName(gState.productKind);
    logLine(L"main class: %S", name.c_str());
    jclass mainClass = jniEnv->FindClass(name.c_str());
    if (mainClass == nullptr) {
        logError(L"could not find main class");
        fatalMessage(1010);
    }
    jmethodID main = jniEnv->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
    if (main == nullptr) {
        logError(L"could not find main method");
        fatalMessage(1011);
    }

    ArgumentVector params = mainArguments(configuredMainArguments(), arguments);
    logLine(L"param count: %d", int(params.size()));
    jclass stringClass = jniEnv->FindClass("java/lang/String");
    jobjectArray paramArray = stringClass ? jniEnv->NewObjectArray(jsize(params.size()), stringClass, nullptr) : nullptr;
    if (paramArray == nullptr) assertionFailed(L"paramArray");
    for (size_t i = 0; i < params.size(); ++i) {
        logLine(L"param %d: %s", int(i), params[i].c_str());
        jstring jstr = jniEnv->NewString(reinterpret_cast<const jchar*>(params[i].c_str()), jsize(params[i].size()));
        if (jstr == nullptr) assertionFailed(L"jstr");
        jniEnv->SetObjectArrayElement(paramArray, jsize(i), jstr);
        jniEnv->DeleteLocalRef(jstr);
    }
    logLine(L"calling main");
    jniEnv->CallStaticVoidMethod(mainClass, main, paramArray);
    logLine(L"main returned");
    return checkJavaException(true);
}

}  // namespace

std::vector<std::string> launcherProperties(const PropertyInputs& in) {
    std::vector<std::string> list;
    if (!in.semaphoreName.empty()) list.push_back(property("corvo.semaphoreName", in.semaphoreName));
    if (in.manualJre) list.push_back(property("corvo.manualJre", "true"));
    if (in.productKind == 'q') list.push_back(property("corvo.isQuillpack", "true"));
    list.push_back(property("corvo.moduleName", in.exePath));
    list.push_back(property("sun.java.command", in.exePath));
    list.push_back(property("corvo.tempDir", in.tempDir));
    list.push_back(property("corvo.unextractedPosition", std::to_string(in.unextractedPosition)));
    list.push_back(kLibraryPathPrefix + in.path);
    if (!in.manPathSet) list.push_back(property("corvo.consoleCodepage", "cp" + std::to_string(in.consoleCodePage)));
    return list;
}

ArgumentVector mainArguments(const MainArgumentInputs& in, const ArgumentVector& arguments) {
    ArgumentVector out;
    out.push_back(in.applicationKindOne ? L"true" : L"false");
    out.push_back((in.moduleMode ? L"/" : L"") + in.mainClass);
    out.push_back(in.firstPath);
    out.push_back(in.secondPath);
    out.push_back(in.flag106 ? L"true" : L"false");
    if (!arguments.empty()) out.push_back(arguments[0]);
    out.insert(out.end(), in.extraArguments.begin(), in.extraArguments.end());
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::wstring& a = arguments[i];
        if (in.dropVmOptionArguments && startsWith(a, L"-J")) continue;
        if (startsWith(a, L"-Dsun.locale.formatasdefault=")) continue;
        out.push_back(a);
    }
    return out;
}

std::string mainClassName(char productKind) {
    return productKind == 'q' ? "com/quillpack/runtime/launcher/WinLauncher" : "com/corvo/runtime/WinLauncher";
}

bool checkJavaException(bool describe) {
    jthrowable exception = jniEnv->ExceptionOccurred();
    if (exception == nullptr) return true;
    logError(L"an exception occurred");
    // toString is called with the exception cleared: JNI allows no other call while one
    // is pending. The original is raised again for the stack trace.
    jniEnv->ExceptionClear();
    jclass type = jniEnv->GetObjectClass(exception);
    jmethodID toString = type ? jniEnv->GetMethodID(type, "toString", "()Ljava/lang/String;") : nullptr;
    jstring text = toString ? static_cast<jstring>(jniEnv->CallObjectMethod(exception, toString)) : nullptr;
    if (text != nullptr && !jniEnv->ExceptionCheck()) {
        jsize length = jniEnv->GetStringLength(text);
        if (const jchar* chars = jniEnv->GetStringChars(text, nullptr)) {
            std::wstring message(reinterpret_cast<const wchar_t*>(chars), size_t(length));
            logError(L"%s", message.c_str());
            jniEnv->ReleaseStringChars(text, chars);
        }
    }
    clearPending();
    if (describe) {
        jniEnv->Throw(exception);
        jniEnv->ExceptionDescribe();
    }
    jniEnv->ExceptionClear();
    return false;
}

bool launchJvm(const ArgumentVector& arguments, bool destroyAfterMain) {
    logLine(L"launching program");
    PropertyInputs in;
    in.semaphoreName = semaphoreName();
    in.manualJre = gState.manualJre;
    in.productKind = gState.productKind;
    in.exePath = exePath();
    in.tempDir = gState.tempDir;
    in.unextractedPosition =
        gState.languageRestart && !gState.restartFilesMissing ? -1 : (long long)unextractedPosition();
    in.path = currentPath();
    in.manPathSet = getenv("MANPATH") != nullptr;
    in.consoleCodePage = GetConsoleOutputCP();

    if (!createJvm(launcherProperties(in), arguments)) {
        logError(L"could not initialize JVM");
        return false;
    }
    logLine(L"JVM created");
    if (getInt(108) != 0) passSplashSettings();
    bindNativeMethods();
    publishExecutable();
    if (!callMainClass(arguments)) {
        logError(L"could not call main");
        return false;
    }
    if (destroyAfterMain) {
        logLine(L"dest JVM");
        javaVm->DestroyJavaVM();
    }
    logLine(L"launch done");
    return true;
}

}  // namespace qpk
