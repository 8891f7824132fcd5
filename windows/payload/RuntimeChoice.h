// What the launcher offers when no usable Java runtime is at hand: the choice dialog
// (resource 104) between downloading a runtime and locating an installed java.exe.
#pragma once
#include <windows.h>

namespace qpk {

// Afterwards either a located runtime is loaded, or a downloaded "jre.tar.gz" lies in the
// temporary directory and `jreIncluded` is set, or the process has ended. Ends the progress
// dialog when it was opened only for this (configuration entry 155).
void offerRuntime(HWND dialog);

// The dialog procedure of resource 104; the dialog's parameter says whether a download is
// available.
INT_PTR CALLBACK runtimeChoiceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Lets the user pick a java.exe; true when its runtime is loaded and recorded as located.
bool locateJavaExe(HWND owner);

}  // namespace qpk
