#include "payload/RuntimeChoice.h"

#include <commdlg.h>

#include <cstdlib>
#include <string>

#include "common/ProcLookup.h"
#include "jre/JvmLoader.h"
#include "jre/RuntimeRegistry.h"
#include "launcher/ErrorReporting.h"
#include "launcher/InstallMarkers.h"
#include "launcher/LauncherState.h"
#include "launcher/PathHelpers.h"
#include "launcher/Log.h"
#include "launcher/Preparation.h"
#include "launcher/ProgressDialog.h"
#include "launcher/resource.h"
#include "payload/Config.h"
#include "payload/RuntimeDownload.h"
#include "payload/RuntimeTexts.h"

namespace qpk {

namespace {

constexpr size_t kPathCapacity = 6000;

using GetOpenFileNameFunction = BOOL(WINAPI*)(LPOPENFILENAMEA);

void initChoiceDialog(HWND dialog, bool downloadAvailable) {
    centreDialog(dialog);
    SetWindowTextW(dialog, getWide(20013).c_str());
    SetDlgItemTextW(dialog, IDCANCEL, getWide(20012).c_str());
    SetDlgItemTextW(dialog, IDC_LOCATE, getWide(20011).c_str());
    SetDlgItemTextW(dialog, IDC_DOWNLOAD, getWide(20010).c_str());
    if (!downloadAvailable) {
        ShowWindow(GetDlgItem(dialog, IDC_DOWNLOAD), SW_HIDE);
        // Enter presses the default button, hidden or not: without an address it locates.
        SendMessageW(dialog, DM_SETDEFID, IDC_LOCATE, 0);
    }
    std::wstring text = choiceExplanation(getWide(downloadAvailable ? 20005 : 20006), getWide(20019),
                                          getWideFromNarrow(126), getWide(20020), getWideFromNarrow(127));
    SetDlgItemTextW(dialog, IDC_MESSAGE, text.c_str());
}

}  // namespace

bool locateJavaExe(HWND owner) {
    static GetOpenFileNameFunction getOpenFileName = nullptr;
    if (getOpenFileName == nullptr) {
        HMODULE library = LoadLibraryA("Comdlg32.dll");  // stays loaded with the function
        getOpenFileName = lookupFunction<GetOpenFileNameFunction>(library, "GetOpenFileNameA");
        if (getOpenFileName == nullptr) return false;
    }
    char file[kPathCapacity] = "";
    char title[kPathCapacity];
    if (wcstombs(title, getWide(20004).c_str(), sizeof title) >= sizeof title) title[0] = '\0';
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = "Java EXE\0java.exe\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrTitle = title[0] ? title : nullptr;
    dialog.Flags = OFN_FILEMUSTEXIST;
    if (!getOpenFileName(&dialog)) return false;
    std::string javaExe(file, strnlen(file, sizeof file));
    if (!LoadDLL(true, &javaExe, true)) return false;
    recordLocatedJvm(fullPath(javaExe, false));  // the path as the java.exe check normalises it
    return true;
}

INT_PTR CALLBACK runtimeChoiceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        initChoiceDialog(dialog, lParam != 0);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_LOCATE:
        if (locateJavaExe(dialog)) EndDialog(dialog, IDC_LOCATE);
        return FALSE;
    case IDCANCEL:
        logLine(L"Canceled runtime choice");
        setInstallStarted(false, true, true);
        fatalExit(1);
    default:
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
}

void offerRuntime(HWND dialog) {
    std::wstring address = getWideFromNarrow(150);
    bool downloadAvailable = !address.empty();
    logLine(L"Download location: %s", address.c_str());
    bool download = getInt(157) != 0;
    if (!download) {
        INT_PTR choice = DialogBoxParamW(gState.instance, MAKEINTRESOURCEW(IDD_RUNTIME_CHOICE), dialog,
                                         runtimeChoiceDialogProc, LPARAM(downloadAvailable));
        download = choice == IDC_DOWNLOAD;
        // Without a choice (no desktop to show the dialog on) there is no runtime to go on with.
        if (choice != IDC_DOWNLOAD && choice != IDC_LOCATE) {
            logError(L"no runtime chosen (dialog result %d, error %d)", int(choice), int(GetLastError()));
            fatalMessageWith(1016, L"64");
        }
    }
    if (download) {
        if (!SetCurrentDirectoryA(gState.tempDir.c_str()))
            logLine(L"Could not change working dir to %S (%d)", gState.tempDir.c_str(), int(GetLastError()));
        logLine(L"Downloading JRE");
        downloadRuntime(dialog, address);
        logLine(L"Done");
        jreIncluded = true;
    }
    if (dialog && gState.noProgressDialog) endProgressDialog(dialog);
}

}  // namespace qpk
