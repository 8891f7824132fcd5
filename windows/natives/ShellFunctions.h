// The two shell32 functions the natives use, loaded on first need and cached for the
// process's life.
#pragma once
#include <windows.h>

namespace qpk {

using ShChangeNotifyFunction = void(WINAPI*)(LONG event, UINT flags, LPCVOID item1, LPCVOID item2);
using ShellExecuteWFunction = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

// True when both functions are available (loading shell32 on the first call).
bool loadShellFunctions();

// The cached functions; nullptr until loadShellFunctions has found them.
ShChangeNotifyFunction shChangeNotify();
ShellExecuteWFunction shellExecuteW();

}  // namespace qpk
