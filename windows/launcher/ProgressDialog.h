// The progress dialog (resource 103) shown while the installer is prepared, its window
// class, and the watcher thread that hides it once the installer's own window shows.
#pragma once
#include <windows.h>

namespace qpk {

// "MyDialogClass", the class the dialog resource names.
void registerDialogClass();

// Shows the dialog modally; it runs the preparation sequence on a worker thread.
INT_PTR showProgressDialog();

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Ends the dialog from any thread; showProgressDialog then returns 0.
void endProgressDialog(HWND dialog);

// Centres a dialog on its owner, or on the desktop without one.
void centreDialog(HWND dialog);

// Starts the watcher thread for `dialog` at above-normal priority.
void startWindowWatcher(HWND dialog);

// Visible top-level windows of this process, its console window not counted.
int countVisibleWindows();

// The bar position after one more step of the watcher: a quarter of what is left above
// `base`, never beyond 390.
int advancedPosition(int position, int base);

}  // namespace qpk
