// A test program that takes a Java runtime into use the way the launcher does: packed
// like a setup, it pre-processes its command line and loads its configuration block, then
// calls the loader with what QPK_PROBE_LOCATION, QPK_PROBE_JAVA_EXE and
// QPK_PROBE_SHOW_ERRORS ask for, and prints the outcome as "name=value" lines.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "jre/JvmLoader.h"
#include "jre/RuntimeRecord.h"
#include "launcher/CommandLine.h"
#include "launcher/LauncherState.h"
#include "launcher/Preprocess.h"

using namespace qpk;

int main() {
    ArgumentVector vector;
    splitCommandLine(GetCommandLineW(), vector);
    preprocessArguments(GetModuleHandleW(nullptr), vector, true);
    if (const char* dir = getenv("QPK_PROBE_TEMPDIR")) gState.tempDir = dir;

    const char* locationText = getenv("QPK_PROBE_LOCATION");
    std::string location = locationText ? locationText : "";
    bool loaded = LoadDLL(getenv("QPK_PROBE_SHOW_ERRORS") != nullptr, locationText ? &location : nullptr,
                          getenv("QPK_PROBE_JAVA_EXE") != nullptr);
    printf("loaded=%d\n", loaded ? 1 : 0);
    printf("resolved=%d\n", createJavaVmFunction != nullptr ? 1 : 0);
    printf("jvmHome=%s\n", jvmHome.c_str());
    printf("runtimeVersion=%s\n", runtimeVersion.c_str());
    const char* path = getenv("PATH");
    printf("path=%s\n", path ? path : "");
    return 0;
}
