#include "launcher/Preparation.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "JavaVMLauncher.h"
#include "JvmArguments.h"
#include "common/FileAttributes.h"
#include "common/Format.h"
#include "jre/JvmLoader.h"
#include "jre/PackedJars.h"
#include "jre/RuntimeRecord.h"
#include "launcher/CommandLine.h"
#include "launcher/ErrorReporting.h"
#include "launcher/ExePath.h"
#include "launcher/InstallMarkers.h"
#include "launcher/LauncherState.h"
#include "launcher/Log.h"
#include "launcher/ProgressDialog.h"
#include "launcher/TempDirectories.h"
#include "payload/Config.h"
#include "payload/Extraction.h"
#include "payload/IncludedRuntime.h"
#include "payload/Integrity.h"
#include "payload/RuntimeChoice.h"
#include "payload/RuntimeDownload.h"
#include "resource.h"

namespace qpk {

int progressBase = 0;
bool jreIncluded = false;

namespace {

std::string currentDirectory() {
    char buffer[6000];
    DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

std::string fullPathOf(const char* name) {
    char buffer[6000];
    DWORD n = GetFullPathNameA(name, sizeof buffer, buffer, nullptr);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string(name);
}

void enterTempDir() {
    if (!SetCurrentDirectoryA(gState.tempDir.c_str()))
        logLine(L"Could not change working dir to %S (%d)", gState.tempDir.c_str(), int(GetLastError()));
}

// A language restart runs in the directory its first start filled; without the runtime
// files it extracts everything again.
bool restartFilesFound() {
    gState.tempDir = currentDirectory();
    if (!fileOrDirectoryExists(gState.tempDir + "\\qpkruntime.jar")) {
        logLine(L"could not find qpkruntime.jar");
        gState.restartFilesMissing = true;
    } else if (!fileOrDirectoryExists(gState.tempDir + "\\qpkparams.conf")) {
        logLine(L"could not find qpkparams.conf");
        gState.restartFilesMissing = true;
    }
    if (!gState.restartFilesMissing) return true;
    gState.tempDir.clear();
    return false;
}

void createWorkDirectory() {
    if (!gState.extractAndExit) {
        createPrivateTempDir();
        return;
    }
    gState.tempDir = exePath() + ".test";
    logLine(L"Extracted dir: %S", gState.tempDir.c_str());
    if (!CreateDirectoryA(gState.tempDir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        logLine(L"Could not create dir %S (%d)", gState.tempDir.c_str(), int(GetLastError()));
        fatalMessageWith(1009, L"70");
    }
}

// On the direct path the progress dialog opens only for the runtime offer, which its worker
// runs and which ends it.
void offerRuntimeInProgressDialog() {
    INT_PTR result = showProgressDialog();
    gState.dialogWindow = nullptr;  // gone; later messages must not name it as their owner
    if (result == -1) {
        logError(L"could not show the progress dialog (%d)", int(GetLastError()));
        offerRuntime(nullptr);
    } else if (result != 0) {
        // Cancel while downloading: as on the dialog path, the setup ends there.
        cancelDownload();
        fatalExit(0);
    }
}

void chooseInstalledRuntime(HWND dialog) {
    setInstallStarted(true, dialog != nullptr, true);
    if (!gState.manualJre && LoadDLL(false, nullptr, false)) return;
    if (gState.quiet) {
        if (getInt(157) == 0) {
            logError(L"No JRE found");
            fputs("No JRE found. Aborting.\n", stdout);
            fflush(stdout);
            setInstallStarted(false, true, true);
            removePrivateTempDir();
            exit(83);
        }
        fputs("No JRE found. Trying to download.\n", stdout);
        fflush(stdout);
        offerRuntime(nullptr);
    } else if (dialog) {
        offerRuntime(dialog);
    } else {
        offerRuntimeInProgressDialog();
    }
}

void unpackPackedPayloadFiles() {
    std::vector<std::string> names = payloadFileNames(dupNarrow(2003));
    long count = getInt(2002);
    for (size_t i = 0; i < names.size() && long(i) < count; ++i) {
        const std::string& name = names[i];
        if (name.size() < 5 || name.compare(name.size() - 5, 5, ".pack") != 0) continue;
        logLine(L"unpacking %S", name.c_str());
        // The installer would run without the file it needs.
        if (!unpackJar(jvmHome, gState.tempDir + "\\" + name))
            fatalText(formatWide(L"Could not unpack %S", name.c_str()));
    }
}

[[noreturn]] void writeUnextractedPositionAndExit() {
    FILE* file = fopen("unextracted.txt", "w");
    if (file == nullptr) {
        logError(L"Could not write file with unextracted position");
        fatalMessageWith(1009, L"71");
    }
    fprintf(file, "%u", unsigned(unextractedPosition()));
    fclose(file);
    ExitProcess(0);
}

}  // namespace

int runPreparation(HWND dialog) {
    logLine(L"Starting work");
    if (dialog) {
        SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, 1, 0);
        SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, 400);
    }
    if (!gState.languageRestart) verifyIntegrity(dialog);

    bool restartReady = gState.languageRestart && restartFilesFound();
    if (!restartReady) {
        createWorkDirectory();
        setupNativeLibraryPath();
        enterTempDir();
        int result = extractFiles();
        if (result != kExtractOk) failExtraction(result);
    }

    std::string cwd = currentDirectory();
    logLine(L"Current working dir: %S", cwd.c_str());
    std::string archive = fullPathOf("jre.tar.gz");
    logLine(L"Full JRE path: %S", archive.c_str());
    jreIncluded = fileOrDirectoryExists(archive);
    if (!jreIncluded && restartReady) {
        logLine(L"Checking restart JRE: %S", archive.c_str());
        std::string unpacked = fullPathOf("jre");
        logLine(L"Checking extracted JRE: %S", unpacked.c_str());
        jreIncluded = directoryExists(unpacked);
    }
    logLine(jreIncluded ? L"JRE included" : L"No JRE included");
    if (gState.manualJre && jreIncluded) {
        logLine(L"Included JRE not used because of manual switch");
        jreIncluded = false;
    }

    if (jreIncluded && getInt(161) != 0) {
        setInstallStarted(true, dialog != nullptr, true);
        if (LoadDLL(false, nullptr, false))
            jreIncluded = false;
        else
            setInstallStarted(false, true, true);
    } else if (!jreIncluded) {
        chooseInstalledRuntime(dialog);
    }
    enterTempDir();

    if (!restartReady) {
        progressBase = !jreIncluded ? 100 : getInt(153) != 0 ? 300 : 200;
        if (jreIncluded) extractIncludedRuntime(dialog);
        unpackPackedPayloadFiles();
    } else if (jreIncluded) {
        useIncludedRuntime(true);  // unpacked by the first start
    }

    if (gState.extractAndExit) writeUnextractedPositionAndExit();
    if (dialog) startWindowWatcher(dialog);
    setInstallStarted(true, dialog != nullptr, true);

    ArgumentVector arguments;
    splitCommandLine(GetCommandLineW(), arguments);
    if (!launchJvm(arguments, true)) {
        logError(L"Could not start JVM");
        fatalMessage(1005);
    }
    return 0;
}

}  // namespace qpk
