// Process-wide run modes and paths of the launcher role.
//
// Written on the main thread during start-up (markers, pre-processing, switch scan) before
// any other thread exists; read-only afterwards, except that the preparation sequence may
// set `restartFilesMissing`.
#pragma once
#include <windows.h>

#include <string>

#include "launcher/ArgumentVector.h"

namespace qpk {

struct LauncherState {
    bool quiet = false;
    bool guiErrors = true;
    bool languageRestart = false;
    bool restartFilesMissing = false;
    bool extractAndExit = false;
    bool integrityCheck = false;
    bool manualJre = false;
    bool logRequested = false;
    bool noProgressDialog = false;
    bool splash = false;           // "-splash": a quiet run still shows the progress dialog
    bool consoleAttached = false;  // "-console" was seen
    char productKind = '\0';       // first character of entry 2001
    std::string productWord;       // "corvo" or "quillpack"
    std::wstring productWordWide;
    HINSTANCE instance = nullptr;
    HWND dialogWindow = nullptr;   // parent of error boxes once the progress dialog exists
    std::string tempDir;           // private temporary directory, empty until created
};

extern LauncherState gState;

}  // namespace qpk
