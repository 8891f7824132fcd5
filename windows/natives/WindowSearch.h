// Top-level windows by process: the searches and the polite or forced end of processes that
// the Misc natives offer.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace qpk {

// The first visible top-level window of the process without an owner; nullptr if none.
HWND findMainWindow(DWORD processId);

// The title of the process's first visible titled window, else of its last invisible titled
// one, else empty; titles are read up to 4,096 characters.
std::wstring windowTitle(DWORD processId);

// Brings every visible window of this process, and its last active popup, to the front.
void toFront();

// terminateProcesses statuses.
enum TerminateStatus { kTerminateFailed = 0, kTerminated = 1, kWaitFailed = 2, kWaitTimedOut = 3 };

// force: TerminateProcess each; otherwise WM_CLOSE to every visible window of each process,
// then wait up to timeoutMs for all of them to end.
int terminateProcesses(const std::vector<DWORD>& ids, bool force, DWORD timeoutMs);

}  // namespace qpk
