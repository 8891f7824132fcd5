// A test program that runs the launcher's own start-up code on itself: packed like a
// setup, it pre-processes its command line and loads its configuration block, then prints
// the configuration entries named in QPK_PROBE_WIDE and QPK_PROBE_NARROW (comma-separated
// ids) as "id=text" lines in UTF-8, so tests can see texts that the launcher itself only
// shows at later stages, and the argument vector as pre-processing left it. On request it
// then creates the private temporary directory (QPK_PROBE_PRIVATE_TEMP) and ends through
// a fatal message (QPK_PROBE_FATAL, an id, with the detail QPK_PROBE_DETAIL).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "launcher/CommandLine.h"
#include "launcher/ErrorReporting.h"
#include "launcher/LauncherState.h"
#include "launcher/Log.h"
#include "launcher/Preprocess.h"
#include "launcher/TempDirectories.h"
#include "payload/Config.h"

using namespace qpk;

namespace {

std::string utf8(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), &out[0], n, nullptr, nullptr);
    return out;
}

template <class Print>
void forEachId(const char* variable, Print print) {
    const char* list = getenv(variable);
    for (const char* p = list; p && *p;) {
        char* end = nullptr;
        long id = strtol(p, &end, 10);
        if (end == p) break;
        print(int(id));
        p = *end == ',' ? end + 1 : end;
    }
}

}  // namespace

int main() {
    ArgumentVector vector;
    splitCommandLine(GetCommandLineW(), vector);
    // As the launcher's entry does for a tail that starts with the marker.
    if (vector.size() > 1 && classifyTail(utf8(vector[1]).c_str()).languageRestart) gState.languageRestart = true;
    preprocessArguments(GetModuleHandleW(nullptr), vector, true);
    forEachId("QPK_PROBE_WIDE", [](int id) { printf("%d=%s\n", id, utf8(getText(id)).c_str()); });
    forEachId("QPK_PROBE_NARROW", [](int id) { printf("%d=%s\n", id, utf8(getWideFromNarrow(id)).c_str()); });
    for (const std::wstring& arg : vector) printf("arg=%s\n", utf8(arg).c_str());
    printf("guiErrors=%d\n", gState.guiErrors ? 1 : 0);
    printf("productWord=%s\n", gState.productWord.c_str());
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    printf("cwd=%s\n", utf8(cwd).c_str());
    if (getenv("QPK_PROBE_PRIVATE_TEMP")) {
        createPrivateTempDir();
        printf("tempDir=%s\n", gState.tempDir.c_str());
    }
    fflush(stdout);
    if (const char* fatal = getenv("QPK_PROBE_FATAL")) {
        const char* detail = getenv("QPK_PROBE_DETAIL");
        fatalMessageWithNarrow(atoi(fatal), detail);
    }
    return 0;
}
