// A test program for the java.exe check and the registry records of runtimes. Packed like a
// setup, it pre-processes its command line and loads its configuration block (bounds 126
// and 127, entries 107 and 130), then runs the one command its arguments name and prints
// the outcome as "name=value" lines:
//   check <java.exe> <allowPreRelease 0|1> <useCache 0|1>   result, path, version
//   located <acceptAll 0|1>                                 result, path, version
//   record <java.exe>                                       (records it as located)
//   lookup <java.exe> <capacity>                            result, version (cache only)
// Exit code 2 for a command it does not know.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/TextConvert.h"
#include "jre/JavaExeCheck.h"
#include "jre/RuntimeRegistry.h"
#include "jre/Version.h"
#include "launcher/CommandLine.h"
#include "launcher/Preprocess.h"

using namespace qpk;

namespace {

void print(bool result, const std::string& path, const std::string& version) {
    printf("result=%d\npath=%s\nversion=%s\n", result ? 1 : 0, path.c_str(), version.c_str());
}

}  // namespace

int main() {
    ArgumentVector vector;
    splitCommandLine(GetCommandLineW(), vector);
    preprocessArguments(GetModuleHandleW(nullptr), vector, true);
    std::vector<std::string> args;
    for (size_t i = 1; i < vector.size(); ++i) {
        std::string narrow;
        toNarrow(vector[i], narrow);
        args.push_back(narrow);
    }
    const size_t count = args.size();
    const std::string command = count > 0 ? args[0] : std::string();
    auto flag = [&](size_t i) { return i < count && args[i] == "1"; };

    if (command == "check" && count == 4) {
        std::string path = args[1], version;
        bool result = checkJavaExe(path, version, configuredMinimum(), configuredMaximum(), flag(2), flag(3));
        print(result, path, version);
    } else if (command == "located" && count == 2) {
        std::string path, version;
        bool result = findLocatedJvm(path, version, configuredMinimum(), configuredMaximum(), flag(1));
        print(result, path, version);
    } else if (command == "record" && count == 2) {
        recordLocatedJvm(args[1]);
    } else if (command == "lookup" && count == 3) {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA(args[1].c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return 2;
        FindClose(find);
        std::string version;
        bool result = lookupCachedVersion(args[1], data.ftLastWriteTime, version, strtoul(args[2].c_str(), nullptr, 10));
        print(result, args[1], version);
    } else {
        return 2;
    }
    fflush(stdout);
    return 0;
}
