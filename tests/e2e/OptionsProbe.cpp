// A test program that assembles the JVM option list on its own packed image: it loads its
// configuration block as the launcher does, takes QPK_PROBE_TEMPDIR as the private
// temporary directory, prepares the native library PATH when QPK_PROBE_NATIVE is set and
// prints every option as "option=<text>" and then "PATH=<value>". Fatal configuration
// errors end it as they end the launcher.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "JvmArguments.h"
#include "launcher/CommandLine.h"
#include "launcher/LauncherState.h"
#include "launcher/Preprocess.h"

using namespace qpk;

int main() {
    ArgumentVector vector;
    splitCommandLine(GetCommandLineW(), vector);
    preprocessArguments(GetModuleHandleW(nullptr), vector, true);
    if (const char* temp = getenv("QPK_PROBE_TEMPDIR")) gState.tempDir = temp;
    if (getenv("QPK_PROBE_NATIVE")) setupNativeLibraryPath();
    for (const std::string& option : buildVmArguments({"-Dcorvo.probe=1"}, vector))
        printf("option=%s\n", option.c_str());
    const char* path = getenv("PATH");
    printf("PATH=%s\n", path ? path : "");
    return 0;
}
