// The executable's entry: chooses the role from the raw command tail, then runs the
// launcher role's start-up in its fixed order.
#include <windows.h>

#include "launcher/CommandLine.h"
#include "launcher/Console.h"
#include "launcher/DelayedDeletion.h"
#include "launcher/DllSearch.h"
#include "launcher/LauncherState.h"
#include "launcher/Log.h"
#include "launcher/Preparation.h"
#include "launcher/Preprocess.h"
#include "launcher/ProgressDialog.h"
#include "launcher/Reboot.h"
#include "launcher/SingleInstance.h"
#include "launcher/TempDirectories.h"
#include "payload/Config.h"
#include "payload/RuntimeDownload.h"

using namespace qpk;

namespace {

void applySwitches(const ArgumentVector& vector) {
    SwitchScan scan = scanSwitches(vector);
    if (scan.quiet) gState.quiet = true;
    if (scan.clearGuiErrors) gState.guiErrors = false;
    if (scan.consoleSwitch) gState.consoleAttached = attachConsole();
    // "-c" attaches only when "-console" has not already done so.
    if (scan.attachConsole && !scan.consoleSwitch) attachConsole();
    if (scan.splash) gState.splash = true;
    if (scan.noCheck) gState.integrityCheck = false;
    if (scan.manualJre) gState.manualJre = true;
}

// After Cancel the preparation worker may still run. Ending the process here stops it first;
// the C runtime's exit would destroy the state it reads while it runs on. A download is
// stopped first, so that its partial file can go with the temporary directory.
[[noreturn]] void endAfterCancel() {
    cancelDownload();
    removePrivateTempDir();
    endLog();
    ExitProcess(0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int) {
    hardenDllSearch();
    preloadSystemLibraries();

    const char* tail = commandTail ? commandTail : "";
    TailMarkers markers = classifyTail(tail);
    if (markers.reboot) {
        rebootMode();
        return 0;
    }

    gState.quiet = false;
    if (markers.languageRestart) {
        logLine(L"language restart");
        gState.languageRestart = true;
        gState.quiet = true;
    }
    if (markers.extractAndExit) {
        logLine(L"extract and exit mode");
        gState.extractAndExit = true;
    }

    initCommonControls();

    ArgumentVector vector;
    splitCommandLine(GetCommandLineW(), vector);
    if (markers.delayedDeletion && vector.size() >= 3) return delayedDeletion(vector[2]);

    preprocessArguments(instance, vector, true);
    gState.integrityCheck = true;
    applySwitches(vector);
    if (!gState.languageRestart) checkSingleInstance();

    gState.instance = instance;
    gState.noProgressDialog = getInt(155) != 0;
    logLine(L"Init done");
    if (gState.quiet && !gState.splash) {
        logLine(L"Quiet installer.");
        runPreparation(nullptr);
    } else if (gState.noProgressDialog) {
        registerDialogClass();
        runPreparation(nullptr);
    } else {
        registerDialogClass();
        // Without a desktop to show it on (no display), the setup still runs, unseen.
        INT_PTR result = showProgressDialog();
        if (result == -1) {
            logError(L"could not show the progress dialog (%d)", int(GetLastError()));
            runPreparation(nullptr);
        } else if (result == IDOK || result == IDCANCEL) {
            endAfterCancel();
        }
    }
    return 0;
}
