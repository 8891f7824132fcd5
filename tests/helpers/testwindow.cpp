// A top-level window for the window and process natives.
//   testwindow TITLE close|ignore|hidden|minimized
// close: ends on WM_CLOSE; ignore: ignores WM_CLOSE; hidden: like close, never shown;
// minimized: like close, shown minimised.
// The title tells what the window received: " (environment)" once a WM_SETTINGCHANGE for
// "Environment" came, " (active)" while it is the active window, " (minimized)" while it is. Ends by itself after 60
// seconds so that no test leaves it behind.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

bool gIgnoreClose = false;
bool gEnvironment = false;
bool gActive = false;
bool gMinimized = false;
std::wstring gTitle;

void showState(HWND window) {
  std::wstring title = gTitle;
  if (gEnvironment) title += L" (environment)";
  if (gActive) title += L" (active)";
  if (gMinimized) title += L" (minimized)";
  SetWindowTextW(window, title.c_str());
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      if (gIgnoreClose) return 0;
      break;
    case WM_SETTINGCHANGE:
      if (lParam != 0 && std::wcscmp(reinterpret_cast<const wchar_t*>(lParam), L"Environment") == 0) {
        gEnvironment = true;
        showState(window);
      }
      return 0;
    case WM_SIZE:
      gMinimized = wParam == SIZE_MINIMIZED;
      showState(window);
      break;
    case WM_ACTIVATE:
      gActive = LOWORD(wParam) != WA_INACTIVE;
      showState(window);
      break;
    case WM_TIMER:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = __argc;
  wchar_t** argv = __wargv;
  if (argv == nullptr || argc < 3) return 2;
  gTitle = argv[1];
  std::wstring mode = argv[2];
  gIgnoreClose = mode == L"ignore";
  WNDCLASSW cls = {};
  cls.lpfnWndProc = windowProc;
  cls.hInstance = instance;
  cls.lpszClassName = L"QpkTestWindow";
  RegisterClassW(&cls);
  HWND window = CreateWindowExW(0, cls.lpszClassName, gTitle.c_str(), WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                                nullptr, instance, nullptr);
  if (window == nullptr) return 3;
  if (mode == L"minimized")
    ShowWindow(window, SW_SHOWMINNOACTIVE);
  else if (mode != L"hidden")
    ShowWindow(window, SW_SHOWNOACTIVATE);
  SetTimer(window, 1, 60000, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
