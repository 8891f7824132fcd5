#include "payload/IncludedRuntime.h"

#include <memory>
#include <string>

#include "jre/JvmLoader.h"
#include "jre/PackedJars.h"
#include "launcher/ErrorReporting.h"
#include "launcher/Log.h"
#include "launcher/TempDirectories.h"
#include "payload/Config.h"
#include "payload/ProgressAnimation.h"
#include "payload/RuntimeArchive.h"

namespace qpk {

namespace {

std::string fullPathOf(const char* name) {
    char buffer[6000];
    DWORD n = GetFullPathNameA(name, sizeof buffer, buffer, nullptr);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string(name);
}

}  // namespace

void extractIncludedRuntime(HWND dialog) {
    DWORD started = GetTickCount();
    logLine(L"extracting JRE");
    if (!CreateDirectoryA("jre", nullptr)) logError(L"Could not create JRE dir");
    if (!untarGz("jre.tar.gz", "jre", dialog, getInt(151))) {
        logError(L"Could not untar JRE");
        fatalText(L"The bundled JRE is corrupted. If you downloaded the setup file please download it again.");
    }
    DeleteFileA("jre.tar.gz");
    DWORD pacing = GetTickCount() - started;

    bool unpacked = true;
    if (getInt(153) != 0) {
        logLine(L"JRE is packed");
        // Stopped at the end of this block, before the watcher moves the bar on.
        std::unique_ptr<ProgressAnimation> animation;
        if (dialog) animation = std::make_unique<ProgressAnimation>(dialog, pacing);
        unpacked = unpackPackedJars("jre") && unpackPackedJars("jre\\jre");
    }
    useIncludedRuntime(unpacked);
}

void useIncludedRuntime(bool unpacked) {
    std::string home = fullPathOf("jre");
    logLine(L"JRE dir: %S", home.c_str());
    if (unpacked && LoadDLL(false, &home, false)) return;
    logError(L"Could not load bundled JRE. Trying to find another JRE.");
    if (LoadDLL(false, nullptr, false)) return;
    logError(L"Could not find another JRE.");
    if (insufficientRights) fatalMessage(1015);
    fatalText(L"Could not use bundled JRE. Please send this log file to your software vendor:");
}

}  // namespace qpk
