#include "payload/IncludedRuntime.h"

#include <commctrl.h>

#include <atomic>
#include <string>

#include "common/Owned.h"
#include "jre/JvmLoader.h"
#include "jre/PackedJars.h"
#include "launcher/ErrorReporting.h"
#include "launcher/Log.h"
#include "launcher/TempDirectories.h"
#include "launcher/resource.h"
#include "payload/Config.h"
#include "payload/RuntimeArchive.h"

namespace qpk {

namespace {

// Shared with the animation thread: written before it starts, then only the stop flag.
struct Animation {
    HWND dialog = nullptr;
    DWORD pacing = 0;  // milliseconds that untarring took
    std::atomic<bool> stop{false};
};
Animation animation;

// Moves the bar from 200 to 300 in about the time untarring took, while unpack200 runs
// and reports nothing.
DWORD WINAPI animateProgress(LPVOID) {
    int position = 200;
    while (!animation.stop) {
        Sleep(animation.pacing / 10);
        position += 10;
        SendDlgItemMessageW(animation.dialog, IDC_PROGRESS_BAR, PBM_SETPOS, WPARAM(position), 0);
        if (position >= 300) break;
    }
    return 0;
}

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
    animation.pacing = GetTickCount() - started;

    bool unpacked = true;
    if (getInt(153) != 0) {
        logLine(L"JRE is packed");
        UniqueHandle thread;
        if (dialog) {
            animation.dialog = dialog;
            thread.reset(CreateThread(nullptr, 0, animateProgress, nullptr, 0, nullptr));
            if (thread) SetThreadPriority(thread.get(), THREAD_PRIORITY_ABOVE_NORMAL);
        }
        unpacked = unpackPackedJars("jre") && unpackPackedJars("jre\\jre");
        animation.stop = true;
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
