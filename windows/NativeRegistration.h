// Binding the installer runtime's native methods to their implementations in this
// executable. The JVM does not load the executable as a library, so the methods are
// registered explicitly, by looking up each method's JNI symbol in a module.
#pragma once
#include <windows.h>
#include <jni.h>

#include <string>
#include <vector>

namespace qpk {

// Receives each failure as a wide printf format and its arguments.
using ErrorReporter = void (*)(const wchar_t* format, ...);

struct NativeMethodEntry {
    const char* name;
    const char* signature;
};
struct NativeClassEntry {
    std::string className;  // full JNI name
    std::vector<NativeMethodEntry> methods;
};

// The registered classes with their methods, in registration order.
const std::vector<NativeClassEntry>& nativeClasses();

// "Java_" + class name with "/" as "_" + "_" + method name.
std::string jniSymbolName(const std::string& className, const char* method);

// Registers one class; no method of it is registered when one symbol is missing.
bool registerClassNatives(JNIEnv* env, HMODULE module, ErrorReporter reportError, const NativeClassEntry& entry);

// Calls the Java side's initFromLauncher(flag); true when it was called.
bool initFromLauncher(bool flag);

// After the JVM exists: for product kind 'q', tells the Java side and registers every
// class from this executable's own module.
void bindNativeMethods();

}  // namespace qpk

// Exported so that a separately loaded library could offer the same entry.
extern "C" __declspec(dllexport) bool registerNatives(JNIEnv* env, HMODULE module, qpk::ErrorReporter reportError);
