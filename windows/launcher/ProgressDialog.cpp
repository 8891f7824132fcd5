#include "launcher/ProgressDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "launcher/InstallMarkers.h"
#include "launcher/LauncherState.h"
#include "launcher/ErrorReporting.h"
#include "launcher/Log.h"
#include "launcher/Preparation.h"
#include "payload/Config.h"
#include "payload/RuntimeChoice.h"
#include "resource.h"

namespace qpk {

namespace {

// Posted by the worker when the sequence returns: the Java main method has returned and
// nothing is left for the dialog to wait for.
constexpr UINT kPreparationDone = WM_APP + 1;

constexpr int kPollMillis = 100;
constexpr int kTimeoutPolls = 2400;

HWND consoleWindow = nullptr;
bool consoleLookedUp = false;

// The console window is found by a title unique to this moment and process; the old title
// comes back at once.
void findConsoleWindow() {
    consoleLookedUp = true;
    if (getInt(107) == 1) return;
    char oldTitle[1024];
    if (GetConsoleTitleA(oldTitle, sizeof oldTitle) == 0) return;
    char unique[64];
    snprintf(unique, sizeof unique, "%lu/%lu", GetTickCount(), GetCurrentProcessId());
    SetConsoleTitleA(unique);
    Sleep(40);
    consoleWindow = FindWindowA(nullptr, unique);
    SetConsoleTitleA(oldTitle);
}

BOOL CALLBACK countIfOwnVisible(HWND window, LPARAM param) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == GetCurrentProcessId() && IsWindowVisible(window) && window != consoleWindow)
        ++*reinterpret_cast<int*>(param);
    return TRUE;
}

// Opened only to offer a runtime, the dialog is ended by offerRuntime itself.
DWORD WINAPI preparationWorker(LPVOID param) {
    HWND dialog = static_cast<HWND>(param);
    if (gState.noProgressDialog) {
        offerRuntime(dialog);
        return 0;
    }
    runPreparation(dialog);
    endProgressDialog(dialog);
    return 0;
}

DWORD WINAPI windowWatcher(LPVOID param) {
    HWND dialog = static_cast<HWND>(param);
    int polls = 0;
    int position = progressBase;
    while (countVisibleWindows() < 2) {
        if (readInstallStarted(true) == 2) break;
        ++polls;
        if (polls % 5 == 0) {
            position = advancedPosition(position, progressBase);
            SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETPOS, WPARAM(position), 0);
        }
        if (polls == kTimeoutPolls && readInstallStarted(true) == 1 && getInt(159) == 0) {
            logLine(L"timeout");
            fatalMessage(20014);
        }
        Sleep(kPollMillis);
    }
    setInstallStarted(false, true, false);
    logLine(L"Java window visible");
    ShowWindow(dialog, SW_HIDE);
    return 0;
}

}  // namespace

void centreDialog(HWND dialog) {
    HWND parent = GetParent(dialog);
    RECT outer;
    RECT own;
    GetWindowRect(parent ? parent : GetDesktopWindow(), &outer);
    GetWindowRect(dialog, &own);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    int x = outer.left + (outer.right - outer.left - width) / 2;
    int y = outer.top + (outer.bottom - outer.top - height) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void endProgressDialog(HWND dialog) { PostMessageW(dialog, kPreparationDone, 0, 0); }

int advancedPosition(int position, int base) { return std::min(position + (400 - base) / 4, 390); }

int countVisibleWindows() {
    if (!consoleLookedUp) findConsoleWindow();
    int count = 0;
    EnumWindows(countIfOwnVisible, reinterpret_cast<LPARAM>(&count));
    return count;
}

void startWindowWatcher(HWND dialog) {
    HANDLE thread = CreateThread(nullptr, 0, windowWatcher, dialog, 0, nullptr);
    if (thread == nullptr) {
        logError(L"could not start window watcher (%d)", int(GetLastError()));
        return;
    }
    SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL);
    CloseHandle(thread);
}

void registerDialogClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS | CS_SAVEBITS | CS_BYTEALIGNWINDOW;
    wc.lpfnWndProc = DefDlgProcW;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = gState.instance;
    wc.hIcon = LoadIconW(gState.instance, MAKEINTRESOURCEW(IDI_LAUNCHER));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"MyDialogClass";
    if (RegisterClassExW(&wc) == 0) logError(L"could not register dialog class (%d)", int(GetLastError()));
}

INT_PTR showProgressDialog() {
    // A wide window, so that captions outside the ANSI code page show as they are.
    return DialogBoxParamW(gState.instance, MAKEINTRESOURCEW(IDD_PROGRESS), nullptr, progressDialogProc, 0);
}

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        centreDialog(dialog);
        gState.dialogWindow = dialog;
        SendDlgItemMessageW(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, 100);
        SetDlgItemTextW(dialog, IDC_MESSAGE, getWide(20007).c_str());
        SetWindowTextW(dialog, getWide(20013).c_str());
        SetDlgItemTextW(dialog, IDCANCEL, getWide(20012).c_str());
        HANDLE worker = CreateThread(nullptr, 0, preparationWorker, dialog, 0, nullptr);
        if (worker == nullptr) {
            logError(L"could not start preparation (%d)", int(GetLastError()));
            EndDialog(dialog, IDCANCEL);
        } else {
            CloseHandle(worker);
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            logLine(L"Canceled installer");
            cancelInstallMarkers();
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case kPreparationDone:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace qpk
