// A test program that runs the launcher's integrity check and file extraction on its own
// packed image, as the preparation sequence will: "-nocheck" and "-q" act as in the
// launcher, a failed extraction ends with the caller's message and exit code 1. On success
// it prints the private temporary directory (left in place for the test to look at) and
// the position after the last extracted record.
#include <windows.h>

#include <cstdio>

#include "launcher/CommandLine.h"
#include "launcher/LauncherState.h"
#include "launcher/Preprocess.h"
#include "launcher/TempDirectories.h"
#include "payload/Extraction.h"
#include "payload/Integrity.h"

using namespace qpk;

int main() {
    ArgumentVector vector;
    splitCommandLine(GetCommandLineW(), vector);
    preprocessArguments(GetModuleHandleW(nullptr), vector, true);
    gState.integrityCheck = true;
    SwitchScan scan = scanSwitches(vector);
    if (scan.noCheck) gState.integrityCheck = false;
    if (scan.quiet) gState.quiet = true;
    if (scan.clearGuiErrors) gState.guiErrors = false;

    verifyIntegrity(nullptr);
    createPrivateTempDir();
    SetCurrentDirectoryA(gState.tempDir.c_str());
    int result = extractFiles();
    if (result != kExtractOk) failExtraction(result);
    printf("tempDir=%s\n", gState.tempDir.c_str());
    printf("unextracted=%u\n", unextractedPosition());
    return 0;
}
