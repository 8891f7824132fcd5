// A test program that takes a Java runtime's jvm.dll into a 64-bit process and, when the
// library and its JNI_CreateJavaVM are there, creates a virtual machine, reads a few
// system properties through JNI and destroys it again. One machine per process is all a
// runtime allows, hence a program of its own. Prints "name=value" lines; exit code 0 when
// every step worked.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/ProcLookup.h"

namespace {

// The few JNI declarations needed, by their slots in the function tables of JNIEnv and
// JavaVM, which every runtime since JNI 1.2 keeps in place.
using jint = int32_t;
using jobject = void*;
constexpr jint kJniVersion1_2 = 0x00010002;

struct JavaVMOption {
    char* optionString;
    void* extraInfo;
};

struct JavaVMInitArgs {
    jint version;
    jint nOptions;
    JavaVMOption* options;
    uint8_t ignoreUnrecognized;
};

union jvalue {
    jobject l;
    int64_t j;
};

// A JNIEnv* and a JavaVM* each point to a pointer to their table.
template <class Function>
Function slot(void* object, int index) {
    return reinterpret_cast<Function>((*static_cast<void* const* const*>(object))[index]);
}

// The library's entry point, then table slots: 3 of JavaVM's table, the rest of JNIEnv's.
using JniCreateJavaVM = jint(__stdcall*)(void**, void**, void*);
using JniDestroyJavaVM = jint(__stdcall*)(void*);                                         // 3
using JniGetVersion = jint(__stdcall*)(void*);                                            // 4
using JniFindClass = jobject(__stdcall*)(void*, const char*);                             // 6
using JniExceptionClear = void(__stdcall*)(void*);                                        // 17
using JniGetStaticMethodID = void*(__stdcall*)(void*, jobject, const char*, const char*); // 113
using JniCallStaticObjectMethodA = jobject(__stdcall*)(void*, jobject, void*, const jvalue*); // 116
using JniNewStringUTF = jobject(__stdcall*)(void*, const char*);                          // 167
using JniGetStringUTFChars = const char*(__stdcall*)(void*, jobject, uint8_t*);           // 169
using JniReleaseStringUTFChars = void(__stdcall*)(void*, jobject, const char*);           // 170
using JniExceptionCheck = uint8_t(__stdcall*)(void*);                                     // 228

// System.getProperty(name), or "(null)" / "(exception)".
std::string systemProperty(void* env, const char* name) {
    jobject system = slot<JniFindClass>(env, 6)(env, "java/lang/System");
    void* method = system ? slot<JniGetStaticMethodID>(env, 113)(env, system, "getProperty",
                                                                "(Ljava/lang/String;)Ljava/lang/String;")
                          : nullptr;
    if (method == nullptr) {
        slot<JniExceptionClear>(env, 17)(env);
        return "(exception)";
    }
    jvalue arg;
    arg.l = slot<JniNewStringUTF>(env, 167)(env, name);
    jobject value = slot<JniCallStaticObjectMethodA>(env, 116)(env, system, method, &arg);
    if (slot<JniExceptionCheck>(env, 228)(env)) {
        slot<JniExceptionClear>(env, 17)(env);
        return "(exception)";
    }
    if (value == nullptr) return "(null)";
    const char* chars = slot<JniGetStringUTFChars>(env, 169)(env, value, nullptr);
    std::string out = chars ? chars : "(null)";
    if (chars) slot<JniReleaseStringUTFChars>(env, 170)(env, value, chars);
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    HMODULE library = LoadLibraryW(argv[1]);
    if (library == nullptr) {
        DWORD error = GetLastError();
        printf("loaded=0\nerror=%lu\n", (unsigned long)error);
        return 1;
    }
    printf("loaded=1\n");
    auto create = qpk::lookupFunction<JniCreateJavaVM>(library, "JNI_CreateJavaVM");
    printf("resolved=%d\n", create ? 1 : 0);
    fflush(stdout);
    if (create == nullptr) return 1;

    char classPath[] = "-Djava.class.path=";
    JavaVMOption options[] = {{classPath, nullptr}};
    JavaVMInitArgs args = {kJniVersion1_2, 1, options, 0};
    void* vm = nullptr;
    void* env = nullptr;
    jint created = create(&vm, &env, &args);
    printf("created=%ld\n", (long)created);
    fflush(stdout);
    if (created != 0) return 1;

    printf("jni.version=0x%08lx\n", (unsigned long)slot<JniGetVersion>(env, 4)(env));
    for (const char* name : {"java.version", "java.home", "java.class.path"})
        printf("%s=%s\n", name, systemProperty(env, name).c_str());
    fflush(stdout);
    jint destroyed = slot<JniDestroyJavaVM>(vm, 3)(vm);
    printf("destroyed=%ld\n", (long)destroyed);
    fflush(stdout);
    // The runtime's library stays loaded: it does not support being unloaded.
    return destroyed == 0 ? 0 : 1;
}
