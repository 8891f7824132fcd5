// Keeps the Wine desktop of a test session alive. Wine ends the desktop process about a second
// after the last program using it exits, and the next program touching user32 starts it anew
// with that program's standard streams, which then stay open as long as the desktop lives. A
// test runner waiting on such a stream would wait for ever. This program, started on
// /dev/null at the beginning of the session, stays on the desktop until the server ends it.
//   desktopkeeper READY_FILE   creates READY_FILE once the desktop runs
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2 || !GetDesktopWindow()) return 1;
  HANDLE ready = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(ready);
  Sleep(INFINITE);
  return 0;
}
