// Starting the JVM inside this process and handing control to the installer's Java main
// class: the launcher's system properties, creation, the splash hand-off, the natives,
// the executable's path for the Java side, the main call and the JVM's end.
#pragma once
#include <jni.h>

#include <string>
#include <vector>

#include "launcher/LauncherState.h"

namespace qpk {

// Set once the JVM exists; the creating thread's environment serves every later call.
extern JavaVM* javaVm;
extern JNIEnv* jniEnv;

// --- Pure parts ------------------------------------------------------------------------

struct PropertyInputs {
    std::string semaphoreName;  // empty: not set
    bool manualJre = false;
    char productKind = '\0';
    std::string exePath;        // the executable, openable by the ANSI file APIs
    std::string tempDir;
    long long unextractedPosition = 0;
    std::string path;           // PATH as read, empty when too long for its buffer
    bool manPathSet = false;    // MANPATH set, even to nothing
    unsigned consoleCodePage = 0;
};
// The "-D" options the launcher itself defines, in the order the JVM receives them.
std::vector<std::string> launcherProperties(const PropertyInputs& in);

// The configuration values the main method's leading arguments come from.
struct MainArgumentInputs {
    bool applicationKindOne = false;  // entry 107 is 1
    bool moduleMode = false;          // entry 133
    std::wstring mainClass;           // entry 122
    std::wstring firstPath;           // entries 102/103, resolved; empty when switched off
    std::wstring secondPath;          // entries 104/105, likewise
    bool flag106 = false;
    ArgumentVector extraArguments;    // entry 124, expanded and split
    bool dropVmOptionArguments = false;  // entry 125: "-J" arguments belong to the JVM
};
// The arguments of the Java main method: the configured ones, the program as typed, the
// extra arguments, then the user's arguments without the locale switch (and without "-J"
// ones when asked).
ArgumentVector mainArguments(const MainArgumentInputs& in, const ArgumentVector& arguments);

// The JNI name of the installer's main class for a product kind.
std::string mainClassName(char productKind);

// --- The launch ------------------------------------------------------------------------

// False when the JVM was not created or main was not called or threw.
bool launchJvm(const ArgumentVector& arguments, bool destroyAfterMain);

// True when no exception is pending; otherwise logs it (and with `describe` lets the JVM
// print its stack trace) and clears it.
bool checkJavaException(bool describe);

}  // namespace qpk
