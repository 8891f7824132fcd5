// A Windows service for the tests of the service natives. Command line: testservice RECORD.
// On start it writes its start arguments to RECORD (UTF-8, "arg:" and the text, one a line),
// reports running and waits for the stop request. How it stops is chosen by a start argument:
//   slow    stop pending for about 2 s, its check point advancing every 400 ms (wait hint 1 s)
//   stuck   stop pending for 4 s with a wait hint of 600 ms and a check point that stays
//   (none)  stops at once
#include <windows.h>

#include <string>

#include "Utf8.h"

namespace {

enum class StopMode { Quick, Slow, Stuck };

SERVICE_STATUS_HANDLE statusHandle = nullptr;
StopMode mode = StopMode::Quick;
HANDLE stopRequested = nullptr;
std::wstring recordPath;

void report(DWORD state, DWORD checkPoint = 0, DWORD waitHint = 0) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  status.dwCheckPoint = checkPoint;
  status.dwWaitHint = waitHint;
  SetServiceStatus(statusHandle, &status);
}

// Stop pending is reported before the handler returns, as a service should, so the stop
// request's caller sees it with its wait hint from the first query on.
DWORD WINAPI onControl(DWORD control, DWORD, void*, void*) {
  if (control != SERVICE_CONTROL_STOP) return NO_ERROR;
  report(SERVICE_STOP_PENDING, 1, mode == StopMode::Stuck ? 600 : mode == StopMode::Slow ? 1000 : 5000);
  SetEvent(stopRequested);
  return NO_ERROR;
}

void writeRecord(DWORD argc, wchar_t** argv) {
  std::string text;
  for (DWORD i = 1; i < argc; ++i) text += "arg:" + qpktest::narrow(argv[i]) + "\n";
  HANDLE file = CreateFileW(recordPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

void WINAPI serviceMain(DWORD argc, wchar_t** argv) {
  statusHandle = RegisterServiceCtrlHandlerExW(argv[0], onControl, nullptr);
  if (statusHandle == nullptr) return;
  for (DWORD i = 1; i < argc; ++i) {
    if (std::wstring(argv[i]) == L"slow") mode = StopMode::Slow;
    if (std::wstring(argv[i]) == L"stuck") mode = StopMode::Stuck;
  }
  writeRecord(argc, argv);
  report(SERVICE_RUNNING);
  // Bounded: a service left behind by a broken test ends itself.
  WaitForSingleObject(stopRequested, 120000);
  if (mode == StopMode::Slow) {
    for (DWORD step = 2; step <= 6; ++step) {
      report(SERVICE_STOP_PENDING, step, 1000);
      Sleep(400);
    }
  } else if (mode == StopMode::Stuck) {
    Sleep(4000);
  }
  report(SERVICE_STOPPED);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  recordPath = argv[1];
  stopRequested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  wchar_t name[] = L"";  // own-process service: the name is ignored
  SERVICE_TABLE_ENTRYW table[] = {{name, serviceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
