// A test program that restores packed jars with the launcher's own code. Packed like a
// setup, it pre-processes its command line and loads its configuration block (the fatal
// message's text and where errors go), then works through its arguments:
//   -home <home>         unpackPackedJars(home)
//   -pack <home> <pack>  unpackJar(home, pack)
// printing "returned" after each call that came back with success, "failed" after one that
// came back with failure. Exit code 2: arguments not understood.
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/TextConvert.h"
#include "jre/PackedJars.h"
#include "launcher/CommandLine.h"
#include "launcher/LauncherState.h"
#include "launcher/Preprocess.h"

using namespace qpk;

int main() {
    ArgumentVector vector;
    splitCommandLine(GetCommandLineW(), vector);
    preprocessArguments(GetModuleHandleW(nullptr), vector, true);
    std::vector<std::string> args;
    for (size_t i = 1; i < vector.size(); ++i) {
        std::string narrow;
        if (!toNarrow(vector[i], narrow)) return 2;
        args.push_back(narrow);
    }
    for (size_t i = 0; i < args.size();) {
        bool ok;
        if (args[i] == "-home" && i + 1 < args.size()) {
            ok = unpackPackedJars(args[i + 1]);
            i += 2;
        } else if (args[i] == "-pack" && i + 2 < args.size()) {
            ok = unpackJar(args[i + 1], args[i + 2]);
            i += 3;
        } else {
            return 2;
        }
        printf(ok ? "returned\n" : "failed\n");
        fflush(stdout);
    }
    return 0;
}
