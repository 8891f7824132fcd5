// Taking a Java runtime into use: check it, load its jvm.dll into this process, record
// its home and version, and resolve JNI_CreateJavaVM.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace qpk {

// Where the accepted runtime came from; chooses the message when its library fails.
enum JvmSourceKind { kSourceNone = 0, kSourcePath = 1, kSourceLocation = 2, kSourceEnvironment = 3, kSourceRegistry = 4 };

// JNI_CreateJavaVM(JavaVM**, void**, void*) of the loaded library.
using CreateJavaVmFunction = int32_t(__stdcall*)(void**, void**, void*);
extern CreateJavaVmFunction createJavaVmFunction;

// `location` is a java.exe (locationIsJavaExe) or a runtime directory; none searches the
// machine. With `showErrors` a failure is reported by a message; never ends the process.
bool LoadDLL(bool showErrors, const std::string* location, bool locationIsJavaExe);

HMODULE loadJvmFromJavaExe(const std::string& javaExe);
HMODULE loadJvmFromBinDir(const std::string& javaExe);
HMODULE tryJvmDll(const std::string& binDir, const std::string& name);
bool resolveCreateJavaVM(HMODULE library);

// The java executable's directory followed by "..".
std::string jvmHomeFor(const std::string& javaExe);
// The bin directory of a java.exe or javaw.exe path: the path without that file name.
std::string binDirOf(const std::string& javaExe);

}  // namespace qpk
